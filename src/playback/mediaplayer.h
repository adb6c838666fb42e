#pragma once

#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>
#include <QString>
#include <memory>
#include <optional>

#include "playback/streamnotes.h"

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;
struct mpv_event_property;

namespace playback {

enum class PlayerStatus { Stopped, Connecting, Buffering, Playing, Paused, Failed };

// The embedded media player: libmpv drawing into this widget, with mpv's own on-screen
// controller as the control bar. Mouse input goes to that controller. Status changes arrive
// from mpv's threads and are handled on the GUI thread.
//
// Stations whose address is a web page play through mpv's page resolver (yt-dlp); a network
// stream that breaks off is reconnected by mpv's network layer. Over the picture the widget shows
// what mpv's own bar does not: for a sound-only stream the station's name and the title now
// playing, and for any stream a notice while it reconnects or why it stopped.
//
// mpv draws in a GL context of its own, made with the player, into a picture that the widget
// shows. The stream may open before the window is first shown, and mpv needs its drawing side
// from that moment on; the widget's own context only exists once the window is on screen.
class MediaPlayer final : public QOpenGLWidget {
  Q_OBJECT
 public:
  explicit MediaPlayer(QWidget* parent = nullptr);
  ~MediaPlayer() override;

  // Creates the player with the window's fixed settings and its drawing side. Throws PlayerError.
  void createPlayer();

  void setURL(const QString& url) { url_ = url; }
  const QString& URL() const { return url_; }
  void setStationName(const QString& name);
  const QString& stationName() const { return stationName_; }
  // Starts the stream at URL() and returns at once. Throws PlayerError when the player refuses
  // the command; a stream that cannot be opened later shows as Failed instead.
  void play();
  // Pauses or resumes the stream that is open.
  void setPaused(bool paused);
  // Ends the stream; play() opens it again.
  void stop();
  // Seconds of the stream played so far.
  double position() const;
  // 0 to 100.
  double volume() const { return volume_; }
  void setVolume(double volume);

  PlayerStatus status() const { return status_; }
  // What the stream says it plays now; empty when it says nothing.
  const QString& nowPlaying() const { return notes_.title(); }
  // What the screen says about the connection: reconnecting, or why the stream stopped.
  const QString& notice() const { return notes_.notice(); }
  bool hasVideo() const { return hasVideo_; }
  // Draws the current picture again at the widget's size.
  void fitVideo();

 Q_SIGNALS:
  void StatusChange(playback::PlayerStatus status);
  // The station's name, the title now playing or the notice changed.
  void nowPlayingChanged();
  void volumeChanged(double volume);

 protected:
  void initializeGL() override;
  void paintGL() override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // What mpv has told us about the stream so far.
  enum class Phase { Idle, Opening, Open, Ended, Failed };

  void setOption(const char* name, const char* value);
  void createRenderer();
  void processEvents();
  void handleEvent(const mpv_event& event);
  void propertyChanged(const mpv_event_property& property);
  void fileEnded(int error);
  void notesChanged();
  double bufferedUntil() const;
  void updateStatus();
  void frameReady();
  void sendInput(std::initializer_list<QByteArray> arguments);

  mpv_handle* mpv_ = nullptr;
  std::unique_ptr<QOffscreenSurface> surface_;
  std::unique_ptr<QOpenGLContext> renderContext_;
  mpv_render_context* render_ = nullptr;
  std::unique_ptr<QOpenGLFramebufferObject> picture_;
  QOpenGLTextureBlitter blitter_;
  QString url_;
  QString stationName_;
  StreamNotes notes_;
  Phase phase_ = Phase::Idle;
  bool coreIdle_ = true;
  bool paused_ = false;
  bool eofReached_ = false;
  bool hasVideo_ = false;
  std::optional<int> pendingEnd_;  // how the stream ended, once the log lines about it are read
  double volume_ = 50;
  PlayerStatus status_ = PlayerStatus::Stopped;
};

}  // namespace playback
