#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace platform {

// The edges a control keeps its distance to when its parent is resized.
enum Anchor : unsigned { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8,
                         AnchorAll = 15, AnchorLeftTop = 3 };

// Keeps controls laid out at fixed design positions in step with their parent's size, the way a
// designer's anchors do: a control anchored left and right stretches, one anchored right only
// moves along. Positions and the parent's size are taken as designed when a control is added.
class Anchors final : public QObject {
 public:
  explicit Anchors(QWidget* parent);
  void add(QWidget* control, unsigned anchors);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QWidget* control;
    unsigned anchors;
    QRect designRect;
    QSize designParent;
  };
  void apply();
  QWidget* parent_;
  std::vector<Entry> entries_;
};

}  // namespace platform
