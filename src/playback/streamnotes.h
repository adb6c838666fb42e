#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <utility>

namespace playback {

// A stream's tags as mpv hands them on: key and raw value.
using StreamTags = QList<std::pair<QByteArray, QByteArray>>;

// What a radio stream says it plays now: the ICY "StreamTitle", else the artist and title tags of an
// Ogg stream ("Artist – Title"). Empty when the stream says nothing.
QString currentTitle(const StreamTags& tags);

// Text of a tag: UTF-8 when the bytes are valid UTF-8, otherwise the Central European Windows code
// page that many Polish stations still send their titles in.
QString tagText(QByteArrayView bytes);

// What the player window says on its own screen beside mpv's control bar: the title now playing
// and a notice about the connection (reconnecting, given up, cannot play). Fed by the player with
// mpv's log lines, the stream's tags, how far the stream is buffered, and how it ended. Each feed
// returns true when title() or notice() changed.
class StreamNotes {
 public:
  // A new stream is being opened: nothing of the last one is kept.
  bool opening();
  // One line of mpv's log; `buffered` is how far the stream is buffered at this moment.
  bool logLine(QByteArrayView prefix, QByteArrayView text, double buffered);
  bool tags(const StreamTags& tags);
  // The stream is now buffered up to this stream time.
  bool buffered(double seconds);
  // The stream ended with mpv's error code (0: it came to its end). Returns failed().
  bool ended(int error);

  const QString& title() const { return title_; }
  const QString& notice() const { return notice_; }
  // The stream stopped against the user's wish: it could not be opened, or it broke off and could
  // not be resumed.
  bool failed() const { return failed_; }
  bool reconnecting() const { return attempts_ > 0; }

 private:
  bool setNotice(const QString& notice);

  enum class Resolver { NotAsked, Missing, Failed };
  QString title_;
  QString notice_;
  Resolver resolver_ = Resolver::NotAsked;
  int attempts_ = 0;            // reconnects tried since the connection broke; 0 while it holds
  double bufferedAtBreak_ = 0;  // how far the stream was buffered when it last broke
  bool failed_ = false;
};

}  // namespace playback
