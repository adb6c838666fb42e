#pragma once

#include <QString>
#include <optional>

namespace search {

// The ten search kinds, in the order in which the checked one is looked for.
enum class SearchKind {
  Web,             // "WWW"
  FtpFiles,        // "Pliki (FTP)"
  NewsGroups,      // "Porady (news)"
  Goods,           // "Towary"
  Images,          // "Grafika"
  Music,           // "Muzyka"
  Torrents,        // "Torrent"
  PdfBooks,        // "e-booki (PDF)"
  OtherExtension,  // "inne (podaj rozszerzenie):"
  Underground,     // "podziemie"
};

// What the panel holds when a search is run.
struct SearchRequest {
  SearchKind kind = SearchKind::Web;
  QString query;
  QString extension;  // read only by the kind OtherExtension
  bool polishOnly = false;  // read only by the kinds Web and NewsGroups
};

// The address of the kind's web search service for the query, or nothing when the query (for
// OtherExtension: the extension and the query together) is blank.
std::optional<QString> SearchAddress(const SearchRequest& request);

}  // namespace search
