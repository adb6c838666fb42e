#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A saved directory answer from the fixtures folder (UPDATE_FIXTURES, set by the test's target).
inline QByteArray fixture(const char* name) {
  QFile file(QStringLiteral(UPDATE_FIXTURES "/") + QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) qFatal("missing fixture %s", name);
  return file.readAll();
}
