#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

namespace catalogue::sources {

// One entry of a playlist, whatever its format. `attributes` hold the extended M3U attributes by
// lower-case name ("tvg-name", "group-title" …); the other formats use the same names for what
// they carry.
struct PlaylistEntry {
  QString title;
  QString address;
  QHash<QString, QString> attributes;
  friend bool operator==(const PlaylistEntry&, const PlaylistEntry&) = default;
};
using Playlist = std::vector<PlaylistEntry>;

// Attribute names of our own for what the common attributes cannot say; other players skip them.
inline const QString kRegionAttribute = QStringLiteral("group-title");
inline const QString kNameAttribute = QStringLiteral("tvg-name");
inline const QString kCountryAttribute = QStringLiteral("tvg-country");
inline const QString kLanguageAttribute = QStringLiteral("tvg-language");
inline const QString kHomePageAttribute = QStringLiteral("sieciownik-www");
inline const QString kScheduleAttribute = QStringLiteral("sieciownik-schedule");
inline const QString kKindAttribute = QStringLiteral("sieciownik-kind");
inline const QString kCategoriesAttribute = QStringLiteral("sieciownik-categories");
inline const QString kBitRateAttribute = QStringLiteral("sieciownik-bitrate");
inline const QString kLiveAttribute = QStringLiteral("sieciownik-live");
// Every attribute a station is made from.
inline const QStringList kStationAttributes{kNameAttribute,     kRegionAttribute,   kCountryAttribute,
                                            kLanguageAttribute, kHomePageAttribute, kScheduleAttribute,
                                            kKindAttribute,     kCategoriesAttribute, kBitRateAttribute,
                                            kLiveAttribute};

// Playlist text as the players write it: UTF-8 (with or without a byte-order mark), or else the
// Central European Windows code page of older programs.
QString playlistText(const QByteArray& bytes);

// The lines of a text: CR LF, CR and LF each end one.
void forEachLine(QStringView text, const std::function<void(QStringView)>& take);
// The lines of playlistText(bytes), decoded one at a time: a large playlist is never held as text.
void forEachPlaylistLine(const QByteArray& bytes, const std::function<void(QStringView)>& take);

// M3U, extended or plain. Lines may end in CR LF, LF or CR; "#EXTM3U" may be missing; attribute
// values may hold blanks and commas. Entries whose address is not a network address (a relative
// path, a local file) are skipped.
Playlist parseM3u(const QString& text);

// The same, line by line: each entry is handed over (to be taken or left) as soon as its address
// line is read, so that a playlist of any size is read without holding its entries. Given
// `keptAttributes`, the entries keep only those.
class M3uReader {
 public:
  explicit M3uReader(std::function<void(PlaylistEntry&)> take, QStringList keptAttributes = {});
  void addLine(QStringView line);

 private:
  std::function<void(PlaylistEntry&)> take_;
  QStringList kept_;
  PlaylistEntry pending_;
  QString group_;  // "#EXTGRP:" applies to the entry that follows
};
// Extended M3U (UTF-8): "#EXTINF:-1" with the attributes, the title after the comma.
QString writeM3u(const Playlist& playlist);

// PLS: keys in any letter case, NumberOfEntries optional (every FileN counts).
Playlist parsePls(const QString& text);
QString writePls(const Playlist& playlist);

// XSPF. Nothing when the document is not an XSPF playlist.
std::optional<Playlist> parseXspf(const QByteArray& xml);
QByteArray writeXspf(const Playlist& playlist);

}  // namespace catalogue::sources
