// The catalogue loader on arbitrary input. The input is the plain text of a catalogue file, which
// is scrambled here, so that the fuzzer's changes land on lines and columns rather than on key
// bytes. Besides crashes it checks that every record the loader accepts is written back as a line
// that loads again to the same record.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "catalogue/feedbuffer.h"
#include "catalogue/feedcolumns.h"
#include "catalogue/feedfile.h"
#include "catalogue/feedtext.h"
#include "platform/texttrim.h"

namespace {

using namespace catalogue;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// One leading "http://" comes off an address at every load, so such an address changes once more;
// what follows the removed prefix may also be a text the format cannot carry (" x", "-").
bool survives(const QString& address) {
  return !address.startsWith(QLatin1String("http://")) && feedTextFault(address) == FeedTextFault::None;
}

void checkWrittenBack(const TvStation& record) {
  QByteArray line;
  appendFeedLine(record, line);
  TvStation again;
  if (parseFeedLine(platform::trimControls(line), again)) fail("a loaded TV record does not load after it is written");
  if (again.Name != record.Name || again.StreamUrl != record.StreamUrl || again.RegionId != record.RegionId ||
      again.QualityBps != record.QualityBps || again.PlayerKind != record.PlayerKind ||
      again.Categories != record.Categories || again.Live != record.Live)
    fail("a TV record changes when written and loaded");
  if ((survives(record.Www) && again.Www != record.Www) ||
      (survives(record.ScheduleWww) && again.ScheduleWww != record.ScheduleWww))
    fail("a TV address changes when written and loaded");
}

void checkWrittenBack(const RadioStation& record) {
  QByteArray line;
  appendFeedLine(record, line);
  RadioStation again;
  if (parseFeedLine(platform::trimControls(line), again)) fail("a loaded radio record does not load after it is written");
  if (again.Name != record.Name || again.StreamUrl != record.StreamUrl || again.RegionId != record.RegionId ||
      again.QualityBps != record.QualityBps || again.PlayerKind != record.PlayerKind ||
      again.Categories != record.Categories || (survives(record.Www) && again.Www != record.Www))
    fail("a radio record changes when written and loaded");
}

template <typename Stations, typename Load>
void loadAndCheck(const QByteArray& scrambledBytes, Load load) {
  QByteArray bytes = scrambledBytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  Stations stations;
  if (load(buffer, stations).status != LoadResult::Loaded) fail("reading from memory failed");
  for (const auto& record : stations) {
    if (record.Name.isEmpty()) fail("a record without a name was loaded");
    checkWrittenBack(record);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  FeedKey key;
  key.apply(bytes.data(), bytes.size());
  loadAndCheck<TvStations>(bytes, [](QIODevice& device, TvStations& into) { return loadTvFeed(device, into); });
  loadAndCheck<RadioStations>(bytes,
                              [](QIODevice& device, RadioStations& into) { return loadRadioFeed(device, into); });
  return 0;
}
