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

bool LoadMap(const std::string& path, ZoneMaps& maps, UserAnswers& answers) {
  ZoneMap map;
  if (ReadMapFile(path, map)) {
    maps.current = map;
    maps.grid = map;
    return true;
  }
  if (FileExists(path)) answers.ShowMessage(InvalidMapMessage());
  return false;
}

bool SaveMapCommand(const std::string& setupFolder, const ZoneMaps& maps, UserAnswers& answers) {
  const std::string chosen = ShowFileDialog(answers, setupFolder, "", "Save Zone File",
                                            /*forOpening=*/false, "MAP", /*askFlags=*/true,
                                            /*forceExtension=*/false);
  const std::string name = ChangeExtension(chosen, "MAP");
  if (name.empty()) return false;
  return CanCreateFile(name) && WriteMapFile(name, maps.grid);
}

bool LoadMapCommand(const std::string& setupFolder, ZoneMaps& maps, UserAnswers& answers) {
  const std::string name = ShowFileDialog(answers, setupFolder, "", "Load Zone File",
                                          /*forOpening=*/true, "MAP;*.DAT", /*askFlags=*/true,
                                          /*forceExtension=*/false);
  if (name.empty() || !FileExists(name)) return false;
  return LoadMap(name, maps, answers);
}

}  // namespace tlx
