#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>

namespace testsupport {

// Every process's parent, by process id, as /proc has them now.
inline QHash<QByteArray, QByteArray> parentsOfAll() {
  QHash<QByteArray, QByteArray> parents;
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    const QByteArray line = stat.readAll();
    // The parent is the second field after the command's name, which may hold spaces and ')'.
    parents.insert(pid.toLatin1(), line.mid(line.lastIndexOf(')') + 2).split(' ').value(1));
  }
  return parents;
}

// The processes `root` started, and theirs, nearest first.
inline QList<QByteArray> descendantsOf(const QByteArray& root) {
  const QHash<QByteArray, QByteArray> parents = parentsOfAll();
  QList<QByteArray> tree{root};
  for (qsizetype i = 0; i < tree.size(); ++i)
    for (auto it = parents.cbegin(); it != parents.cend(); ++it)
      if (it.value() == tree[i]) tree << it.key();
  tree.removeFirst();
  return tree;
}

}  // namespace testsupport
