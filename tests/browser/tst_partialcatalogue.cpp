// A catalogue whose file could be read only in part is never written over: the file still holds
// the stations after the read error, and any save would drop them. Nor is one whose file cannot be
// written: its changes would be gone at the next start.
#include <QtTest>

#include "browserharness.h"
#include "catalogue/feedcolumns.h"
#include "support/filebytes.h"

using namespace browsertest;

namespace {

// The file's bytes, until the disk gives up after `bytes` of them.
class FailsAfter final : public QIODevice {
 public:
  FailsAfter(QIODevice& file, qint64 bytes) : file_(file), left_(bytes) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    if (left_ <= 0) {
      setErrorString(QStringLiteral("Błąd wejścia/wyjścia"));
      return -1;
    }
    const qint64 got = file_.read(data, std::min(maxSize, left_));
    if (got > 0) left_ -= got;
    return got;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QIODevice& file_;
  qint64 left_;
};

catalogue::TvStations tvSample() {
  return {tv("Alfa", 48), tv("Beta", 48), tv("Gamma", 48), tv("Delta", 49), tv("Epsilon", 420), tv("Zeta", 420)};
}

// Reading TV.FEED fails after its first three lines; RADIO.FEED reads in full.
catalogue::FeedReadThrough failingTv(const catalogue::TvStations& stations) {
  QByteArray threeLines;
  for (std::size_t i = 0; i < 3; ++i) catalogue::appendFeedLine(stations[i], threeLines);
  return [bytes = threeLines.size()](const QString& path, QIODevice& file) -> std::unique_ptr<QIODevice> {
    if (!path.endsWith(catalogue::kTvFeedName)) return nullptr;
    return std::make_unique<FailsAfter>(file, bytes);
  };
}

// Each change is refused with one error naming the file and saying why, before any dialog or
// question. Empty when it is; otherwise what happened instead.
QString refusalOf(Harness& h, const char* button, const QString& why) {
  const std::size_t before = h.boxes.shown.size();
  int dialogs = 0;
  h.boxes.answers = {true};
  whenDialogOpens([](QDialog* dialog) { dialog->accept(); }, &dialogs);
  h.button(button)->click();
  QTest::qWait(0);
  h.boxes.answers.clear();
  if (dialogs != 0) return QStringLiteral("a dialog opened");
  if (h.boxes.shown.size() != before + 1) return QStringLiteral("%1 boxes").arg(h.boxes.shown.size() - before);
  const testsupport::ShownBox& box = h.boxes.shown.back();
  if (box.kind != testsupport::ShownBox::Error ||
      !box.text.contains(QDir::toNativeSeparators(h.feed(catalogue::kTvFeedName))) || !box.text.contains(why))
    return box.text;
  return {};
}

}  // namespace

class PartialCatalogueTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void aCatalogueReadInPartIsNeverWrittenOver() {
    Harness h(tvSample(), {radio("Jedynka", 48), radio("Dwójka", 48)}, failingTv(tvSample()));
    const QByteArray tvBytes = testsupport::fileBytes(h.feed(catalogue::kTvFeedName));
    QCOMPARE(h.boxes.shown.size(), std::size_t{1});
    QCOMPARE(h.boxes.shown[0].kind, testsupport::ShownBox::GeneralError);
    QVERIFY(h.boxes.shown[0].text.contains(catalogue::kTvFeedName));
    // What was read can be browsed and played.
    QCOMPARE(h.browser->tvStations().size(), std::size_t{3});
    QCOMPARE(Harness::texts(h.regions()), (QStringList{"Ulubione", "Polska"}));
    h.chooseRegion("Polska");
    h.chooseStation("Beta");
    QCOMPARE(h.browser->SelectedTv(), 1);

    for (const char* button : {"Button9", "Button10", "Button8", "Button7"}) {  // delete, copy, edit, add
      const QString wrong = refusalOf(h, button, QStringLiteral("nie został wczytany w całości"));
      QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(button), wrong)));
    }
    QCOMPARE(testsupport::fileBytes(h.feed(catalogue::kTvFeedName)), tvBytes);
    QCOMPARE(h.browser->tvStations().size(), std::size_t{3});
    QCOMPARE(h.browser->SelectedTv(), 1);
    QVERIFY(h.browser->changeRefusal().contains(catalogue::kTvFeedName));

    // The radio catalogue loaded in full and changes as usual.
    auto* radioRegions = h.fmControl<QListWidget>("ListBox3");
    Harness::choose(radioRegions, QStringLiteral("Polska"));
    Harness::choose(h.fmControl<QListWidget>("ListBox4"), QStringLiteral("Dwójka"));
    h.boxes.answers = {true};
    h.fmControl<QPushButton>("Button12")->click();
    QCOMPARE(h.radioFile().size(), std::size_t{1});
    QCOMPARE(h.radioFile().front().Name, QStringLiteral("Jedynka"));
  }

  // A file installed read-only: listed, browsed and played, never changed.
  void aCatalogueThatCannotBeWrittenIsBrowsedButNeverChanged() {
    Harness h(tvSample(), {radio("Jedynka", 48)}, {}, [](const Harness& files) {
      QVERIFY(QFile::setPermissions(files.feed(catalogue::kTvFeedName), QFile::ReadOwner | QFile::ReadGroup));
    });
    const QByteArray tvBytes = testsupport::fileBytes(h.feed(catalogue::kTvFeedName));
    QVERIFY(h.boxes.shown.empty());
    QCOMPARE(h.browser->tvStations().size(), tvSample().size());
    h.chooseRegion("Polska");
    h.chooseStation("Beta");
    QVERIFY(h.button("BitBtn1")->isEnabled());
    for (const char* button : {"Button9", "Button10", "Button8", "Button7"}) {
      const QString wrong = refusalOf(h, button, QStringLiteral("tylko do odczytu"));
      QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(button), wrong)));
    }
    QCOMPARE(testsupport::fileBytes(h.feed(catalogue::kTvFeedName)), tvBytes);
    QCOMPARE(h.browser->tvStations().size(), tvSample().size());
    // The update is refused the same way.
    QVERIFY(h.browser->changeRefusal().contains(QDir::toNativeSeparators(h.feed(catalogue::kTvFeedName))));
    // The radio catalogue beside it can be written and changes as usual.
    Harness::choose(h.fmControl<QListWidget>("ListBox3"), QStringLiteral("Polska"));
    Harness::choose(h.fmControl<QListWidget>("ListBox4"), QStringLiteral("Jedynka"));
    h.boxes.answers = {true};
    h.fmControl<QPushButton>("Button12")->click();
    QVERIFY(h.radioFile().empty());
  }

  void aCatalogueReadInFullChangesAsUsual() {
    Harness h(tvSample(), {});
    QVERIFY(h.boxes.shown.empty());
    QVERIFY(h.browser->changeRefusal().isEmpty());
    h.chooseRegion("Polska");
    h.chooseStation("Beta");
    h.boxes.answers = {true};
    h.button("Button9")->click();
    QCOMPARE(h.tvFile().size(), tvSample().size() - 1);
  }
};

QTEST_MAIN(PartialCatalogueTest)
#include "tst_partialcatalogue.moc"
