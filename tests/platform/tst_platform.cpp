#include <QtTest>

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>

#include <csignal>
#include <stdexcept>
#include <sys/mount.h>
#include <unistd.h>

#include "platform/anchors.h"
#include "platform/codepage.h"
#include "platform/messageboxes.h"
#include "platform/programfolder.h"
#include "platform/shell.h"
#include "support/sandbox.h"
#include "support/filebytes.h"

using platform::CodePage;

namespace {

QList<qint64> readPids(const QString& path) {
  QFile file(path);
  QList<qint64> pids;
  if (!file.open(QIODevice::ReadOnly)) return pids;
  for (const QByteArray& line : file.readAll().split('\n'))
    if (!line.trimmed().isEmpty()) pids << line.trimmed().toLongLong();
  return pids;
}

}  // namespace

class PlatformTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void polishLettersInEachCodePage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    // ą and ś sit at different places in the two Polish code pages.
    QTest::newRow("1250") << QStringLiteral("ąś") << 1250 << QByteArray("\xB9\x9C");
    QTest::newRow("8859-2") << QStringLiteral("ąś") << 28592 << QByteArray("\xB1\xB6");
    QTest::newRow("utf-8") << QStringLiteral("ąś") << 65001 << QByteArray("\xC4\x85\xC5\x9B");
    QTest::newRow("żółw 8859-2") << QStringLiteral("żółw") << 28592 << QByteArray("\xBF\xF3\xB3w");
    QTest::newRow("ascii") << QStringLiteral("Kraków 2005").left(4) << 28592 << QByteArray("Krak");
  }
  void polishLettersInEachCodePage() {
    QFETCH(QString, text);
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    const auto cp = static_cast<CodePage>(codePage);
    QCOMPARE(platform::fromUnicode(text, cp), bytes);
    QCOMPARE(platform::toUnicode(bytes, cp), text);
  }

  void missingCharactersBecomeQuestionMarks() {
    // The euro sign is in 1250 but not in ISO-8859-2; a CJK character and an emoji in neither.
    QCOMPARE(platform::fromUnicode(u"a€b", CodePage::Iso8859_2), QByteArray("a?b"));
    QCOMPARE(platform::fromUnicode(u"€", CodePage::Windows1250), QByteArray("\x80"));
    QCOMPARE(platform::fromUnicode(u"x漢y", CodePage::Windows1250), QByteArray("x?y"));
    QCOMPARE(platform::fromUnicode(QString::fromUtf8("a\xF0\x9F\x93\xBBz"), CodePage::Iso8859_2), QByteArray("a?z"));
    QCOMPARE(platform::throughCodePage(u"€uro", CodePage::Iso8859_2), QStringLiteral("?uro"));
  }

  void everyByteOfIso8859_2RoundTrips() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    QCOMPARE(platform::fromUnicode(platform::toUnicode(all, CodePage::Iso8859_2), CodePage::Iso8859_2), all);
  }

  void shellCommands_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("web page") << "http://www.example.pl/" << "" << "xdg-open" << QStringList{"http://www.example.pl/"};
    QTest::newRow("local file") << "/opt/s/help.html" << "" << "xdg-open" << QStringList{"/opt/s/help.html"};
    QTest::newRow("program with a stream address")
        << "realplay" << "rtsp://x.pl/a b;rm -rf ~" << "realplay" << QStringList{"rtsp://x.pl/a b;rm -rf ~"};
    QTest::newRow("program without parameters") << "realplay" << "" << "realplay" << QStringList{};
    QTest::newRow("search address") << "http://www.google.pl/search?q=a+b" << ""
                                    << "xdg-open" << QStringList{"http://www.google.pl/search?q=a+b"};
  }
  void shellCommands() {
    QFETCH(QString, target);
    QFETCH(QString, parameters);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const platform::ShellCommand command = platform::shellCommandFor(target, parameters);
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
  }

  // The opened program runs on its own: one that takes its time (a browser starting, a player
  // connecting) never holds the caller, for a program name or a web address alike.
  void shellOpenNeverWaitsForWhatItStarts() {
    testsupport::Sandbox sandbox;
    const QString bin = sandbox.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString pids = sandbox.filePath(QStringLiteral("pids"));
    // Stands in for both "realplay" and "xdg-open": notes that it ran, then sleeps.
    for (const char* name : {"realplay", "xdg-open"}) {
      QFile script(bin + QLatin1Char('/') + QLatin1String(name));
      QVERIFY(script.open(QIODevice::WriteOnly));
      script.write("#!/bin/sh\necho $$ >> '" + QFile::encodeName(pids) + "'\nexec sleep 30\n");
      script.close();
      QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + oldPath);
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", oldPath); });

    platform::DesktopShell shell;
    QElapsedTimer timer;
    timer.start();
    shell.ShellOpen(QStringLiteral("realplay"), QStringLiteral("rtsp://x.pl/a"));
    shell.ShellOpen(QStringLiteral("http://www.tvp.pl/"));
    shell.ShellOpen(QStringLiteral("realplay"), QStringLiteral("rtsp://x.pl/b"));
    const qint64 elapsed = timer.elapsed();
    // All three run at once, each still sleeping when the calls have long returned.
    QTRY_COMPARE(readPids(pids).size(), 3);
    QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
    for (qint64 pid : readPids(pids)) QVERIFY(::kill(pid_t(pid), SIGTERM) == 0);
  }

  void shellOpenReturnsForAMissingProgram() {
    platform::DesktopShell shell;
    QElapsedTimer timer;
    timer.start();
    shell.ShellOpen(QStringLiteral("no-such-program-sieciownik"), QStringLiteral("x"));
    QVERIFY(timer.elapsed() < 5000);
  }

  // A sandbox that cannot make its folder stops the test and moves no variable.
  void sandboxFailsLoudly_data() {
    QTest::addColumn<QByteArray>("tmpdir");
    QTest::newRow("no such folder") << QByteArray("/dev/null/no-folder-here");
    QTest::newRow("a folder nobody may write") << QByteArray("/proc");
  }
  void sandboxFailsLoudly() {
    QFETCH(QByteArray, tmpdir);
    const QByteArray home = qgetenv("HOME");
    const QByteArray root = qgetenv("SIECIOWNIK_MACHINE_ROOT");
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmpdir);
    const auto restore = qScopeGuard([&] {
      if (tmp.isNull()) qunsetenv("TMPDIR");
      else qputenv("TMPDIR", tmp);
    });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, testsupport::Sandbox());
    QCOMPARE(qgetenv("HOME"), home);
    QCOMPARE(qgetenv("TMPDIR"), tmpdir);
    QCOMPARE(qgetenv("SIECIOWNIK_MACHINE_ROOT"), root);
  }

  // Names and server answers in the boxes read exactly as written, markup characters included.
  void messageBoxesShowTheirTextAsWritten() {
    const QString text = QStringLiteral("Czy na pewno chcesz usunąć stację \"<b>X</b> &amp; Y\"?");
    QStringList seen;
    const auto answerNextBox = [&] {
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        // What the label shows, as the accessibility layer reads it off the label.
        seen << box->windowTitle() + QLatin1Char('|') +
                    QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
        box->accept();
      });
    };
    platform::QtMessageBoxes boxes;
    answerNextBox();
    boxes.showError(nullptr, text);
    answerNextBox();
    boxes.askQuestion(nullptr, text);
    answerNextBox();
    boxes.showInformation(nullptr, text);
    answerNextBox();
    boxes.showGeneralError(nullptr, text);
    QCOMPARE(seen, (QStringList{"Błąd|" + text, "Pytanie|" + text, "Informacja|" + text,
                                QCoreApplication::applicationName() + "|" + text}));
  }

  // Enter in a question answers "Tak", as the platform's Yes/No box has it.
  void enterInAQuestionAnswersYes() {
    QTimer::singleShot(0, [] {
      QWidget* box = QApplication::activeModalWidget();
      if (box != nullptr) QTest::keyClick(box->focusWidget() != nullptr ? box->focusWidget() : box, Qt::Key_Return);
    });
    QVERIFY(platform::QtMessageBoxes().askQuestion(nullptr, QStringLiteral("Czy na pewno chcesz usunąć stację?")));
  }

  void dataFolderIsTheProgramsWhenWritable();
  void installedProgramUsesTheUsersDataFolder();

  void anchorsMoveAndStretch() {
    QWidget parent;
    parent.resize(200, 100);
    auto* stretch = new QWidget(&parent);
    stretch->setGeometry(10, 10, 100, 50);
    auto* corner = new QWidget(&parent);
    corner->setGeometry(150, 70, 40, 20);
    auto* fixed = new QWidget(&parent);
    fixed->setGeometry(5, 5, 10, 10);
    platform::Anchors anchors(&parent);
    anchors.add(stretch, platform::AnchorAll);
    anchors.add(corner, platform::AnchorRight | platform::AnchorBottom);
    anchors.add(fixed, platform::AnchorLeftTop);
    parent.show();
    parent.resize(260, 130);
    QCOMPARE(stretch->geometry(), QRect(10, 10, 160, 80));
    QCOMPARE(corner->geometry(), QRect(210, 100, 40, 20));
    QCOMPARE(fixed->geometry(), QRect(5, 5, 10, 10));
    parent.resize(200, 100);
    QCOMPARE(corner->geometry(), QRect(150, 70, 40, 20));
  }
};

void PlatformTest::dataFolderIsTheProgramsWhenWritable() {
  testsupport::Sandbox sandbox;
  const QString exe = sandbox.filePath(QStringLiteral("bin"));
  QDir().mkpath(exe);
  QCOMPARE(platform::dataFolderFor(exe, {QStringLiteral("TV.FEED")}), exe + QLatin1Char('/'));
  // A build keeps its help page beside the program; nothing there names the same path all the same.
  QCOMPARE(platform::installedFile(exe, QStringLiteral("help.html")), exe + QStringLiteral("/help.html"));
  QFile help(exe + QStringLiteral("/help.html"));
  QVERIFY(help.open(QIODevice::WriteOnly));
  help.close();
  QDir().mkpath(sandbox.filePath(QStringLiteral("share/sieciownik")));
  QFile shared(sandbox.filePath(QStringLiteral("share/sieciownik/help.html")));
  QVERIFY(shared.open(QIODevice::WriteOnly));
  QCOMPARE(platform::installedFile(exe, QStringLiteral("help.html")), exe + QStringLiteral("/help.html"));
  QVERIFY(!QFileInfo::exists(sandbox.home() + QStringLiteral("/.local/share/sieciownik")));
}

void PlatformTest::installedProgramUsesTheUsersDataFolder() {
  testsupport::Sandbox sandbox;
  // An installed layout: <prefix>/bin (not writable) and <prefix>/share/sieciownik with the data.
  const QString prefix = sandbox.filePath(QStringLiteral("usr"));
  QDir().mkpath(prefix);
  if (::mount("tmpfs", QFile::encodeName(prefix).constData(), "tmpfs", 0, "size=1m") != 0)
    QSKIP("needs the right to mount a tmpfs (run as root)");
  const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(prefix).constData()); });
  QDir().mkpath(prefix + QStringLiteral("/bin"));
  QDir().mkpath(prefix + QStringLiteral("/share/sieciownik"));
  auto write = [](const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };
  write(prefix + QStringLiteral("/share/sieciownik/TV.FEED"), "installed tv");
  write(prefix + QStringLiteral("/share/sieciownik/help.html"), "installed help");
  QVERIFY(::mount(nullptr, QFile::encodeName(prefix).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);

  const QString userFolder = sandbox.home() + QStringLiteral("/.local/share/sieciownik/");
  const QStringList files{QStringLiteral("TV.FEED"), QStringLiteral("RADIO.FEED")};
  QCOMPARE(platform::dataFolderFor(prefix + QStringLiteral("/bin"), files), userFolder);
  QCOMPARE(testsupport::fileBytes(userFolder + QStringLiteral("TV.FEED")), QByteArray("installed tv"));
  // The help page is the program's own: read where it was installed, even with an old copy (from
  // an earlier version) in the user's folder.
  write(userFolder + QStringLiteral("help.html"), "old help");
  QCOMPARE(platform::installedFile(prefix + QStringLiteral("/bin"), QStringLiteral("help.html")),
           prefix + QStringLiteral("/share/sieciownik/help.html"));
  QVERIFY(!QFileInfo::exists(userFolder + QStringLiteral("RADIO.FEED")));  // nothing installed, nothing made up
  QVERIFY(QFileInfo(userFolder + QStringLiteral("TV.FEED")).isWritable());

  // The user's own catalogue is never overwritten by the installed one.
  write(userFolder + QStringLiteral("TV.FEED"), "users own");
  QCOMPARE(platform::dataFolderFor(prefix + QStringLiteral("/bin"), files), userFolder);
  QCOMPARE(testsupport::fileBytes(userFolder + QStringLiteral("TV.FEED")), QByteArray("users own"));
}

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
