#include <QtTest>

#include "catalogue/sources/playlist.h"
#include "catalogue/sources/playlistmapping.h"
#include "platform/codepage.h"

using namespace catalogue;
using namespace catalogue::sources;

namespace {

enum class Format { M3u, Pls, Xspf };

Playlist throughFormat(const Playlist& playlist, Format format) {
  switch (format) {
    case Format::M3u: return parseM3u(playlistText(writeM3u(playlist).toUtf8()));
    case Format::Pls: return parsePls(playlistText(writePls(playlist).toUtf8()));
    case Format::Xspf: return parseXspf(writeXspf(playlist)).value_or(Playlist{});
  }
  return {};
}

TvStation tv(const char* name, const char* stream, qint32 region) {
  TvStation station;
  station.Name = QString::fromUtf8(name);
  station.StreamUrl = QString::fromLatin1(stream);
  station.RegionId = region;
  station.PlayerKind = 8;
  station.Live = true;
  return station;
}

RadioStation radio(const char* name, const char* stream, qint32 region) {
  RadioStation station;
  station.Name = QString::fromUtf8(name);
  station.StreamUrl = QString::fromLatin1(stream);
  station.RegionId = region;
  station.PlayerKind = 1;
  return station;
}

// A catalogue with what the formats must carry: Polish letters, the regions that share an Id,
// a subdivision, favourites, bits without a name, a kind outside the table, not-live channels.
TvStations tvCatalogue() {
  TvStations stations{tv("TVP Info", "https://tvp.example/info/index.m3u8", 48),
                      tv("Łódź TV, \"lokalna\"", "http://lodz.example/live.ts?a=1&b=2", 48),
                      tv("Canal Canarias", "mms://canarias.example/tv", 34),
                      tv("KTUU", "http://ktuu.example/tv.nsv", 1907),
                      tv("Ulubiona", "http://fav.example/tv", 0),
                      tv("Bez regionu", "http://nowhere.example/tv", 4242)};
  stations[0].Www = QStringLiteral("www.tvp.info/");
  stations[0].ScheduleWww = QStringLiteral("www.tvp.info/program");
  stations[0].Categories = 0x42;
  stations[0].QualityBps = 1500000;
  stations[1].Www = QStringLiteral("https://lodz.example");
  stations[1].Live = false;
  stations[2].PlayerKind = 3;
  stations[3].Categories = 0x21;
  return stations;
}

RadioStations radioCatalogue() {
  RadioStations stations{radio("Radio Zet", "http://zet.example/stream.mp3", 48),
                         radio("Jedynka", "http://pr.example/1.ogg", 48),
                         radio("Radio Kanary", "http://kanary.example/a", 34),
                         radio("Polonia", "http://polonia.example/live", 1),
                         radio("Ulubione radio", "http://fav.example/radio", 0)};
  stations[0].Www = QStringLiteral("www.zet.example");
  stations[0].QualityBps = 128000;
  stations[0].Categories = 0x10;
  stations[1].PlayerKind = 8;
  stations[3].Categories = 0x04;
  return stations;
}

}  // namespace

class PlaylistsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void fullRoundTrip_data() {
    QTest::addColumn<int>("format");
    QTest::newRow("m3u") << int(Format::M3u);
    QTest::newRow("xspf") << int(Format::Xspf);
  }
  void fullRoundTrip() {
    QFETCH(int, format);
    TvStations tvExpected = tvCatalogue();
    // A region Id that names no row cannot be said by region name; such a station comes back
    // as a favourite.
    tvExpected.back().RegionId = 0;
    QCOMPARE(tvStationsFromPlaylist(throughFormat(playlistFromStations(tvCatalogue()), Format(format))), tvExpected);
    QCOMPARE(radioStationsFromPlaylist(throughFormat(playlistFromStations(radioCatalogue()), Format(format))),
             radioCatalogue());
  }

  void plsCarriesNamesAndAddresses() {
    // PLS has a title and an address per entry and nothing else: what comes back is a favourite
    // with the kind worked out from the address.
    const RadioStations stations = radioStationsFromPlaylist(throughFormat(playlistFromStations(radioCatalogue()), Format::Pls));
    QCOMPARE(stations.size(), radioCatalogue().size());
    for (std::size_t i = 0; i < stations.size(); ++i) {
      QCOMPARE(stations[i].Name, radioCatalogue()[i].Name);
      QCOMPARE(stations[i].StreamUrl, radioCatalogue()[i].StreamUrl);
      QCOMPARE(stations[i].RegionId, 0);
    }
    QCOMPARE(int(stations[1].PlayerKind), 8);  // .ogg
  }

  void m3uExportIsWhatOtherPlayersRead() {
    const QString text = writeM3u(playlistFromStations(tvCatalogue()));
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines[0], QStringLiteral("#EXTM3U"));
    QVERIFY(lines[1].startsWith(QStringLiteral("#EXTINF:-1 tvg-name=\"TVP Info\" group-title=\"Polska\" tvg-country=\"PL\" ")));
    QVERIFY(lines[1].endsWith(QStringLiteral(",TVP Info")));
    QCOMPARE(lines[2], QStringLiteral("https://tvp.example/info/index.m3u8"));
    // A quote cannot stand inside an attribute; the title keeps the name as it is.
    QVERIFY(lines[3].contains(QStringLiteral("tvg-name=\"Łódź TV, 'lokalna'\"")));
    QVERIFY(lines[3].endsWith(QStringLiteral(",Łódź TV, \"lokalna\"")));
    QVERIFY(lines[5].contains(QStringLiteral("group-title=\"Hiszpania\" tvg-country=\"ES\"")));
    QVERIFY(lines[7].contains(QStringLiteral("group-title=\"Alaska\" tvg-country=\"US\"")));
    QVERIFY(lines[9].contains(QStringLiteral("group-title=\"Ulubione\"")));
  }

  void m3uAsFoundInTheWild_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("streams");
    QTest::addColumn<QList<int>>("regions");
    QTest::newRow("no header, CRLF, plain entries")
        << QByteArray("http://a.example/one.mp3\r\n\r\nhttps://b.example/two\r\n")
        << QStringList{"a.example", "b.example"} << QStringList{"http://a.example/one.mp3", "https://b.example/two"}
        << QList<int>{0, 0};
    QTest::newRow("attributes with blanks and commas")
        << QByteArray("#EXTM3U\n#EXTINF:-1 tvg-id=\"x.pl\" tvg-name=\"TV X\" group-title=\"News, Weather\" tvg-country=PL,TV X HD\nhttp://x.example/x.m3u8\n")
        << QStringList{"TV X HD"} << QStringList{"http://x.example/x.m3u8"} << QList<int>{48};
    QTest::newRow("relative and local entries skipped")
        << QByteArray("#EXTM3U\r\n#EXTINF:-1,Relative\r\nmusic/song.mp3\r\n#EXTINF:-1,Local\r\nfile:///home/a/b.mp3\r\n#EXTINF:123,Good\r\nhttp://good.example/\r\n")
        << QStringList{"Good"} << QStringList{"http://good.example/"} << QList<int>{0};
    QTest::newRow("region name and EXTGRP")
        << QByteArray("#EXTINF:-1 group-title=\"Niemcy\",Eins\nhttp://eins.example/\n#EXTGRP:Węgry\n#EXTINF:-1,Duna\nhttp://duna.example/\n")
        << QStringList{"Eins", "Duna"} << QStringList{"http://eins.example/", "http://duna.example/"}
        << QList<int>{49, 36};
    QTest::newRow("byte-order mark, CR only")
        << QByteArray("\xEF\xBB\xBF#EXTM3U\r#EXTINF:-1,Stacja\rhttp://s.example/\r")
        << QStringList{"Stacja"} << QStringList{"http://s.example/"} << QList<int>{0};
    QTest::newRow("Windows-1250 text")
        << platform::fromUnicode(u"#EXTINF:-1,Radio Łódź\nhttp://l.example/\n", platform::CodePage::Windows1250)
        << QStringList{"Radio Łódź"} << QStringList{"http://l.example/"} << QList<int>{0};
    QTest::newRow("unnamed, on hosts in letters the file lacks")
        << QByteArray("http://xn--mxagpyg.gr/s\nhttp://xn--80aimyg.xn--p1ai/s\nhttp://xn--et-12t.example./s\n")
        << QStringList{"radio.gr", "radio.rf", "\"et.example."}
        << QStringList{"http://xn--mxagpyg.gr/s", "http://xn--80aimyg.xn--p1ai/s", "http://xn--et-12t.example./s"}
        << QList<int>{0, 0, 0};
    QTest::newRow("same name twice in a region")
        << QByteArray("#EXTINF:-1,Radio\nhttp://1.example/\n#EXTINF:-1,RADIO\nhttp://2.example/\n")
        << QStringList{"Radio", "RADIO (2)"} << QStringList{"http://1.example/", "http://2.example/"}
        << QList<int>{0, 0};
  }
  void m3uAsFoundInTheWild() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QStringList, streams);
    QFETCH(QList<int>, regions);
    const RadioStations stations = radioStationsFromPlaylist(parseM3u(playlistText(bytes)));
    QStringList gotNames, gotStreams;
    QList<int> gotRegions;
    for (const RadioStation& station : stations) {
      gotNames << station.Name;
      gotStreams << station.StreamUrl;
      gotRegions << station.RegionId;
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotStreams, streams);
    QCOMPARE(gotRegions, regions);
  }

  void groupThatIsNoRegionGivesCategories() {
    const TvStations stations =
        tvStationsFromPlaylist(parseM3u(QStringLiteral("#EXTINF:-1 group-title=\"News;Music\",N\nhttp://n.example/\n")));
    QCOMPARE(stations.size(), std::size_t(1));
    QCOMPARE(int(stations[0].Categories), 0x12);
    QCOMPARE(stations[0].RegionId, 0);
  }

  void plsAsFoundInTheWild_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("addresses");
    QTest::newRow("standard")
        << "[playlist]\nNumberOfEntries=2\nFile1=http://a.example/\nTitle1=A\nLength1=-1\nFile2=http://b.example/\nTitle2=B\nVersion=2\n"
        << QStringList{"A", "B"} << QStringList{"http://a.example/", "http://b.example/"};
    QTest::newRow("letter case of keys, blanks, CRLF")
        << "[Playlist]\r\nfile1 = http://a.example/\r\nTITLE1=A\r\nFILE2=http://b.example/\r\ntitle2= B \r\n"
        << QStringList{"A", "B"} << QStringList{"http://a.example/", "http://b.example/"};
    QTest::newRow("no NumberOfEntries, numbers out of order with gaps")
        << "[playlist]\nFile10=http://c.example/\nFile2=http://b.example/\nTitle10=C\n"
        << QStringList{"", "C"} << QStringList{"http://b.example/", "http://c.example/"};
    QTest::newRow("NumberOfEntries too small")
        << "[playlist]\nNumberOfEntries=1\nFile1=http://a.example/\nFile2=http://b.example/\n"
        << QStringList{"", ""} << QStringList{"http://a.example/", "http://b.example/"};
    QTest::newRow("relative entry and title without a file")
        << "[playlist]\nFile1=local.mp3\nTitle1=Local\nTitle2=Orphan\nFile3=http://c.example/\n"
        << QStringList{""} << QStringList{"http://c.example/"};
    QTest::newRow("not a playlist") << "just some text\n" << QStringList{} << QStringList{};
  }
  void plsAsFoundInTheWild() {
    QFETCH(QString, text);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, addresses);
    QStringList gotTitles, gotAddresses;
    for (const PlaylistEntry& entry : parsePls(text)) {
      gotTitles << entry.title;
      gotAddresses << entry.address;
    }
    QCOMPARE(gotTitles, titles);
    QCOMPARE(gotAddresses, addresses);
  }

  void xspfAsFoundInTheWild() {
    QFile file(QStringLiteral(UPDATE_FIXTURES "/foreign.xspf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    const auto playlist = parseXspf(xml);
    QVERIFY(playlist.has_value());
    const RadioStations stations = radioStationsFromPlaylist(*playlist);
    QCOMPARE(stations.size(), std::size_t(1));
    QCOMPARE(stations[0].Name, QStringLiteral("A"));
    QCOMPARE(stations[0].Www, QStringLiteral("a.example/"));
    QCOMPARE(stations[0].RegionId, 0);  // another program's extension is not ours
    QCOMPARE(int(stations[0].PlayerKind), 8);
  }

  void notXspf_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("other XML") << QByteArray("<rss><channel/></rss>");
    QTest::newRow("broken XML") << QByteArray("<playlist><trackList><track>");
    QTest::newRow("not XML") << QByteArray("#EXTM3U\n");
  }
  void notXspf() {
    QFETCH(QByteArray, bytes);
    QVERIFY(!parseXspf(bytes).has_value());
  }
};

QTEST_GUILESS_MAIN(PlaylistsTest)
#include "tst_playlists.moc"
