#pragma once

#include <QCollator>
#include <QStringView>
#include <string>

struct UCollator;

namespace browser {

// Collation keys of names in the order of a QCollator: ICU's own keys, made with the settings the
// collator gives ICU (its locale, accents counted, letter case ignored as it is asked to), written
// one after another into a byte string that the caller keeps. Two names compare as their keys
// compare with strcmp; equal keys are names the collator finds equal. Much quicker to make and to
// compare than QCollatorSortKey, which keeps each key in an object of its own.
class NameCollation {
 public:
  explicit NameCollation(const QCollator& like);
  ~NameCollation();
  NameCollation(const NameCollation&) = delete;
  NameCollation& operator=(const NameCollation&) = delete;

  // Appends the key of `name` and its terminating zero to `keys`.
  void appendKey(QStringView name, std::string& keys) const;

 private:
  UCollator* collator_ = nullptr;
};

}  // namespace browser
