#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

namespace testsupport {

// A small internet-radio server on 127.0.0.1: "/stream.ogg" sends an Ogg file the way a radio
// server does (a burst, then at the file's own bit rate, with no length given), "/stream.pls"
// and "/stream.m3u" are playlists that point at it. It counts the listeners still connected.
class LoopbackStream final : public QObject {
  Q_OBJECT
 public:
  LoopbackStream(QByteArray ogg, double seconds);
  bool listen();
  QString url(const QString& path) const;
  int listeners() const { return listeners_.size(); }

 Q_SIGNALS:
  void listenersChanged(int count);

 private:
  struct Listener {
    QTcpSocket* socket;
    qsizetype sent;
  };
  void accept();
  void answer(QTcpSocket* socket);
  void pace();
  void drop(QTcpSocket* socket);

  QTcpServer server_;
  QTimer* pacer_;
  QByteArray ogg_;
  qsizetype bytesPerTick_;
  QList<Listener> listeners_;
};

}  // namespace testsupport
