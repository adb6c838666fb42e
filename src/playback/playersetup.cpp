#include "playback/playersetup.h"

#include <QCoreApplication>
#include <clocale>

namespace playback {

void shareGraphicsContexts() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

void formatNumbersForPlayers() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace playback
