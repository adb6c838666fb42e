#include "program.h"

#include <QApplication>
#include <QWebEngineView>
#include <clocale>
#include <cstdio>
#include <unistd.h>

#include "app/application.h"
#include "app/bannerbrowser.h"
#include "app/tmainform.h"
#include "platform/connection.h"
#include "platform/messageboxes.h"
#include "platform/programfolder.h"
#include "platform/shell.h"
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
  // The banner's web engine and the player's video share OpenGL contexts.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

  // The privacy module starts before the application and ends after its event loop.
  privacy::PrivacyCtl privacyModule;
  Application application(argc, argv);
  // The media player library refuses to start unless numbers are formatted the C way.
  std::setlocale(LC_NUMERIC, "C");
  setUpApplication(application);

  platform::DesktopShell shell;
  platform::QtMessageBoxes boxes;
  application.setErrorReport(&boxes);
  const auto navigateBanner = [&](QWidget* strip, const QUrl& page) {
    QWebEngineView* view = navigateBannerBrowser(strip, probes.bannerPage.isValid() ? probes.bannerPage : page, shell);
    if (probes.bannerLoaded)
      QObject::connect(view, &QWebEngineView::loadFinished, view, [&probes] { probes.bannerLoaded(); },
                       Qt::SingleShotConnection);
  };
  TMainForm mainForm(MainFormEnvironment{
      {shell, boxes},
      &platform::lookupConnectedQuery,
      navigateBanner,
      platform::dataFolder({QStringLiteral("TV.FEED"), QStringLiteral("RADIO.FEED")}),
      privacyModule,
      platform::installedFile(platform::programFolder(), QStringLiteral("help.html"))});
  if (probes.firstPaint) QObject::connect(&mainForm, &TMainForm::firstPainted, &mainForm, probes.firstPaint);
  mainForm.CreateSecondaryWindows();
  mainForm.show();
  return QApplication::exec();
}

}  // namespace app
