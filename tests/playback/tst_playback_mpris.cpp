// Player windows as MPRIS 2 media players, seen by a D-Bus client on a private session bus
// (dbus-run-session) while they play a radio stream served on 127.0.0.1 under Xvfb.
#include <QtTest>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcess>
#include <memory>

#include "playback/mediaplayer.h"
#include "playback/mprisplayer.h"
#include "playback/playersetup.h"
#include "playback/tform5.h"
#include "support/sandbox.h"
#include "loopbackstream.h"

using playback::PlayerStatus;
using playback::TForm5;

namespace {

constexpr int kPlayTimeoutMs = 20000;
constexpr double kToneSeconds = 60;
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// The desktop's side: a connection of its own to the session bus.
QDBusConnection client() { return QDBusConnection::sessionBus(); }

QStringList mprisPlayers() {
  const QStringList names = client().interface()->registeredServiceNames().value();
  return names.filter(QRegularExpression(QStringLiteral("^org\\.mpris\\.MediaPlayer2\\.")));
}

// Calls and waits for the answer while the players, in this same process, go on handling events.
QDBusMessage callPlayer(const QString& service, const QString& interface, const QString& method,
                        const QVariantList& arguments = {}) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, QString::fromLatin1(playback::MprisPlayer::kObjectPath),
                                                     interface, method);
  call.setArguments(arguments);
  QDBusPendingCall pending = client().asyncCall(call, 5000);
  QDeadlineTimer deadline(6000);
  while (!pending.isFinished() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return pending.reply();
}

QVariant busProperty(const QString& service, const QString& interface, const QString& name) {
  const QDBusMessage reply =
      callPlayer(service, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
  if (reply.type() != QDBusMessage::ReplyMessage) return {};
  const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
  if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
  return value;
}

QString status(const QString& service) { return busProperty(service, kPlayer, QStringLiteral("PlaybackStatus")).toString(); }

QVariantMap metadata(const QString& service) { return busProperty(service, kPlayer, QStringLiteral("Metadata")).toMap(); }

}  // namespace

class MprisTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<testsupport::Sandbox> sandbox_;
  std::unique_ptr<testsupport::LoopbackStream> stream_;
  QVariantList* received_ = nullptr;

  // Opens a window and waits until it is on the bus; returns its bus name.
  QString openPlayer(const QString& station, TForm5** opened = nullptr) {
    TForm5* window = playback::OpenPlayerWindow(stream_->url(QStringLiteral("/stream.ogg")), station);
    connect(this, &MprisTest::cleaningUp, window, &QObject::deleteLater);
    if (opened) *opened = window;
    QDeadlineTimer deadline(5000);
    while (window->mpris()->busName().isEmpty() && !deadline.hasExpired()) QTest::qWait(20);
    const QString name = window->mpris()->busName();
    while (!name.isEmpty() && !mprisPlayers().contains(name) && !deadline.hasExpired()) QTest::qWait(20);
    return name;
  }

 Q_SIGNALS:
  void cleaningUp();

 public Q_SLOTS:
  // What the client hears of the players' changes, while a test listens.
  void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (!received_ || interface != kPlayer) return;
    for (auto it = changed.begin(); it != changed.end(); ++it)
      *received_ << (it.key() == QLatin1String("PlaybackStatus") ? it.key() + QLatin1Char('=') + it.value().toString()
                                                                   : it.key());
  }


 private Q_SLOTS:
  void initTestCase() {
    if (!client().isConnected()) QSKIP("No session bus: these tests run under dbus-run-session.");
    sandbox_ = std::make_unique<testsupport::Sandbox>();
    // No sound card here: mpv's silent output plays in real time, as a sound card would.
    qputenv("SIECIOWNIK_AUDIO_OUTPUT", "null");
    qputenv("PATH", QByteArray(PLAYBACK_STANDINS ":") + qgetenv("PATH"));

    const QString tone = sandbox_->filePath(QStringLiteral("tone.ogg"));
    QProcess sox;
    sox.start(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("22050"),
                                      QStringLiteral("-c"), QStringLiteral("1"), tone, QStringLiteral("synth"),
                                      QString::number(kToneSeconds), QStringLiteral("sine"), QStringLiteral("440")});
    QVERIFY2(sox.waitForFinished(30000) && sox.exitCode() == 0, sox.readAllStandardError().constData());
    QFile file(tone);
    QVERIFY(file.open(QIODevice::ReadOnly));
    stream_ = std::make_unique<testsupport::LoopbackStream>(file.readAll(), kToneSeconds);
    QVERIFY(stream_->listen());
  }

  void cleanup() {
    Q_EMIT cleaningUp();
    QTRY_VERIFY(mprisPlayers().isEmpty());
    QTRY_COMPARE(stream_->listeners(), 0);
    stream_->setIcyTitle({});
  }

  void clientSeesThePlayerWithItsTitleAndControlsIt() {
    stream_->setIcyTitle("Wykonawca – Utwór");
    TForm5* window = nullptr;
    const QString name = openPlayer(QStringLiteral("Radio Testowe"), &window);
    QVERIFY2(name.startsWith(QStringLiteral("org.mpris.MediaPlayer2.sieciownik.instance")), qPrintable(name));
    QCOMPARE(busProperty(name, kRoot, QStringLiteral("Identity")).toString(), QStringLiteral("Sieciownik"));
    QCOMPARE(busProperty(name, kRoot, QStringLiteral("CanQuit")).toBool(), true);
    QCOMPARE(busProperty(name, kPlayer, QStringLiteral("CanPause")).toBool(), true);

    // The desktop learns of changes from the signal, not by asking.
    QVariantList changes;
    QVERIFY(client().connect(name, QString::fromLatin1(playback::MprisPlayer::kObjectPath),
                             QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                             this, SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    received_ = &changes;

    QTRY_COMPARE_WITH_TIMEOUT(status(name), QStringLiteral("Playing"), kPlayTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(metadata(name).value(QStringLiteral("xesam:title")).toString(),
                              QStringLiteral("Wykonawca – Utwór"), kPlayTimeoutMs);
    const QVariantMap shown = metadata(name);
    QCOMPARE(shown.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Radio Testowe"));
    QCOMPARE(shown.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{"Radio Testowe"});
    QCOMPARE(shown.value(QStringLiteral("xesam:url")).toString(), stream_->url(QStringLiteral("/stream.ogg")));
    QVERIFY(shown.contains(QStringLiteral("mpris:trackid")));
    QTRY_VERIFY(changes.contains(QStringLiteral("Metadata")));

    QCOMPARE(callPlayer(name, kPlayer, QStringLiteral("Pause")).type(), QDBusMessage::ReplyMessage);
    QTRY_COMPARE(status(name), QStringLiteral("Paused"));
    QCOMPARE(window->player()->status(), PlayerStatus::Paused);
    QTRY_VERIFY(changes.contains(QStringLiteral("PlaybackStatus=Paused")));
    callPlayer(name, kPlayer, QStringLiteral("PlayPause"));
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QCOMPARE(status(name), QStringLiteral("Playing"));

    QCOMPARE(busProperty(name, kPlayer, QStringLiteral("Volume")).toDouble(), 0.5);
    QCOMPARE(callPlayer(name, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                        {kPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.25))})
                 .type(),
             QDBusMessage::ReplyMessage);
    QTRY_COMPARE(window->player()->volume(), 25.0);
    QCOMPARE(busProperty(name, kPlayer, QStringLiteral("Volume")).toDouble(), 0.25);

    // Closing the window takes the player off the bus; the stream ends with it.
    window->close();
    QTRY_VERIFY(!mprisPlayers().contains(name));
    QTRY_COMPARE(stream_->listeners(), 0);
    received_ = nullptr;
  }

  void stopEndsTheStreamAndPlayOpensItAgain() {
    TForm5* window = nullptr;
    const QString name = openPlayer(QStringLiteral("Radio Testowe"), &window);
    QTRY_COMPARE_WITH_TIMEOUT(status(name), QStringLiteral("Playing"), kPlayTimeoutMs);
    QCOMPARE(stream_->listeners(), 1);
    // Stopped while paused: Play afterwards still plays.
    callPlayer(name, kPlayer, QStringLiteral("Pause"));
    QTRY_COMPARE(status(name), QStringLiteral("Paused"));
    callPlayer(name, kPlayer, QStringLiteral("Stop"));
    QTRY_COMPARE(status(name), QStringLiteral("Stopped"));
    QTRY_COMPARE(stream_->listeners(), 0);
    QVERIFY(window->isVisible());
    callPlayer(name, kPlayer, QStringLiteral("Play"));
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QCOMPARE(stream_->listeners(), 1);
    window->close();
  }

  void severalWindowsAreSeveralPlayersAndQuitClosesOnlyItsOwn() {
    TForm5* first = nullptr;
    TForm5* second = nullptr;
    const QString firstName = openPlayer(QStringLiteral("Pierwsze"), &first);
    const QString secondName = openPlayer(QStringLiteral("Drugie"), &second);
    QVERIFY(!firstName.isEmpty() && !secondName.isEmpty() && firstName != secondName);
    QCOMPARE(mprisPlayers().size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(metadata(firstName).value(QStringLiteral("xesam:title")).toString(),
                              QStringLiteral("Pierwsze"), kPlayTimeoutMs);
    QCOMPARE(metadata(secondName).value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Drugie"));

    second->showMinimized();
    QTRY_VERIFY(second->isMinimized());
    callPlayer(secondName, kRoot, QStringLiteral("Raise"));
    QTRY_VERIFY(!second->isMinimized());

    QPointer<TForm5> quitting(first);
    QCOMPARE(callPlayer(firstName, kRoot, QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(quitting.isNull());
    QTRY_COMPARE(mprisPlayers(), QStringList{secondName});
    QVERIFY(second->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(status(secondName), QStringLiteral("Playing"), kPlayTimeoutMs);
    second->close();
  }

};

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  playback::formatNumbersForPlayers();
  MprisTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_playback_mpris.moc"
