#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>

namespace updatetest {

// What the server answers on one path.
struct Route {
  int status = 200;
  QByteArray body;
  int delayMs = 0;              // wait this long before answering
  qint64 announcedLength = -1;  // the Content-Length sent; -1: the body's size; -2: none (close ends it)
  bool keepOpen = false;        // after the body, leave the connection open without a word
  QByteArray contentType = "application/json";
};

// A small HTTP/1.1 server on 127.0.0.1 for the update's tests: answers GET requests from its
// routes (404 for any other path) and remembers what it was asked. A TLS greeting is answered
// in plain text, so that a client that expects TLS fails the handshake. Set as the program's HTTP
// proxy, it answers for servers of any name ("http://name/path" requests), so that tests can
// reach named servers without asking any resolver.
class TestServer final : public QObject {
  Q_OBJECT
 public:
  TestServer();
  QString base() const;  // "http://127.0.0.1:<port>"
  quint16 port() const { return server_.serverPort(); }
  void route(const QByteArray& path, Route route) { routes_.insert(path, std::move(route)); }
  // For requests to the server of that name only (as a proxy).
  void route(const QByteArray& host, const QByteArray& path, Route route) {
    routes_.insert(host + path, std::move(route));
  }

  QList<QByteArray> paths;       // request paths, in order
  QList<QByteArray> hosts;       // the server names they were for (as a proxy), or empty
  QList<QByteArray> userAgents;  // their User-Agent headers
  int openConnections() const { return open_; }

 private:
  void serve(class QTcpSocket* socket);
  void answer(QTcpSocket* socket, const QByteArray& host, const QByteArray& target);

  QTcpServer server_;
  QHash<QByteArray, Route> routes_;
  int open_ = 0;
};

}  // namespace updatetest
