#include "privacypanelform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include "platform/fitcaptions.h"
#include "platform/messageboxes.h"
#include "platform/registrystore.h"
#include "privacy/privacyctl.h"
#include "privacy/tform1.h"
#include "ui_privacypanelform.h"

namespace privacy {

const QString SkippedBrowsersText = QStringLiteral(
    "Nie wyczyszczono danych przeglądarek, które są teraz uruchomione: %1.\n"
    "Zamknij je i kliknij „Wykonaj!” jeszcze raz.");

namespace {

// Undoes what a run set up, however the run ends: the note goes, the cursor comes back and the
// button answers again.
class RunScope {
 public:
  RunScope(QWidget* note, std::function<void()> reattach) : note_(note), reattach_(std::move(reattach)) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~RunScope() {
    note_->hide();
    QGuiApplication::restoreOverrideCursor();
    reattach_();
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  QWidget* note_;
  std::function<void()> reattach_;
};

}  // namespace

PrivacyPanelForm::PrivacyPanelForm(QWidget* host, platform::Services services, QWidget* mainWindow,
                                   PrivacyCtl& privacy)
    : QWidget(host), ui(new Ui::PrivacyPanelForm), services_(services), mainWindow_(mainWindow), privacy_(privacy) {
  ui->setupUi(this);
  platform::growCaptionsIntoFreeSpace(this);
  internetSteps_ = {
      {ui->CheckBox1, QStringLiteral("Kasowanie historii..."), &PrivacyCtl::ClearBrowserHistory},
      {ui->CheckBox2, QStringLiteral("Kasowanie pamięci podręcznej..."), &PrivacyCtl::ClearUrlCache},
      {ui->CheckBox3, QStringLiteral("Kasowanie zapamiętanych adresów..."), &PrivacyCtl::ClearTypedUrls},
  };
  systemSteps_ = {
      {ui->CheckBox4, QStringLiteral("Kasowanie plików tymczasowych..."), &PrivacyCtl::CleanTempFiles},
      {ui->CheckBox5, QStringLiteral("Kasowanie Start->Uruchom..."), &PrivacyCtl::ClearRunList},
      {ui->CheckBox6, QStringLiteral("Kasowanie \"Moje bieżące dokumenty\"..."), &PrivacyCtl::ClearRecentDocuments},
      {ui->CheckBox7, QStringLiteral("Opróżnianie Kosza..."), &PrivacyCtl::EmptyRecycleBin},
  };
  connect(ui->Button1, &QPushButton::clicked, this, &PrivacyPanelForm::Button1Click);
  connect(ui->Button2, &QPushButton::clicked, this, &PrivacyPanelForm::Button2Click);
}

PrivacyPanelForm::~PrivacyPanelForm() { delete ui; }

void PrivacyPanelForm::CreateBusyNote() {
  if (busyNote_ == nullptr) busyNote_ = new TForm1(mainWindow_);
}

void PrivacyPanelForm::ReadOptions() {
  QString problem;
  const auto read = [&](QCheckBox* box, bool (PrivacyCtl::*reader)(), bool fallback) {
    // After the first failure the rest show their defaults too: a busy store would make each of
    // them wait again, and one message says it all.
    if (!problem.isEmpty()) {
      box->setChecked(fallback);
      return;
    }
    try {
      box->setChecked((privacy_.*reader)());
    } catch (const platform::SettingsError& error) {
      box->setChecked(fallback);
      problem = QStringLiteral("Nie można odczytać ustawień prywatności; pola opcji pokazują ustawienia "
                               "domyślne.\n\n") +
                error.message();
    }
  };
  // The fallbacks are the states an absent setting shows.
  read(ui->CheckBox9, &PrivacyCtl::GetAutoSuggest, true);
  read(ui->CheckBox10, &PrivacyCtl::GetFormSuggest, true);
  read(ui->CheckBox11, &PrivacyCtl::GetFormSuggestPasswords, true);
  read(ui->CheckBox12, &PrivacyCtl::GetNoPersistentCache, false);
  read(ui->CheckBox13, &PrivacyCtl::GetRecentDocsMenu, true);
  read(ui->CheckBox14, &PrivacyCtl::GetRecentDocsHistory, true);
  read(ui->CheckBox15, &PrivacyCtl::GetClearRecentDocsOnExit, false);
  // Only now: the states just shown must not be written back.
  connect(ui->CheckBox9, &QCheckBox::clicked, this, &PrivacyPanelForm::CheckBox9Click);
  connect(ui->CheckBox10, &QCheckBox::clicked, this, &PrivacyPanelForm::CheckBox10Click);
  connect(ui->CheckBox11, &QCheckBox::clicked, this, &PrivacyPanelForm::CheckBox11Click);
  connect(ui->CheckBox12, &QCheckBox::clicked, this, &PrivacyPanelForm::CheckBox12Click);
  connect(ui->CheckBox13, &QCheckBox::clicked, this, &PrivacyPanelForm::CheckBox13Click);
  connect(ui->CheckBox14, &QCheckBox::clicked, this, &PrivacyPanelForm::CheckBox14Click);
  connect(ui->CheckBox15, &QCheckBox::clicked, this, &PrivacyPanelForm::CheckBox15Click);
  // Told once the window is up, not while it is being built.
  if (!problem.isEmpty())
    QTimer::singleShot(0, this, [this, problem] { services_.boxes.showGeneralError(mainWindow_, problem); });
}

void PrivacyPanelForm::runSteps(QPushButton* button, void (PrivacyPanelForm::*handler)(), const std::vector<Step>& steps) {
  CreateBusyNote();
  // A second click on this button while the run lets events through does nothing.
  disconnect(button, &QPushButton::clicked, this, handler);
  try {
    RunScope scope(busyNote_, [this, button, handler] { connect(button, &QPushButton::clicked, this, handler); });
    for (const Step& step : steps) {
      if (!step.box->isChecked()) continue;
      busyNote_->ShowStatus(step.status);
      QCoreApplication::processEvents();
      (privacy_.*step.run)();
    }
  } catch (const platform::SettingsError& error) {
    // The run is over: the note, the cursor and the button are back before the error shows.
    services_.boxes.showGeneralError(mainWindow_, error.message());
  }
  const QStringList skipped = privacy_.TakeSkippedBrowsers();
  if (!skipped.isEmpty())
    services_.boxes.showInformation(mainWindow_, SkippedBrowsersText.arg(skipped.join(QStringLiteral(", "))));
}

void PrivacyPanelForm::Button1Click() { runSteps(ui->Button1, &PrivacyPanelForm::Button1Click, internetSteps_); }
void PrivacyPanelForm::Button2Click() { runSteps(ui->Button2, &PrivacyPanelForm::Button2Click, systemSteps_); }

void PrivacyPanelForm::writeOption(QCheckBox* box, void (PrivacyCtl::*writer)(bool)) {
  try {
    (privacy_.*writer)(box->isChecked());
  } catch (const platform::SettingsError& error) {
    services_.boxes.showGeneralError(mainWindow_, error.message());
  }
}

void PrivacyPanelForm::CheckBox9Click() { writeOption(ui->CheckBox9, &PrivacyCtl::SetAutoSuggest); }
void PrivacyPanelForm::CheckBox10Click() { writeOption(ui->CheckBox10, &PrivacyCtl::SetFormSuggest); }
void PrivacyPanelForm::CheckBox11Click() { writeOption(ui->CheckBox11, &PrivacyCtl::SetFormSuggestPasswords); }
void PrivacyPanelForm::CheckBox12Click() { writeOption(ui->CheckBox12, &PrivacyCtl::SetNoPersistentCache); }
void PrivacyPanelForm::CheckBox13Click() { writeOption(ui->CheckBox13, &PrivacyCtl::SetRecentDocsMenu); }
void PrivacyPanelForm::CheckBox14Click() { writeOption(ui->CheckBox14, &PrivacyCtl::SetRecentDocsHistory); }
void PrivacyPanelForm::CheckBox15Click() { writeOption(ui->CheckBox15, &PrivacyCtl::SetClearRecentDocsOnExit); }

}  // namespace privacy

#include "moc_privacypanelform.cpp"
