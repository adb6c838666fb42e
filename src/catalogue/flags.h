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

extern const std::array<FlagName, 6> CategoryNames;
extern const std::array<FlagName, 4> TvPlayerKinds;
extern const std::array<FlagName, 5> RadioPlayerKinds;

// PlayerKind values that mean "external RealPlayer program".
inline constexpr quint8 kTvRealPlayer = 1;
inline constexpr quint8 kRadioRealPlayer = 2;

// The names of the rows that share a bit with value, in table order, joined with ", ".
QString DescribeFlags(quint8 value, std::span<const FlagName> table);

}  // namespace catalogue
