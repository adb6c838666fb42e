#pragma once

#include <QObject>

namespace app {

// Keeps every tooltip of the application up for the given time.
class HintPause final : public QObject {
 public:
  HintPause(int milliseconds, QObject* parent) : QObject(parent), milliseconds_(milliseconds) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int milliseconds_;
};

}  // namespace app
