#include "loopbackstream.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <cmath>

namespace testsupport {
namespace {

constexpr int kTickMs = 50;
constexpr qsizetype kBurstBytes = 16 * 1024;
constexpr qsizetype kIcyInterval = 2048;

QByteArray response(const QByteArray& type, const QByteArray& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

// One ICY title block: its length in 16-byte units, then the text padded with zeros. An empty
// block (one zero byte) says "no change".
QByteArray icyBlock(const QByteArray& title) {
  if (title.isNull()) return QByteArray(1, '\0');
  QByteArray text = "StreamTitle='" + title + "';";
  const qsizetype units = (text.size() + 15) / 16;
  text.append(QByteArray(units * 16 - text.size(), '\0'));
  return char(units) + text;
}

}  // namespace

LoopbackStream::LoopbackStream(QByteArray sound, double seconds, QByteArray contentType)
    : pacer_(new QTimer(this)),
      ogg_(std::move(sound)),
      contentType_(std::move(contentType)),
      // A little ahead of the stream's own rate, as a server's send buffer would be.
      bytesPerTick_(qMax<qsizetype>(1, qsizetype(std::ceil(ogg_.size() / seconds * kTickMs / 1000 * 1.25)))) {
  connect(&server_, &QTcpServer::newConnection, this, &LoopbackStream::accept);
  connect(pacer_, &QTimer::timeout, this, &LoopbackStream::pace);
  pacer_->start(kTickMs);
}

LoopbackStream::~LoopbackStream() {
  // The connections still open close with the server; by then there is no list to drop them from.
  for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>()) socket->disconnect(this);
}

bool LoopbackStream::listen() {
  if (server_.isListening()) return true;
  if (!server_.listen(QHostAddress::LocalHost, port_)) return false;
  port_ = server_.serverPort();
  return true;
}

QString LoopbackStream::url(const QString& path) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
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
    ++streamsServed_;
    const bool icy = !icyTitle_.isNull() && request.toLower().contains("\r\nicy-metadata: 1");
    socket->write("HTTP/1.0 200 OK\r\nContent-Type: " + contentType_ + "\r\nicy-name: Ton testowy\r\n");
    if (icy) socket->write("icy-metaint: " + QByteArray::number(kIcyInterval) + "\r\n");
    socket->write("\r\n");
    listeners_.append({socket, 0, icy, kIcyInterval, {}});
    send(listeners_.last(), kBurstBytes);
    Q_EMIT listenersChanged(listeners());
    if (cutAfterMs_ > 0)
      QTimer::singleShot(cutAfterMs_, socket, [socket = QPointer<QTcpSocket>(socket)] {
        if (socket) socket->disconnectFromHost();
      });
    return;
  }
  const QByteArray stream = url(QStringLiteral("/stream.ogg")).toLatin1();
  if (path == "/stream.pls")
    socket->write(response("audio/x-scpls",
                           "[playlist]\nNumberOfEntries=1\nFile1=" + stream + "\nTitle1=Ton\nLength1=-1\nVersion=2\n"));
  else if (path == "/stream.m3u")
    socket->write(response("audio/x-mpegurl", "#EXTM3U\n#EXTINF:-1,Ton\n" + stream + "\n"));
  else if (path.endsWith(".html"))
    socket->write(response("text/html; charset=utf-8",
                           "<!DOCTYPE html><html><head><title>Na żywo</title></head><body>"
                           "<div id=\"player\" data-config=\"/config.json\"></div></body></html>"));
  else
    socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  socket->disconnectFromHost();
}

void LoopbackStream::pace() {
  for (Listener& listener : listeners_)
    if (listener.socket->state() == QAbstractSocket::ConnectedState) send(listener, bytesPerTick_);
}

void LoopbackStream::send(Listener& listener, qsizetype bytes) {
  bytes = qMin(bytes, ogg_.size() - listener.sent);
  while (bytes > 0) {
    const qsizetype part = listener.icy ? qMin(bytes, listener.untilTitle) : bytes;
    listener.socket->write(ogg_.mid(listener.sent, part));
    listener.sent += part;
    bytes -= part;
    if (!listener.icy) continue;
    listener.untilTitle -= part;
    if (listener.untilTitle > 0) continue;
    const bool changed = listener.titleSent != icyTitle_;
    listener.socket->write(icyBlock(changed ? icyTitle_ : QByteArray()));
    listener.titleSent = icyTitle_;
    listener.untilTitle = kIcyInterval;
  }
}

void LoopbackStream::drop(QTcpSocket* socket) {
  const qsizetype before = listeners_.size();
  listeners_.removeIf([socket](const Listener& listener) { return listener.socket == socket; });
  socket->deleteLater();
  if (listeners_.size() != before) Q_EMIT listenersChanged(listeners());
}

}  // namespace testsupport

#include "moc_loopbackstream.cpp"
