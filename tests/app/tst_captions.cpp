#include <QtTest>

#include <QDialog>
#include <QLabel>

#include "app/tmainform.h"
#include "browser/stationbrowser.h"
#include "browser/tform2.h"
#include "browser/tform3.h"
#include "platform/fonts.h"
#include "support/captionfit.h"
#include "support/fakes.h"
#include "support/sandbox.h"
#include "mainformfixture.h"

using namespace testsupport;

// Every caption of every window shows whole, in the faces and sizes the program really uses: no
// label, button, check box, radio button or group box needs more width than it has.
class CaptionsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { platform::loadDescribedFonts(); }

  void everyFormShowsItsCaptionsWhole() {
    Sandbox sandbox;
    MainFormFixture window(sandbox.path() + QLatin1Char('/'));
    app::TMainForm& form = window.form;
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QStringList cut = cutCaptions(&form);
    for (QWidget* dialog : {static_cast<QWidget*>(form.stationBrowser().tvEditor()),
                            static_cast<QWidget*>(form.stationBrowser().radioEditor()),
                            static_cast<QWidget*>(form.findChild<QDialog*>(QStringLiteral("TForm4")))}) {
      QVERIFY(dialog != nullptr);
      cut += cutCaptions(dialog);
    }
    // The busy note shows one status at a time.
    auto* note = form.findChild<QWidget*>(QStringLiteral("TForm1"));
    QVERIFY(note != nullptr);
    auto* status = note->findChild<QLabel*>(QStringLiteral("Panel1"));
    for (const QString& text :
         {QStringLiteral("Kasowanie historii..."), QStringLiteral("Kasowanie pamięci podręcznej..."),
          QStringLiteral("Kasowanie zapamiętanych adresów..."), QStringLiteral("Kasowanie plików tymczasowych..."),
          QStringLiteral("Kasowanie Start->Uruchom..."), QStringLiteral("Kasowanie \"Moje bieżące dokumenty\"..."),
          QStringLiteral("Opróżnianie Kosza...")}) {
      status->setText(text);
      cut += cutCaptions(note);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
  }
};

QTEST_MAIN(CaptionsTest)
#include "tst_captions.moc"
