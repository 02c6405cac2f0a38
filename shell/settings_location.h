#pragma once
// Where the settings file lives on this machine, from Qt's idea of the program's folder and the
// per-user config folder.

#include <filesystem>

namespace korvel::app {

// The program's folder when it may keep its settings and tally beside itself, empty for an
// installed copy (see portableProgramFolder); call after the application object exists.
std::filesystem::path programFolder();

// The program's folder when it is writable and not an installed copy, else the per-user config
// folder; call after the application object exists and has its name.
std::filesystem::path settingsFilePath();

}  // namespace korvel::app
