#pragma once

#include <QCollator>
#include <QString>
#include <optional>
#include <vector>

#include "catalogue/diskstamp.h"
#include "catalogue/feedfile.h"
#include "catalogue/stationchange.h"

namespace catalogue {

// One catalogue file as the program last read or wrote it, so that nothing another program wrote
// there since is ever written over. It remembers the file's stamp and, for as long as the stamp
// cannot tell (the file changed less than one tick of the file system's clock ago), a digest of
// its bytes.
template <class Station>
class FeedGuard {
 public:
  explicit FeedGuard(QString path, FeedReadThrough readThrough = {});
  const QString& path() const { return path_; }

  // Appends the file's stations to `into` and remembers the file as read. A file replaced while it
  // was read is read again.
  LoadResult load(std::vector<Station>& into);

  // Whether the file is no longer the one last read or written.
  bool changedOnDisk();
  // When it is, reads it anew into `stations` and tells how that went; nothing when it is not. A
  // file that is gone leaves the stations as they are, to be written again with the next change:
  // a catalogue deleted from under the program is more likely lost than meant to be empty.
  std::optional<LoadResult> refresh(std::vector<Station>& stations);
  // Milliseconds until a look at the file's stamp alone tells whether it changed, so that its
  // bytes need not be read again; -1 when it tells already.
  int msUntilStampTells() const;

  struct Commit {
    enum Status { Saved, Refused, Failed };
    Status status = Saved;
    QString message;      // Refused, Failed: for the user
    bool reread = false;  // the file had changed: `stations` was read from it anew
    LoadResult load;      // how that reading went
  };
  // Makes `change` on the catalogue and writes it, holding the folder's lock while it looks and
  // writes. When the file changed on disk meanwhile, `stations` is read from it first and the
  // change made on that; when that cannot be done without guessing, nothing is written and the
  // message says why. A failed write leaves `stations` changed and the file as it was, and the
  // next commit writes that change too.
  Commit commit(std::vector<Station>& stations, const StationChange<Station>& change, const QCollator& names);

  // The steps of commit, for a caller that writes more than one catalogue under one lock: with the
  // lock held, `stations` as the file holds it now (read anew when it changed), or a refusal.
  struct Rebase {
    bool reread = false;
    LoadResult load;
    QString refusal;  // why nothing may be written; empty when it may
  };
  Rebase rebase(std::vector<Station>& stations);
  // Still under the lock: the caller has written the file.
  void written();

 private:
  // The stamp just taken at `at` is the file's; keeps its bytes' digest until the stamp alone tells.
  void remember(const DiskStamp& stamp, const timespec& at);

  QString path_;
  FeedReadThrough readThrough_;
  DiskStamp known_;
  bool settled_ = true;  // the stamp alone tells a change
  std::optional<std::size_t> unsettledDigest_;
  bool unreadable_ = false;  // a file is there, but it could not be read
};

// A catalogue file as read, with the guard that read it.
template <class Station>
struct GuardedRead {
  FeedGuard<Station> guard;
  std::vector<Station> stations;
  LoadResult result;
};

// Reads the file with a guard of its own, which a panel can take over with the stations.
template <class Station>
GuardedRead<Station> readGuarded(QString path);

}  // namespace catalogue
