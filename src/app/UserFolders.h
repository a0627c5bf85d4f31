#pragma once
// Where Tallivo reads and writes its files. A program folder of the user's own (a build
// folder, a copy they made and may write) holds everything, as it always has. An
// installed program folder (under /usr, or another user's) is never written, whoever
// runs it: each user's table files live in their own data folder, made empty on first
// use, and a settings file in their own configuration folder is read instead of the
// program's.
#include <string>

namespace tallivo {

// The folder of the table files, with a trailing separator: the program folder's Data/
// when the running user owns it and may write it and it is not under /usr; otherwise
// $XDG_DATA_HOME/tallivo/Data/ (by default ~/.local/share/tallivo/Data/), made (mode
// 0700) with each table file it lacks made empty (mode 0600) from the schema. Raises an
// error naming the folder or file that cannot be made.
std::string TableFolder(const std::string& programFolder);

// The settings file: $XDG_CONFIG_HOME/tallivo/Config.ini (by default
// ~/.config/tallivo/Config.ini) when it exists, otherwise Data/Config.ini of the
// program folder.
std::string SettingsFile(const std::string& programFolder);

} // namespace tallivo
