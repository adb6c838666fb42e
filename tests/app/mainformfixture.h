#pragma once

#include <QString>
#include <QUrl>

#include "app/tmainform.h"
#include "privacy/privacyctl.h"
#include "support/fakes.h"

// The whole main window and its secondary windows on stand-ins for the shell and the message boxes,
// shown; its catalogues and help page are looked for in `folder`.
struct MainFormFixture {
  explicit MainFormFixture(const QString& folder)
      : form(app::MainFormEnvironment{{shell, boxes}, {}, [](QWidget*, const QUrl&) {}, folder, privacyModule, {}}) {
    form.CreateSecondaryWindows();
    form.show();
  }
  testsupport::FakeShell shell;
  testsupport::FakeMessageBoxes boxes;
  privacy::PrivacyCtl privacyModule{[] {}};
  app::TMainForm form;
};
