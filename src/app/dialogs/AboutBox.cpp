#include "app/dialogs/AboutBox.h"

#include "buildinfo/BuildInfo.h"
#include "run/Program.h"

#include <QtGlobal>

#include <string>

namespace tlx::gui {

MessageRequest AboutMessage() {
  const std::string text = std::string(kProductName) + "\r\nVersion " + kVersionText +
                           "\r\nBuild " + BuildCommit() +
                           "\r\n\r\nVideo tracking of one animal: recording, zones and analysis." +
                           "\r\n\r\n" + kLicenceText + "\r\nQt " + qVersion();
  return {kAboutCaption, text, MsgIcon::Information, MsgButtons::Ok};
}

}  // namespace tlx::gui
