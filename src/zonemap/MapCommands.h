// The zone-map panel's load and save commands and its question before unsaved changes are left,
// without any widget: questions go through UserAnswers, redrawing and sending are left to the
// caller.
#pragma once

#include "common/UserAnswers.h"
#include "zonemap/ZoneMapDocument.h"

#include <string>

namespace tlx {

// "The file selected is" / "not a valid zone map.", caption "Not a zone map file".
MessageRequest InvalidMapMessage();

// "Save Zone File": asks for a name in the setup folder, gives it the extension "MAP" and writes
// the map there; the document then has no unsaved changes. True when written; false when
// cancelled or the file cannot be written.
bool SaveMapCommand(const std::string& setupFolder, ZoneMapDocument& document, UserAnswers& answers);

// "Load Zone File": asks for a ".MAP" or ".DAT" file in the setup folder and reads it. A file that
// exists but holds no map gets the invalid-map message. When the document has unsaved changes the
// user is asked before they are replaced. The loaded map is one undoable step, so Undo brings the
// drawing back. True when a map was loaded (the caller redraws; the unit gets it with the next
// edit).
bool LoadMapCommand(const std::string& setupFolder, ZoneMapDocument& document, UserAnswers& answers);

// Before the editor is left or the program closed: with unsaved changes, asks whether to save
// them in a map file (Yes saves, No leaves them unsaved, Cancel stays). True when the editor may
// be left.
bool ConfirmLeaveZoneMap(const std::string& setupFolder, ZoneMapDocument& document, UserAnswers& answers);

}  // namespace tlx
