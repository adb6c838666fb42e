#include "flags.h"

namespace catalogue {

const std::array<FlagName, 6> CategoryNames = {{
    {category::kEntertainment, u"rozrywka"},
    {category::kNews, u"informacje"},
    {category::kDiaspora, u"polonijne"},
    {category::kReligious, u"religijne"},
    {category::kMusic, u"muzyczne"},
    {category::kAdult, u"erotyczne"},
}};

const std::array<FlagName, 4> TvPlayerKinds = {{
    {tvplayer::kRealPlayer, u"RealPlayer"},
    {tvplayer::kWindowsMedia, u"Windows Media Video"},
    {tvplayer::kNullsoft, u"NSV"},
    {tvplayer::kOther, u"inne"},
}};

const std::array<FlagName, 5> RadioPlayerKinds = {{
    {radioplayer::kShoutcast, u"Shoutcast"},
    {radioplayer::kRealPlayer, u"RealPlayer"},
    {radioplayer::kWindowsMedia, u"Windows Media Audio"},
    {radioplayer::kOggVorbis, u"OGG Vorbis"},
    {radioplayer::kQuickTime, u"QuickTime"},
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
