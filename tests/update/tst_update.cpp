#include <QtTest>

#include <QDir>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkProxy>
#include <QProgressBar>
#include <QPushButton>
#include <set>

#include "app/tform4.h"
#include "app/update/cataloguesink.h"
#include "app/update/catalogueswap.h"
#include "app/update/radioservers.h"
#include "app/update/updatecontroller.h"
#include "catalogue/feedfile.h"
#include "support/fakes.h"
#include "support/filebytes.h"
#include "support/sandbox.h"
#include "testserver.h"
#include "fixtures.h"

using namespace catalogue;
using namespace testsupport;
using updatetest::Route;
using updatetest::TestServer;

namespace {

// The catalogues as the running program holds them, kept in files of the sandbox.
class FileSink final : public app::CatalogueSink {
 public:
  explicit FileSink(QString folder) : folder_(std::move(folder)) {
    loadTvFeed(folder_ + kTvFeedName, tv_);
    loadRadioFeed(folder_ + kRadioFeedName, radio_);
  }
  SaveResult replace(const TvRebuild& rebuildTv, const RadioRebuild& rebuildRadio) override {
    TvStations tv = rebuildTv(tv_);
    RadioStations radio = rebuildRadio(radio_);
    const SaveResult saved = app::writeBothCatalogues(folder_ + kTvFeedName, tv, folder_ + kRadioFeedName, radio);
    if (saved.ok) {
      tv_ = std::move(tv);
      radio_ = std::move(radio);
    }
    return saved;
  }

 private:
  QString folder_;
  TvStations tv_;
  RadioStations radio_;
};

enum class Breakage { HttpError, Missing, Garbage, WrongShape, EmptyList, TooLargeSent, TooLargeAnnounced, Stall,
                      Refused, Tls };

struct Fixture {
  Sandbox sandbox;
  TestServer server;
  FakeMessageBoxes boxes;
  QWidget mainWindow;
  app::TForm4 window{&mainWindow};
  QString folder = sandbox.path() + QLatin1Char('/');
  QByteArray tvBefore;
  QByteArray radioBefore;
  app::UpdateSources sources;
  app::UpdateLimits limits{256 * 1024, 5000, 20000};
  std::unique_ptr<app::UpdateController> controller;

  Fixture() {
    TvStation favourite{QStringLiteral("Moja TV"), {}, {}, QStringLiteral("http://moja.example/tv"), 0, 0, 8, 0, true};
    TvStation old{QStringLiteral("Stara TV"), {}, {}, QStringLiteral("http://stara.example/tv"), 48, 0, 8, 0, true};
    RadioStation favouriteRadio{QStringLiteral("Moje radio"), {}, QStringLiteral("http://moje.example/"), 0, 0, 1, 0};
    RadioStation oldRadio{QStringLiteral("Stare radio"), {}, QStringLiteral("http://stare.example/"), 48, 0, 1, 0};
    saveTvFeed(folder + kTvFeedName, {favourite, old});
    saveRadioFeed(folder + kRadioFeedName, {oldRadio, favouriteRadio});
    tvBefore = fileBytes(folder + kTvFeedName);
    radioBefore = fileBytes(folder + kRadioFeedName);
    server.route("/json/stations", {200, fixture("radio-stations.json")});
    server.route("/channels.json", {200, fixture("tv-channels.json")});
    server.route("/streams.json", {200, fixture("tv-streams.json")});
    setBase(server.base());
    mainWindow.resize(700, 590);
    mainWindow.show();
  }
  void setBase(const QString& base) {
    sources.radioStations = {QUrl(base + QStringLiteral("/json/stations?hidebroken=true"))};
    sources.tvChannels = QUrl(base + QStringLiteral("/channels.json"));
    sources.tvStreams = QUrl(base + QStringLiteral("/streams.json"));
  }
  // The radio list from the directory's servers behind "all.api.test", found through `lookup`
  // and reached through the test server as the program's proxy.
  void useDirectory(std::shared_ptr<app::HostLookup> lookup) {
    sources.radioStations.clear();
    sources.radioDirectory = {QStringLiteral("all.api.test"), QStringLiteral("http"), -1,
                              QStringLiteral("/json/stations?hidebroken=true"), std::move(lookup)};
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), server.port()));
  }
  ~Fixture() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
  // The hosts asked for the radio list, in order.
  QList<QByteArray> radioHostsAsked() const {
    QList<QByteArray> asked;
    for (qsizetype i = 0; i < server.paths.size(); ++i)
      if (server.paths[i].startsWith("/json/stations")) asked << server.hosts.value(i);
    return asked;
  }
  void run() {
    controller = std::make_unique<app::UpdateController>(window, boxes, &mainWindow, std::make_unique<FileSink>(folder),
                                                         sources, limits);
    controller->run();
  }
  bool filesUnchanged() const {
    return fileBytes(folder + kTvFeedName) == tvBefore && fileBytes(folder + kRadioFeedName) == radioBefore;
  }
  QString label() { return window.findChild<QLabel*>(QStringLiteral("Label1"))->text(); }
  int bar() { return window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value(); }
};

// The resolver's answers for the names a test makes up, given as the system's are: later.
class TableLookup final : public app::HostLookup {
 public:
  QHash<QString, QList<QHostAddress>> addressesOf;
  QHash<QHostAddress, QString> namesOf;
  int delayMs = 0;

  void addresses(const QString& name, QObject* context, std::function<void(const QList<QHostAddress>&)> answer) override {
    QTimer::singleShot(delayMs, context, [answer, found = addressesOf.value(name)] { answer(found); });
  }
  void hostName(const QHostAddress& address, QObject* context, std::function<void(const QString&)> answer) override {
    QTimer::singleShot(delayMs, context, [answer, found = namesOf.value(address)] { answer(found); });
  }
};

// Three servers behind the round-robin name, one of them on two addresses, and an address with no
// name of its own.
std::shared_ptr<TableLookup> directoryLookup() {
  auto lookup = std::make_shared<TableLookup>();
  lookup->addressesOf.insert(QStringLiteral("all.api.test"),
                             {QHostAddress(QStringLiteral("192.0.2.1")), QHostAddress(QStringLiteral("192.0.2.2")),
                              QHostAddress(QStringLiteral("192.0.2.3")), QHostAddress(QStringLiteral("2001:db8::2")),
                              QHostAddress(QStringLiteral("192.0.2.9"))});
  lookup->namesOf.insert(QHostAddress(QStringLiteral("192.0.2.1")), QStringLiteral("de1.api.test"));
  lookup->namesOf.insert(QHostAddress(QStringLiteral("192.0.2.2")), QStringLiteral("nl1.api.test"));
  lookup->namesOf.insert(QHostAddress(QStringLiteral("2001:db8::2")), QStringLiteral("NL1.api.test"));
  lookup->namesOf.insert(QHostAddress(QStringLiteral("192.0.2.3")), QStringLiteral("at1.api.test"));
  return lookup;
}

QStringList namesOf(const auto& stations) {
  QStringList names;
  for (const auto& station : stations) names << station.Name;
  return names;
}

}  // namespace

class UpdateTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void goodUpdateReplacesBothCataloguesAndKeepsFavourites() {
    Fixture f;
    Route slowChannels{200, fixture("tv-channels.json"), 300};
    f.server.route("/channels.json", slowChannels);
    f.boxes.answers = {true};
    f.run();
    // The window shows at once, over the main window, and says what is being fetched.
    QVERIFY(f.window.isVisible());
    QCOMPARE(f.window.parentWidget(), &f.mainWindow);
    QCOMPARE(f.label(), QStringLiteral("Pobieranie listy stacji radiowych…"));
    QTRY_COMPARE(f.label(), QStringLiteral("Pobieranie listy kanałów telewizyjnych…"));
    QVERIFY(f.bar() >= 45);
    QTRY_VERIFY(!f.controller->running());
    QVERIFY(!f.window.isVisible());

    QCOMPARE(f.boxes.shown.size(), std::size_t(1));
    QCOMPARE(f.boxes.shown[0].kind, ShownBox::Question);
    QVERIFY2(f.boxes.shown[0].text.contains(QStringLiteral("telewizyjnych – 6, radiowych – 7")),
             qPrintable(f.boxes.shown[0].text));
    QVERIFY(f.boxes.shown[0].text.contains(QStringLiteral("Ulubione pozostaną")));

    TvStations tv;
    RadioStations radio;
    QCOMPARE(loadTvFeed(f.folder + kTvFeedName, tv).status, LoadResult::Loaded);
    QCOMPARE(loadRadioFeed(f.folder + kRadioFeedName, radio).status, LoadResult::Loaded);
    QCOMPARE(tv.size(), std::size_t(7));
    QCOMPARE(tv[0].Name, QStringLiteral("Moja TV"));
    QCOMPARE(tv[0].RegionId, 0);
    QVERIFY(!namesOf(tv).contains(QStringLiteral("Stara TV")));
    QVERIFY(namesOf(tv).contains(QStringLiteral("TVP Info")));
    QCOMPARE(radio.size(), std::size_t(8));
    QCOMPARE(radio[0].Name, QStringLiteral("Moje radio"));
    QVERIFY(!namesOf(radio).contains(QStringLiteral("Stare radio")));

    QCOMPARE(f.server.paths, (QList<QByteArray>{"/json/stations?hidebroken=true", "/channels.json", "/streams.json"}));
    QCOMPARE(f.server.userAgents, (QList<QByteArray>{"Sieciownik/1.0.0", "Sieciownik/1.0.0", "Sieciownik/1.0.0"}));
  }

  void answeringNoChangesNothing() {
    Fixture f;
    f.boxes.answers = {false};
    f.run();
    QTRY_VERIFY(!f.controller->running());
    QCOMPARE(f.boxes.shown.size(), std::size_t(1));
    QCOMPARE(f.boxes.shown[0].kind, ShownBox::Question);
    QVERIFY(f.filesUnchanged());
  }

  void failureLeavesTheFilesAsTheyWere_data() {
    QTest::addColumn<int>("breakage");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("server error") << int(Breakage::HttpError) << QByteArray("/json/stations") << "zwrócił błąd HTTP 500";
    QTest::newRow("stream list missing") << int(Breakage::Missing) << QByteArray("/streams.json") << "błąd HTTP 404";
    QTest::newRow("garbage") << int(Breakage::Garbage) << QByteArray("/channels.json") << "uszkodzone dane";
    QTest::newRow("not the list") << int(Breakage::WrongShape) << QByteArray("/json/stations") << "nieoczekiwanym formacie";
    QTest::newRow("no station") << int(Breakage::EmptyList) << QByteArray("/json/stations") << "bez żadnej stacji";
    QTest::newRow("huge body") << int(Breakage::TooLargeSent) << QByteArray("/json/stations") << "zbyt dużo danych";
    QTest::newRow("huge length announced") << int(Breakage::TooLargeAnnounced) << QByteArray("/streams.json")
                                           << "zbyt dużo danych";
    QTest::newRow("server stops sending") << int(Breakage::Stall) << QByteArray("/channels.json") << "przekroczony czas";
    QTest::newRow("nothing listening") << int(Breakage::Refused) << QByteArray() << "odmówił połączenia";
    QTest::newRow("no TLS there") << int(Breakage::Tls) << QByteArray() << "bezpiecznego połączenia";
  }
  void failureLeavesTheFilesAsTheyWere() {
    QFETCH(int, breakage);
    QFETCH(QByteArray, path);
    QFETCH(QString, message);
    Fixture f;
    f.boxes.answers = {true};
    f.limits.stallTimeoutMs = 300;
    switch (Breakage(breakage)) {
      case Breakage::HttpError: f.server.route(path, {500, "{}"}); break;
      case Breakage::Missing: f.server.route(path, {404, "gone"}); break;
      case Breakage::Garbage: f.server.route(path, {200, QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 16)}); break;
      case Breakage::WrongShape: f.server.route(path, {200, R"({"error":"too many requests"})"}); break;
      case Breakage::EmptyList: f.server.route(path, {200, "[]"}); break;
      case Breakage::TooLargeSent: f.server.route(path, {200, "[" + QByteArray(400 * 1024, ' '), 0, -2}); break;
      case Breakage::TooLargeAnnounced: f.server.route(path, {200, "[", 0, qint64(8) << 30, true}); break;
      case Breakage::Stall: f.server.route(path, {200, "[{\"id\":", 0, 5000, true}); break;
      case Breakage::Refused: {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        f.setBase(QStringLiteral("http://127.0.0.1:%1").arg(port));
        break;
      }
      case Breakage::Tls: f.setBase(QStringLiteral("https://127.0.0.1:%1").arg(f.server.port())); break;
    }
    f.run();
    QTRY_VERIFY_WITH_TIMEOUT(!f.controller->running(), 10000);
    QVERIFY(!f.window.isVisible());
    QCOMPARE(f.boxes.shown.size(), std::size_t(1));
    QCOMPARE(f.boxes.shown[0].kind, ShownBox::Error);
    QVERIFY2(f.boxes.shown[0].text.startsWith(QStringLiteral("Nie udało się zaktualizować listy stacji.\n")) &&
                 f.boxes.shown[0].text.contains(message),
             qPrintable(f.boxes.shown[0].text));
    QVERIFY(f.filesUnchanged());
  }

  void cancelDuringASlowResponse() {
    Fixture f;
    f.server.route("/json/stations", {200, fixture("radio-stations.json"), 20000});
    f.run();
    QTRY_COMPARE(f.server.paths.size(), 1);
    QVERIFY(f.window.isVisible());
    f.window.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    // Stopped at once: no waiting for the server, no message.
    QVERIFY(!f.controller->running());
    QVERIFY(!f.window.isVisible());
    QVERIFY(f.boxes.shown.empty());
    QTRY_COMPARE(f.server.openConnections(), 0);
    QCOMPARE(f.server.paths.size(), 1);
    QVERIFY(f.filesUnchanged());
    // The button works again afterwards.
    f.server.route("/json/stations", {200, fixture("radio-stations.json")});
    f.boxes.answers = {false};
    f.controller->run();
    QTRY_VERIFY(!f.controller->running());
    QCOMPARE(f.boxes.shown.size(), std::size_t(1));
  }

  // The radio directory's servers are found at run time and asked in random order until one gives
  // the list; each is asked once, however many addresses it has.
  void radioServersAreFoundAtRunTimeAndTriedUntilOneAnswers() {
    std::set<QByteArray> askedFirst;
    for (int round = 0; round < 12; ++round) {
      Fixture f;
      f.useDirectory(directoryLookup());
      f.server.route("de1.api.test", "/json/stations", {503, "busy"});
      f.server.route("at1.api.test", "/json/stations", {404, "gone"});
      f.server.route("nl1.api.test", "/json/stations", {200, fixture("radio-stations.json")});
      f.server.route("/json/stations", {500, "not for this name"});
      f.boxes.answers = {true};
      f.run();
      QTRY_VERIFY_WITH_TIMEOUT(!f.controller->running(), 10000);
      QCOMPARE(f.boxes.shown.size(), std::size_t(1));
      QCOMPARE(f.boxes.shown[0].kind, ShownBox::Question);
      QVERIFY(!f.filesUnchanged());
      const QList<QByteArray> asked = f.radioHostsAsked();
      QCOMPARE(asked.last(), QByteArray("nl1.api.test"));
      QCOMPARE(asked.count("nl1.api.test"), 1);
      for (const QByteArray& host : asked) QVERIFY2(host.endsWith(".api.test") && asked.count(host) == 1, host.constData());
      QCOMPARE(QList<QByteArray>(f.server.paths.mid(f.server.paths.size() - 2)),
               (QList<QByteArray>{"/channels.json", "/streams.json"}));
      askedFirst.insert(asked.first());
    }
    // Random order: not always the same server first.
    QVERIFY(askedFirst.size() >= 2);
  }

  void everyRadioServerFailingIsReportedWithTheServersTried() {
    Fixture f;
    f.useDirectory(directoryLookup());
    f.server.route("/json/stations", {503, "busy"});
    f.boxes.answers = {true};
    f.run();
    QTRY_VERIFY_WITH_TIMEOUT(!f.controller->running(), 10000);
    QCOMPARE(f.boxes.shown.size(), std::size_t(1));
    const QString text = f.boxes.shown[0].text;
    QCOMPARE(f.boxes.shown[0].kind, ShownBox::Error);
    QVERIFY2(text.startsWith(QStringLiteral("Nie udało się zaktualizować listy stacji.\n")) &&
                 text.contains(QStringLiteral("zwrócił błąd HTTP 503")) &&
                 text.contains(QStringLiteral("sprawdzone serwery:")),
             qPrintable(text));
    for (const char* host : {"de1.api.test", "nl1.api.test", "at1.api.test"})
      QVERIFY2(text.contains(QLatin1String(host)), host);
    QCOMPARE(f.radioHostsAsked().size(), 3);
    QVERIFY(f.filesUnchanged());
  }

  // A name outside the directory's own domain is no server of it, whatever a reverse lookup says.
  void noRadioServerFoundIsReported_data() {
    QTest::addColumn<bool>("foreignNames");
    QTest::newRow("no address") << false;
    QTest::newRow("only names outside the directory's domain") << true;
  }
  void noRadioServerFoundIsReported() {
    QFETCH(bool, foreignNames);
    Fixture f;
    auto lookup = std::make_shared<TableLookup>();
    if (foreignNames) {
      const QStringList names{"evil.example", "api.test.evil.example", "xapi.test"};
      for (int i = 0; i < names.size(); ++i) {
        const QHostAddress address(QStringLiteral("198.51.100.%1").arg(i + 1));
        lookup->addressesOf[QStringLiteral("all.api.test")] << address;
        lookup->namesOf.insert(address, names[i]);
      }
    }
    f.useDirectory(lookup);
    f.boxes.answers = {true};
    f.run();
    QCOMPARE(f.label(), QStringLiteral("Wyszukiwanie serwerów katalogu stacji radiowych…"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.controller->running(), 10000);
    QCOMPARE(f.boxes.shown.size(), std::size_t(1));
    QCOMPARE(f.boxes.shown[0].text, QStringLiteral("Nie udało się zaktualizować listy stacji.\nNie można odnaleźć serwerów "
                                                   "katalogu stacji radiowych (all.api.test). Sprawdź połączenie z internetem."));
    QVERIFY(f.server.paths.isEmpty());
    QVERIFY(f.filesUnchanged());
  }

  void cancelWhileTheServersAreBeingFound() {
    Fixture f;
    auto lookup = directoryLookup();
    lookup->delayMs = 300;
    f.useDirectory(lookup);
    f.run();
    f.window.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    QVERIFY(!f.controller->running());
    // The lookups' late answers go nowhere.
    QTest::qWait(700);
    QVERIFY(f.boxes.shown.empty());
    QVERIFY(f.server.paths.isEmpty());
  }

  // The system's resolver, asked without the network: the machine's own name for itself.
  void systemResolverAnswersBothWays() {
    app::SystemHostLookup lookup;
    QObject context;
    QList<QHostAddress> addresses;
    QString name = QStringLiteral("(none yet)");
    bool answered = false;
    lookup.addresses(QStringLiteral("localhost"), &context, [&](const QList<QHostAddress>& found) {
      addresses = found;
      answered = true;
    });
    QTRY_VERIFY(answered);
    QVERIFY(addresses.contains(QHostAddress(QHostAddress::LocalHost)));
    lookup.hostName(QHostAddress(QHostAddress::LocalHost), &context, [&](const QString& found) { name = found; });
    QTRY_COMPARE(name, QStringLiteral("localhost"));
  }

  void catalogueThatCannotBeWrittenKeepsTheOtherToo() {
    Fixture f;
    // A folder where the radio catalogue should be: the TV file is written first and must come back.
    QVERIFY(QFile::remove(f.folder + kRadioFeedName));
    QVERIFY(QDir(f.folder).mkdir(kRadioFeedName));
    f.boxes.answers = {true};
    f.run();
    QTRY_VERIFY(!f.controller->running());
    QCOMPARE(f.boxes.shown.size(), std::size_t(2));
    QCOMPARE(f.boxes.shown[1].kind, ShownBox::Error);
    QVERIFY(f.boxes.shown[1].text.startsWith(QStringLiteral("Nie udało się zapisać nowych list stacji")));
    QCOMPARE(fileBytes(f.folder + kTvFeedName), f.tvBefore);
    QVERIFY(QFileInfo(f.folder + kRadioFeedName).isDir());
  }
};

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
