#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testsupport {

// A file's bytes; a file that is missing or cannot be read reads as a marker no test writes, so that
// it never compares equal to an empty file.
inline QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<missing>");
}

}  // namespace testsupport
