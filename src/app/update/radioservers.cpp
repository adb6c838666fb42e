#include "radioservers.h"

#include <QHostInfo>
#include <QRandomGenerator>
#include <algorithm>

namespace app {

void SystemHostLookup::addresses(const QString& name, QObject* context,
                                 std::function<void(const QList<QHostAddress>&)> answer) {
  QHostInfo::lookupHost(name, context, [answer = std::move(answer)](const QHostInfo& info) { answer(info.addresses()); });
}

void SystemHostLookup::hostName(const QHostAddress& address, QObject* context,
                                std::function<void(const QString&)> answer) {
  QHostInfo::lookupHost(address.toString(), context, [answer = std::move(answer)](const QHostInfo& info) {
    // Without a name of its own the address comes back as it was given.
    const QString name = info.error() == QHostInfo::NoError ? info.hostName() : QString();
    answer(QHostAddress(name).isNull() ? name : QString());
  });
}

RadioServerSearch::RadioServerSearch(std::shared_ptr<HostLookup> lookup, QString roundRobinName, QObject* parent)
    : QObject(parent), lookup_(std::move(lookup)), roundRobinName_(std::move(roundRobinName)) {}

void RadioServerSearch::start() {
  lookup_->addresses(roundRobinName_, this, [this](const QList<QHostAddress>& found) { addressesFound(found); });
}

void RadioServerSearch::addressesFound(const QList<QHostAddress>& addresses) {
  QList<QHostAddress> distinct;
  for (const QHostAddress& address : addresses)
    if (!address.isNull() && !distinct.contains(address)) distinct << address;
  if (distinct.isEmpty()) {
    Q_EMIT finished({});
    return;
  }
  waitingFor_ = distinct.size();
  for (const QHostAddress& address : std::as_const(distinct))
    lookup_->hostName(address, this, [this](const QString& name) { nameFound(name); });
}

bool RadioServerSearch::isDirectoryServer(const QString& name) const {
  // A reverse answer is the network's word: a forged one must not choose where the catalogues come
  // from. The directory's servers are named within its own domain, the round-robin name's parent.
  const QString domain = roundRobinName_.section(QLatin1Char('.'), 1);
  return !domain.isEmpty() && (name.compare(domain, Qt::CaseInsensitive) == 0 ||
                               name.endsWith(QLatin1Char('.') + domain, Qt::CaseInsensitive));
}

void RadioServerSearch::nameFound(const QString& name) {
  // A server answers on both its IPv4 and its IPv6 address under one name: try it once.
  if (isDirectoryServer(name) && !names_.contains(name, Qt::CaseInsensitive)) names_ << name.toLower();
  if (--waitingFor_ > 0) return;
  std::shuffle(names_.begin(), names_.end(), *QRandomGenerator::global());
  Q_EMIT finished(names_);
}

}  // namespace app

#include "moc_radioservers.cpp"
