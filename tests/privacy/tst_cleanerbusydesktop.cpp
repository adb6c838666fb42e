// The cleaning steps on a desktop where the user goes on working: programs that hold or name files
// in the temporary folders without keeping them open, a folder moved while it is emptied, the
// rules of the system's own temporary-file cleaner, and file systems that stop answering.
#include <QtTest>

#include <csignal>
#include <dirent.h>
#include <sys/mount.h>

#include "platform/trash.h"
#include "support/filebytes.h"
#include "support/sandbox.h"
#include "cleanerfixture.h"
#include "treebuilder.h"

using namespace cleanerfixture;
using namespace treebuilder;

namespace {

int entriesIn(const QString& folder) {
  DIR* listing = ::opendir(QFile::encodeName(folder).constData());
  if (listing == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = ::readdir(listing))
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) ++count;
  ::closedir(listing);
  return count;
}

bool isMounted(const QString& folder) {
  QFile table(QStringLiteral("/proc/self/mountinfo"));
  return table.open(QIODevice::ReadOnly) && table.readAll().contains(" " + QFile::encodeName(folder) + " ");
}

// A FUSE file system (bindfs) showing `source` at `folder`, which never caches what it answers:
// stopped, every look into it waits.
struct Fuse {
  Running server;
  QString folder;
  bool start(const QString& source, const QString& at) {
    folder = at;
    QDir().mkpath(at);
    server.process.start(QStringLiteral("bindfs"),
                         {"-f", "-o", "attr_timeout=0,entry_timeout=0,negative_timeout=0", source, at});
    QDeadlineTimer deadline(10000);
    while (!isMounted(at) && !deadline.hasExpired() && server.process.state() != QProcess::NotRunning)
      QThread::msleep(20);
    return isMounted(at);
  }
  void signal(int number) const { ::kill(static_cast<pid_t>(server.process.processId()), number); }
  ~Fuse() {
    signal(SIGCONT);
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
  }
};

}  // namespace

class BusyDesktopTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // The probe is read first: the build may lie in the machine's /tmp, which is hidden from then on.
  void initTestCase() { QVERIFY(probe_.load()); }

  // Nobody holds these open, yet the session needs them, and a running program's whole tree
  // belongs to it.
  void whatProgramsNameOrUseStaysWithItsWholeTree() {
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    const QString probe = installProbe(sandbox);
    // Authority files named only in a session program's environment, one of them deep in a folder.
    QVERIFY(writeFile(tmp + "/.authority-q1w2e3", "MIT-MAGIC-COOKIE-1"));
    QVERIFY(writeFile(tmp + "/iceauth/cookies", "ice"));
    QVERIFY(writeFile(tmp + "/iceauth/old.tmp"));
    Running session;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XAUTHORITY", tmp + "/.authority-q1w2e3");
    environment.insert("ICEAUTHORITY", tmp + "/iceauth/cookies");
    session.process.setProcessEnvironment(environment);
    QVERIFY(startProbe(session, probe, {"wait"}));
    // The X server's authority file, named only on its command line.
    QVERIFY(writeFile(tmp + "/serverauth.QWE123", "cookie"));
    Running server;
    QVERIFY(startProbe(server, probe, {"wait", ":0", "-auth", tmp + "/serverauth.QWE123"}));
    // Started by relative paths from the sandbox, so that no command line names what they use.
    // An application unpacked into the temporary folder runs its program; its plugins, resources
    // and launch script lie elsewhere in its tree.
    const QString app = tmp + "/.mount_extracted";
    QVERIFY(writeFile(app + "/usr/bin/prog", probe_.bytes()));
    QVERIFY(QFile::setPermissions(app + "/usr/bin/prog", QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(writeFile(app + "/usr/lib/plugins/libstyle.so", "plugin"));
    QVERIFY(writeFile(app + "/usr/share/app/strings.txt", "strings"));
    QVERIFY(writeFile(app + "/AppRun", "#!/bin/sh\n"));
    Running program;
    program.process.setWorkingDirectory(sandbox.path());
    program.process.start("tmp/.mount_extracted/usr/bin/prog", {"wait"});
    QVERIFY(program.process.waitForReadyRead(10000));
    // A database held by a thread with a file table of its own, in a process whose first thread
    // has ended.
    QVERIFY(writeFile(tmp + "/db/app.sqlite", "SQLite format 3"));
    QVERIFY(writeFile(tmp + "/db/app.sqlite-journal-old"));
    Running database;
    database.process.setWorkingDirectory(sandbox.path());
    QVERIFY(startProbe(database, probe, {"thread-open", "tmp/db/app.sqlite"}));
    // A socket served from a network namespace of its own, with the cookie beside it.
    QVERIFY(writeFile(tmp + "/sandboxed/cookie", "4164023861931305543"));
    Running sandboxed;
    sandboxed.process.setWorkingDirectory(sandbox.path());
    sandboxed.process.start("unshare", {"--net", probe, "serve", "tmp/sandboxed/app.sock"});
    const bool served = sandboxed.process.waitForReadyRead(10000);
    if (!served) QVERIFY(QDir(tmp + "/sandboxed").removeRecursively());
    // What the step is for.
    QVERIFY(writeFile(tmp + "/junk.txt"));
    QVERIFY(writeFile(tmp + "/serverauth.OLD999"));
    QVERIFY(writeFile(tmp + "/old/a/b.tmp"));
    const Tree before = snapshot(tmp);

    cleanTemporaryFiles();
    QStringList kept{".authority-q1w2e3", "iceauth", "serverauth.QWE123", ".mount_extracted", "db"};
    if (served) kept << "sandboxed";
    else qWarning("no network namespace here: the served socket was left out");
    QCOMPARE(contents(tmp), keptParts(before, kept).keys());
  }

  // The user restores a large folder from the trash while the trash is being emptied: a folder of
  // files, and one so deep that no path from the trash reaches its files in one piece.
  void aFolderMovedAfterItsFirstFileWentKeepsTheRest_data() {
    QTest::addColumn<int>("depth");
    QTest::newRow("a folder of files") << 0;
    QTest::newRow("deep inside a folder") << 800;
  }
  void aFolderMovedAfterItsFirstFileWentKeepsTheRest() {
    QFETCH(int, depth);
    testsupport::Sandbox sandbox;
    const QString trash = sandbox.home() + "/.local/share/Trash";
    const QString item = trash + "/files/projekt";
    QString files = item;
    for (int level = 0; level < depth; ++level) files += "/lvl";
    for (int i = 0; i < 3000; ++i) QVERIFY(writeFile(files + QString("/plik%1.txt").arg(i)));
    QVERIFY(writeFile(trash + "/info/projekt.trashinfo", "[Trash Info]\nPath=/home/u/projekt\n"));
    const QString restored = sandbox.home() + "/Dokumenty/projekt";
    const QString filesThere = restored + files.mid(item.size());
    QVERIFY(QDir().mkpath(sandbox.home() + "/Dokumenty"));
    int leftAtTheMove = -1;
    {
      OnFirstEvent user(files, IN_DELETE, [&] {
        ::rename(QFile::encodeName(item).constData(), QFile::encodeName(restored).constData());
        leftAtTheMove = entriesIn(filesThere);
      });
      platform::emptyTrash();
    }
    QVERIFY(leftAtTheMove > 0);
    // The one removal that may have been under way as the folder moved.
    QVERIFY2(entriesIn(filesThere) >= leftAtTheMove - 1,
             qPrintable(QString("%1 files at the move, %2 now").arg(leftAtTheMove).arg(entriesIn(filesThere))));
  }

  // Rules of the system's own cleaner, in /etc hiding a file of the same name in /usr/lib.
  void whatTmpfilesExcludesStays() {
    if (!privateTemporaryFolders() || !mountTmpfs("/etc/tmpfiles.d") || !mountTmpfs("/usr/lib/tmpfiles.d"))
      QSKIP("needs private mounts over /tmp, /var/tmp and the tmpfiles.d folders");
    testsupport::Sandbox sandbox;
    sandbox.set("TMPDIR", "/tmp");
    sandbox.unset("SIECIOWNIK_MACHINE_ROOT");
    QVERIFY(writeFile("/etc/tmpfiles.d/app.conf",
                      "# kept by the system's cleaner\n"
                      "x /tmp/kept-%u-*\n"
                      "X /tmp/only-itself\n"
                      "x! \"/var/tmp/with space\"\n"
                      "x /tmp/tree/inner/data.db\n"
                      "d /tmp/created-not-kept 0755 - - -\n"));
    QVERIFY(writeFile("/usr/lib/tmpfiles.d/app.conf", "x /tmp/hidden-rule\n"));
    QVERIFY(writeFile("/usr/lib/tmpfiles.d/other.conf", "x /tmp/absent/thing\n"));
    const QStringList stays{"/tmp/kept-root-1/a", "/tmp/only-itself/b", "/var/tmp/with space/c",
                            "/tmp/tree/inner/data.db", "/tmp/tree/old.tmp"};
    const QStringList goes{"/tmp/kept-other/a", "/tmp/hidden-rule/d", "/tmp/absent/e", "/tmp/created-not-kept/f",
                           "/tmp/junk.txt", "/var/tmp/junk.txt"};
    for (const QString& file : stays + goes) QVERIFY(writeFile(file));

    cleanTemporaryFiles();
    for (const QString& file : stays) QVERIFY2(QFileInfo::exists(file), qPrintable(file + " went"));
    for (const QString& file : goes) QVERIFY2(!QFileInfo::exists(file), qPrintable(file + " stayed"));
  }

  // An application's own file system in /tmp whose program was stopped (Ctrl+Z), and the user's
  // music folder on a share that was switched off: the step still ends at once and cleans.
  void aStoppedFileSystemNeverKeepsTheStepWaiting() {
    if (QStandardPaths::findExecutable("bindfs").isEmpty() || !QFileInfo::exists("/dev/fuse"))
      QSKIP("needs bindfs and /dev/fuse");
    if (!privateMounts()) QSKIP("a private mount namespace is not permitted here");
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    const QString probe = installProbe(sandbox);
    QVERIFY(writeFile(sandbox.filePath("app-files/usr/bin/run.sh"), "#!/bin/sh\n"));
    QVERIFY(writeFile(sandbox.filePath("share-files/Muzyka/piosenka.ogg"), "ogg"));
    QVERIFY(writeFile(sandbox.home() + "/.config/user-dirs.dirs",
                      "XDG_MUSIC_DIR=\"" + QFile::encodeName(sandbox.filePath("share/Muzyka")) + "\"\n"));
    Fuse app, share;
    if (!app.start(sandbox.filePath("app-files"), tmp + "/.mount_Player") ||
        !share.start(sandbox.filePath("share-files"), sandbox.filePath("share")))
      QSKIP("bindfs could not mount here");
    Running working;  // a program of the stopped application, working in its tree
    working.process.setWorkingDirectory(tmp + "/.mount_Player/usr/bin");
    QVERIFY(startProbe(working, probe, {"wait"}));
    QVERIFY(writeFile(tmp + "/junk.txt"));
    QVERIFY(writeFile(tmp + "/old/a/b.tmp"));
    app.signal(SIGSTOP);
    share.signal(SIGSTOP);

    QProcess cleaner;
    cleaner.start(probe, {"clean"});
    const bool ended = cleaner.waitForFinished(10000);
    app.signal(SIGCONT);
    share.signal(SIGCONT);
    if (!ended) cleaner.waitForFinished(30000);
    QVERIFY2(ended, "the step waited for a file system that stopped answering");
    QCOMPARE(cleaner.exitCode(), 0);
    QCOMPARE(contents(tmp), (QStringList{".mount_Player", ".mount_Player/usr", ".mount_Player/usr/bin",
                                         ".mount_Player/usr/bin/run.sh"}));
    QVERIFY(QFileInfo::exists(sandbox.filePath("share-files/Muzyka/piosenka.ogg")));
  }

 private:
  QString installProbe(const testsupport::Sandbox& sandbox) const {
    const QString path = sandbox.filePath("bin/cleanprobe");
    return probe_.install(path) ? path : QString();
  }

  static bool startProbe(Running& running, const QString& probe, const QStringList& arguments) {
    running.process.start(probe, arguments);
    return running.process.waitForReadyRead(10000);
  }

  CleanProbe probe_;
};

QTEST_GUILESS_MAIN(BusyDesktopTest)
#include "tst_cleanerbusydesktop.moc"
