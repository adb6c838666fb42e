#include "testserver.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace updatetest {

TestServer::TestServer() {
  server_.listen(QHostAddress::LocalHost);
  connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) serve(socket);
  });
}

QString TestServer::base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

void TestServer::serve(QTcpSocket* socket) {
  ++open_;
  connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
    --open_;
    socket->deleteLater();
  });
  connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
    if (socket->property("answered").toBool()) {
      socket->readAll();
      return;
    }
    const QByteArray head = socket->peek(socket->bytesAvailable());
    if (head.startsWith('\x16')) {  // a TLS ClientHello
      socket->setProperty("answered", true);
      socket->write("HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n");
      socket->disconnectFromHost();
      return;
    }
    if (!head.contains("\r\n\r\n")) return;
    socket->setProperty("answered", true);
    const QList<QByteArray> lines = socket->readAll().split('\n');
    QByteArray target = lines.value(0).trimmed().split(' ').value(1);
    QByteArray host;
    if (target.startsWith("http://")) {  // asked as a proxy
      const qsizetype slash = target.indexOf('/', 7);
      host = target.mid(7, slash < 0 ? -1 : slash - 7);
      target = slash < 0 ? QByteArray("/") : target.mid(slash);
    }
    paths << target;
    hosts << host;
    for (const QByteArray& line : lines)
      if (line.toLower().startsWith("user-agent:")) userAgents << line.mid(11).trimmed();
    answer(socket, host, target);
  });
}

void TestServer::answer(QTcpSocket* socket, const QByteArray& host, const QByteArray& target) {
  const QByteArray path = target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
  auto found = routes_.constFind(host + path);
  if (found == routes_.constEnd()) found = routes_.constFind(path);
  const Route route = found != routes_.constEnd() ? found.value() : Route{404, QByteArrayLiteral("not found")};
  QPointer<QTcpSocket> guarded(socket);
  QTimer::singleShot(route.delayMs, this, [guarded, route] {
    if (!guarded) return;
    const qint64 length = route.announcedLength == -1 ? route.body.size() : route.announcedLength;
    QByteArray response = "HTTP/1.1 " + QByteArray::number(route.status) + " Status\r\nContent-Type: " + route.contentType + "\r\n";
    if (length >= 0) response += "Content-Length: " + QByteArray::number(length) + "\r\n";
    response += route.keepOpen ? QByteArray() : QByteArray("Connection: close\r\n");
    response += "\r\n" + route.body;
    guarded->write(response);
    if (!route.keepOpen) guarded->disconnectFromHost();
  });
}

}  // namespace updatetest

#include "moc_testserver.cpp"
