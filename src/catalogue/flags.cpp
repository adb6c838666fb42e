#include "flags.h"

namespace catalogue {

const std::array<FlagName, 6> CategoryNames = {{
    {0x01, u"rozrywka"},
    {0x02, u"informacje"},
    {0x04, u"polonijne"},
    {0x08, u"religijne"},
    {0x10, u"muzyczne"},
    {0x20, u"erotyczne"},
}};

const std::array<FlagName, 4> TvPlayerKinds = {{
    {1, u"RealPlayer"},
    {2, u"Windows Media Video"},
    {4, u"NSV"},
    {8, u"inne"},
}};

const std::array<FlagName, 5> RadioPlayerKinds = {{
    {1, u"Shoutcast"},
    {2, u"RealPlayer"},
    {4, u"Windows Media Audio"},
    {8, u"OGG Vorbis"},
    {16, u"QuickTime"},
}};

QString DescribeFlags(quint8 value, std::span<const FlagName> table) {
  QString text;
  for (const FlagName& row : table) {
    if ((row.Mask & value) == 0) continue;
    if (!text.isEmpty()) text += QStringLiteral(", ");
    text += QString::fromUtf16(row.Name);
  }
  return text;
}

}  // namespace catalogue
