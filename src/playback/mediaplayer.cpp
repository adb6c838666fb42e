#include "mediaplayer.h"

#include <QMatrix4x4>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>
#include <mpv/client.h>
#include <mpv/render_gl.h>

#include "playback/mpvlibrary.h"
#include "playback/playererror.h"
#include "playback/playersetup.h"
#include "playback/screentext.h"

namespace playback {
namespace {

// The player's settings as the window creates it; the program changes none of them later. The
// video area for sound-only radio ("force-window") follows once mpv can draw (createRenderer).
struct Setting {
  const char* name;
  const char* value;
};
constexpr Setting kSettings[] = {
    {"vo", "libmpv"},                          // frames come to this widget
    {"osc", "yes"},                            // the complete control bar, drawn by mpv itself
    // The whole bar always, not only while the mouse moves; no "drop files here" logo between streams.
    {"script-opts", "osc-visibility=always,osc-idlescreen=no"},
    {"volume", "50"},
    {"mute", "no"},
    {"pause", "no"},                           // start playing without being told twice
    {"speed", "1"},
    {"keepaspect", "no"},                      // stretch the picture to fit the window
    {"loop-file", "no"},                       // play once
    {"loop-playlist", "no"},
    {"keep-open", "yes"},                      // at the end, keep the last picture and the bar
    // An address mpv cannot open itself, such as a broadcaster's web page, goes to the page
    // resolver (yt-dlp); a stream address opens directly, as fast as before.
    {"ytdl", "yes"},
    // A connection that breaks off is opened again by the network layer: at once, then after 1, 3
    // and 7 seconds, live streams too; then the stream ends. Not at the end of something of known
    // length (reconnect_at_eof): a file or a playlist really ends there.
    {"stream-lavf-o", "reconnect=1,reconnect_streamed=1,reconnect_delay_max=7"},
    {"network-timeout", "15"},                 // a connection silent this long counts as broken
    {"audio-client-name", "Sieciownik"},
};

void* glProcAddress(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

QString errorText(int error) { return QString::fromUtf8(mpv_error_string(error)); }

const char* buttonName(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return "MBTN_LEFT";
    case Qt::MiddleButton: return "MBTN_MID";
    case Qt::RightButton: return "MBTN_RIGHT";
    case Qt::BackButton: return "MBTN_BACK";
    case Qt::ForwardButton: return "MBTN_FORWARD";
    default: return nullptr;
  }
}

}  // namespace

MediaPlayer::MediaPlayer(QWidget* parent) : QOpenGLWidget(parent) {
  setMouseTracking(true);
  setContextMenuPolicy(Qt::PreventContextMenu);
}

MediaPlayer::~MediaPlayer() {
  // The drawing side goes first, each part in its own GL context; mpv itself, and with it the
  // stream, after. mpv must not outlive its drawing side even when that context cannot be made
  // current any more (its GL objects are then lost with the context).
  const bool current = renderContext_ && renderContext_->makeCurrent(surface_.get());
  if (render_) {
    mpv_render_context_set_update_callback(render_, nullptr, nullptr);
    mpv_render_context_free(render_);
  }
  if (current) {
    picture_.reset();
    renderContext_->doneCurrent();
  }
  if (blitter_.isCreated()) {
    makeCurrent();
    blitter_.destroy();
    doneCurrent();
  }
  if (mpv_) {
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
  }
}

void MediaPlayer::createPlayer() {
  // Refused unless numbers are formatted the C way (formatNumbersForPlayers).
  mpv_ = mpv_create();
  if (!mpv_ && !mpvLibraryProblem().isEmpty())
    throw PlayerError(tr("Nie można utworzyć odtwarzacza strumieni: nie wczytano biblioteki mpv (%1).").arg(mpvLibraryProblem()));
  if (!mpv_)
    throw PlayerError(tr("Nie można utworzyć odtwarzacza strumieni: biblioteka mpv odmówiła uruchomienia."));
  for (const Setting& setting : kSettings) setOption(setting.name, setting.value);
  // mpv's audio output, when the system's default is not the one to use (and in tests, mpv's own
  // silent output, which keeps real time).
  if (const QByteArray output = qgetenv("SIECIOWNIK_AUDIO_OUTPUT"); !output.isEmpty()) setOption("ao", output.constData());
  if (const int error = mpv_initialize(mpv_); error < 0)
    throw PlayerError(tr("Nie można uruchomić odtwarzacza strumieni: %1").arg(errorText(error)));

  mpv_observe_property(mpv_, 0, "core-idle", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, 0, "pause", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, 0, "eof-reached", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, 0, "metadata", MPV_FORMAT_NODE);
  mpv_observe_property(mpv_, 0, "video-format", MPV_FORMAT_STRING);
  mpv_observe_property(mpv_, 0, "volume", MPV_FORMAT_DOUBLE);
  mpv_observe_property(mpv_, 0, "demuxer-cache-time", MPV_FORMAT_DOUBLE);
  // Reconnects and the page resolver's failures are only told in the log.
  mpv_request_log_messages(mpv_, "warn");
  mpv_set_wakeup_callback(
      mpv_,
      [](void* self) {
        QMetaObject::invokeMethod(static_cast<MediaPlayer*>(self), &MediaPlayer::processEvents, Qt::QueuedConnection);
      },
      this);

  createRenderer();
}

void MediaPlayer::createRenderer() {
  // Shared with the widget's context through the application's share group, so that the widget
  // can show the picture mpv draws here.
  QOpenGLContext* shared = sharedGraphicsContext();
  surface_ = std::make_unique<QOffscreenSurface>();
  surface_->create();
  renderContext_ = std::make_unique<QOpenGLContext>();
  renderContext_->setShareContext(shared);
  if (!shared || !renderContext_->create() || !renderContext_->makeCurrent(surface_.get()))
    throw PlayerError(tr("Nie można utworzyć obrazu odtwarzacza: brak obsługi OpenGL."));
  mpv_opengl_init_params gl{&glProcAddress, nullptr};
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  const int error = mpv_render_context_create(&render_, mpv_, params);
  renderContext_->doneCurrent();
  if (error < 0) {
    render_ = nullptr;
    throw PlayerError(tr("Nie można utworzyć obrazu odtwarzacza: %1").arg(errorText(error)));
  }
  mpv_render_context_set_update_callback(
      render_,
      [](void* self) {
        QMetaObject::invokeMethod(static_cast<MediaPlayer*>(self), &MediaPlayer::frameReady, Qt::QueuedConnection);
      },
      this);
  // A video area with the control bar also for sound-only radio. Only now: mpv opens that area at
  // once while idle, and without a drawing side it would give up on it for good.
  if (const int forced = mpv_set_property_string(mpv_, "force-window", "yes"); forced < 0)
    throw PlayerError(tr("Nie można utworzyć obrazu odtwarzacza: %1").arg(errorText(forced)));
}

void MediaPlayer::setOption(const char* name, const char* value) {
  if (const int error = mpv_set_option_string(mpv_, name, value); error < 0)
    throw PlayerError(tr("Nie można ustawić odtwarzacza strumieni (%1=%2): %3")
                          .arg(QString::fromLatin1(name), QString::fromLatin1(value), errorText(error)));
}

void MediaPlayer::play() {
  const QByteArray url = url_.toUtf8();
  // The library keeps a pause across stops and files: a stream started anew plays.
  mpv_set_property_string(mpv_, "pause", "no");
  const char* command[] = {"loadfile", url.constData(), nullptr};
  if (const int error = mpv_command(mpv_, command); error < 0)
    throw PlayerError(tr("Nie można odtworzyć strumienia „%1”: %2").arg(url_, errorText(error)));
  phase_ = Phase::Opening;
  updateStatus();
}

void MediaPlayer::setPaused(bool paused) {
  int flag = paused ? 1 : 0;
  mpv_set_property_async(mpv_, 0, "pause", MPV_FORMAT_FLAG, &flag);
}

void MediaPlayer::stop() {
  const char* command[] = {"stop", nullptr};
  mpv_command_async(mpv_, 0, command);
}

void MediaPlayer::setVolume(double volume) {
  volume = std::clamp(volume, 0.0, 100.0);
  mpv_set_property_async(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
}

void MediaPlayer::setStationName(const QString& name) {
  stationName_ = name;
  notesChanged();
}

void MediaPlayer::initializeGL() { blitter_.create(); }

void MediaPlayer::paintGL() {
  QOpenGLFunctions* gl = context()->functions();
  gl->glClearColor(0, 0, 0, 1);
  gl->glClear(GL_COLOR_BUFFER_BIT);
  if (picture_) {
    // The picture fills the widget; until it is drawn again after a resize it is stretched.
    blitter_.bind();
    blitter_.blit(picture_->texture(), QMatrix4x4(), QOpenGLTextureBlitter::OriginTopLeft);
    blitter_.release();
  }
  QPainter painter(this);
  paintScreenText(painter, rect(), {hasVideo_ ? QString() : stationName_, hasVideo_ ? QString() : notes_.title(),
                                    notes_.notice()});
}

void MediaPlayer::frameReady() {
  if (render_ && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME)) fitVideo();
}

void MediaPlayer::fitVideo() {
  const QSize size = (QSizeF(this->size()) * devicePixelRatioF()).toSize();
  if (!render_ || size.isEmpty() || !renderContext_->makeCurrent(surface_.get())) return;
  if (!picture_ || picture_->size() != size) picture_ = std::make_unique<QOpenGLFramebufferObject>(size);
  mpv_opengl_fbo fbo{static_cast<int>(picture_->handle()), size.width(), size.height(), 0};
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context_render(render_, params);
  // The widget reads the picture from its own context: finish the drawing before it does.
  renderContext_->functions()->glFlush();
  renderContext_->doneCurrent();
  update();
}

void MediaPlayer::processEvents() {
  while (mpv_) {
    const mpv_event* event = mpv_wait_event(mpv_, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    handleEvent(*event);
  }
  // mpv hands on its log lines only once no other event waits: the lines that tell why a stream
  // ended have been read by now.
  if (pendingEnd_) fileEnded(*std::exchange(pendingEnd_, std::nullopt));
  updateStatus();
}

void MediaPlayer::handleEvent(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_START_FILE:
      if (pendingEnd_) fileEnded(*std::exchange(pendingEnd_, std::nullopt));
      phase_ = Phase::Opening;
      if (notes_.opening()) notesChanged();
      break;
    case MPV_EVENT_FILE_LOADED:
      phase_ = Phase::Open;
      break;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event.data);
      if (end->reason == MPV_END_FILE_REASON_REDIRECT) break;  // a playlist: its first entry opens next
      if (end->reason == MPV_END_FILE_REASON_ERROR) pendingEnd_ = end->error;
      else if (end->reason == MPV_END_FILE_REASON_EOF) pendingEnd_ = 0;
      else phase_ = Phase::Ended;
      break;
    }
    case MPV_EVENT_SHUTDOWN:
      phase_ = Phase::Ended;
      break;
    case MPV_EVENT_LOG_MESSAGE: {
      const auto* message = static_cast<const mpv_event_log_message*>(event.data);
      if (notes_.logLine(message->prefix, message->text, bufferedUntil())) notesChanged();
      break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
      propertyChanged(*static_cast<const mpv_event_property*>(event.data));
      break;
    default:
      break;
  }
}

void MediaPlayer::propertyChanged(const mpv_event_property& property) {
  const QByteArray name(property.name);
  const bool flag = property.format == MPV_FORMAT_FLAG && *static_cast<const int*>(property.data);
  if (name == "core-idle") {
    coreIdle_ = property.format != MPV_FORMAT_FLAG || flag;
  } else if (name == "pause") {
    paused_ = flag;
  } else if (name == "eof-reached") {
    // A stream kept open at its end. A live stream only ends so when it broke off for good.
    if (flag && !eofReached_ && phase_ == Phase::Open && notes_.ended(0)) {
      phase_ = Phase::Failed;
      notesChanged();
    }
    eofReached_ = flag;
  } else if (name == "video-format") {
    const bool hasVideo = property.format == MPV_FORMAT_STRING;
    if (hasVideo != hasVideo_) {
      hasVideo_ = hasVideo;
      notesChanged();
    }
  } else if (name == "volume" && property.format == MPV_FORMAT_DOUBLE) {
    volume_ = *static_cast<const double*>(property.data);
    Q_EMIT volumeChanged(volume_);
  } else if (name == "demuxer-cache-time" && property.format == MPV_FORMAT_DOUBLE) {
    if (notes_.buffered(*static_cast<const double*>(property.data))) notesChanged();
  } else if (name == "metadata") {
    StreamTags tags;
    if (property.format == MPV_FORMAT_NODE) {
      const auto* node = static_cast<const mpv_node*>(property.data);
      if (node->format == MPV_FORMAT_NODE_MAP)
        for (int i = 0; i < node->u.list->num; ++i)
          if (node->u.list->values[i].format == MPV_FORMAT_STRING)
            tags.append({QByteArray(node->u.list->keys[i]), QByteArray(node->u.list->values[i].u.string)});
    }
    if (notes_.tags(tags)) notesChanged();
  }
}

// The stream came to an end (error 0) or could not go on.
void MediaPlayer::fileEnded(int error) {
  phase_ = notes_.ended(error) ? Phase::Failed : Phase::Ended;
  notesChanged();
}

void MediaPlayer::notesChanged() {
  QStringList said{stationName_, notes_.title(), notes_.notice()};
  said.removeAll(QString());
  setAccessibleDescription(said.join(QLatin1Char('\n')));
  update();
  Q_EMIT nowPlayingChanged();
}

double MediaPlayer::position() const {
  double seconds = 0;
  if (mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &seconds) < 0) return 0;
  return seconds;
}

// How far the open stream is buffered, in stream time; 0 before anything is.
double MediaPlayer::bufferedUntil() const {
  double seconds = 0;
  if (mpv_get_property(mpv_, "demuxer-cache-time", MPV_FORMAT_DOUBLE, &seconds) < 0) return 0;
  return seconds;
}

void MediaPlayer::updateStatus() {
  PlayerStatus status = PlayerStatus::Stopped;
  switch (phase_) {
    case Phase::Idle:
    case Phase::Ended: status = PlayerStatus::Stopped; break;
    case Phase::Failed: status = PlayerStatus::Failed; break;
    case Phase::Opening: status = PlayerStatus::Connecting; break;
    case Phase::Open:
      if (eofReached_) status = PlayerStatus::Stopped;
      else if (paused_) status = PlayerStatus::Paused;
      else if (coreIdle_) status = PlayerStatus::Buffering;  // waiting for data, or restarting
      else status = PlayerStatus::Playing;
      break;
  }
  if (status == status_) return;
  status_ = status;
  Q_EMIT StatusChange(status_);
}

void MediaPlayer::sendInput(std::initializer_list<QByteArray> arguments) {
  if (!mpv_) return;
  std::vector<const char*> command;
  for (const QByteArray& argument : arguments) command.push_back(argument.constData());
  command.push_back(nullptr);
  mpv_command_async(mpv_, 0, command.data());
}

// mpv's controller works in frame-buffer pixels.
void MediaPlayer::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position() * devicePixelRatioF();
  sendInput({"mouse", QByteArray::number(qRound(at.x())), QByteArray::number(qRound(at.y()))});
}

void MediaPlayer::mousePressEvent(QMouseEvent* event) {
  mouseMoveEvent(event);
  if (const char* name = buttonName(event->button())) sendInput({"keydown", name});
}

void MediaPlayer::mouseReleaseEvent(QMouseEvent* event) {
  mouseMoveEvent(event);
  if (const char* name = buttonName(event->button())) sendInput({"keyup", name});
}

void MediaPlayer::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  if (delta.y() != 0) sendInput({"keypress", delta.y() > 0 ? "WHEEL_UP" : "WHEEL_DOWN"});
  if (delta.x() != 0) sendInput({"keypress", delta.x() > 0 ? "WHEEL_LEFT" : "WHEEL_RIGHT"});
}

void MediaPlayer::leaveEvent(QEvent*) { sendInput({"keypress", "MOUSE_LEAVE"}); }

}  // namespace playback

#include "moc_mediaplayer.cpp"
