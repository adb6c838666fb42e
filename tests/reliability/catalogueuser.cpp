// The program's main window in a process of its own, driven through its TV panel from standard
// input as a user would drive it, so that tests can run two copies on one catalogue folder.
//   catalogueuser FOLDER
// One command a line, its words separated by tabs; "done" (or "open" for open-edit) when it has
// been carried out, and every message box as "box<TAB>TEXT" (line breaks as \n) when it shows:
//   at MS                 wait until MS milliseconds since the epoch, then carry out the rest
//   add NAME REGION URL   "Dodaj stację" with these fields, OK
//   select REGION NAME    choose the region and the station in the lists
//   edit FIELD VALUE ...  "Edytuj stację" for the selected station, these fields, OK
//   open-edit FIELD VALUE ...   the same, leaving the dialog open; "ok" confirms it
//   show                  "shown<TAB>REGION<TAB>SELECTED<TAB>STATION|STATION|…" of the panel, and
//                         "dialog<TAB>FIELD=VALUE…" while an editor is open
// FIELD is name, url or quality.

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "app/tmainform.h"
#include "browser/listbox.h"
#include "browser/panelforms.h"
#include "browser/stationbrowser.h"
#include "privacy/privacyctl.h"
#include "support/fakes.h"

namespace {

void say(const QString& line) {
  std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
  std::fflush(stdout);
}

// Says every box and answers every question with Yes.
class SpokenBoxes final : public platform::MessageBoxes {
 public:
  void showError(QWidget*, const QString& text) override { tell(text); }
  bool askQuestion(QWidget*, const QString& text) override {
    tell(text);
    return true;
  }
  void showInformation(QWidget*, const QString& text) override { tell(text); }
  void showGeneralError(QWidget*, const QString& text) override { tell(text); }

 private:
  static void tell(QString text) {
    say(QStringLiteral("box\t") + text.replace(QLatin1Char('\n'), QStringLiteral("\\n")));
  }
};

const char* fieldControl(const QString& field) {
  if (field == QLatin1String("name")) return "Edit1";
  if (field == QLatin1String("url")) return "Edit4";
  return "Edit5";
}

class User {
 public:
  explicit User(const QString& folder)
      : form_(app::MainFormEnvironment{{shell_, boxes_}, {}, [](QWidget*, const QUrl&) {}, folder, privacy_, {}}),
        tv_(form_.stationBrowser().tvControls()) {
    form_.CreateSecondaryWindows();
    form_.show();
  }

  void run(QStringList words) {
    if (words.value(0) == QLatin1String("at")) {
      const qint64 wait = words.value(1).toLongLong() - QDateTime::currentMSecsSinceEpoch();
      if (wait > 0) QThread::msleep(static_cast<unsigned long>(wait));
      words = words.mid(2);
    }
    const QString command = words.value(0);
    if (command == QLatin1String("add")) {
      onDialog([words](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(words.value(1));
        auto* region = dialog->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        region->setCurrentIndex(region->findText(words.value(2)));
        dialog->findChild<QLineEdit*>(QStringLiteral("Edit4"))->setText(words.value(3));
        confirm(dialog);
      });
      tv_.addButton->click();
    } else if (command == QLatin1String("select")) {
      choose(tv_.regionList, words.value(1));
      choose(tv_.stationList, words.value(2));
    } else if (command == QLatin1String("edit") || command == QLatin1String("open-edit")) {
      const bool leaveOpen = command == QLatin1String("open-edit");
      onDialog([words, leaveOpen](QDialog* dialog) {
        for (int i = 1; i + 1 < words.size(); i += 2)
          dialog->findChild<QLineEdit*>(QString::fromLatin1(fieldControl(words[i])))->setText(words[i + 1]);
        if (leaveOpen)
          say(QStringLiteral("open"));
        else
          confirm(dialog);
      });
      tv_.editButton->click();
    } else if (command == QLatin1String("ok")) {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) confirm(dialog);
      return;  // the open-edit that opened it says "done"
    } else if (command == QLatin1String("show")) {
      show();
    }
    say(QStringLiteral("done"));
  }

 private:
  static void onDialog(std::function<void(QDialog*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) act(dialog);
    });
  }
  static void confirm(QDialog* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("Button1"))->click(); }
  static void choose(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    if (!found.isEmpty()) list->setCurrentItem(found.first());
  }

  void show() {
    QStringList stations;
    for (int row = 0; row < tv_.stationList->count(); ++row) stations << tv_.stationList->item(row)->text();
    const auto text = [](const QList<QListWidgetItem*>& items) {
      return items.isEmpty() ? QString() : items.first()->text();
    };
    say(QStringList{QStringLiteral("shown"), text(tv_.regionList->selectedItems()),
                    text(tv_.stationList->selectedItems()), stations.join(QLatin1Char('|'))}
            .join(QLatin1Char('\t')));
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      QStringList fields{QStringLiteral("dialog")};
      for (const char* field : {"name", "url", "quality"})
        fields
            << QString::fromLatin1(field) + QLatin1Char('=') +
                   dialog->findChild<QLineEdit*>(QString::fromLatin1(fieldControl(QString::fromLatin1(field))))->text();
      say(fields.join(QLatin1Char('\t')));
    }
  }

  testsupport::FakeShell shell_;
  SpokenBoxes boxes_;
  privacy::PrivacyCtl privacy_{[] {}};
  app::TMainForm form_;
  const browser::PanelControls& tv_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: catalogueuser FOLDER\n");
    return 1;
  }
  User user(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/'));
  // Commands are read as they come, also while an editor's own event loop runs.
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QByteArray pending;
  QObject::connect(&input, &QSocketNotifier::activated, &input, [&] {
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
      QApplication::exit(0);
      return;
    }
    pending.append(buffer, got);
    for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
      const QString line = QString::fromUtf8(pending.left(end));
      pending.remove(0, end + 1);
      user.run(line.split(QLatin1Char('\t')));
    }
  });
  say(QStringLiteral("ready"));
  return QApplication::exec();
}
