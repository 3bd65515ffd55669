// The zone-map panel's load and save commands and the loading of a map into the program's copies,
// without any widget: questions go through UserAnswers, redrawing is left to the caller.
#pragma once

#include "common/UserAnswers.h"
#include "zonemap/ZoneMap.h"

#include <string>

namespace tlx {

// The program's three copies of the map.
struct ZoneMaps {
  ZoneMap current = ZoneMap::FourQuadrants();  // used by a run, saved beside its data file
  ZoneMap grid;                                // what the editor shows; starts blank
  ZoneMap lastSent;                            // what the unit's overlay holds
};

// "The file selected is" / "not a valid zone map.", caption "Not a zone map file".
MessageRequest InvalidMapMessage();

// Reads the file; on success the current map and the grid take its text (the caller redraws the
// grid). A file that exists but holds no map gets the invalid-map message; a missing file is
// passed over in silence. The maps are unchanged on failure.
bool LoadMap(const std::string& path, ZoneMaps& maps, UserAnswers& answers);

// "Save Zone File": asks for a name in the setup folder, gives it the extension "MAP" and writes
// the grid there. True when written; false when cancelled or the file cannot be written.
bool SaveMapCommand(const std::string& setupFolder, const ZoneMaps& maps, UserAnswers& answers);

// "Load Zone File": asks for a ".MAP" or ".DAT" file in the setup folder and loads it. True when
// a map was loaded (the caller redraws the grid; the unit gets it with the next edit). The caller
// disables the grid around this call.
bool LoadMapCommand(const std::string& setupFolder, ZoneMaps& maps, UserAnswers& answers);

}  // namespace tlx
