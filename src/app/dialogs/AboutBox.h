// Help > About: the program's name, version, the commit it was built from and its licence.
#pragma once

#include "common/UserAnswers.h"

namespace tlx::gui {

inline constexpr const char* kAboutCaption = "About Tracelux-One";
inline constexpr const char* kLicenceText =
    "Free software under the GNU General Public License, version 3 or later\r\n"
    "(GPL-3.0-or-later), without any warranty.";

// The About message: caption "About Tracelux-One", the information icon and an OK button.
MessageRequest AboutMessage();

}  // namespace tlx::gui
