#include "launcher.h"

namespace playback {

Launcher::Launcher(browser::StationBrowser& browser, platform::Services services, QObject* parent)
    : QObject(parent), browser_(browser), services_(services) {}

}  // namespace playback
