#pragma once

#include <QString>
#include <QStringView>
#include <array>

namespace catalogue {

struct Region {
  const char16_t* Name;
  qint32 Id;
};

inline constexpr int kRegionCount = 158;
inline constexpr int kFavouritesRow = 0;  // "Ulubione", Id 0

extern const std::array<Region, kRegionCount> Regions;

// The first row whose Id equals id, or -1.
int regionRowById(qint32 id);
// The first row whose Name equals name exactly (letter case counts), or -1.
int regionRowByName(QStringView name);

}  // namespace catalogue

namespace catalogue {
// The name of a row as a QString.
QString regionName(int row);
}  // namespace catalogue
