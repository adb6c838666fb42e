#include "mprisadaptors.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QTimer>
#include <QWidget>

#include "playback/mediaplayer.h"
#include "playback/mprisplayer.h"
#include "playback/playererror.h"

namespace playback {

MprisRootAdaptor::MprisRootAdaptor(MprisPlayer* player) : QDBusAbstractAdaptor(player), player_(player) {}

QString MprisRootAdaptor::identity() const { return QStringLiteral("Sieciownik"); }

QString MprisRootAdaptor::desktopEntry() const { return QStringLiteral("pl.tarnowek.sieciownik"); }

void MprisRootAdaptor::Raise() {
  QWidget& window = player_->window();
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
}

void MprisRootAdaptor::Quit() {
  // After the reply has gone out: closing the window takes its bus connection with it.
  QTimer::singleShot(0, &player_->window(), &QWidget::close);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisPlayer* player) : QDBusAbstractAdaptor(player), player_(player) {}

QString MprisPlayerAdaptor::playbackStatus() const { return mprisPlaybackStatus(player_->player().status()); }

QVariantMap MprisPlayerAdaptor::metadata() const { return player_->metadata(); }

double MprisPlayerAdaptor::volume() const { return player_->player().volume() / 100; }

void MprisPlayerAdaptor::setVolume(double volume) { player_->player().setVolume(volume * 100); }

qlonglong MprisPlayerAdaptor::position() const { return qlonglong(player_->player().position() * 1e6); }

void MprisPlayerAdaptor::Play() {
  MediaPlayer& player = player_->player();
  switch (player.status()) {
    case PlayerStatus::Paused:
      player.setPaused(false);
      return;
    case PlayerStatus::Stopped:
    case PlayerStatus::Failed:
      // Opens the station again: a live stream starts anew.
      try {
        player.play();
      } catch (const PlayerError& error) {
        sendErrorReply(QDBusError::Failed, error.text());
      }
      return;
    case PlayerStatus::Connecting:
    case PlayerStatus::Buffering:
    case PlayerStatus::Playing:
      return;
  }
}

void MprisPlayerAdaptor::Pause() {
  MediaPlayer& player = player_->player();
  if (player.status() != PlayerStatus::Stopped && player.status() != PlayerStatus::Failed) player.setPaused(true);
}

void MprisPlayerAdaptor::PlayPause() {
  if (playbackStatus() == QLatin1String("Playing")) Pause();
  else Play();
}

void MprisPlayerAdaptor::Stop() { player_->player().stop(); }

}  // namespace playback

#include "moc_mprisadaptors.cpp"
