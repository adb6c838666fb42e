#include "mprisplayer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QWidget>

#include "platform/sessionbus.h"
#include "playback/mediaplayer.h"
#include "playback/mprisadaptors.h"

namespace playback {

QString mprisPlaybackStatus(PlayerStatus status) {
  switch (status) {
    case PlayerStatus::Connecting:
    case PlayerStatus::Buffering:
    case PlayerStatus::Playing:
      return QStringLiteral("Playing");
    case PlayerStatus::Paused:
      return QStringLiteral("Paused");
    case PlayerStatus::Stopped:
    case PlayerStatus::Failed:
      break;
  }
  return QStringLiteral("Stopped");
}

MprisPlayer::MprisPlayer(QWidget& window, MediaPlayer& player) : QObject(&window), window_(window), player_(player) {
  new MprisRootAdaptor(this);
  new MprisPlayerAdaptor(this);
  connect(&player_, &MediaPlayer::StatusChange, this, [this](PlayerStatus status) {
    propertiesChanged("org.mpris.MediaPlayer2.Player", {{QStringLiteral("PlaybackStatus"), mprisPlaybackStatus(status)}});
  });
  connect(&player_, &MediaPlayer::nowPlayingChanged, this, [this] {
    propertiesChanged("org.mpris.MediaPlayer2.Player", {{QStringLiteral("Metadata"), metadata()}});
  });
  connect(&player_, &MediaPlayer::volumeChanged, this, [this](double volume) {
    propertiesChanged("org.mpris.MediaPlayer2.Player", {{QStringLiteral("Volume"), volume / 100}});
  });
}

MprisPlayer::~MprisPlayer() {
  if (connectionName_.isEmpty()) return;
  QDBusConnection(connectionName_).unregisterObject(QString::fromLatin1(kObjectPath));
  // Closing the connection gives up its name: desktop widgets see the player go.
  QDBusConnection::disconnectFromBus(connectionName_);
}

bool MprisPlayer::publish() {
  if (!connectionName_.isEmpty()) return !busName_.isEmpty();
  if (!platform::sessionBusAnnounced()) return false;
  connectionName_ = QStringLiteral("sieciownik-player-%1").arg(quintptr(this), 0, 16);
  QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_);
  // The connection's own unique name (":1.42") makes the player's name unique on the bus.
  const QString unique = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
  const QString name = QStringLiteral("org.mpris.MediaPlayer2.sieciownik.instance%1_%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(unique);
  if (!bus.isConnected() || !bus.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAdaptors) ||
      !bus.registerService(name))
    return false;
  busName_ = name;
  return true;
}

QVariantMap MprisPlayer::metadata() const {
  const QString station = player_.stationName();
  const QString title = player_.nowPlaying();
  QVariantMap map{
      {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/pl/tarnowek/sieciownik/stream")))},
      {QStringLiteral("xesam:title"), title.isEmpty() ? station : title},
      {QStringLiteral("xesam:url"), player_.URL()},
  };
  if (!station.isEmpty()) map.insert(QStringLiteral("xesam:album"), station);
  // Desktop widgets show the artist under the title: there the station is named.
  if (!station.isEmpty() && !title.isEmpty()) map.insert(QStringLiteral("xesam:artist"), QStringList{station});
  return map;
}

void MprisPlayer::propertiesChanged(const char* interface, const QVariantMap& changed) {
  if (busName_.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(interface) << changed << QStringList();
  QDBusConnection(connectionName_).send(signal);
}

}  // namespace playback

#include "moc_mprisplayer.cpp"
