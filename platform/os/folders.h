// Where the program and its files are: the one place that knows every
// folder and file name the program uses on this system.
//
//   the program's file     where the running program was started from
//   the files folder       the folder holding Images/ and Sounds/: the
//                          program's own, or ../share/vantaro beside it for
//                          an installed program (bin/vantaro or games/vantaro)
//   the data folder        the high-score table: --data-dir, else
//                          $VANTARO_DATA_DIR, else $XDG_DATA_HOME/vantaro,
//                          else ~/.local/share/vantaro (a page: /data)
//   the settings file      $XDG_CONFIG_HOME/vantaro/settings.ini, else
//                          ~/.config/vantaro/settings.ini
//
// Every path is absolute and exactly as the system names it (its bytes
// need not be UTF-8). Nothing here creates anything but where it says so.
#pragma once
#include <string>

// The running program's own file; empty when the system will not say.
std::string PlatformProgramFile();
// The folder that holds the program's pictures and sounds; empty when the
// program's own file cannot be found.
std::string PlatformFilesFolder();
// The per-user folder for files that outlive a run (the high-score table).
// A relative folder is taken from the current one and returned absolute.
std::string PlatformDataFolder();
// Creates the data folder and its parents where missing; false with the
// system's reason in *error.
bool PlatformMakeDataFolder(std::string* error);
// A file of the high-score table's ("vantarohs.dat", "vantarohs.tmp") in
// the data folder.
std::string PlatformHighScorePath(const char* fileName);
// The player's settings file.
std::string PlatformSettingsPath();
