#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <functional>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

#include "privacy/privacyctl.h"
#include "support/filebytes.h"
#include "treebuilder.h"

// What the cleaner's safety tests share: snapshots of what stays, programs that run while a step
// runs, and a user who acts at a chosen moment of it.
namespace cleanerfixture {

using Tree = QMap<QString, QByteArray>;

// The probe program the tests start. It is read before the machine's /tmp, where the build may
// lie, is hidden behind temporary folders of this process's own.
class CleanProbe {
 public:
  bool load() {
    bytes_ = testsupport::fileBytes(QStringLiteral(CLEANPROBE));
    if (!treebuilder::privateTemporaryFolders()) qWarning("no private /tmp here: the tests keep to their sandbox folders");
    return bytes_.startsWith("\x7f" "ELF");
  }
  const QByteArray& bytes() const { return bytes_; }
  bool install(const QString& path) const {
    return treebuilder::writeFile(path, bytes_) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

 private:
  QByteArray bytes_;
};

// The entries of a snapshot under one of its folders, with that folder.
inline Tree under(const Tree& tree, const QString& folder) {
  Tree part;
  for (auto it = tree.begin(); it != tree.end(); ++it)
    if (it.key() == folder || it.key().startsWith(folder + '/')) part.insert(it.key(), it.value());
  return part;
}

inline Tree keptParts(const Tree& tree, const QStringList& folders) {
  Tree kept;
  for (const QString& folder : folders) kept.insert(under(tree, folder));
  return kept;
}

inline void cleanTemporaryFiles() {
  privacy::PrivacyCtl privacy([] {});
  privacy.CleanTempFiles();
}

// A process that runs until the test ends.
struct Running {
  QProcess process;
  ~Running() {
    process.terminate();
    if (!process.waitForFinished(10000)) {
      process.kill();
      process.waitForFinished();
    }
  }
};

// Runs `then` on a thread of its own the moment `folder` first sees one of the inotify `events`
// (IN_OPEN: it or something in it is opened; IN_DELETE: something in it is deleted).
class OnFirstEvent {
 public:
  OnFirstEvent(const QString& folder, uint32_t events, std::function<void()> then)
      : watch_(::inotify_init1(IN_CLOEXEC)) {
    ::inotify_add_watch(watch_, QFile::encodeName(folder).constData(), events);
    thread_ = std::thread([this, then = std::move(then)] {
      alignas(inotify_event) char event[4096];
      if (::read(watch_, event, sizeof event) > 0) then();
    });
  }
  ~OnFirstEvent() {
    thread_.join();
    ::close(watch_);
  }

 private:
  int watch_;
  std::thread thread_;
};

}  // namespace cleanerfixture
