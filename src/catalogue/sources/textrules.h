#pragma once

#include <QString>
#include <QStringView>

namespace catalogue::sources {

// A name as the catalogue can keep it: one line without control characters or surplus blanks,
// made only of characters that both the program's and the file's code pages have. Accented
// letters the code pages lack lose their accents, Cyrillic and Greek are spelt out in Latin
// letters the Polish way, and whatever is left over is dropped. Empty when nothing readable stays
// (no letter or digit).
QString feedSafeName(QStringView text);

// A stream address the players can open: an absolute address with a host, over one of the
// network protocols, encoded as plain ASCII. Empty for anything else (a relative or local entry,
// a malformed address).
QString streamAddress(QStringView text);
// The same for a text that may already be the address, which is then given back as it is.
QString streamAddress(const QString& text);
bool isStreamAddress(QStringView text);

// A home page as the catalogue keeps it: a web address in plain ASCII without its leading
// "http://" (any other scheme stays, as the editor would leave it). Empty when the text is not a
// web address.
QString homePageText(QStringView text);

// A stand-in name for a station whose own name has nothing the catalogue can keep: the host of
// its home page or, failing that, of its stream, made safe as feedSafeName makes a name.
QString nameFromAddresses(QStringView homePage, QStringView stream);

}  // namespace catalogue::sources
