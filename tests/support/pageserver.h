#pragma once

#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace testsupport {

// Serves two pages on 127.0.0.1 and notes every address asked for.
class PageServer : public QObject {
 public:
  PageServer() {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
    server_.listen(QHostAddress::LocalHost);
  }
  bool listening() const { return server_.isListening(); }
  QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(server_.serverPort()).arg(path); }
  bool served(const QString& path) const { return requested_.contains(QLatin1Char('/') + path); }

 private:
  void answer(QTcpSocket* socket) {
    const QByteArray request = socket->readAll();
    const QString path = QString::fromLatin1(request).section(QLatin1Char(' '), 1, 1);
    requested_ << path;
    QByteArray body;
    QByteArray status = "200 OK";
    if (path.startsWith(QLatin1String("/page.html")))
      body = "<!DOCTYPE html><html><head><title>Strona testowa</title></head><body>Sieciownik</body></html>";
    else if (path.startsWith(QLatin1String("/close.html")))  // a window opened this way may close itself
      body = "<!DOCTYPE html><html><head><title>Zamykana</title></head><body><script>"
             "setTimeout(function () { window.close(); }, 300);</script></body></html>";
    else
      status = "404 Not Found";
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: max-age=3600\r\n"
                  "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
  }
  QTcpServer server_;
  QStringList requested_;
};

}  // namespace testsupport
