#include "changemessages.h"

#include <QDir>
#include <QStringList>

#include "catalogue/flags.h"
#include "catalogue/regions.h"

namespace catalogue {
namespace {

const QString kListsShowFile = QStringLiteral("Listy pokazują teraz zawartość pliku.");

QString orNone(const QString& text) { return text.isEmpty() ? QStringLiteral("(brak)") : text; }

QString regionText(qint32 id) {
  const int row = regionRowById(id);
  return row < 0 ? QStringLiteral("(nieznany, %1)").arg(id) : regionName(row);
}

QStringList commonLines(const QString& name, qint32 regionId, const QString& www) {
  return {QStringLiteral("Nazwa: ") + name, QStringLiteral("Kraj / Region: ") + regionText(regionId),
          QStringLiteral("WWW: ") + orNone(www)};
}

QStringList encodingLines(const QString& stream, qint32 qualityBps, const QString& player, quint8 categories) {
  return {QStringLiteral("Strumień (URL): ") + orNone(stream),
          QStringLiteral("Jakość (kbps): ") + QString::number(qualityBps / 1000),
          QStringLiteral("Odtwarzacz: ") + orNone(player),
          QStringLiteral("Klasyfikacja: ") + orNone(DescribeFlags(categories, CategoryNames))};
}

QString file(const QString& path) { return QDir::toNativeSeparators(path); }

QString indented(const QString& text) {
  return QStringLiteral("    ") + QString(text).replace(QLatin1Char('\n'), QStringLiteral("\n    "));
}

QString inFile(const QString& text) { return QStringLiteral("W pliku:\n") + indented(text); }
QString yours(const QString& text) { return QStringLiteral("Twoja wersja:\n") + indented(text); }

}  // namespace

QString stationText(const TvStation& s) {
  QStringList lines = commonLines(s.Name, s.RegionId, s.Www);
  lines << QStringLiteral("WWW (ramówka): ") + orNone(s.ScheduleWww);
  lines << encodingLines(s.StreamUrl, s.QualityBps, DescribeFlags(s.PlayerKind, TvPlayerKinds), s.Categories);
  lines << QStringLiteral("Transmisja na żywo: ") + (s.Live ? QStringLiteral("tak") : QStringLiteral("nie"));
  return lines.join(QLatin1Char('\n'));
}

QString stationText(const RadioStation& s) {
  QStringList lines = commonLines(s.Name, s.RegionId, s.Www);
  lines << encodingLines(s.StreamUrl, s.QualityBps, DescribeFlags(s.PlayerKind, RadioPlayerKinds), s.Categories);
  return lines.join(QLatin1Char('\n'));
}

template <class Station>
QString editedStationGone(const QString& path, const Station& before, const Station& after) {
  return QStringLiteral(
             "Nie zapisano zmian stacji „%1”: w międzyczasie inny program zmienił plik „%2” i tej stacji "
             "już w nim nie ma (została usunięta albo zmieniono jej nazwę lub kraj).\n\n%3\n\n%4")
      .arg(before.Name, file(path), yours(stationText(after)), kListsShowFile);
}

template <class Station>
QString editClashes(const QString& path, const Station& onDisk, const Station& after) {
  return QStringLiteral(
             "Nie zapisano zmian stacji „%1”: w międzyczasie inny program zmienił tę stację w pliku „%2” "
             "inaczej niż Ty.\n\n%3\n\n%4\n\n%5")
      .arg(onDisk.Name, file(path), inFile(stationText(onDisk)), yours(stationText(after)), kListsShowFile);
}

template <class Station>
QString nameTakenMeanwhile(const QString& path, const Station& onDisk, const Station& wanted) {
  return QStringLiteral(
             "Nie zapisano stacji „%1”: w międzyczasie inny program dodał do pliku „%2” inną stację o tej "
             "nazwie w tym samym kraju.\n\n%3\n\n%4\n\n%5")
      .arg(wanted.Name, file(path), inFile(stationText(onDisk)), yours(stationText(wanted)), kListsShowFile);
}

template <class Station>
QString removedStationChanged(const QString& path, const Station& onDisk) {
  return QStringLiteral(
             "Nie usunięto stacji „%1”: w międzyczasie inny program zmienił ją w pliku „%2”.\n\n%3\n\n%4 "
             "Jeśli nadal chcesz ją usunąć, usuń ją ponownie.")
      .arg(onDisk.Name, file(path), inFile(stationText(onDisk)), kListsShowFile);
}

template <class Station>
QString favouriteTakenMeanwhile(const QString& path, const Station& onDisk, const Station& wanted) {
  return QStringLiteral(
             "Nie dodano stacji „%1” do Ulubionych: w międzyczasie inny program dodał do Ulubionych w "
             "pliku „%2” inną stację o tej nazwie.\n\n%3\n\n%4\n\n%5")
      .arg(wanted.Name, file(path), inFile(stationText(onDisk)), yours(stationText(wanted)), kListsShowFile);
}

#define SIECIOWNIK_CHANGE_MESSAGES(Station)                                            \
  template QString editedStationGone(const QString&, const Station&, const Station&);  \
  template QString editClashes(const QString&, const Station&, const Station&);        \
  template QString nameTakenMeanwhile(const QString&, const Station&, const Station&); \
  template QString removedStationChanged(const QString&, const Station&);              \
  template QString favouriteTakenMeanwhile(const QString&, const Station&, const Station&);
SIECIOWNIK_CHANGE_MESSAGES(TvStation)
SIECIOWNIK_CHANGE_MESSAGES(RadioStation)
#undef SIECIOWNIK_CHANGE_MESSAGES

}  // namespace catalogue
