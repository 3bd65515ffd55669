#include "zonemap/MapCommands.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "zonemap/MapFile.h"

namespace tlx {

MessageRequest InvalidMapMessage() {
  MessageRequest message;
  message.caption = "Not a zone map file";
  message.text = "The file selected is\r\nnot a valid zone map.";
  message.icon = MsgIcon::Exclamation;
  message.buttons = MsgButtons::Ok;
  return message;
}

bool SaveMapCommand(const std::string& setupFolder, ZoneMapDocument& document, UserAnswers& answers) {
  const std::string chosen = ShowFileDialog(answers, setupFolder, "", "Save Zone File",
                                            /*forOpening=*/false, "MAP", /*askFlags=*/true,
                                            /*forceExtension=*/false);
  const std::string name = ChangeExtension(chosen, "MAP");
  if (name.empty()) return false;
  if (!CanCreateFile(name) || !WriteMapFile(name, document.Map())) return false;
  document.MarkSaved();
  return true;
}

bool LoadMapCommand(const std::string& setupFolder, ZoneMapDocument& document, UserAnswers& answers) {
  const std::string name = ShowFileDialog(answers, setupFolder, "", "Load Zone File",
                                          /*forOpening=*/true, "MAP;*.DAT", /*askFlags=*/true,
                                          /*forceExtension=*/false);
  if (name.empty() || !FileExists(name)) return false;
  ZoneMap map;
  if (!ReadMapFile(name, map)) {
    answers.ShowMessage(InvalidMapMessage());
    return false;
  }
  if (document.Modified()) {
    const MsgAnswer answer = answers.ShowMessage(
        {"Zone Map Not Saved",
         "The zone map has changes that are not saved in a map file.\r\n"
         "Replace it with the map loaded? (Undo brings it back.)",
         MsgIcon::Question, MsgButtons::YesNo});
    if (answer != MsgAnswer::Yes) return false;
  }
  document.Replace(map);
  document.MarkSaved();
  return true;
}

bool ConfirmLeaveZoneMap(const std::string& setupFolder, ZoneMapDocument& document, UserAnswers& answers) {
  if (!document.Modified()) return true;
  const MsgAnswer answer = answers.ShowMessage(
      {"Zone Map Not Saved",
       "The zone map has changes that are not saved in a map file.\r\n"
       "Save them in a map file now? (The next run uses this map either way.)",
       MsgIcon::Question, MsgButtons::YesNoCancel});
  if (answer == MsgAnswer::No) return true;
  if (answer == MsgAnswer::Yes) return SaveMapCommand(setupFolder, document, answers);
  return false;
}

}  // namespace tlx
