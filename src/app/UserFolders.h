#pragma once
// Where Tallivo reads and writes its files. A program folder that may be written (a
// build folder, a folder copied anywhere) holds everything, as it always has. An
// installed program folder is read-only to its users: then each user's table files
// live in their own data folder, made on first use from the program's pristine copies,
// and a settings file in their own configuration folder is read instead of the
// program's.
#include <string>

namespace tallivo {

// The folder of the table files, with a trailing separator: the program folder's Data/
// when it may be written; otherwise $XDG_DATA_HOME/tallivo/Data/ (by default
// ~/.local/share/tallivo/Data/), made (mode 0700) with a copy (mode 0600) of each
// pristine table file it lacks. Raises the file error when that folder cannot be made.
std::string TableFolder(const std::string& programFolder);

// The settings file: $XDG_CONFIG_HOME/tallivo/Config.ini (by default
// ~/.config/tallivo/Config.ini) when it exists, otherwise Data/Config.ini of the
// program folder.
std::string SettingsFile(const std::string& programFolder);

} // namespace tallivo
