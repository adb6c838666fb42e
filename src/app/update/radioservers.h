#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

namespace app {

// Name lookups on the network: a name's addresses, and an address's host name. Answers come back
// on the caller's thread, once each, unless `context` is gone by then.
class HostLookup {
 public:
  virtual ~HostLookup() = default;
  virtual void addresses(const QString& name, QObject* context,
                         std::function<void(const QList<QHostAddress>&)> answer) = 0;
  // An address without a name of its own is answered with an empty name.
  virtual void hostName(const QHostAddress& address, QObject* context, std::function<void(const QString&)> answer) = 0;
};

// The system's resolver, asked without blocking.
class SystemHostLookup final : public HostLookup {
 public:
  void addresses(const QString& name, QObject* context, std::function<void(const QList<QHostAddress>&)> answer) override;
  void hostName(const QHostAddress& address, QObject* context, std::function<void(const QString&)> answer) override;
};

// Finds the radio directory's servers the way its documentation asks: every address behind its
// round-robin name, each turned back into the server's host name (the name its certificate
// carries), the names in random order so that the load spreads. Only names within the directory's
// own domain count. `finished` comes once, with no name when none could be found.
class RadioServerSearch final : public QObject {
  Q_OBJECT
 public:
  RadioServerSearch(std::shared_ptr<HostLookup> lookup, QString roundRobinName, QObject* parent = nullptr);
  void start();

 Q_SIGNALS:
  void finished(const QStringList& hostNames);

 private:
  void addressesFound(const QList<QHostAddress>& addresses);
  void nameFound(const QString& name);
  bool isDirectoryServer(const QString& name) const;

  std::shared_ptr<HostLookup> lookup_;
  QString roundRobinName_;
  qsizetype waitingFor_ = 0;
  QStringList names_;
};

}  // namespace app
