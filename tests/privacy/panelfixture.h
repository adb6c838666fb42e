#pragma once

#include <QCheckBox>
#include <QList>
#include <QWidget>
#include <algorithm>
#include <initializer_list>
#include <string>

#include "platform/messageboxes.h"
#include "privacy/privacyctl.h"
#include "privacy/privacypanelform.h"
#include "support/fakes.h"

// The privacy panel in a window of its own, with a stand-in shell, and its controls by name.
namespace privacypanel {

struct Panel {
  explicit Panel(privacy::PrivacyCtl& privacy, platform::MessageBoxes& boxes)
      : window(), form(new privacy::PrivacyPanelForm(&window, {shell, boxes}, &window, privacy)) {
    window.resize(534, 383);
    form->CreateBusyNote();
  }
  template <class T>
  T* find(const char* name) {
    T* found = form->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  QCheckBox* box(int number) { return find<QCheckBox>(("CheckBox" + std::to_string(number)).c_str()); }
  void tick(std::initializer_list<int> numbers) {
    for (int n : {1, 2, 3, 4, 5, 6, 7}) box(n)->setChecked(std::find(numbers.begin(), numbers.end(), n) != numbers.end());
  }
  // Whether each of the boxes is ticked, in the order given.
  QList<bool> states(std::initializer_list<int> numbers) {
    QList<bool> ticked;
    for (int n : numbers) ticked << box(n)->isChecked();
    return ticked;
  }
  // The seven options' boxes, CheckBox9 to CheckBox15.
  QList<bool> optionStates() { return states({9, 10, 11, 12, 13, 14, 15}); }
  testsupport::FakeShell shell;
  QWidget window;
  privacy::PrivacyPanelForm* form;
};

}  // namespace privacypanel
