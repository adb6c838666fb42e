#include "iptvplaylist.h"

#include <QFile>
#include <QRandomGenerator>

namespace benchdata {

bool writeIptvPlaylist(const QString& path, int entries) {
  static const char* const kGroups[] = {"Polska", "Niemcy", "News", "Sport", "Movies", "Kids", "Music",
                                        "Entertainment", "Documentary", "Religious", "Francja", "Undefined"};
  static const char* const kCountries[] = {"PL", "DE", "US", "GB", "FR", "IT", "ES", "TR", "IN", "BR"};
  static const char* const kWords[] = {"TV", "Kanał", "Info", "Sport", "Film", "Music", "Kids", "Plus", "Max",
                                       "Zone", "Prime", "Łódź"};
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QRandomGenerator random(3);
  QByteArray text = "#EXTM3U\n";
  for (int i = 0; i < entries; ++i) {
    const QByteArray n = QByteArray::number(i);
    text += "#EXTINF:-1 tvg-id=\"Ch" + n + ".xx\"";
    if (random.bounded(3) == 0) text += QByteArray(" tvg-country=\"") + kCountries[random.bounded(10)] + "\"";
    text += QByteArray(" group-title=\"") + kGroups[random.bounded(12)] + "\"," + kWords[random.bounded(12)] + " " +
            kWords[random.bounded(12)] + " " + n + (random.bounded(4) == 0 ? " HD" : "") +
            "\nhttp://iptv.example.com:8080/live/" + n + ".m3u8\n";
    if (text.size() > (1 << 20)) {
      if (file.write(text) != text.size()) return false;
      text.clear();
    }
  }
  return file.write(text) == text.size() && file.flush();
}

}  // namespace benchdata
