// A process the reliability tests start, kill and run twice at once.
//   save <catalogue> <seed>[,<seed>…] <stations> <rounds>
//       builds the catalogues of the seeds, prints "ready", then saves them in turn, <rounds> saves
//       in all (0: until killed), printing "saved" after each; exit 2 on a failed save.
//   settings <store> <writer> <rounds>
//       prints "ready", then writes round after round, each one transaction setting the integer
//       "Round" and the text "Text" of one key (0 rounds: until killed); exit 2 on a failed write.

#include <QCoreApplication>
#include <cstdio>

#include "bigcatalogue.h"
#include "catalogue/feedfile.h"
#include "platform/registrystore.h"

namespace {

int saveCatalogues(const QString& path, const QStringList& seeds, int count, qint64 rounds) {
  std::vector<catalogue::TvStations> catalogues;
  for (const QString& seed : seeds) catalogues.push_back(reliability::bigCatalogue(seed.toUInt(), count));
  std::printf("ready\n");
  std::fflush(stdout);
  for (qint64 round = 0; rounds == 0 || round < rounds; ++round) {
    const catalogue::SaveResult result = catalogue::saveTvFeed(path, catalogues[round % catalogues.size()]);
    if (!result.ok) {
      std::fprintf(stderr, "save %lld failed: %s\n", static_cast<long long>(round), qPrintable(result.error));
      return 2;
    }
    std::printf("saved\n");
    std::fflush(stdout);
  }
  return 0;
}

int writeSettings(const QString& path, const QString& writer, qint64 rounds) {
  std::printf("ready\n");
  std::fflush(stdout);
  try {
    platform::SettingsHive hive(path);
    for (qint64 round = 0; rounds == 0 || round < rounds; ++round) {
      hive.transaction([&] {
        const std::optional<platform::SettingsHive::KeyId> key = hive.openKey(reliability::kSettingsKey, true);
        if (!key) throw platform::ValueError(QStringLiteral("no key"));
        hive.setValue(*key, QStringLiteral("Round"), platform::integerValue(qint32(round)));
        hive.setValue(*key, QStringLiteral("Text"), platform::stringValue(reliability::settingsText(writer, round)));
      });
    }
  } catch (const platform::SettingsError& error) {
    std::fprintf(stderr, "write failed: %s\n", error.what());
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() == 6 && args[1] == QStringLiteral("save"))
    return saveCatalogues(args[2], args[3].split(QLatin1Char(',')), args[4].toInt(), args[5].toLongLong());
  if (args.size() == 5 && args[1] == QStringLiteral("settings"))
    return writeSettings(args[2], args[3], args[4].toLongLong());
  std::fprintf(stderr, "usage: save <catalogue> <seeds> <stations> <rounds> | settings <store> <writer> <rounds>\n");
  return 1;
}
