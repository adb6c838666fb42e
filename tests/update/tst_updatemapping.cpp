#include <QtTest>

#include "catalogue/regions.h"
#include "catalogue/sources/directories.h"
#include "catalogue/sources/isoregions.h"
#include "catalogue/sources/plainurl.h"
#include "catalogue/sources/stationorder.h"
#include "catalogue/sources/stationrules.h"
#include "catalogue/sources/textrules.h"
#include "fixtures.h"

using namespace catalogue;
using namespace catalogue::sources;

namespace {

template <class Stations>
const auto* byName(const Stations& stations, const QString& name) {
  for (const auto& station : stations)
    if (station.Name == name) return &station;
  return static_cast<decltype(&stations.front())>(nullptr);
}

}  // namespace

class UpdateMappingTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void everyPlaceRowMapsBackToItself() {
    for (int row = 1; row < kRegionCount; ++row) {
      const QString code = isoCodeForRow(row);
      if (regionName(row) == QStringLiteral("XXX-landia ;)")) {
        QVERIFY(code.isEmpty());
        continue;
      }
      QVERIFY2(!code.isEmpty(), qPrintable(regionName(row)));
      const QString country = code.section(QLatin1Char('-'), 0, 0);
      const QString subdivision = code.contains(QLatin1Char('-')) ? code : QString();
      QCOMPARE(regionRowForIso(country, subdivision), row);
      QCOMPARE(regionRowForIso(QString(), subdivision.isEmpty() ? code : subdivision), row);
    }
    QVERIFY(isoCodeForRow(kFavouritesRow).isEmpty());
  }

  void codesFindTheirRows_data() {
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("subdivision");
    QTest::addColumn<QString>("region");
    // The regions that share a dialling code each keep their own place.
    QTest::newRow("Spain") << "ES" << "" << "Hiszpania";
    QTest::newRow("Spain, Madrid") << "ES" << "ES-MD" << "Hiszpania";
    QTest::newRow("Canaries") << "ES" << "ES-CN" << "Kanaryjskie (Wyspy)";
    QTest::newRow("Las Palmas") << "ES" << "ES-GC" << "Kanaryjskie (Wyspy)";
    QTest::newRow("Santa Cruz, lower case") << "es" << "es-tf" << "Kanaryjskie (Wyspy)";
    QTest::newRow("Canaries, reserved code") << "IC" << "" << "Kanaryjskie (Wyspy)";
    QTest::newRow("Kazakhstan") << "KZ" << "" << "Kazachstan";
    QTest::newRow("Russia") << "RU" << "" << "Rosja";
    QTest::newRow("Vatican") << "VA" << "" << "Watykan";
    QTest::newRow("Italy") << "IT" << "" << "Włochy";
    QTest::newRow("Alaska") << "US" << "US-AK" << "Alaska";
    QTest::newRow("Alaska, bare subdivision") << "US" << "AK" << "Alaska";
    QTest::newRow("Hawaii") << "US" << "US-HI" << "Hawaje";
    QTest::newRow("California") << "US" << "US-CA" << "USA";
    QTest::newRow("subdivision of another country") << "CA" << "US-AK" << "Kanada";
    QTest::newRow("Bermuda") << "BM" << "" << "Bermudy";
    QTest::newRow("Jamaica") << "JM" << "" << "Jamajka";
    QTest::newRow("UK for GB") << "UK" << "" << "Wielka Brytania";
    QTest::newRow("Curaçao") << "CW" << "" << "Antyle Holenderskie";
    QTest::newRow("blanks") << " pl " << "" << "Polska";
  }
  void codesFindTheirRows() {
    QFETCH(QString, country);
    QFETCH(QString, subdivision);
    QFETCH(QString, region);
    QCOMPARE(regionRowForIso(country, subdivision), regionRowByName(region));
  }

  void placesWithoutARegion_data() {
    QTest::addColumn<QString>("country");
    QTest::newRow("empty") << "";
    QTest::newRow("Kosovo") << "XK";
    QTest::newRow("Serbia") << "RS";
    QTest::newRow("not a code") << "POL";
    QTest::newRow("one letter") << "P";
  }
  void placesWithoutARegion() {
    QFETCH(QString, country);
    QCOMPARE(regionRowForIso(country), -1);
  }

  void categories_data() {
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<bool>("tv");
    QTest::addColumn<int>("bits");
    QTest::newRow("news") << QStringList{"news"} << true << 0x02;
    QTest::newRow("entertainment") << QStringList{"Entertainment"} << true << 0x01;
    QTest::newRow("music genres") << QStringList{"pop", "top 40"} << false << 0x10;
    QTest::newRow("word inside a tag") << QStringList{"christian rock"} << false << 0x18;
    QTest::newRow("religious") << QStringList{"religious"} << true << 0x08;
    QTest::newRow("adult on TV") << QStringList{"xxx"} << true << 0x20;
    QTest::newRow("adult on radio is dropped") << QStringList{"adult", "news"} << false << 0x02;
    QTest::newRow("nothing known") << QStringList{"general", "", "sports"} << true << 0;
    QTest::newRow("no substring matches") << QStringList{"newsroomless", "popcorn"} << true << 0;
  }
  void categories() {
    QFETCH(QStringList, keywords);
    QFETCH(bool, tv);
    QFETCH(int, bits);
    QCOMPARE(int(categoriesFromKeywords(keywords, tv ? Medium::Tv : Medium::Radio)), bits);
  }

  void diaspora_data() {
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QString>("country");
    QTest::addColumn<int>("bits");
    QTest::newRow("Polish abroad") << QStringList{"english", "Polish"} << "US" << 0x04;
    QTest::newRow("three-letter code") << QStringList{"pol"} << "DE" << 0x04;
    QTest::newRow("Polish at home") << QStringList{"polish"} << "PL" << 0;
    QTest::newRow("at home, lower case") << QStringList{"pl"} << "pl" << 0;
    QTest::newRow("not Polish") << QStringList{"polynesian"} << "NZ" << 0;
  }
  void diaspora() {
    QFETCH(QStringList, languages);
    QFETCH(QString, country);
    QFETCH(int, bits);
    QCOMPARE(int(diasporaCategory(languages, country)), bits);
  }

  void radioKinds_data() {
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("hls");
    QTest::addColumn<int>("kind");
    QTest::newRow("mp3") << "MP3" << "http://a.example/live" << false << 1;
    QTest::newRow("aac+") << "AAC+" << "http://a.example/live" << false << 1;
    QTest::newRow("unknown codec") << "" << "http://a.example/;" << false << 1;
    QTest::newRow("real audio") << "" << "http://a.example/live.ram" << false << 2;
    QTest::newRow("wma") << "WMA" << "http://a.example/live" << false << 4;
    QTest::newRow("mms") << "" << "mms://a.example/live" << false << 4;
    QTest::newRow("ogg") << "OGG" << "http://a.example/live" << false << 8;
    QTest::newRow("opus file") << "" << "http://a.example/live.opus" << false << 8;
    QTest::newRow("hls flag") << "AAC" << "http://a.example/live" << true << 16;
    QTest::newRow("hls playlist") << "AAC" << "http://a.example/live.m3u8?x=1" << false << 16;
  }
  void radioKinds() {
    QFETCH(QString, codec);
    QFETCH(QString, address);
    QFETCH(bool, hls);
    QFETCH(int, kind);
    QCOMPARE(int(radioPlayerKind(codec, address, hls)), kind);
  }

  void tvKinds_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("kind");
    QTest::newRow("real") << "rtsp://a.example/tv.rm" << 1;
    QTest::newRow("mms") << "mms://a.example/tv" << 2;
    QTest::newRow("asx") << "http://a.example/tv.asx" << 2;
    QTest::newRow("nsv") << "http://a.example/tv.nsv" << 4;
    QTest::newRow("hls") << "https://a.example/tv/index.m3u8" << 8;
    QTest::newRow("dot in a folder name") << "http://a.example/v1.2/live" << 8;
  }
  void tvKinds() {
    QFETCH(QString, address);
    QFETCH(int, kind);
    QCOMPARE(int(tvPlayerKind(address)), kind);
  }

  void quality() {
    QCOMPARE(qualityFromKbps(128), 128000);
    QCOMPARE(qualityFromKbps(0), 0);
    QCOMPARE(qualityFromKbps(-5), 0);
    QCOMPARE(qualityFromKbps(qint64(1) << 40), 2147483000);
  }

  void names_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("control characters and blanks") << "  Radio\tZet\r\n FM " << "Radio Zet FM";
    QTest::newRow("Polish letters stay") << "Żółć Gęślą" << "Żółć Gęślą";
    QTest::newRow("accent the code pages lack") << "Crème Brûlée" << "Creme Brulée";
    QTest::newRow("Cyrillic") << "Радио Шансон" << "Radio Szanson";
    QTest::newRow("Greek") << "Ράδιο Θ" << "Radio Th";
    QTest::newRow("typographic quotes") << "„Nasze” — radio" << "\"Nasze\" - radio";
    QTest::newRow("nothing readable") << "中国之声" << "";
    QTest::newRow("only marks") << " - ... " << "";
  }
  void names() {
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(feedSafeName(text), name);
  }

  void addresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stream");
    QTest::newRow("plain") << " http://a.example/live " << "http://a.example/live";
    QTest::newRow("blank inside") << "http://a.example/my live" << "http://a.example/my%20live";
    QTest::newRow("international host") << "http://żółw.example/x" << "http://xn--w-uga1v8h.example/x";
    QTest::newRow("mms") << "mms://a.example/live" << "mms://a.example/live";
    QTest::newRow("relative") << "live/stream.mp3" << "";
    QTest::newRow("local file") << "file:///home/a/x.mp3" << "";
    QTest::newRow("no host") << "http:///live" << "";
    QTest::newRow("empty") << "" << "";
  }
  void addresses() {
    QFETCH(QString, text);
    QFETCH(QString, stream);
    QCOMPARE(streamAddress(text), stream);
  }

  // The quick reading of plain addresses must agree with the full parse it stands in for: every
  // address it takes comes back unchanged from that parse, with the same scheme and path.
  void plainAddressesAreWhatTheFullParseGives() {
    QStringList addresses{QStringLiteral("http://a.example"), QStringLiteral("https://a-1.b.example:8000/"),
                          QStringLiteral("mms://a.example:65535/x.asf?a=b?c"), QStringLiteral("rtsp://1.fm/live")};
    for (char c : std::string_view("!$&'()*+,-./:;=@_~AZaz09"))
      addresses << QStringLiteral("http://a.example/x%1y/z").arg(QLatin1Char(c))
                << QStringLiteral("http://a.example/x?q%1y/z").arg(QLatin1Char(c));
    for (const QString& address : addresses) {
      const std::optional<PlainUrl> plain = plainUrl(address);
      QVERIFY2(plain, qPrintable(address));
      const QUrl url(address, QUrl::TolerantMode);
      QCOMPARE(QString::fromLatin1(url.toEncoded()), address);
      QCOMPARE(QString::fromLatin1(QUrl::fromUserInput(address).toEncoded()), address);
      QCOMPARE(plain->scheme, url.scheme());
      QCOMPARE(plain->path, url.path());
    }
    // What the full parse would change, or may: left to it.
    for (const char* changed : {"HTTP://a.example/", "http://A.example/", "http://a.example:080/", "http://a.example:65536/",
                                "http://1.2.3.4/", "http://xn--w-uga1v8h.example/", "http://a..example/", "http://-a.example/",
                                "http://a.example/%41", "http://a.example/a b", "http://a.example/#top", "http://a.example/[x]",
                                "http://u@a.example/", "http://a.example:/", " http://a.example/", "http://a.example/ż"})
      QVERIFY2(!plainUrl(QString::fromUtf8(changed)), changed);
  }

  void homePages_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("www");
    QTest::newRow("http removed") << "http://www.a.example/" << "www.a.example/";
    QTest::newRow("https stays") << "https://a.example" << "https://a.example";
    QTest::newRow("no scheme") << "a.example/radio" << "a.example/radio";
    QTest::newRow("not a web page") << "ftp://a.example" << "";
    QTest::newRow("empty") << "" << "";
  }
  void homePages() {
    QFETCH(QString, text);
    QFETCH(QString, www);
    QCOMPARE(homePageText(text), www);
  }

  void namesBecomeUniquePerRegion() {
    RadioStations stations(5);
    const char* names[] = {"Jedynka", "JEDYNKA", "Jedynka (2)", "jedynka", "Jedynka"};
    const qint32 regions[] = {48, 48, 48, 48, 49};
    for (int i = 0; i < 5; ++i) {
      stations[i].Name = QString::fromLatin1(names[i]);
      stations[i].RegionId = regions[i];
    }
    makeNamesUniquePerRegion(stations);
    QStringList result;
    for (const RadioStation& station : stations) result << station.Name;
    // "Jedynka (2)" is taken by a station of its own, so the next copies go on from 3.
    QCOMPARE(result, (QStringList{"Jedynka", "JEDYNKA (3)", "Jedynka (2)", "jedynka (4)", "Jedynka"}));
  }

  void updatedCatalogueKeepsFavourites() {
    TvStations current(3);
    current[0].Name = QStringLiteral("Ulubiona");
    current[1].Name = QStringLiteral("Stara");
    current[1].RegionId = 48;
    current[2].Name = QStringLiteral("Druga ulubiona");
    TvStations fetched(1);
    fetched[0].Name = QStringLiteral("Nowa");
    fetched[0].RegionId = 48;
    const TvStations result = favouritesAndFetched(current, fetched);
    QCOMPARE(result.size(), std::size_t(3));
    QCOMPARE(result[0], current[0]);
    QCOMPARE(result[1], current[2]);
    QCOMPARE(result[2], fetched[0]);
  }

  void radioDirectory() {
    const Parsed<RadioStations> parsed = parseRadioDirectory(fixture("radio-stations.json"));
    QCOMPARE(parsed.failure, ParseFailure::None);
    QStringList names;
    for (const RadioStation& station : parsed.stations) names << station.Name;
    QCOMPARE(names, (QStringList{"Polskie Radio Chicago", "Radio Retro", "Radio Tenerife", "Radio Zet",
                                 "RADIO ZET (2)", "Radio Zet (3)", "KNOM Nome"}));

    const RadioStation* zet = byName(parsed.stations, QStringLiteral("Radio Zet"));
    QCOMPARE(zet->StreamUrl, QStringLiteral("http://zet.example/stream.mp3"));
    QCOMPARE(zet->Www, QStringLiteral("www.zet.example/"));
    QCOMPARE(zet->RegionId, 48);
    QCOMPARE(zet->QualityBps, 128000);
    QCOMPARE(int(zet->PlayerKind), 1);
    QCOMPARE(int(zet->Categories), 0x10);
    const RadioStation* zet2 = byName(parsed.stations, QStringLiteral("RADIO ZET (2)"));
    QCOMPARE(zet2->StreamUrl, QStringLiteral("http://zet2.example/live"));  // url when url_resolved is empty
    QCOMPARE(int(zet2->Categories), 0x02);
    const RadioStation* chicago = byName(parsed.stations, QStringLiteral("Polskie Radio Chicago"));
    QCOMPARE(chicago->RegionId, 1);
    QCOMPARE(int(chicago->Categories), 0x04);
    QCOMPARE(int(chicago->PlayerKind), 8);
    QCOMPARE(chicago->QualityBps, 96000);
    QCOMPARE(byName(parsed.stations, QStringLiteral("KNOM Nome"))->RegionId, 1907);
    QCOMPARE(int(byName(parsed.stations, QStringLiteral("KNOM Nome"))->Categories), 0x08);
    QCOMPARE(byName(parsed.stations, QStringLiteral("Radio Tenerife"))->RegionId, 34);
    QCOMPARE(int(byName(parsed.stations, QStringLiteral("Radio Tenerife"))->PlayerKind), 4);
    QCOMPARE(byName(parsed.stations, QStringLiteral("Radio Retro"))->RegionId, 7);
    QCOMPARE(int(byName(parsed.stations, QStringLiteral("Radio Retro"))->PlayerKind), 16);
  }

  void tvDirectory() {
    const Parsed<TvStations> parsed = parseTvDirectory(fixture("tv-channels.json"), fixture("tv-streams.json"));
    QCOMPARE(parsed.failure, ParseFailure::None);
    QStringList names;
    for (const TvStation& station : parsed.stations) names << station.Name;
    QCOMPARE(names, (QStringList{"Night TV", "Music Box", "TVP Info", "tvp info (2)", "Polonia 1", "KHNL"}));

    const TvStation* info = byName(parsed.stations, QStringLiteral("TVP Info"));
    QCOMPARE(info->StreamUrl, QStringLiteral("https://tvp.example/info/index.m3u8"));  // the broken one skipped
    QCOMPARE(info->Www, QStringLiteral("www.tvp.info/"));
    QCOMPARE(int(info->Categories), 0x02);
    QCOMPARE(int(info->PlayerKind), 8);
    QVERIFY(info->Live);
    const TvStation* box = byName(parsed.stations, QStringLiteral("Music Box"));
    QCOMPARE(box->RegionId, 44);
    QCOMPARE(int(box->Categories), 0x11);
    QCOMPARE(int(box->PlayerKind), 2);
    QCOMPARE(byName(parsed.stations, QStringLiteral("KHNL"))->RegionId, 1808);
    QCOMPARE(int(byName(parsed.stations, QStringLiteral("KHNL"))->PlayerKind), 4);
    QCOMPARE(int(byName(parsed.stations, QStringLiteral("Polonia 1"))->Categories), 0x0C);
    QCOMPARE(int(byName(parsed.stations, QStringLiteral("Night TV"))->Categories), 0x20);
  }

  void bodiesThatAreNotTheList_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("failure");
    QTest::newRow("html error page") << QByteArray("<html><body>502</body></html>") << int(ParseFailure::NotJson);
    QTest::newRow("cut off") << fixture("radio-stations.json").left(700) << int(ParseFailure::NotJson);
    QTest::newRow("object") << QByteArray(R"({"error":"rate limited"})") << int(ParseFailure::WrongShape);
    QTest::newRow("array of numbers") << QByteArray("[1,2,3]") << int(ParseFailure::WrongShape);
    QTest::newRow("other objects") << QByteArray(R"([{"id":"x","title":"y"}])") << int(ParseFailure::WrongShape);
    QTest::newRow("empty list") << QByteArray("[]") << int(ParseFailure::None);
  }
  void bodiesThatAreNotTheList() {
    QFETCH(QByteArray, body);
    QFETCH(int, failure);
    const Parsed<RadioStations> radio = parseRadioDirectory(body);
    QCOMPARE(int(radio.failure), failure);
    QVERIFY(radio.stations.empty());
    QCOMPARE(int(parseTvDirectory(body, fixture("tv-streams.json")).failure),
             failure == int(ParseFailure::None) ? int(ParseFailure::None) : failure);
    QCOMPARE(int(parseTvDirectory(fixture("tv-channels.json"), body).failure), failure);
  }

  void cancelStopsTheWork() {
    const std::atomic_bool cancel{true};
    QCOMPARE(parseRadioDirectory(fixture("radio-stations.json"), &cancel).failure, ParseFailure::Cancelled);
    QCOMPARE(parseTvDirectory(fixture("tv-channels.json"), fixture("tv-streams.json"), &cancel).failure,
             ParseFailure::Cancelled);
  }

  void savedResponsesAreRecognised() {
    QCOMPARE(tvDirectoryListKind(fixture("tv-channels.json")), TvDirectoryList::Channels);
    QCOMPARE(tvDirectoryListKind(fixture("tv-streams.json")), TvDirectoryList::Streams);
    QCOMPARE(tvDirectoryListKind(fixture("radio-stations.json")), TvDirectoryList::Unknown);
  }
};

QTEST_GUILESS_MAIN(UpdateMappingTest)
#include "tst_updatemapping.moc"
