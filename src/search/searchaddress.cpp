#include "searchaddress.h"

#include <array>
#include <cstddef>

#include "querycoding.h"

namespace search {
namespace {

using platform::CodePage;

// One search service: the address is "http://" host path, then the Polish-only parameter when
// the kind takes it and the user asked for it, then the query key and the encoded query.
struct Service {
  SearchKind kind;
  const char* host;
  const char* path;
  const char* queryKey;
  CodePage codePage;  // Windows1250: the query's bytes as the program holds them
  bool takesPolishOnly;
};

// The hosts are ours to change when a service moves; paths and query keys are what each service
// answers to.
constexpr std::array<Service, 10> kServices{{
    {SearchKind::Web, "www.google.pl", "/search?", "q=", CodePage::Utf8, true},
    {SearchKind::FtpFiles, "www.filesearch.pl", "/?", "pytanie=", CodePage::Iso8859_2, false},
    {SearchKind::NewsGroups, "groups.google.com", "/groups?", "as_q=", CodePage::Utf8, true},
    {SearchKind::Goods, "allegro.pl", "/search.php?", "description=1&string=", CodePage::Utf8, false},
    {SearchKind::Images, "www.google.pl", "/images?", "q=", CodePage::Utf8, false},
    {SearchKind::Music, "www.google.pl", "/search?", "q=filetype:mp3%20", CodePage::Utf8, false},
    {SearchKind::Torrents, "www.google.pl", "/search?", "q=filetype:torrent%20", CodePage::Utf8, false},
    {SearchKind::PdfBooks, "www.google.pl", "/search?", "q=filetype:pdf%20", CodePage::Utf8, false},
    {SearchKind::OtherExtension, "www.google.pl", "/search?", "q=filetype:", CodePage::Utf8, false},
    {SearchKind::Underground, "www.packetstormsecurity.org", "/cgi-bin/robot?", "srch=", CodePage::Windows1250,
     false},
}};

constexpr bool inKindOrder() {
  for (std::size_t i = 0; i < kServices.size(); ++i)
    if (static_cast<std::size_t>(kServices[i].kind) != i) return false;
  return true;
}
static_assert(inKindOrder(), "one service per kind, in the kinds' order");

const Service& serviceFor(SearchKind kind) { return kServices[static_cast<std::size_t>(kind)]; }

}  // namespace

std::optional<QString> SearchAddress(const SearchRequest& request) {
  const Service& service = serviceFor(request.kind);
  QByteArray text = ToCodePage(request.query, service.codePage);
  // The extension is used as typed: "filetype:" wants it exactly as the user wrote it.
  if (request.kind == SearchKind::OtherExtension)
    text = ToCodePage(request.extension, service.codePage) + ' ' + text;
  const std::optional<QByteArray> encoded = EncodeQuery(text);
  if (!encoded) return std::nullopt;

  QString address = QStringLiteral("http://") + QLatin1String(service.host) + QLatin1String(service.path);
  if (service.takesPolishOnly && request.polishOnly) address += QLatin1String("lr=lang_pl&");
  address += QLatin1String(service.queryKey) + QLatin1String(*encoded);
  return address;
}

}  // namespace search
