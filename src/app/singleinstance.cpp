#include "singleinstance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QRegularExpression>
#include <QWidget>

#include "platform/sessionbus.h"

namespace app {
namespace {

const QString kObjectPath = QStringLiteral("/pl/tarnowek/sieciownik");
const QString kInterface = QStringLiteral("org.freedesktop.Application");
// How long a later start waits for the running one, which may still be building its window.
constexpr int kAnswerMs = 15000;

// What the desktop gave this start to let the window it shows take the focus.
QVariantMap activationData() {
  QVariantMap data;
  if (const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
    data.insert(QStringLiteral("activation-token"), token);
  if (const QString id = qEnvironmentVariable("DESKTOP_STARTUP_ID"); !id.isEmpty())
    data.insert(QStringLiteral("desktop-startup-id"), id);
  return data;
}

}  // namespace

QString instanceBusName() {
  QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY").section(QLatin1Char('.'), 0, 0);
  QString name = QStringLiteral("pl.tarnowek.sieciownik");
  if (!display.isEmpty())
    name += QStringLiteral(".display_") +
            display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_]")), QStringLiteral("_"));
  return name;
}

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

bool SingleInstance::claim() {
  if (!platform::sessionBusAnnounced()) return true;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return true;
  // The object first: a later start that finds the name may call it at once.
  bus.registerObject(kObjectPath, this, QDBusConnection::ExportAllSlots);
  if (bus.registerService(instanceBusName())) return true;
  QDBusMessage activate =
      QDBusMessage::createMethodCall(instanceBusName(), kObjectPath, kInterface, QStringLiteral("Activate"));
  activate << activationData();
  const QDBusMessage reply = bus.call(activate, QDBus::Block, kAnswerMs);
  bus.unregisterObject(kObjectPath);
  return reply.type() != QDBusMessage::ReplyMessage;
}

void SingleInstance::Activate(const QVariantMap& platformData) {
  // Qt hands the token to the compositor when the window next asks for the focus.
  const QString token = platformData.value(QStringLiteral("activation-token")).toString();
  if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
  Q_EMIT activationRequested();
}

void raiseOnActivation(SingleInstance& instance, QWidget* window) {
  QObject::connect(&instance, &SingleInstance::activationRequested, window, [window] {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
  });
}

}  // namespace app

#include "moc_singleinstance.cpp"
