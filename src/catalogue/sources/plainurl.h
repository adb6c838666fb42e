#pragma once

#include <QStringView>
#include <optional>

namespace catalogue::sources {

// An address already in the form a full parse would give back unchanged: a lower-case scheme,
// "//", a lower-case host name, an optional port, a path and an optional query made only of
// characters that stand for themselves, nothing percent-encoded and no fragment. Nearly every
// address of a large directory or playlist is such; recognising it takes a fraction of a parse.
struct PlainUrl {
  QStringView scheme;
  QStringView path;  // up to the query; may be empty
};

// The parts of `text` when it is a plain address, else nothing (and the full parse decides).
std::optional<PlainUrl> plainUrl(QStringView text);

}  // namespace catalogue::sources
