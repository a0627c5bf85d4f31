#pragma once
// The help texts of tallivo-cli, made from the commands' descriptions (lines within
// 80 columns), and its version line.
#include "cli/CommandDescription.h"

#include <string>

namespace tallivo::cli {

std::string GeneralHelp();
std::string CommandHelp(const CommandDescription& command);
std::string VersionText();

} // namespace tallivo::cli
