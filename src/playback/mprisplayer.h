#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

class QWidget;

namespace playback {

class MediaPlayer;
enum class PlayerStatus;

// MPRIS 2 "PlaybackStatus" for the player's status: a stream being opened or buffered counts as
// playing, one that failed as stopped.
QString mprisPlaybackStatus(PlayerStatus status);

// A player window on the session bus as an MPRIS 2 media player, for the desktop's media keys,
// lock screen and media widgets. Each window has a connection of its own, and with it a bus name
// of its own, so several windows are several players; the name goes with the window.
class MprisPlayer final : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

  MprisPlayer(QWidget& window, MediaPlayer& player);
  ~MprisPlayer() override;

  // Joins the session bus under a name of this window's own; false, and nothing published, when
  // the desktop has no session bus.
  bool publish();
  // "org.mpris.MediaPlayer2.sieciownik.instance…", once published.
  const QString& busName() const { return busName_; }

  QWidget& window() const { return window_; }
  MediaPlayer& player() const { return player_; }
  QVariantMap metadata() const;

 private:
  void propertiesChanged(const char* interface, const QVariantMap& changed);

  QWidget& window_;
  MediaPlayer& player_;
  QString connectionName_;
  QString busName_;
};

}  // namespace playback
