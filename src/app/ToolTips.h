// What each control of the main window's panels does, in one line shown when the mouse rests on
// it. The texts are kept in one table by control name, so every panel gets them the same way.
#pragma once

class QWidget;

namespace tlx::gui {

// Gives every control under `root` that has a name in the table, and no tip of its own, its tip.
void ApplyToolTips(QWidget* root);

}  // namespace tlx::gui
