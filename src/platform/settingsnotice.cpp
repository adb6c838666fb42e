#include "settingsnotice.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/sessionbus.h"

namespace platform {

void sendPolicyNotice() {
  if (!sessionBusAnnounced()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage notice = QDBusMessage::createSignal(QStringLiteral("/org/sieciownik/Settings"),
                                                   QStringLiteral("org.sieciownik.Settings"),
                                                   QStringLiteral("SettingChange"));
  notice << QStringLiteral("Policy");
  // Queued: the bus passes the signal on by itself, and the window never waits for it.
  bus.send(notice);
}

}  // namespace platform
