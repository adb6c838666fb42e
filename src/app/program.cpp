#include "program.h"

#include <QApplication>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "app/application.h"
#include "app/bannerhost.h"
#include "app/bannerloader.h"
#include "app/bannerstrip.h"
#include "app/singleinstance.h"
#include "app/tmainform.h"
#include "platform/connection.h"
#include "platform/messageboxes.h"
#include "platform/programfolder.h"
#include "platform/shell.h"
#include "playback/playersetup.h"
#include "privacy/privacyctl.h"

namespace app {
namespace {

bool haveDisplay() {
  return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
         qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

// Under X11 the banner's engine runs in a process of its own that draws into the strip, so that a
// banner that goes gives back everything the engine took. Other window systems (Wayland) do not
// let one program's window hold another's: there the engine is loaded into the program.
std::unique_ptr<BannerBackend> bannerBackend(platform::Shell& shell) {
  const QString folder = QCoreApplication::applicationDirPath();
  if (QGuiApplication::platformName() == QLatin1String("xcb"))
    return std::make_unique<BannerHost>(bannerHostProgram(folder), shell);
  return std::make_unique<BannerLoader>(bannerModuleFile(folder), shell);
}

}  // namespace

int runProgram(int argc, char** argv, const ProgramProbes& probes) {
  if (!haveDisplay()) {
    std::fprintf(stderr,
                 "Sieciownik needs a graphical desktop (no DISPLAY or WAYLAND_DISPLAY is set).\n"
                 "Start it from a desktop session, or under a virtual display: xvfb-run scripts/run\n");
    return 1;
  }
  // The web engine refuses to start as root with its sandbox on and would take the program down.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // The privacy module starts before the application and ends after its event loop.
  privacy::PrivacyCtl privacyModule;
  Application application(argc, argv);
  // A second start in the same session brings the running window to the front instead.
  SingleInstance instance;
  if (!instance.claim()) return 0;
  const QString catalogueFolder = platform::dataFolder({QStringLiteral("TV.FEED"), QStringLiteral("RADIO.FEED")});
  // The catalogues are read while the rest of the program starts.
  browser::FeedReads feedReads = browser::startReadingFeeds(catalogueFolder);
  playback::formatNumbersForPlayers();
  setUpApplication(application);

  platform::DesktopShell shell;
  platform::QtMessageBoxes boxes;
  application.setErrorReport(&boxes);
  std::unique_ptr<BannerBackend> banner = bannerBackend(shell);
  BannerStrip bannerStrip(*banner);
  if (probes.bannerLoaded) QObject::connect(&bannerStrip, &BannerStrip::shown, &bannerStrip, probes.bannerLoaded);
  TMainForm mainForm(MainFormEnvironment{
      {shell, boxes},
      &platform::lookupConnectedQuery,
      [&bannerStrip](QWidget* strip, const QUrl& page) { bannerStrip.load(strip, page); },
      catalogueFolder,
      privacyModule,
      platform::installedFile(platform::programFolder(), QStringLiteral("help.html")),
      std::move(feedReads)});
  privacyModule.SetEmbeddedBrowser({[&banner, &mainForm] { return banner->clearHistory(&mainForm); },
                                    [&banner, &mainForm] { return banner->clearCache(&mainForm); }});
  if (probes.firstPaint) QObject::connect(&mainForm, &TMainForm::firstPainted, &mainForm, probes.firstPaint);
  mainForm.CreateSecondaryWindows();
  raiseOnActivation(instance, &mainForm);
  mainForm.show();
  const int result = QApplication::exec();
  // The banner's engine ends while the strip it draws into still exists, not after the window.
  privacyModule.SetEmbeddedBrowser({});
  banner.reset();
  return result;
}

}  // namespace app
