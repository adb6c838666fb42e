#pragma once

#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>
#include <QString>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;

namespace playback {

enum class PlayerStatus { Stopped, Connecting, Buffering, Playing, Paused, Failed };

// The embedded media player: libmpv drawing into this widget, with mpv's own on-screen
// controller as the control bar. Mouse input goes to that controller. Status changes arrive
// from mpv's threads and are handled on the GUI thread.
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
  // Starts the stream at URL() and returns at once. Throws PlayerError when the player refuses
  // the command; a stream that cannot be opened later shows as Failed instead.
  void play();

  PlayerStatus status() const { return status_; }
  // Draws the current picture again at the widget's size.
  void fitVideo();

 Q_SIGNALS:
  void StatusChange(playback::PlayerStatus status);

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
  void showFailure(int error);
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
  Phase phase_ = Phase::Idle;
  bool coreIdle_ = true;
  bool paused_ = false;
  bool eofReached_ = false;
  PlayerStatus status_ = PlayerStatus::Stopped;
};

}  // namespace playback
