#include "playback/playersetup.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <clocale>
#include <memory>

QT_BEGIN_NAMESPACE
// Qt's own setter of the application's share context, which it uses itself when asked for shared
// contexts before it starts; the web engine uses it the same way when it starts late.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace playback {
namespace {

// Before the windowing system goes with the application.
void releaseSharedGraphicsContext() {
  QOpenGLContext* context = QOpenGLContext::globalShareContext();
  qt_gl_set_global_share_context(nullptr);
  delete context;
}

}  // namespace

QOpenGLContext* sharedGraphicsContext() {
  if (QOpenGLContext* shared = QOpenGLContext::globalShareContext()) return shared;
  auto context = std::make_unique<QOpenGLContext>();
  context->setFormat(QSurfaceFormat::defaultFormat());
  if (!context->create()) return nullptr;
  qt_gl_set_global_share_context(context.get());
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  qAddPostRoutine(releaseSharedGraphicsContext);
  return context.release();
}

void formatNumbersForPlayers() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace playback
