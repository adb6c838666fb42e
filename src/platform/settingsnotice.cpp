#include "settingsnotice.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace platform {

void sendPolicyNotice() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage notice = QDBusMessage::createSignal(QStringLiteral("/org/sieciownik/Settings"),
                                                   QStringLiteral("org.sieciownik.Settings"),
                                                   QStringLiteral("SettingChange"));
  notice << QStringLiteral("Policy");
  if (!bus.send(notice)) return;
  // The bus handles one connection's messages in order: once it answers this call it has passed
  // the signal on to everyone listening.
  bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
           QDBus::Block, 5000);
}

}  // namespace platform
