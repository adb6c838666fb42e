#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <memory>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class Transliterator;
U_NAMESPACE_END

namespace browser {

// Folds station names and typed text into the form the finder compares: letter case, diacritics
// and other accents dropped, and letters that Unicode does not decompose (Ł, Ø, Đ, ß, Æ) written
// as their plain Latin letters, as ICU's Latin-ASCII transform gives them. Each character is
// worked out once and remembered: names share a small alphabet, and the transform is slow.
class NameFolding {
 public:
  NameFolding();
  ~NameFolding();
  NameFolding(const NameFolding&) = delete;
  NameFolding& operator=(const NameFolding&) = delete;

  QString fold(QStringView text);
  void foldInto(QStringView text, QString& out);

 private:
  const QString& foldOf(char32_t codePoint);

  std::unique_ptr<icu::Transliterator> transliterator_;
  QHash<char32_t, QString> folded_;
};

}  // namespace browser
