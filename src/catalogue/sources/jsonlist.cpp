#include "jsonlist.h"

#include <charconv>
#include <cstring>
#include <simdjson.h>

namespace catalogue::sources::json {
namespace {

namespace od = simdjson::ondemand;

static_assert(kPadding >= simdjson::SIMDJSON_PADDING);

bool isJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A scalar's token without the blanks that follow it.
std::string_view tokenOf(od::value& value) {
  std::string_view token = value.raw_json_token();
  while (!token.empty() && isJsonSpace(token.back())) token.remove_suffix(1);
  return token;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The escapes the program's JSON reading has always taken: a backslash before any ASCII character
// (which stands for itself unless it is one of the named ones), or "\u" with four hexadecimal digits.
bool escapesValid(std::string_view text) {
  for (std::size_t at = text.find('\\'); at != std::string_view::npos; at = text.find('\\', at)) {
    if (at + 1 >= text.size()) return false;
    const unsigned char next = static_cast<unsigned char>(text[at + 1]);
    if (next >= 0x80) return false;
    if (next == 'u') {
      if (at + 6 > text.size()) return false;
      for (std::size_t i = at + 2; i < at + 6; ++i)
        if (!isHex(text[i])) return false;
      at += 6;
    } else {
      at += 2;
    }
  }
  return true;
}

// Reads one value of a key asked for; false when it is not well formed.
bool readValue(od::value& value, Value& out, std::vector<Value>& items, bool inArray = false) {
  od::json_type type;
  if (value.type().get(type) != simdjson::SUCCESS) return false;
  switch (type) {
    case od::json_type::string: {
      const std::string_view token = tokenOf(value);
      if (token.size() < 2) return false;
      out = {Kind::String, token.substr(1, token.size() - 2)};
      return escapesValid(out.text);
    }
    case od::json_type::number: {
      const std::string_view token = tokenOf(value);
      if (token.find_first_not_of("0123456789+-.eE") != std::string_view::npos) return false;
      out = {Kind::Number, token};
      const auto parsed = std::from_chars(token.data(), token.data() + token.size(), out.number);
      return parsed.ec == std::errc() && parsed.ptr == token.data() + token.size();
    }
    case od::json_type::boolean: {
      const std::string_view token = tokenOf(value);
      out = {Kind::Boolean, token};
      return token == "true" || token == "false";
    }
    case od::json_type::null:
      out = Value{Kind::Null, {}};
      return tokenOf(value) == "null";
    case od::json_type::object:
      // Never looked into: only its presence counts.
      out = Value{Kind::Object, {}};
      return true;
    case od::json_type::array: {
      out = Value{Kind::Array, {}};
      if (inArray) return true;  // an array in an array stands for nothing
      od::array array;
      if (value.get_array().get(array) != simdjson::SUCCESS) return false;
      out.first = static_cast<quint32>(items.size());
      for (auto element : array) {
        od::value item;
        Value read;
        if (std::move(element).get(item) != simdjson::SUCCESS || !readValue(item, read, items, true)) return false;
        items.push_back(read);
      }
      out.count = static_cast<quint32>(items.size() - out.first);
      return true;
    }
  }
  return false;
}

// The text of a key as written: between its quotes, when it has no escape.
std::optional<std::string_view> plainKey(const char* raw) {
  for (const char* p = raw;; ++p) {
    if (*p == '"') return std::string_view(raw, p - raw);
    if (*p == '\\') return std::nullopt;
  }
}

// Whether the whole document has been read: anything after the top-level value is an error.
bool atEnd(od::document& document) { return document.current_location().error() == simdjson::OUT_OF_BOUNDS; }

int slotOf(std::string_view key, std::span<const std::string_view> keys) {
  for (std::size_t slot = 0; slot < keys.size(); ++slot)
    if (keys[slot].size() == key.size() && std::memcmp(keys[slot].data(), key.data(), key.size()) == 0)
      return static_cast<int>(slot);
  return -1;
}

}  // namespace

class ListReader {
 public:
  static ListRead read(const QByteArray& document, std::span<const std::string_view> keys,
                       const std::function<bool(const Entry&)>& visit);

 private:
  static bool readObject(od::object& object, std::span<const std::string_view> keys, Entry& entry);
};

bool ListReader::readObject(od::object& object, std::span<const std::string_view> keys, Entry& entry) {
  entry.values_.fill(Value{});
  entry.items_.clear();
  for (auto member : object) {
    od::field field;
    if (std::move(member).get(field) != simdjson::SUCCESS) return false;
    std::optional<std::string_view> key = plainKey(field.key().raw());
    if (!key) {
      std::string_view unescaped;
      if (field.unescaped_key().get(unescaped) != simdjson::SUCCESS) return false;
      key = unescaped;
    }
    const int slot = slotOf(*key, keys);
    if (slot >= 0 && !readValue(field.value(), entry.values_[slot], entry.items_)) return false;
  }
  return true;
}

ListRead ListReader::read(const QByteArray& document, std::span<const std::string_view> keys,
                          const std::function<bool(const Entry&)>& visit) {
  Q_ASSERT(keys.size() <= kMaxKeys);
  // The parser reads past the end; a document without that room is read from a copy that has it.
  QByteArray copy;
  const QByteArray* text = &document;
  if (const_cast<QByteArray&>(document).data_ptr().freeSpaceAtEnd() < kPadding) {
    copy.reserve(document.size() + kPadding);
    copy.append(document);
    text = &copy;
  }
  std::string_view json(text->constData(), static_cast<std::size_t>(text->size()));
  std::size_t room = json.size() + kPadding;
  if (json.substr(0, 3) == "\xEF\xBB\xBF") {  // a byte-order mark is allowed before the document
    json.remove_prefix(3);
    room -= 3;
  }

  od::parser parser;
  od::document root;
  od::json_type type;
  ListRead result;
  if (parser.iterate(simdjson::padded_string_view(json.data(), json.size(), room)).get(root) != simdjson::SUCCESS ||
      root.type().get(type) != simdjson::SUCCESS)
    return result;
  if (type == od::json_type::object) {
    od::object object;
    Entry ignored;
    const bool wellFormed = root.get_object().get(object) == simdjson::SUCCESS && readObject(object, {}, ignored);
    if (wellFormed && atEnd(root)) result.status = ListRead::NotAList;
    return result;
  }
  od::array array;
  if (type != od::json_type::array || root.get_array().get(array) != simdjson::SUCCESS) return result;
  Entry entry;
  for (auto element : array) {
    od::value value;
    od::json_type elementType;
    if (std::move(element).get(value) != simdjson::SUCCESS || value.type().get(elementType) != simdjson::SUCCESS) return result;
    ++result.elements;
    if (elementType != od::json_type::object) continue;
    od::object object;
    if (value.get_object().get(object) != simdjson::SUCCESS || !readObject(object, keys, entry)) return result;
    if (!visit(entry)) {
      result.status = ListRead::Stopped;
      return result;
    }
  }
  if (atEnd(root)) result.status = ListRead::Done;
  return result;
}

ListRead readObjectList(const QByteArray& document, std::span<const std::string_view> keys,
                        const std::function<bool(const Entry&)>& visit) {
  return ListReader::read(document, keys, visit);
}

QString toString(const Value& value) {
  if (value.kind != Kind::String) return {};
  const std::string_view text = value.text;
  if (text.find('\\') == std::string_view::npos) return QString::fromUtf8(text.data(), qsizetype(text.size()));
  QString out;
  out.reserve(qsizetype(text.size()));
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t escape = std::min(text.find('\\', at), text.size());
    if (escape > at) out += QString::fromUtf8(text.data() + at, qsizetype(escape - at));
    if (escape == text.size()) break;
    const char next = text[escape + 1];
    switch (next) {
      case 'b': out += QChar(u'\b'); break;
      case 'f': out += QChar(u'\f'); break;
      case 'n': out += QChar(u'\n'); break;
      case 'r': out += QChar(u'\r'); break;
      case 't': out += QChar(u'\t'); break;
      case 'u': {
        unsigned unit = 0;
        std::from_chars(text.data() + escape + 2, text.data() + escape + 6, unit, 16);
        out += QChar(char16_t(unit));  // a lone surrogate stays as it was written
        at = escape + 6;
        continue;
      }
      default: out += QLatin1Char(next); break;
    }
    at = escape + 2;
  }
  return out;
}

}  // namespace catalogue::sources::json
