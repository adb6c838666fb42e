#include "namecollation.h"

#include <QLocale>
#include <unicode/ucol.h>

namespace browser {

// The same attributes Qt gives ICU for a QCollator.
NameCollation::NameCollation(const QCollator& like) {
  UErrorCode status = U_ZERO_ERROR;
  collator_ = ucol_open(like.locale().name().toLatin1().constData(), &status);
  if (U_FAILURE(status)) {
    collator_ = nullptr;
    return;
  }
  ucol_setAttribute(collator_, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
  status = U_ZERO_ERROR;
  ucol_setAttribute(collator_, UCOL_STRENGTH,
                    like.caseSensitivity() == Qt::CaseSensitive ? UCOL_DEFAULT_STRENGTH : UCOL_SECONDARY, &status);
  status = U_ZERO_ERROR;
  ucol_setAttribute(collator_, UCOL_NUMERIC_COLLATION, like.numericMode() ? UCOL_ON : UCOL_OFF, &status);
  status = U_ZERO_ERROR;
  ucol_setAttribute(collator_, UCOL_ALTERNATE_HANDLING, like.ignorePunctuation() ? UCOL_SHIFTED : UCOL_NON_IGNORABLE,
                    &status);
}

NameCollation::~NameCollation() {
  if (collator_ != nullptr) ucol_close(collator_);
}

void NameCollation::appendKey(QStringView name, std::string& keys) const {
  const auto* text = reinterpret_cast<const UChar*>(name.utf16());
  const auto length = static_cast<int32_t>(name.size());
  if (collator_ == nullptr) {
    // ICU without its collation data: every name sorts alike, so regions and the array decide.
    keys += '\0';
    return;
  }
  const std::size_t at = keys.size();
  keys.resize(at + 64);
  int32_t needed = ucol_getSortKey(collator_, text, length, reinterpret_cast<uint8_t*>(keys.data() + at), 64);
  if (needed > 64) {
    keys.resize(at + static_cast<std::size_t>(needed));
    needed = ucol_getSortKey(collator_, text, length, reinterpret_cast<uint8_t*>(keys.data() + at), needed);
  }
  keys.resize(at + static_cast<std::size_t>(needed));  // the key with its zero
}

}  // namespace browser
