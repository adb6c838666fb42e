#pragma once

class QWidget;

namespace platform {

// Lets each label, check box and radio button under form whose caption is wider than the control
// grow to the right into free space: up to the next control beside it or the edge of its parent,
// never over another control. The free faces are wider than the ones the layouts were drawn for,
// and a caption cut short is worse than a control a few pixels wider than designed. Call it once
// the controls have their fonts and before anything records their geometry (anchors).
void growCaptionsIntoFreeSpace(QWidget* form);

}  // namespace platform
