#include "catalogueswap.h"

#include <QFile>
#include <cerrno>
#include <unistd.h>

#include "catalogue/filereplace.h"

namespace app {
namespace {

struct Snapshot {
  bool existed = false;
  QByteArray bytes;
};

std::optional<Snapshot> snapshotOf(const QString& path) {
  QFile file(path);
  if (!file.exists()) return Snapshot{};
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  Snapshot snapshot{true, file.readAll()};
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  return snapshot;
}

catalogue::SaveResult restore(const QString& path, const Snapshot& snapshot) {
  if (!snapshot.existed) {
    if (QFile::remove(path)) return {true, {}};
    return {false, QStringLiteral("Nie można usunąć pliku %1.").arg(path)};
  }
  return catalogue::replaceFile(path, [&](int fd) {
    qint64 done = 0;
    while (done < snapshot.bytes.size()) {
      const ssize_t written = ::write(fd, snapshot.bytes.constData() + done, size_t(snapshot.bytes.size() - done));
      if (written < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      done += written;
    }
    return 0;
  });
}

}  // namespace

catalogue::SaveResult writeBothCatalogues(const QString& tvPath, const catalogue::TvStations& tv,
                                          const QString& radioPath, const catalogue::RadioStations& radio) {
  const std::optional<Snapshot> oldTv = snapshotOf(tvPath);
  if (!oldTv) return {false, QStringLiteral("Nie można odczytać pliku %1.").arg(tvPath)};
  const catalogue::SaveResult tvSaved = catalogue::saveTvFeed(tvPath, tv);
  if (!tvSaved.ok) return tvSaved;
  const catalogue::SaveResult radioSaved = catalogue::saveRadioFeed(radioPath, radio);
  if (radioSaved.ok) return radioSaved;
  const catalogue::SaveResult restored = restore(tvPath, *oldTv);
  if (!restored.ok) return {false, radioSaved.error + QLatin1Char('\n') + restored.error};
  return radioSaved;
}

}  // namespace app
