#pragma once
// Where Tallivo reads and writes its files. A program folder of the user's own (a build
// folder, a copy they made and may write) holds everything, as it always has. An
// installed program folder (under /usr, or another user's) is never written, whoever
// runs it: each user's table files live in their own data folder, made empty on first
// use; settings come from their own configuration folder, the machine's and the
// program's, in that order.
#include <string>
#include <vector>

namespace tallivo {

// The folder of the table files, with a trailing separator: the program folder's Data/
// when the running user owns it and may write it and it is not under /usr; otherwise
// $XDG_DATA_HOME/tallivo/Data/ (by default ~/.local/share/tallivo/Data/), made (mode
// 0700) with each table file it lacks made empty (mode 0600) from the schema. Raises an
// error naming the folder or file that cannot be made.
std::string TableFolder(const std::string& programFolder);

// The settings files, the one that wins first: the user's own
// $XDG_CONFIG_HOME/tallivo/Config.ini (by default ~/.config/tallivo/Config.ini), the
// machine's /etc/tallivo/Config.ini, then Data/Config.ini of the program folder. Each
// setting is taken from the first of them that sets it; missing files are skipped.
std::vector<std::string> SettingsFiles(const std::string& programFolder);

} // namespace tallivo
