#include "loopbackstream.h"

#include <QTcpSocket>
#include <QTimer>
#include <cmath>

namespace testsupport {
namespace {

constexpr int kTickMs = 50;
constexpr qsizetype kBurstBytes = 16 * 1024;

QByteArray response(const QByteArray& type, const QByteArray& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

LoopbackStream::LoopbackStream(QByteArray ogg, double seconds)
    : pacer_(new QTimer(this)),
      ogg_(std::move(ogg)),
      // A little ahead of the stream's own rate, as a server's send buffer would be.
      bytesPerTick_(qMax<qsizetype>(1, qsizetype(std::ceil(ogg_.size() / seconds * kTickMs / 1000 * 1.25)))) {
  connect(&server_, &QTcpServer::newConnection, this, &LoopbackStream::accept);
  connect(pacer_, &QTimer::timeout, this, &LoopbackStream::pace);
  pacer_->start(kTickMs);
}

bool LoopbackStream::listen() { return server_.listen(QHostAddress::LocalHost); }

QString LoopbackStream::url(const QString& path) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void LoopbackStream::accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
  }
}

void LoopbackStream::answer(QTcpSocket* socket) {
  if (!socket->property("request").isNull()) return;
  QByteArray request = socket->property("partial").toByteArray() + socket->readAll();
  if (!request.contains("\r\n\r\n")) {
    socket->setProperty("partial", request);
    return;
  }
  socket->setProperty("request", request);
  const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
  const QByteArray path = words.value(1);
  if (path == "/stream.ogg") {
    socket->write("HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\nicy-name: Ton testowy\r\n\r\n");
    socket->write(ogg_.left(kBurstBytes));
    listeners_.append({socket, qMin(kBurstBytes, ogg_.size())});
    Q_EMIT listenersChanged(listeners());
    return;
  }
  const QByteArray stream = url(QStringLiteral("/stream.ogg")).toLatin1();
  if (path == "/stream.pls")
    socket->write(response("audio/x-scpls",
                           "[playlist]\nNumberOfEntries=1\nFile1=" + stream + "\nTitle1=Ton\nLength1=-1\nVersion=2\n"));
  else if (path == "/stream.m3u")
    socket->write(response("audio/x-mpegurl", "#EXTM3U\n#EXTINF:-1,Ton\n" + stream + "\n"));
  else
    socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  socket->disconnectFromHost();
}

void LoopbackStream::pace() {
  for (Listener& listener : listeners_) {
    if (listener.sent >= ogg_.size()) continue;
    const QByteArray chunk = ogg_.mid(listener.sent, bytesPerTick_);
    listener.socket->write(chunk);
    listener.sent += chunk.size();
  }
}

void LoopbackStream::drop(QTcpSocket* socket) {
  const qsizetype before = listeners_.size();
  listeners_.removeIf([socket](const Listener& listener) { return listener.socket == socket; });
  socket->deleteLater();
  if (listeners_.size() != before) Q_EMIT listenersChanged(listeners());
}

}  // namespace testsupport
