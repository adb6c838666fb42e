#pragma once

#include <QStringList>

class QWidget;

namespace testsupport {

// Every label, button, check box, radio button and group box under root (root included) whose
// caption needs more width than the control gives it: the text's advance in the control's own
// font, plus what the style puts beside it (indicator, icon, margins, frame). One line per control
// that is cut: its object name, the text, the width it needs and the width it has.
QStringList cutCaptions(QWidget* root);

}  // namespace testsupport
