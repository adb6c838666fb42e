#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QtTest>
#include <sys/mount.h>
#include <unistd.h>

#include "catalogue/feedfile.h"
#include "catalogue/feedinteger.h"
#include "feedtesthelpers.h"
#include "support/sandbox.h"

using namespace catalogue;
using namespace feedtest;

namespace {

TvStations loadTvPlain(const QByteArray& plain, LoadResult* result = nullptr,
                       std::vector<DroppedLine>* dropped = nullptr) {
  QByteArray bytes = scrambled(plain);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  LoadOptions options;
  if (dropped) options.onDroppedLine = [dropped](const DroppedLine& line) { dropped->push_back(line); };
  TvStations stations;
  const LoadResult loaded = loadTvFeed(buffer, stations, options);
  if (result) *result = loaded;
  return stations;
}

RadioStations loadRadioPlain(const QByteArray& plain) {
  QByteArray bytes = scrambled(plain);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  RadioStations stations;
  loadRadioFeed(buffer, stations);
  return stations;
}

// A device that hands out its bytes and then fails, as a disk with a bad sector would.
class FailingDevice : public QIODevice {
 public:
  explicit FailingDevice(QByteArray bytes) : bytes_(std::move(bytes)) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    if (pos_ >= bytes_.size()) {
      setErrorString(QStringLiteral("Input/output error"));
      return -1;
    }
    const qint64 n = std::min<qint64>(maxSize, bytes_.size() - pos_);
    memcpy(data, bytes_.constData() + pos_, n);
    pos_ += n;
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }
  bool isSequential() const override { return true; }

 private:
  QByteArray bytes_;
  qint64 pos_ = 0;
};

TvStation tvStation(const QString& name, qint32 region = 48) {
  TvStation s;
  s.Name = name;
  s.Www = QStringLiteral("www.example.pl");
  s.ScheduleWww = QStringLiteral("www.example.pl/program");
  s.StreamUrl = QStringLiteral("http://example.pl/live.m3u8");
  s.RegionId = region;
  s.QualityBps = 128000;
  s.PlayerKind = 8;
  s.Categories = 3;
  s.Live = true;
  return s;
}

const char kGood[] = "TVP1\ttvp1.tvp.pl\tprogram.tvp.pl\t2\t48\t3\t1\t300000\tmms://tvp.pl/tvp1";
const char kGoodRecord[] = "TVP1|tvp1.tvp.pl|program.tvp.pl|mms://tvp.pl/tvp1|48|300000|2|3|live";

}  // namespace

class FeedFileTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void tvLines_data() {
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QStringList>("records");
    const QByteArray good(kGood);
    const QString record(QString::fromLatin1(kGoodRecord));
    const QString second = QStringLiteral("B||||1|0|4|0|recorded");
    const QByteArray secondLine("B\t-\t-\t4\t1\t0\t2\t0\t-");

    QTest::newRow("CR LF") << good + "\r\n" + secondLine + "\r\n" << QStringList{record, second};
    QTest::newRow("LF") << good + "\n" + secondLine + "\n" << QStringList{record, second};
    QTest::newRow("CR") << good + "\r" + secondLine + "\r" << QStringList{record, second};
    QTest::newRow("blank lines and stray breaks") << "\r\n\n" + good + "\n\r\n  \t \r\n\n\r" + secondLine + "\n\n"
                                                  << QStringList{record, second};
    QTest::newRow("last line without a break") << good + "\n" + secondLine << QStringList{record, second};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("only breaks") << QByteArray("\r\n\r\n\n") << QStringList{};
    QTest::newRow("comment after blanks") << "   ;" + good + "\n" + good << QStringList{record};
    QTest::newRow("comment only a semicolon") << QByteArray(";\n") + good << QStringList{record};
    QTest::newRow("surrounding blanks trimmed") << " \t " + good + " \x01\t " << QStringList{record};

    QTest::newRow("name dash dropped") << QByteArray("-\tw\ts\t2\t48\t3\t1\t0\tu") << QStringList{};
    QTest::newRow("optional dashes empty") << QByteArray("A\t-\t - \t2\t48\t3\t1\t-\t-")
                                           << QStringList{"A||||48|0|2|3|live"};
    QTest::newRow("-5 is a number") << QByteArray("A\t-\t-\t-5\t-5\t-5\t-5\t-5\t-") << QStringList{"A||||-5|-5|251|251|recorded"};
    QTest::newRow("required number dash") << QByteArray("A\t-\t-\t2\t-\t3\t1\t0\t-") << QStringList{};
    QTest::newRow("required number text") << QByteArray("A\t-\t-\tabc\t48\t3\t1\t0\t-") << QStringList{};
    QTest::newRow("live not a number") << QByteArray("A\t-\t-\t2\t48\t3\ttak\t0\t-") << QStringList{};
    QTest::newRow("quality not a number gives 0")
        << QByteArray("A\t-\t-\t2\t48\t3\t1\t128 kbit\tu") << QStringList{"A|||u|48|0|2|3|live"};
    QTest::newRow("quality out of range gives 0")
        << QByteArray("A\t-\t-\t2\t48\t3\t1\t2147483648\tu") << QStringList{"A|||u|48|0|2|3|live"};
    QTest::newRow("region out of range dropped") << QByteArray("A\t-\t-\t2\t2147483648\t3\t1\t0\t-") << QStringList{};
    QTest::newRow("region lowest value") << QByteArray("A\t-\t-\t2\t-2147483648\t3\t1\t0\t-")
                                         << QStringList{"A||||-2147483648|0|2|3|live"};
    QTest::newRow("hexadecimal forms") << QByteArray("A\t-\t-\t$1F\tx30\t0x11\t0X1\tX10\t-")
                                       << QStringList{"A||||48|16|31|17|live"};
    QTest::newRow("hexadecimal all bits") << QByteArray("A\t-\t-\t$FFFFFFFF\t$FFFFFFFF\t0\t1\t$80000000\t-")
                                          << QStringList{"A||||-1|-2147483648|255|0|live"};
    QTest::newRow("low 8 bits") << QByteArray("A\t-\t-\t258\t48\t288\t1\t0\t-") << QStringList{"A||||48|0|2|32|live"};
    QTest::newRow("live values") << QByteArray("A\t-\t-\t2\t1\t0\t 1 \t0\t-\nB\t-\t-\t2\t1\t0\t2\t0\t-\n"
                                               "C\t-\t-\t2\t1\t0\t0\t0\t-\nD\t-\t-\t2\t1\t0\t5\t0\t-\n"
                                               "E\t-\t-\t2\t1\t0\t$1\t0\t-")
                                 << QStringList{"A||||1|0|2|0|live", "B||||1|0|2|0|recorded", "C||||1|0|2|0|recorded",
                                                "D||||1|0|2|0|recorded", "E||||1|0|2|0|live"};

    QTest::newRow("http:// removed once")
        << QByteArray("A\thttp://http://a.pl\thttp://b.pl\t2\t48\t3\t1\t0\thttp://c.pl/s")
        << QStringList{"A|http://a.pl|b.pl|http://c.pl/s|48|0|2|3|live"};
    QTest::newRow("only exact http:// removed") << QByteArray("A\tHTTP://a.pl\t https://b.pl\t2\t48\t3\t1\t0\t-")
                                                << QStringList{"A|HTTP://a.pl|https://b.pl||48|0|2|3|live"};
    QTest::newRow("http:// alone leaves empty") << QByteArray("A\thttp://\t-\t2\t48\t3\t1\t0\t-")
                                                << QStringList{"A||||48|0|2|3|live"};

    // The empty home page written as two TABs: every later column moves one place left.
    QTest::newRow("two TABs shift columns, line loads")
        << QByteArray("A\t\tsched.pl\t2\t48\t3\t1\t0\t128000\tstream") << QStringList{"A|sched.pl|2|stream|3|128000|48|1|recorded"};
    QTest::newRow("two TABs shift columns, text lands in a number")
        << QByteArray("A\t\tsched.pl\t2\t48\t3\t1\thttp://stream") << QStringList{};
    QTest::newRow("eight columns") << QByteArray("A\tw\ts\t2\t48\t3\t1\thttp://stream") << QStringList{"A|w|s||48|0|2|3|live"};
    QTest::newRow("short line dropped") << QByteArray("A\tw\ts\t2\t48\t3") << QStringList{};
    QTest::newRow("name only dropped") << QByteArray("A") << QStringList{};
    QTest::newRow("leading TAB trimmed with the line") << QByteArray("\tA\tw\t2\t48\t3\t1\t0\t5\ts")
                                                       << QStringList{"A|w|2|s|3|5|48|1|recorded"};
    QTest::newRow("text after the last column ignored") << good + "\textra\tmore" << QStringList{record};
    QTest::newRow("bad line between good ones") << good + "\nX\t-\t-\t2\t48\n" + good << QStringList{record, record};
  }
  void tvLines() {
    QFETCH(QByteArray, plain);
    QFETCH(QStringList, records);
    LoadResult result;
    QCOMPARE(describeAll(loadTvPlain(plain, &result)), records);
    QCOMPARE(result.status, LoadResult::Loaded);
  }

  void integers_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << QByteArray("0") << true << 0;
    QTest::newRow("minus zero") << QByteArray("-0") << true << 0;
    QTest::newRow("plus") << QByteArray("+7") << true << 7;
    QTest::newRow("leading zeros") << QByteArray("007") << true << 7;
    QTest::newRow("largest") << QByteArray("2147483647") << true << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
    QTest::newRow("above largest") << QByteArray("2147483648") << false << 0;
    QTest::newRow("below smallest") << QByteArray("-2147483649") << false << 0;
    QTest::newRow("far too long") << QByteArray("99999999999999999999") << false << 0;
    QTest::newRow("long leading zeros") << QByteArray("0000000000000000000012") << true << 12;
    QTest::newRow("dollar") << QByteArray("$ff") << true << 255;
    QTest::newRow("x") << QByteArray("x10") << true << 16;
    QTest::newRow("X") << QByteArray("XA") << true << 10;
    QTest::newRow("0x") << QByteArray("0x7FFFFFFF") << true << 2147483647;
    QTest::newRow("0X") << QByteArray("0Xa") << true << 10;
    QTest::newRow("hex wraps to negative") << QByteArray("$FFFFFFFE") << true << -2;
    QTest::newRow("hex leading zeros") << QByteArray("$000000001") << true << 1;
    QTest::newRow("hex 33 bits") << QByteArray("$100000000") << false << 0;
    QTest::newRow("empty") << QByteArray("") << false << 0;
    QTest::newRow("plus alone") << QByteArray("+") << false << 0;
    QTest::newRow("minus alone") << QByteArray("-") << false << 0;
    QTest::newRow("dollar alone") << QByteArray("$") << false << 0;
    QTest::newRow("x alone") << QByteArray("x") << false << 0;
    QTest::newRow("0x alone") << QByteArray("0x") << false << 0;
    QTest::newRow("dollar minus") << QByteArray("$-5") << false << 0;
    QTest::newRow("0x minus") << QByteArray("0x-5") << false << 0;
    QTest::newRow("minus dollar") << QByteArray("-$5") << false << 0;
    QTest::newRow("minus 0x") << QByteArray("-0x5") << false << 0;
    QTest::newRow("two signs") << QByteArray("+-1") << false << 0;
    QTest::newRow("00x") << QByteArray("00x5") << false << 0;
    QTest::newRow("inner blank") << QByteArray("1 2") << false << 0;
    QTest::newRow("trailing letter") << QByteArray("12a") << false << 0;
    QTest::newRow("hex letter g") << QByteArray("$1g") << false << 0;
    QTest::newRow("decimal point") << QByteArray("1.5") << false << 0;
    QTest::newRow("embedded NUL") << QByteArray("12\0" "3", 4) << false << 0;
  }
  void integers() {
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<qint32> parsed = parseFeedInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) QCOMPARE(*parsed, value);
  }

  void radioColumns() {
    const RadioStations stations = loadRadioPlain(iso(
        "Trójka\thttp://www.polskieradio.pl\t258\t48\t$11\t128000\thttp://mp3.polskieradio.pl:8904/\r\n"
        "Short\t-\t1\t48\r\n"
        "Dash\t-\t1\t48\t0\t-\t-\r\n"));
    QCOMPARE(describeAll(stations),
             (QStringList{QStringLiteral("Trójka|www.polskieradio.pl|http://mp3.polskieradio.pl:8904/|48|128000|2|17"),
                          QStringLiteral("Dash|||48|0|1|0")}));
  }

  void droppedLinesAreReported() {
    std::vector<DroppedLine> dropped;
    const QByteArray plain = QByteArray(kGood) + "\r\n\r\nA\r\n" + kGood + "\rB\t-\t-\tabc\t1\t0\t1\t0\t-\n\nC\t-\t-\t1\t-";
    QCOMPARE(int(loadTvPlain(plain, nullptr, &dropped).size()), 2);
    QCOMPARE(int(dropped.size()), 3);
    QCOMPARE(dropped[0].lineNumber, 3);
    QCOMPARE(dropped[0].column, 4);
    QCOMPARE(dropped[0].reason, DroppedLine::RequiredMissing);
    QCOMPARE(dropped[1].lineNumber, 5);
    QCOMPARE(QByteArray(dropped[1].field), QByteArray("PlayerKind"));
    QCOMPARE(dropped[1].reason, DroppedLine::NotAnInteger);
    QCOMPARE(dropped[1].text, QStringLiteral("abc"));
    QCOMPARE(dropped[2].lineNumber, 7);
    QCOMPARE(dropped[2].column, 5);
    QCOMPARE(dropped[2].reason, DroppedLine::RequiredEmpty);
  }

  // Lines longer than the 4096-byte buffer, and breaks that fall on its edges.
  void linesAcrossBufferEdges() {
    for (int offset : {4094, 4095, 4096, 4097}) {
      const QByteArray name = QByteArray(offset - 40, 'n');
      QByteArray plain = name + "\t-\t-\t2\t48\t3\t1\t0\t-\r\n";
      plain += QByteArray("\r\n").repeated(3) + "L\t-\t-\t2\t48\t3\t1\t0\t" + QByteArray(9000, 's');
      const TvStations stations = loadTvPlain(plain);
      QCOMPARE(int(stations.size()), 2);
      QCOMPARE(stations[0].Name.size(), name.size());
      QCOMPARE(stations[1].StreamUrl.size(), 9000);
    }
  }

  void readErrorKeepsRecordsRead() {
    QByteArray plain;
    for (int i = 0; i < 200; ++i) plain += "S" + QByteArray::number(i) + "\t-\t-\t2\t48\t3\t1\t0\t-\r\n";
    FailingDevice device(scrambled(plain.left(5000)));
    TvStations stations;
    const LoadResult result = loadTvFeed(device, stations);
    QCOMPARE(result.status, LoadResult::ReadError);
    QVERIFY(!result.error.isEmpty());
    QVERIFY(stations.size() > 100);
    QCOMPARE(stations.front().Name, QStringLiteral("S0"));
  }

  void writerFormat_data() {
    QTest::addColumn<bool>("tv");
    QTest::addColumn<QByteArray>("plain");
    QTest::newRow("tv") << true << QByteArray("Zażółć\t-\tschedule.pl\t255\t-48\t128\t2\t-5\thttp://s.pl/ä\r\n");
    QTest::newRow("radio") << false << QByteArray("Zażółć\twww.a.pl\t255\t-48\t128\t0\t-\r\n");
  }
  void writerFormat() {
    QFETCH(bool, tv);
    QFETCH(QByteArray, plain);
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("X.FEED"));
    const QString name = QStringLiteral("Zażółć");
    SaveResult saved;
    if (tv) {
      TvStation s{name, {}, QStringLiteral("schedule.pl"), QStringLiteral("http://s.pl/ä"), -48, -5, 255, 128, false};
      saved = saveTvFeed(path, {s});
    } else {
      RadioStation s{name, QStringLiteral("www.a.pl"), {}, -48, 0, 255, 128};
      saved = saveRadioFeed(path, {s});
    }
    QVERIFY2(saved.ok, qPrintable(saved.error));
    QCOMPARE(plainContent(path), iso(plain));
  }

  // Each file starts with a fresh key: two saves of the same records give the same bytes, and the
  // first byte is scrambled with the key's start value.
  void keyStartsAfreshPerFile() {
    testsupport::Sandbox sandbox;
    const QString a = sandbox.filePath(QStringLiteral("A.FEED"));
    const QString b = sandbox.filePath(QStringLiteral("B.FEED"));
    QVERIFY(saveTvFeed(a, {tvStation(QStringLiteral("One"))}).ok);
    QVERIFY(saveTvFeed(b, {tvStation(QStringLiteral("One"))}).ok);
    QCOMPARE(fileBytes(a), fileBytes(b));
    QCOMPARE(quint8(fileBytes(a).at(0)), quint8('O' ^ 0x17));
    QCOMPARE(quint8(fileBytes(a).at(1)), quint8('n' ^ 0x0A));
    TvStations first, second;
    QCOMPARE(loadTvFeed(a, first).status, LoadResult::Loaded);
    QCOMPARE(loadTvFeed(a, second).status, LoadResult::Loaded);
    QCOMPARE(first, second);
    QCOMPARE(int(first.size()), 1);
  }

  void loadSaveLoadKeepsRecords() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("TV.FEED"));
    QByteArray plain = "; komentarz\r\n\r\n  " + QByteArray(kGood) + "  \n";
    plain += "Zażółć\thttp://www.a.pl\t-\t$102\t0\t0x41\t7\tbad\t-\n";
    plain += "Łódź TV\t-\t-\t-3\t6969\t255\t1\t-1\thttp://ą.pl/żywo\n";
    plain += "skipped\t-\n";
    QVERIFY(writeFile(path, scrambled(iso(plain))));
    TvStations first;
    QCOMPARE(loadTvFeed(path, first).status, LoadResult::Loaded);
    QCOMPARE(int(first.size()), 3);
    QVERIFY(saveTvFeed(path, first).ok);
    TvStations second;
    QCOMPARE(loadTvFeed(path, second).status, LoadResult::Loaded);
    QCOMPARE(second, first);
    QVERIFY(!plainContent(path).contains("komentarz"));
    QVERIFY(plainContent(path).endsWith("\r\n"));
  }

  // The stream column is converted like the other texts, so a non-ASCII address survives.
  void nonAsciiTextsSurvive_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("afterSave");
    QTest::newRow("Polish letters") << QStringLiteral("radio.pl/zażółć-gęślą-jaźń") << QStringLiteral("radio.pl/zażółć-gęślą-jaźń");
    QTest::newRow("Czech and Hungarian") << QStringLiteral("ČRo Radiožurnál Petőfi") << QStringLiteral("ČRo Radiožurnál Petőfi");
    QTest::newRow("euro sign lacking in ISO-8859-2") << QStringLiteral("5 €") << QStringLiteral("5 ?");
    QTest::newRow("grave accent lacking in both") << QStringLiteral("è") << QStringLiteral("?");
    QTest::newRow("emoji one mark") << QStringLiteral("a\U0001F600b") << QStringLiteral("a?b");
    QTest::newRow("C1 control lacking in Windows-1250") << QStringLiteral("a\u0081b") << QStringLiteral("a?b");
  }
  void nonAsciiTextsSurvive() {
    QFETCH(QString, text);
    QFETCH(QString, afterSave);
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("RADIO.FEED"));
    RadioStation s{text, text, text, 48, 0, 1, 0};
    QVERIFY(saveRadioFeed(path, {s}).ok);
    RadioStations loaded;
    QCOMPARE(loadRadioFeed(path, loaded).status, LoadResult::Loaded);
    QCOMPARE(int(loaded.size()), 1);
    QCOMPARE(loaded[0].Name, afterSave);
    QCOMPARE(loaded[0].Www, afterSave);
    QCOMPARE(loaded[0].StreamUrl, afterSave);
  }

  // A byte whose ISO-8859-2 character the program's code page lacks reads as '?'.
  void loadedTextIsInProgramCodePage() {
    const TvStations stations = loadTvPlain("a\x80\xB1\t-\t-\t1\t1\t1\t1\t0\t-");
    QCOMPARE(int(stations.size()), 1);
    QCOMPARE(stations[0].Name, QStringLiteral("a?ą"));
  }

  void emptyFileAndEmptyArray() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("TV.FEED"));
    QVERIFY(writeFile(path, {}));
    TvStations stations{tvStation(QStringLiteral("kept"))};
    QCOMPARE(loadTvFeed(path, stations).status, LoadResult::Loaded);
    QCOMPARE(int(stations.size()), 1);  // appended to, nothing added
    QVERIFY(writeFile(path, "garbage"));
    QVERIFY(saveTvFeed(path, {}).ok);
    QCOMPARE(QFileInfo(path).size(), 0);
  }

  void missingFile() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("TV.FEED"));
    TvStations stations;
    QCOMPARE(loadTvFeed(path, stations).status, LoadResult::NotOpened);
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(saveTvFeed(path, {tvStation(QStringLiteral("new"))}).ok);
    QCOMPARE(loadTvFeed(path, stations).status, LoadResult::Loaded);
    QCOMPARE(int(stations.size()), 1);
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("TV.FEED")});
  }

  void folderIsNotACatalogue() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("TV.FEED"));
    QVERIFY(QDir().mkpath(path));
    TvStations stations;
    QCOMPARE(loadTvFeed(path, stations).status, LoadResult::NotOpened);
    const SaveResult saved = saveTvFeed(path, {tvStation(QStringLiteral("x"))});
    QVERIFY(!saved.ok);
    QVERIFY(QFileInfo(path).isDir());
  }

  void readOnlyFile() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("RADIO.FEED"));
    const QByteArray old = scrambled("Old\t-\t1\t48\t0\t0\t-\r\n");
    QVERIFY(writeFile(path, old));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    // Read in full, and known not to be writable back; a writable file beside it is.
    RadioStations stations;
    const LoadResult loaded = loadRadioFeed(path, stations);
    QCOMPARE(loaded.status, LoadResult::Loaded);
    QVERIFY(!loaded.writable);
    QCOMPARE(int(stations.size()), 1);
    const QString writable = sandbox.filePath(QStringLiteral("TV.FEED"));
    QVERIFY(writeFile(writable, old));
    QVERIFY(loadRadioFeed(writable, stations).writable);
    QVERIFY(QFile::remove(writable));

    const SaveResult saved = saveRadioFeed(path, {});
    QVERIFY(!saved.ok);
    QVERIFY2(saved.error.contains(QDir::toNativeSeparators(path)), qPrintable(saved.error));
    QVERIFY2(saved.error.contains(QStringLiteral("tylko do odczytu")), qPrintable(saved.error));
    QCOMPARE(fileBytes(path), old);
    QCOMPARE(QFileInfo(path).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
             QFile::Permissions());
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("RADIO.FEED")});
  }

  void missingFolderFailsWithMessage() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("gone/TV.FEED"));
    const SaveResult saved = saveTvFeed(path, {tvStation(QStringLiteral("x"))});
    QVERIFY(!saved.ok);
    QVERIFY2(saved.error.contains(QDir::toNativeSeparators(path)), qPrintable(saved.error));
  }

  void saveKeepsPermissionsAndLinks() {
    testsupport::Sandbox sandbox;
    const QString real = sandbox.filePath(QStringLiteral("real.FEED"));
    const QString link = sandbox.filePath(QStringLiteral("TV.FEED"));
    QVERIFY(writeFile(real, {}));
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
    QVERIFY(QFile::setPermissions(real, mode));
    QVERIFY(QFile::link(real, link));
    QVERIFY(saveTvFeed(link, {tvStation(QStringLiteral("x"))}).ok);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(real).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), mode);
    TvStations stations;
    QCOMPARE(loadTvFeed(real, stations).status, LoadResult::Loaded);
    QCOMPARE(int(stations.size()), 1);
  }

  // A disk that fills up during a save leaves the old catalogue whole and no temporary file behind.
  void fullDiskKeepsOldFile() {
    testsupport::Sandbox sandbox;
    const QString mountPoint = sandbox.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
      QSKIP("mounting a small tmpfs is not permitted here");
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH); });

    const QString path = mountPoint + QStringLiteral("/TV.FEED");
    TvStations old;
    for (int i = 0; i < 100; ++i) old.push_back(tvStation(QStringLiteral("Old %1").arg(i)));
    QVERIFY(saveTvFeed(path, old).ok);
    const QByteArray oldBytes = fileBytes(path);

    TvStations big;
    for (int i = 0; i < 2000; ++i) big.push_back(tvStation(QStringLiteral("New station number %1").arg(i)));
    const SaveResult saved = saveTvFeed(path, big);
    QVERIFY(!saved.ok);
    QVERIFY2(saved.error.contains(QStringLiteral("brak miejsca")), qPrintable(saved.error));
    QCOMPARE(fileBytes(path), oldBytes);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("TV.FEED")});
    TvStations reloaded;
    QCOMPARE(loadTvFeed(path, reloaded).status, LoadResult::Loaded);
    QCOMPARE(reloaded, old);
  }
};

QTEST_GUILESS_MAIN(FeedFileTest)
#include "tst_feedfile.moc"
