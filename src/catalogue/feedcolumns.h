#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <optional>
#include <span>

#include "catalogue/feedfile.h"
#include "catalogue/stations.h"

namespace catalogue {

enum class FeedColumnKind {
  Name,     // required text
  Address,  // optional text; one leading "http://" is removed when read
  Stream,   // optional text, kept exactly
  Byte,     // required integer; only its low 8 bits are kept
  Integer,  // required integer
  Live,     // required integer; 1 means live; written as 1 or 2
  Quality,  // optional integer; anything that is not one reads as 0
};

constexpr bool isRequired(FeedColumnKind kind) {
  return kind != FeedColumnKind::Address && kind != FeedColumnKind::Stream && kind != FeedColumnKind::Quality;
}

// One column of a catalogue line: its kind and the record field it fills.
template <typename Station>
struct FeedColumn {
  const char* field;
  FeedColumnKind kind;
  QString Station::*text = nullptr;
  qint32 Station::*integer = nullptr;
  quint8 Station::*byte = nullptr;
  bool Station::*flag = nullptr;
};

// The columns of a line in file order; it differs from the order of the record fields.
inline constexpr std::array<FeedColumn<TvStation>, 9> kTvFeedColumns{{
    {"Name", FeedColumnKind::Name, &TvStation::Name},
    {"Www", FeedColumnKind::Address, &TvStation::Www},
    {"ScheduleWww", FeedColumnKind::Address, &TvStation::ScheduleWww},
    {"PlayerKind", FeedColumnKind::Byte, nullptr, nullptr, &TvStation::PlayerKind},
    {"RegionId", FeedColumnKind::Integer, nullptr, &TvStation::RegionId},
    {"Categories", FeedColumnKind::Byte, nullptr, nullptr, &TvStation::Categories},
    {"Live", FeedColumnKind::Live, nullptr, nullptr, nullptr, &TvStation::Live},
    {"QualityBps", FeedColumnKind::Quality, nullptr, &TvStation::QualityBps},
    {"StreamUrl", FeedColumnKind::Stream, &TvStation::StreamUrl},
}};

inline constexpr std::array<FeedColumn<RadioStation>, 7> kRadioFeedColumns{{
    {"Name", FeedColumnKind::Name, &RadioStation::Name},
    {"Www", FeedColumnKind::Address, &RadioStation::Www},
    {"PlayerKind", FeedColumnKind::Byte, nullptr, nullptr, &RadioStation::PlayerKind},
    {"RegionId", FeedColumnKind::Integer, nullptr, &RadioStation::RegionId},
    {"Categories", FeedColumnKind::Byte, nullptr, nullptr, &RadioStation::Categories},
    {"QualityBps", FeedColumnKind::Quality, nullptr, &RadioStation::QualityBps},
    {"StreamUrl", FeedColumnKind::Stream, &RadioStation::StreamUrl},
}};

template <typename Station>
constexpr std::span<const FeedColumn<Station>> feedColumns();
template <>
constexpr std::span<const FeedColumn<TvStation>> feedColumns<TvStation>() { return kTvFeedColumns; }
template <>
constexpr std::span<const FeedColumn<RadioStation>> feedColumns<RadioStation>() { return kRadioFeedColumns; }

// One column off the front of the line: the text before the first TAB, trimmed, with "-" read as
// empty; the line keeps what follows the TAB, trimmed, so a run of TABs is one separator. Once the
// columns run out every further column is empty.
QByteArrayView TakeFeedColumn(QByteArrayView& line);

// Fills `record` from a trimmed line that is neither empty nor a comment. Nothing when the line
// loads; otherwise why it is dropped (the line number left for the caller).
template <typename Station>
std::optional<DroppedLine> parseFeedLine(QByteArrayView line, Station& record);

// The record as the writer writes it, CR LF included, appended to out.
template <typename Station>
void appendFeedLine(const Station& record, QByteArray& out);

}  // namespace catalogue
