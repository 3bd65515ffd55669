// Help > About: the program's name, version and the commit it was built from.
#pragma once

#include "common/UserAnswers.h"

namespace tlx::gui {

inline constexpr const char* kAboutCaption = "About Tracelux-One";

// The About message: caption "About Tracelux-One", the information icon and an OK button.
MessageRequest AboutMessage();

}  // namespace tlx::gui
