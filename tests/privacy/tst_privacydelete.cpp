#include <QtTest>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/safedelete.h"
#include "platform/trash.h"
#include "support/sandbox.h"
#include "treebuilder.h"

using namespace treebuilder;

namespace {

mode_t modeOf(const QString& path) {
  struct stat st;
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

bool makeSocket(const QString& path, int& fd) {
  fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray name = QFile::encodeName(path);
  if (fd < 0 || size_t(name.size()) >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, name.constData(), name.size());
  return ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

// Lets this thread meet file rights as an ordinary user does, even when the tests run as root.
class WithoutFileRightsOverride {
 public:
  WithoutFileRightsOverride() {
    ::syscall(SYS_capget, &header_, saved_);
    std::memcpy(reduced_, saved_, sizeof reduced_);
    reduced_[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ::syscall(SYS_capset, &header_, reduced_);
  }
  ~WithoutFileRightsOverride() { ::syscall(SYS_capset, &header_, saved_); }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  __user_cap_data_struct reduced_[2]{};
};

}  // namespace

class DeletionTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void emptiesEverythingTheUserOwnsAndKeepsTheFolder() {
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    QVERIFY(writeFile(tmp + "/plain.txt"));
    QVERIFY(writeFile(tmp + "/.hidden"));
    QVERIFY(writeFile(tmp + "/readonly.txt"));
    QVERIFY(QFile::setPermissions(tmp + "/readonly.txt", QFile::ReadOwner));
    QVERIFY(writeFile(tmp + "/locked/inside.txt"));
    QVERIFY(QFile::setPermissions(tmp + "/locked", QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(writeFile(tmp + "/..x/inside.txt"));
    QVERIFY(writeFile(tmp + "/.x/inside.txt"));
    QVERIFY(writeFile(tmp + "/..y"));
    QVERIFY(writeFile(tmp + "/a/b/c/d.txt"));
    QVERIFY(QDir().mkpath(tmp + "/empty"));
    QVERIFY(QFile::setPermissions(tmp, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                           QFile::ExeOther));
    const mode_t before = modeOf(tmp);
    const mode_t parentBefore = modeOf(sandbox.path());
    platform::emptyFolderSafely(tmp + "/");  // with or without the separator alike
    QCOMPARE(contents(tmp), QStringList());
    QCOMPARE(modeOf(tmp), before);
    QCOMPARE(modeOf(sandbox.path()), parentBefore);
  }

  void linksAreRemovedNeverFollowed() {
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    const QString outside = sandbox.filePath("outside");
    QVERIFY(writeFile(outside + "/precious/keep.txt"));
    QVERIFY(writeFile(outside + "/keep-file.txt"));
    QVERIFY(link(outside + "/precious", tmp + "/to-folder"));
    QVERIFY(link(outside + "/keep-file.txt", tmp + "/to-file"));
    QVERIFY(link(tmp + "/loop-b", tmp + "/sub/loop-a"));
    QVERIFY(link(tmp + "/sub/loop-a", tmp + "/loop-b"));
    QVERIFY(link(tmp + "/missing", tmp + "/dangling"));
    const QStringList outsideBefore = contents(outside);
    platform::emptyFolderSafely(tmp);
    QCOMPARE(contents(tmp), QStringList());
    QCOMPARE(contents(outside), outsideBefore);

    // The folder to empty may not be a link itself.
    QVERIFY(link(outside, sandbox.filePath("link-to-outside")));
    platform::emptyFolderSafely(sandbox.filePath("link-to-outside"));
    QCOMPARE(contents(outside), outsideBefore);
  }

  // A folder that directly holds something in use is the running program's own, kept whole.
  void whatIsInUseStaysWithTheFoldersAboveIt() {
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    QVERIFY(writeFile(tmp + "/open-here/a/held.txt"));
    QVERIFY(writeFile(tmp + "/open-here/a/free.txt"));
    QVERIFY(writeFile(tmp + "/open-elsewhere/held.txt"));
    QVERIFY(writeFile(tmp + "/hardlinked/held.txt"));
    QVERIFY(::link(QFile::encodeName(tmp + "/hardlinked/held.txt").constData(),
                   QFile::encodeName(tmp + "/other-name.txt").constData()) == 0);
    QVERIFY(QDir().mkpath(tmp + "/special"));
    QVERIFY(::mkfifo(QFile::encodeName(tmp + "/special/fifo").constData(), 0600) == 0);
    int socketFd = -1;
    QVERIFY(makeSocket(tmp + "/special/socket", socketFd));
    // A program's socket with the cookie that proves it, and a socket no program has bound any more.
    int boundFd = -1, staleFd = -1;
    QVERIFY(QDir().mkpath(tmp + "/instance") && QDir().mkpath(tmp + "/stale"));
    QVERIFY(makeSocket(tmp + "/instance/SingletonSocket", boundFd));
    QVERIFY(link("4164023861931305543", tmp + "/instance/SingletonCookie"));
    QVERIFY(makeSocket(tmp + "/stale/SingletonSocket", staleFd));
    QVERIFY(link("4164023861931305543", tmp + "/stale/SingletonCookie"));
    ::close(staleFd);
    QVERIFY(writeFile(tmp + "/.X0-lock"));
    QVERIFY(QDir().mkpath(tmp + "/.X11-unix"));
    QVERIFY(QDir().mkpath(tmp + "/.ICE-unix"));
    QVERIFY(writeFile(tmp + "/xauth_AbCd"));
    QVERIFY(writeFile(tmp + "/ssh-XXXXabc/agent.1"));
    QVERIFY(writeFile(tmp + "/tmux-0/default"));
    QVERIFY(writeFile(tmp + "/pulse-PKdhtXMmr18n/pid"));
    QVERIFY(writeFile(tmp + "/kde-user/x"));
    QVERIFY(writeFile(tmp + "/ksocket-user/x"));
    QVERIFY(writeFile(tmp + "/krb5cc_1000"));
    QVERIFY(writeFile(tmp + "/dbus-AbCdEf"));
    QVERIFY(QDir().mkpath(tmp + "/.font-unix"));
    QVERIFY(writeFile(tmp + "/systemd-private-0123-colord.service-x/tmp/y"));
    QVERIFY(writeFile(tmp + "/snap-private-tmp/z"));
    QVERIFY(writeFile(tmp + "/gone.txt"));
    QVERIFY(writeFile(tmp + "/gone/too.txt"));

    QFile heldHere(tmp + "/open-here/a/held.txt");
    QVERIFY(heldHere.open(QIODevice::ReadOnly));
    QProcess holder;  // another process holding a file open
    holder.setStandardInputFile(tmp + "/open-elsewhere/held.txt");
    holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(holder.waitForStarted());
    QFile heldByOtherName(tmp + "/other-name.txt");
    QVERIFY(heldByOtherName.open(QIODevice::ReadOnly));
    // A read-only folder is opened up to be emptied; one that has to stay keeps its rights.
    const QString readOnly = tmp + "/open-here/a";
    QVERIFY(::chmod(QFile::encodeName(readOnly).constData(), 0500) == 0);

    platform::emptyFolderSafely(tmp);
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(readOnly).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0500));
    QVERIFY(::chmod(QFile::encodeName(readOnly).constData(), 0700) == 0);
    holder.kill();
    holder.waitForFinished();
    ::close(socketFd);
    ::close(boundFd);
    QCOMPARE(contents(tmp), (QStringList{".ICE-unix", ".X0-lock", ".X11-unix", ".font-unix", "dbus-AbCdEf",
                                         "hardlinked", "hardlinked/held.txt", "instance", "instance/SingletonCookie",
                                         "instance/SingletonSocket", "kde-user", "kde-user/x", "krb5cc_1000",
                                         "ksocket-user", "ksocket-user/x", "open-elsewhere",
                                         "open-elsewhere/held.txt", "open-here", "open-here/a", "open-here/a/free.txt",
                                         "open-here/a/held.txt", "other-name.txt", "pulse-PKdhtXMmr18n", "pulse-PKdhtXMmr18n/pid", "snap-private-tmp",
                                         "snap-private-tmp/z", "special", "special/fifo", "special/socket",
                                         "ssh-XXXXabc", "ssh-XXXXabc/agent.1", "stale", "stale/SingletonSocket",
                                         "systemd-private-0123-colord.service-x",
                                         "systemd-private-0123-colord.service-x/tmp",
                                         "systemd-private-0123-colord.service-x/tmp/y", "tmux-0", "tmux-0/default",
                                         "xauth_AbCd"}));
  }

  void onlyTheUsersOwnFilesGo() {
    if (::geteuid() != 0) QSKIP("needs root to give files to another user");
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    QVERIFY(writeFile(tmp + "/theirs.txt"));
    QVERIFY(writeFile(tmp + "/their-folder/mine.txt"));
    QVERIFY(writeFile(tmp + "/mine.txt"));
    QVERIFY(::lchown(QFile::encodeName(tmp + "/theirs.txt").constData(), 65534, 65534) == 0);
    QVERIFY(::lchown(QFile::encodeName(tmp + "/their-folder").constData(), 65534, 65534) == 0);
    platform::emptyFolderSafely(tmp);
    QCOMPARE(contents(tmp), (QStringList{"their-folder", "their-folder/mine.txt", "theirs.txt"}));
  }

  void anotherFileSystemIsNotEntered() {
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    if (!mountTmpfs(tmp + "/mounted")) QSKIP("mounting a tmpfs is not permitted here");
    QVERIFY(writeFile(tmp + "/mounted/keep.txt"));
    QVERIFY(writeFile(tmp + "/mine.txt"));
    platform::emptyFolderSafely(tmp);
    QCOMPARE(contents(tmp), (QStringList{"mounted", "mounted/keep.txt"}));
    ::umount2(QFile::encodeName(tmp + "/mounted").constData(), MNT_DETACH);
  }

  void deepNestingNeedsNoDescriptorPerLevel() {
    testsupport::Sandbox sandbox;
    const QString tmp = sandbox.filePath("tmp");
    // Deeper than the descriptor limit and the longest path the kernel takes in one piece.
    int fd = ::open(QFile::encodeName(tmp).constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 3000 && fd >= 0; ++level) {
      QVERIFY(::mkdirat(fd, "deep", 0700) == 0);
      const int file = ::openat(fd, "file", O_CREAT | O_WRONLY, 0600);
      QVERIFY(file >= 0);
      ::close(file);
      const int next = ::openat(fd, "deep", O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = next;
    }
    QVERIFY(fd >= 0);
    ::close(fd);
    platform::emptyFolderSafely(tmp);
    QCOMPARE(contents(tmp), QStringList());
  }

  void unsafeStartingPointsAreRefused() {
    testsupport::Sandbox sandbox;
    QVERIFY(writeFile(sandbox.home() + "/document.txt"));
    QVERIFY(writeFile(sandbox.filePath("tmp/relative/keep.txt")));
    const QStringList homeBefore = contents(sandbox.home());
    platform::emptyFolderSafely(sandbox.home());
    platform::emptyFolderSafely(sandbox.home() + "/");
    platform::emptyFolderSafely(sandbox.home() + "/../home");
    QCOMPARE(contents(sandbox.home()), homeBefore);
    // A relative path would depend on the current folder: never.
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(sandbox.filePath("tmp")));
    platform::emptyFolderSafely(QStringLiteral("relative"));
    QVERIFY(QDir::setCurrent(current));
    QVERIFY(QFileInfo::exists(sandbox.filePath("tmp/relative/keep.txt")));
    platform::emptyFolderSafely(sandbox.filePath("does-not-exist"));
    QVERIFY(!QFileInfo::exists(sandbox.filePath("does-not-exist")));
  }

  void singleFilesFollowTheSameRules() {
    testsupport::Sandbox sandbox;
    QVERIFY(writeFile(sandbox.filePath("outside.txt")));
    QVERIFY(link(sandbox.filePath("outside.txt"), sandbox.filePath("tmp/link")));
    QVERIFY(writeFile(sandbox.filePath("tmp/open.txt")));
    QVERIFY(writeFile(sandbox.filePath("tmp/folder/x")));
    QFile open(sandbox.filePath("tmp/open.txt"));
    QVERIFY(open.open(QIODevice::ReadOnly));
    QVERIFY(platform::deleteFileSafely(sandbox.filePath("tmp/link")));
    QVERIFY(QFileInfo::exists(sandbox.filePath("outside.txt")));
    QVERIFY(!platform::deleteFileSafely(sandbox.filePath("tmp/open.txt")));
    QVERIFY(!platform::deleteFileSafely(sandbox.filePath("tmp/folder")));
    QVERIFY(!platform::deleteFileSafely(sandbox.filePath("tmp/missing")));
    QCOMPARE(contents(sandbox.filePath("tmp")), (QStringList{"folder", "folder/x", "open.txt"}));
  }

  void aTrashedItemThatStaysKeepsItsDescription() {
    testsupport::Sandbox sandbox;
    const QString trash = sandbox.home() + "/.local/share/Trash";
    for (const char* item : {"held.odt", "gone.odt"}) {
      QVERIFY(writeFile(trash + "/files/" + item));
      QVERIFY(writeFile(trash + "/info/" + item + ".trashinfo"));
    }
    QVERIFY(writeFile(trash + "/info/orphan.trashinfo"));
    QFile held(trash + "/files/held.odt");
    QVERIFY(held.open(QIODevice::ReadOnly));
    platform::emptyTrash();
    QCOMPARE(contents(trash), (QStringList{"files", "files/held.odt", "info", "info/held.odt.trashinfo"}));
    held.close();

    // Items that cannot be listed may still be there: their descriptions stay.
    QVERIFY(QFile::setPermissions(trash + "/files", QFileDevice::Permissions()));
    {
      WithoutFileRightsOverride asTheUser;
      platform::emptyTrash();
    }
    QVERIFY(QFile::setPermissions(trash + "/files", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(contents(trash), (QStringList{"files", "files/held.odt", "info", "info/held.odt.trashinfo"}));
  }

  void trashOfTheHomeAndOfEveryFileSystem() {
    testsupport::Sandbox sandbox;
    const QString uid = QString::number(::geteuid());
    const QString home = sandbox.home() + "/.local/share/Trash";
    const QString root = sandbox.machineRoot();
    const QString outside = sandbox.filePath("outside");
    for (const QString& trash : {home, root + "/.Trash-" + uid, root + "/.Trash/" + uid}) {
      QVERIFY(writeFile(trash + "/files/photo.jpg"));
      QVERIFY(writeFile(trash + "/files/folder/nested.txt"));
      QVERIFY(writeFile(trash + "/info/photo.jpg.trashinfo"));
      QVERIFY(writeFile(trash + "/expunged/x"));
    }
    QVERIFY(writeFile(home + "/directorysizes"));
    QVERIFY(::chmod(QFile::encodeName(root + "/.Trash").constData(), 01777) == 0);
    const bool mounted = mountTmpfs(root + "/media/usb");
    if (mounted) QVERIFY(writeFile(root + "/media/usb/.Trash-" + uid + "/files/on-usb.txt"));
    // Not a trash of ours: a .Trash that is a link, and one that is not sticky.
    QVERIFY(writeFile(outside + "/" + uid + "/files/keep.txt"));
    QVERIFY(QDir().mkpath(root + "/other"));
    QVERIFY(writeFile(root + "/data/.Trash/" + uid + "/files/keep.txt"));
    const QStringList outsideBefore = contents(outside);

    QStringList expected{home, root + "/.Trash/" + uid, root + "/.Trash-" + uid};
    if (mounted) expected << root + "/media/usb/.Trash-" + uid;
    QStringList found = platform::trashFolders();
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);

    platform::emptyTrash();
    // The trash folders and their parts stay, empty.
    for (const QString& trash : expected) {
      QCOMPARE(contents(trash + "/files"), QStringList());
      QVERIFY(contents(trash).filter(QStringLiteral("/")).isEmpty());
    }
    QVERIFY(!QFileInfo::exists(home + "/directorysizes"));
    QCOMPARE(contents(home), (QStringList{"expunged", "files", "info"}));
    QCOMPARE(contents(outside), outsideBefore);
    QVERIFY(QFileInfo::exists(root + "/data/.Trash/" + uid + "/files/keep.txt"));
    if (mounted) {
      QCOMPARE(contents(root + "/media/usb"), (QStringList{".Trash-" + uid, ".Trash-" + uid + "/files"}));
      ::umount2(QFile::encodeName(root + "/media/usb").constData(), MNT_DETACH);
    }
  }

  void aSharedTrashMustBeStickyAndReal() {
    testsupport::Sandbox sandbox;
    const QString uid = QString::number(::geteuid());
    const QString root = sandbox.machineRoot();
    const QString outside = sandbox.filePath("outside");
    QVERIFY(writeFile(outside + "/" + uid + "/files/keep.txt"));
    QVERIFY(::chmod(QFile::encodeName(outside).constData(), 01777) == 0);
    QVERIFY(link(outside, root + "/.Trash"));
    QVERIFY(link(outside + "/" + uid, root + "/.Trash-" + uid));
    QVERIFY(writeFile(sandbox.home() + "/elsewhere/files/keep.txt"));
    QVERIFY(link(sandbox.home() + "/elsewhere", sandbox.home() + "/.local/share/Trash"));
    QCOMPARE(platform::trashFolders(), QStringList());
    platform::emptyTrash();
    QVERIFY(QFileInfo::exists(outside + "/" + uid + "/files/keep.txt"));
    QVERIFY(QFileInfo::exists(sandbox.home() + "/elsewhere/files/keep.txt"));

    // A real .Trash that is not sticky is not trusted either.
    QVERIFY(QFile::remove(root + "/.Trash"));
    QVERIFY(writeFile(root + "/.Trash/" + uid + "/files/keep.txt"));
    QVERIFY(::chmod(QFile::encodeName(root + "/.Trash").constData(), 0777) == 0);
    QCOMPARE(platform::trashFolders(), QStringList());
  }
};

QTEST_GUILESS_MAIN(DeletionTest)
#include "tst_privacydelete.moc"
