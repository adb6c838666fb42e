#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

namespace testsupport {

// A small internet-radio server on 127.0.0.1: "/stream.ogg" sends a sound file (Ogg unless told
// otherwise) the way a radio server does (a burst, then at the file's own bit rate, with no length given), "/stream.pls"
// and "/stream.m3u" are playlists that point at it, and any "….html" is a broadcaster's web page
// with the stream somewhere inside. It counts the listeners still connected and the times the
// stream was asked for. Like a radio server it can send ICY titles, drop its listeners after a
// while, and stop taking connections.
class LoopbackStream final : public QObject {
  Q_OBJECT
 public:
  LoopbackStream(QByteArray sound, double seconds, QByteArray contentType = "application/ogg");
  ~LoopbackStream() override;
  // Listens again on the port of the last time, if there was one.
  bool listen();
  // Later connections are refused; listeners already connected stay.
  void stopListening() { server_.close(); }
  QString url(const QString& path) const;
  int listeners() const { return listeners_.size(); }
  int streamsServed() const { return streamsServed_; }

  // Every stream connection is closed this long after it began; 0: never.
  void setCutAfter(int ms) { cutAfterMs_ = ms; }
  // The "StreamTitle" for listeners that ask for ICY titles (icy-metaint); sent as it changes.
  // Without one the server sends no titles.
  void setIcyTitle(const QByteArray& title) { icyTitle_ = title; }

 Q_SIGNALS:
  void listenersChanged(int count);

 private:
  struct Listener {
    QTcpSocket* socket;
    qsizetype sent;          // bytes of the file sent so far
    bool icy;                // titles go between the sound
    qsizetype untilTitle;    // sound bytes until the next title block
    QByteArray titleSent;
  };
  void accept();
  void answer(QTcpSocket* socket);
  void pace();
  // The next `bytes` of the file, with the title blocks an ICY listener expects in between.
  void send(Listener& listener, qsizetype bytes);
  void drop(QTcpSocket* socket);

  QTcpServer server_;
  quint16 port_ = 0;
  QTimer* pacer_;
  QByteArray ogg_;
  QByteArray contentType_;
  qsizetype bytesPerTick_;
  QList<Listener> listeners_;
  int streamsServed_ = 0;
  int cutAfterMs_ = 0;
  QByteArray icyTitle_;
};

}  // namespace testsupport
