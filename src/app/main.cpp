#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QUrl>
#include <clocale>
#include <cstdio>
#include <unistd.h>

#include "app/application.h"
#include "app/bannerbrowser.h"
#include "app/hintpause.h"
#include "app/tmainform.h"
#include "platform/connection.h"
#include "platform/messageboxes.h"
#include "platform/programfolder.h"
#include "platform/shell.h"
#include "privacy/privacyctl.h"

namespace {

bool haveDisplay() {
  return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
         qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

// Wine's free fonts with the metrics the window layouts were drawn for.
void loadDescribedFonts() {
  for (const char* file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"})
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QString::fromLatin1(file));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  QApplication::setFont(font);
}

}  // namespace

int main(int argc, char** argv) {
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
  app::Application application(argc, argv);
  // The media player library refuses to start unless numbers are formatted the C way.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Sieciownik"));
  QApplication::setApplicationDisplayName(QStringLiteral("Sieciownik"));
  QApplication::setApplicationVersion(QStringLiteral(SIECIOWNIK_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/sieciownik.png")));
  application.installEventFilter(new app::HintPause(15000, &application));

  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);
  loadDescribedFonts();

  platform::DesktopShell shell;
  platform::QtMessageBoxes boxes;
  application.setErrorReport(&boxes);
  app::TMainForm mainForm(app::MainFormEnvironment{
      {shell, boxes},
      &platform::lookupConnectedQuery,
      &app::navigateBannerBrowser,
      platform::dataFolder({QStringLiteral("TV.FEED"), QStringLiteral("RADIO.FEED"), QStringLiteral("help.html")}),
      privacyModule});
  privacyModule.SetEmbeddedBrowser(app::bannerBrowserCleaning(&mainForm));
  mainForm.CreateSecondaryWindows();
  mainForm.show();
  return QApplication::exec();
}
