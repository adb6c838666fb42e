#include "program.h"

#include <QApplication>
#include <cstdio>
#include <unistd.h>

#include "app/application.h"
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
  BannerLoader banner(bannerModuleFile(QCoreApplication::applicationDirPath()), shell);
  BannerStrip bannerStrip(banner);
  if (probes.bannerLoaded) QObject::connect(&bannerStrip, &BannerStrip::shown, &bannerStrip, probes.bannerLoaded);
  TMainForm mainForm(MainFormEnvironment{
      {shell, boxes},
      &platform::lookupConnectedQuery,
      [&bannerStrip](QWidget* strip, const QUrl& page) { bannerStrip.load(strip, page); },
      catalogueFolder,
      privacyModule,
      platform::installedFile(platform::programFolder(), QStringLiteral("help.html")),
      std::move(feedReads)});
  privacyModule.SetEmbeddedBrowser({[&banner, &mainForm] { return banner.clearHistory(&mainForm); },
                                    [&banner, &mainForm] { return banner.clearCache(&mainForm); }});
  if (probes.firstPaint) QObject::connect(&mainForm, &TMainForm::firstPainted, &mainForm, probes.firstPaint);
  mainForm.CreateSecondaryWindows();
  raiseOnActivation(instance, &mainForm);
  mainForm.show();
  return QApplication::exec();
}

}  // namespace app
