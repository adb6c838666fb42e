#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "catalogue/pageaddress.h"
#include "catalogue/sources/playlist.h"
#include "catalogue/sources/textrules.h"

namespace catalogue::sources {
namespace {

const QString kXspfNamespace = QStringLiteral("http://xspf.org/ns/0/");
// Our extension's application; its children carry the attributes the common elements cannot.
const QString kExtensionApplication = QStringLiteral("http://www.tarnowek.pl/sieciownik");

// Extension child element names and the attributes they stand for.
const std::pair<const char*, const QString*> kExtensionFields[] = {
    {"region", &kRegionAttribute},         {"country", &kCountryAttribute}, {"schedule", &kScheduleAttribute},
    {"kind", &kKindAttribute},             {"categories", &kCategoriesAttribute},
    {"bitrate", &kBitRateAttribute},       {"live", &kLiveAttribute},
};

void readExtension(QXmlStreamReader& xml, PlaylistEntry& entry) {
  while (xml.readNextStartElement()) {
    const QString* attribute = nullptr;
    for (const auto& [element, name] : kExtensionFields)
      if (xml.name() == QLatin1String(element)) attribute = name;
    const QString value = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
    if (attribute != nullptr) entry.attributes.insert(*attribute, value);
  }
}

void readTrack(QXmlStreamReader& xml, PlaylistEntry& entry) {
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("location") && entry.address.isEmpty()) {
      entry.address = xml.readElementText().trimmed();
    } else if (xml.name() == QLatin1String("title")) {
      entry.title = xml.readElementText().trimmed();
    } else if (xml.name() == QLatin1String("info")) {
      const QString www = xml.readElementText().trimmed();
      if (!www.isEmpty()) entry.attributes.insert(kHomePageAttribute, www);
    } else if (xml.name() == QLatin1String("extension") &&
               xml.attributes().value(QLatin1String("application")) == kExtensionApplication) {
      readExtension(xml, entry);
    } else {
      xml.skipCurrentElement();
    }
  }
}

}  // namespace

std::optional<Playlist> parseXspf(const QByteArray& bytes) {
  QXmlStreamReader xml(bytes);
  if (!xml.readNextStartElement() || xml.name() != QLatin1String("playlist")) return {};
  Playlist playlist;
  while (xml.readNextStartElement()) {
    if (xml.name() != QLatin1String("trackList")) {
      xml.skipCurrentElement();
      continue;
    }
    while (xml.readNextStartElement()) {
      if (xml.name() != QLatin1String("track")) {
        xml.skipCurrentElement();
        continue;
      }
      PlaylistEntry entry;
      readTrack(xml, entry);
      if (!streamAddress(entry.address).isEmpty()) playlist.push_back(std::move(entry));
    }
  }
  if (xml.hasError()) return {};
  return playlist;
}

QByteArray writeXspf(const Playlist& playlist) {
  QByteArray bytes;
  QXmlStreamWriter xml(&bytes);
  xml.setAutoFormatting(true);
  xml.writeStartDocument();
  xml.writeDefaultNamespace(kXspfNamespace);
  xml.writeStartElement(QStringLiteral("playlist"));
  xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
  xml.writeStartElement(QStringLiteral("trackList"));
  for (const PlaylistEntry& entry : playlist) {
    xml.writeStartElement(QStringLiteral("track"));
    xml.writeTextElement(QStringLiteral("location"), entry.address);
    xml.writeTextElement(QStringLiteral("title"), entry.title);
    const QString www = entry.attributes.value(kHomePageAttribute);
    if (!www.isEmpty()) xml.writeTextElement(QStringLiteral("info"), catalogue::pageAddress(www));
    xml.writeStartElement(QStringLiteral("extension"));
    xml.writeAttribute(QStringLiteral("application"), kExtensionApplication);
    for (const auto& [element, name] : kExtensionFields) {
      const auto value = entry.attributes.constFind(*name);
      if (value != entry.attributes.constEnd())
        xml.writeTextElement(QString::fromLatin1(element), value.value());
    }
    xml.writeEndElement();
    xml.writeEndElement();
  }
  xml.writeEndElement();
  xml.writeEndElement();
  xml.writeEndDocument();
  return bytes;
}

}  // namespace catalogue::sources
