#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <span>

namespace catalogue {

struct FlagName {
  quint8 Mask;
  const char16_t* Name;
};

// The bits of `Categories`, one a row of CategoryNames.
namespace category {
inline constexpr quint8 kEntertainment = 0x01;  // "rozrywka"
inline constexpr quint8 kNews = 0x02;           // "informacje"
inline constexpr quint8 kDiaspora = 0x04;       // "polonijne"
inline constexpr quint8 kReligious = 0x08;      // "religijne"
inline constexpr quint8 kMusic = 0x10;          // "muzyczne"
inline constexpr quint8 kAdult = 0x20;          // "erotyczne"
}  // namespace category

// The values of a TV station's `PlayerKind`, one a row of TvPlayerKinds.
namespace tvplayer {
inline constexpr quint8 kRealPlayer = 1;  // the external RealPlayer program
inline constexpr quint8 kWindowsMedia = 2;
inline constexpr quint8 kNullsoft = 4;
inline constexpr quint8 kOther = 8;
}  // namespace tvplayer

// The values of a radio station's `PlayerKind`, one a row of RadioPlayerKinds.
namespace radioplayer {
inline constexpr quint8 kShoutcast = 1;
inline constexpr quint8 kRealPlayer = 2;  // the external RealPlayer program
inline constexpr quint8 kWindowsMedia = 4;
inline constexpr quint8 kOggVorbis = 8;
inline constexpr quint8 kQuickTime = 16;
}  // namespace radioplayer

extern const std::array<FlagName, 6> CategoryNames;
extern const std::array<FlagName, 4> TvPlayerKinds;
extern const std::array<FlagName, 5> RadioPlayerKinds;

// The names of the rows that share a bit with value, in table order, joined with ", ".
QString DescribeFlags(quint8 value, std::span<const FlagName> table);

}  // namespace catalogue
