// "TRACELUX.INI" and "TRACELUX.SET": the program settings kept from one run of the program to the
// next, and the program home directory they live in.
#pragma once

#include "setup/ProgramSettings.h"

#include <string>

namespace tlx {

// Reads the INI file, then the SET file beside it (same name, extension "SET"), then limits
// Delay Type and Video Type to 0..1. A missing file or a line that does not match leaves the
// field as it was. True when the INI file could be read.
bool ReadProgramSettings(const std::string& iniPath, ProgramSettings& settings);

// Each file written anew (lines ended by CR LF, replaced only once complete); the shutdown writes
// the SET file before the setup file, the INI file after.
bool WriteProgramIniFile(const std::string& iniPath, const ProgramSettings& settings);
bool WriteProgramSetFile(const std::string& iniPath, const ProgramSettings& settings);

// The text of each file, as written.
std::string ProgramIniText(const ProgramSettings& settings);
std::string ProgramSetText(const ProgramSettings& settings);

// The program home: the option when given, else $TRACELUX_HOME, else $XDG_CONFIG_HOME/tracelux,
// else ~/.config/tracelux. Created (with missing parents) when missing.
std::string ResolveProgramHome(const std::string& optionHome);

// Where a home whose settings name no data folder (or one that is gone) keeps its recordings. The
// user's own home (the configuration folder's "tracelux") uses a visible folder: "Tracelux" in
// the user's documents folder (XDG user directories), else in the user's home folder, so that
// users find their recordings and backups that skip hidden folders keep them. A home chosen
// with --home or $TRACELUX_HOME stays self-contained ("DATA" inside it), and so does any home
// that already has its "DATA" folder from before.
std::string DefaultDataDirectory(const std::string& home);

}  // namespace tlx
