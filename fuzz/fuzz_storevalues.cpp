// The settings store and its value readers on arbitrary input. The first byte chooses:
//   even: the rest is a store file as found on disk; every key and value in it is read through the
//         privacy module's readers, which must fail only with a settings error;
//   odd:  the rest is a list of typed values (name, type, data) written into a fresh store in one
//         transaction and read back: each value must come back exactly as last written, under any
//         letter case of its name, and the readers must follow their rules (text up to the first
//         zero for the two string types, a 32-bit integer only from four bytes of that type).
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/registrystore.h"
#include "privacy/privacyregistry.h"

namespace {

using platform::StoredValue;
using platform::ValueType;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// The fuzzer's own folder for the store files, which it rewrites at every input. On a memory file
// system where there is one: every write transaction syncs the disk, which would make each input
// take milliseconds.
QString scratchParent() {
  const QFileInfo memory(QStringLiteral("/dev/shm"));
  return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
}

struct Folder {
  QTemporaryDir dir{scratchParent() + QStringLiteral("/sieciownik-fuzz-XXXXXX")};
  QString storeFile;
  Folder() {
    if (!dir.isValid()) fail("no temporary folder");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    qputenv("SIECIOWNIK_MACHINE_ROOT", QFile::encodeName(dir.filePath(QStringLiteral("root"))));
    storeFile = platform::settingsStoreFile(platform::RootKey::CurrentUser);
    QDir().mkpath(QFileInfo(storeFile).absolutePath());
  }
};

Folder& folder() {
  static Folder instance;
  return instance;
}

void removeStore() {
  QFile::remove(folder().storeFile);
  QFile::remove(folder().storeFile + QStringLiteral("-journal"));
}

// Reads a value through both readers; what they may return depends only on the stored value.
void readThroughReaders(privacy::PrivacyRegistry& registry, const QString& name, const std::optional<StoredValue>& stored) {
  bool stringRead = false;
  QString text;
  try {
    text = registry.ReadString(name);
    stringRead = true;
  } catch (const platform::SettingsError&) {
  }
  const bool isText = stored && (stored->type == ValueType::String || stored->type == ValueType::ExpandString);
  if (stringRead != (!stored || isText)) fail("ReadString accepted or refused the wrong type");
  if (isText) {
    const qsizetype zero = stored->data.indexOf('\0');
    if (text != QString::fromUtf8(zero < 0 ? stored->data : stored->data.left(zero)))
      fail("ReadString does not give the text up to the first zero");
  } else if (stringRead && !text.isEmpty()) {
    fail("a missing value reads as text");
  }
  bool integerRead = false;
  qint32 integer = 0;
  try {
    integer = registry.ReadInteger(name);
    integerRead = true;
  } catch (const platform::SettingsError&) {
  }
  const bool isInteger = stored && stored->type == ValueType::Integer32 && stored->data.size() == 4;
  if (integerRead != isInteger) fail("ReadInteger accepted or refused the wrong value");
  if (isInteger && integer != qFromLittleEndian<qint32>(stored->data.constData())) fail("ReadInteger misread");
}

void readWholeStore(const QByteArray& file) {
  removeStore();
  QFile out(folder().storeFile);
  if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) fail("cannot write the store file");
  out.close();
  try {
    platform::SettingsHive hive(folder().storeFile);
    privacy::PrivacyRegistry registry;
    // Breadth first over the keys, a bounded number of them.
    QStringList paths{QString()};
    for (int visited = 0; visited < paths.size() && visited < 64; ++visited) {
      const std::optional<platform::SettingsHive::KeyId> key = hive.openKey(paths[visited], false);
      if (!key) continue;
      for (const QString& child : hive.subKeyNames(*key))
        paths << (paths[visited].isEmpty() ? child : paths[visited] + QLatin1Char('\\') + child);
      if (paths[visited].isEmpty() || !registry.OpenKey(paths[visited], false)) continue;
      for (const QString& name : registry.GetValueNames()) readThroughReaders(registry, name, hive.value(*key, name));
    }
  } catch (const platform::SettingsError&) {
    // A damaged store is reported to the user as such; nothing more to check.
  }
}

// Names from the input as Latin-1, so that letter case and its folding come into play.
QString takeName(QByteArrayView& input) {
  const qsizetype length = input.isEmpty() ? 0 : qMin<qsizetype>(quint8(input.front()) % 12, input.size() - 1);
  const QString name = QString::fromLatin1(input.sliced(1, length));
  input = input.sliced(1 + length);
  return name;
}

void writeAndReadBack(QByteArrayView input) {
  removeStore();
  const QString keyPath = QStringLiteral("Software\\Fuzz");
  // Value names by their folded form: the name they were created with and their last content.
  std::map<QString, std::pair<QString, StoredValue>> expected;
  std::vector<std::pair<QString, StoredValue>> writes;
  while (input.size() >= 3 && writes.size() < 32) {
    const QString name = takeName(input);
    if (input.size() < 2) break;
    const auto type = ValueType(quint32(quint8(input[0])) % 12);
    const qsizetype length = qMin<qsizetype>(quint8(input[1]) % 40, input.size() - 2);
    const StoredValue value{type, input.sliced(2, length).toByteArray()};
    input = input.sliced(2 + length);
    writes.emplace_back(name, value);
  }
  try {
    platform::SettingsHive hive(folder().storeFile);
    hive.transaction([&] {
      const std::optional<platform::SettingsHive::KeyId> key = hive.openKey(keyPath, true);
      if (!key) fail("the key cannot be created");
      for (const auto& [name, value] : writes) hive.setValue(*key, name, value);
    });
  } catch (const platform::SettingsError&) {
    fail("a write to a fresh store failed");
  }
  for (const auto& [name, value] : writes) {
    auto [it, created] = expected.try_emplace(name.toCaseFolded(), name, value);
    if (!created) it->second.second = value;
  }
  privacy::PrivacyRegistry registry;
  if (!registry.OpenKey(keyPath, false)) fail("the written key is missing");
  QStringList names = registry.GetValueNames();
  if (names.size() != qsizetype(expected.size())) fail("the number of values differs from the names written");
  for (const QString& name : names)
    if (expected.find(name.toCaseFolded()) == expected.end() || expected[name.toCaseFolded()].first != name)
      fail("a value name is not the one it was created with");
  platform::SettingsHive hive(folder().storeFile);
  const std::optional<platform::SettingsHive::KeyId> key = hive.openKey(keyPath.toUpper(), false);
  if (!key) fail("the key is not found under another letter case");
  for (const auto& [folded, entry] : expected) {
    for (const QString& asked : {entry.first, entry.first.toUpper(), entry.first.toLower()}) {
      if (asked.toCaseFolded() != folded) continue;  // case mapping that folding does not undo
      const std::optional<StoredValue> stored = hive.value(*key, asked);
      if (!stored || !(*stored == entry.second)) fail("a value does not come back as written");
      readThroughReaders(registry, asked, stored);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const QByteArrayView body(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
  if (data[0] % 2 == 0) readWholeStore(body.toByteArray());
  else writeAndReadBack(body);
  return 0;
}
