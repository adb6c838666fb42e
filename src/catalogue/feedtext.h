#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace catalogue {

// ISO-8859-2 bytes of a catalogue file as the program's text. The program works in the Central
// European Windows code page, so a character that page lacks becomes '?', as its converter does.
QString fromFeedCodePage(QByteArrayView bytes);

// Writes the ISO-8859-2 form of text from `out` on, which has room for text.size() bytes, and
// returns the end; a character that ISO-8859-2 or the program's code page lacks becomes '?' (a
// surrogate pair one '?').
char* toFeedCodePage(QStringView text, char* out);
// The same, appended to a byte array.
void appendToFeedCodePage(QStringView text, QByteArray& out);

// The position of the first character of text that a catalogue file cannot hold (one that
// ISO-8859-2 or the program's code page lacks; of a surrogate pair, its first half), or -1.
qsizetype firstUnrepresentable(QStringView text);

// What keeps a text from coming back unchanged after a save and a load.
enum class FeedTextFault {
  None,
  Tab,             // would split the column
  LineBreak,       // would split the line
  Dash,            // exactly "-": reads back as empty
  EdgeBlank,       // blanks or control characters at either end are trimmed away
  Unrepresentable, // a character the file's or the program's code page lacks
};
FeedTextFault feedTextFault(QStringView text);

}  // namespace catalogue
