#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace catalogue::sources::json {

// Room the parser needs behind the end of a document, which it reads in blocks. A document that
// is read into a byte array with this room to spare is parsed where it lies; any other is copied.
inline constexpr qsizetype kPadding = 64;

enum class Kind : quint8 { Missing, Null, Boolean, Number, String, Array, Object };

// One value of an object as the document has it.
struct Value {
  Kind kind = Kind::Missing;
  std::string_view text;  // String: between the quotes, escapes as written; Boolean: "true" or "false"
  double number = 0;      // Number
  quint32 first = 0;      // Array: where its items start among the entry's items, and how many
  quint32 count = 0;
};

inline constexpr std::size_t kMaxKeys = 16;

// The values of the keys asked for in one object of the list; a key given twice counts with its
// last value.
class Entry {
 public:
  const Value& operator[](std::size_t slot) const { return values_[slot]; }
  std::span<const Value> items(const Value& array) const {
    return std::span<const Value>(items_).subspan(array.first, array.count);
  }

 private:
  friend class ListReader;
  std::array<Value, kMaxKeys> values_{};
  std::vector<Value> items_;
};

struct ListRead {
  enum Status {
    Done,
    NotJson,   // not JSON at all (an error page, garbage, a cut-off transfer)
    NotAList,  // JSON, but not an array
    Stopped,   // the visitor asked to stop
  };
  Status status = NotJson;
  qsizetype elements = 0;  // of the array, objects or not, as far as it was read
};

// Reads a document whose top level is an array without building it: each object in the array is
// handed to `visit` as the values of `keys` (at most kMaxKeys), in document order; elements that
// are not objects are passed over. `visit` returns false to stop. The structure, the text and the
// values of the keys asked for are checked; other values are only passed over.
ListRead readObjectList(const QByteArray& document, std::span<const std::string_view> keys,
                        const std::function<bool(const Entry&)>& visit);

// A string's text; empty for any other value, as the documents have always been read.
QString toString(const Value& value);

}  // namespace catalogue::sources::json
