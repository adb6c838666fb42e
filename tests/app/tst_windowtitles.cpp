#include <QtTest>

#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <xcb/xcb.h>

#include "app/application.h"
#include "app/tmainform.h"
#include "browser/stationbrowser.h"
#include "browser/tform2.h"
#include "browser/tform3.h"
#include "platform/messageboxes.h"
#include "playback/playersetup.h"
#include "playback/tform5.h"
#include "support/fakes.h"
#include "support/sandbox.h"
#include "mainformfixture.h"

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
  const xcb_atom_t found = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  free(reply);
  return found;
}

// The title as the window manager reads it: the window's X property, not Qt's own idea of it.
QString xTitle(QWidget* window, const char* property) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) return QStringLiteral("<not on X>");
  xcb_connection_t* connection = x11->connection();
  const xcb_get_property_cookie_t cookie = xcb_get_property(
      connection, 0, xcb_window_t(window->winId()), atom(connection, property), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
  if (reply == nullptr) return QStringLiteral("<no reply>");
  // _NET_WM_NAME is UTF-8; the older WM_NAME holds Latin-1 for these titles.
  const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply));
  const int length = xcb_get_property_value_length(reply);
  const QString title = qstrcmp(property, "WM_NAME") == 0 ? QString::fromLatin1(bytes, length)
                                                           : QString::fromUtf8(bytes, length);
  free(reply);
  return title;
}

QString bothTitles(QWidget* window) {
  return xTitle(window, "_NET_WM_NAME") + QLatin1Char('|') + xTitle(window, "WM_NAME");
}

}  // namespace

// Each window's title stands alone, exactly as described, in the application the program sets up.
class WindowTitlesTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void windowsAndEditors() {
    testsupport::Sandbox sandbox;
    MainFormFixture window(sandbox.path() + QLatin1Char('/'));
    app::TMainForm& form = window.form;
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(bothTitles(&form), QStringLiteral("Sieciownik|Sieciownik"));

    for (QWidget* editor : {static_cast<QWidget*>(form.stationBrowser().tvEditor()),
                            static_cast<QWidget*>(form.stationBrowser().radioEditor())}) {
      editor->show();
      QVERIFY(QTest::qWaitForWindowExposed(editor));
      const QString expected = editor == form.stationBrowser().tvEditor() ? QStringLiteral("Edycja stacji TV")
                                                                          : QStringLiteral("Edycja stacji radiowej");
      QCOMPARE(bothTitles(editor), expected + QLatin1Char('|') + expected);
      editor->hide();
    }
  }

  void messageBoxes() {
    QStringList titles;
    const auto readNextBox = [&] {
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        QVERIFY(QTest::qWaitForWindowExposed(box));
        titles << xTitle(box, "_NET_WM_NAME");
        box->accept();
      });
    };
    platform::QtMessageBoxes boxes;
    readNextBox();
    boxes.askQuestion(nullptr, QStringLiteral("Czy na pewno?"));
    readNextBox();
    boxes.showInformation(nullptr, QStringLiteral("Strumień został dodany do Ulubionych"));
    readNextBox();
    boxes.showError(nullptr, QStringLiteral("Musisz podać nazwę strumienia"));
    readNextBox();
    boxes.showGeneralError(nullptr, QStringLiteral("Nie można odczytać pliku"));
    QCOMPARE(titles, (QStringList{"Pytanie", "Informacja", platform::defaultErrorTitle(), "Sieciownik"}));
  }

  void playerWindow() {
    playback::TForm5 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(bothTitles(&window), QStringLiteral("Odbiór strumienia|Odbiór strumienia"));
  }
};

int main(int argc, char** argv) {
  // As the program prepares for player windows.
  app::Application application(argc, argv);
  playback::formatNumbersForPlayers();
  app::setUpApplication(application);
  WindowTitlesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_windowtitles.moc"
