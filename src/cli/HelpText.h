#pragma once
// The help texts of tallivo-cli, made from the commands' descriptions (lines within
// 80 columns), and its version line.
#include "cli/CommandSpec.h"

#include <string>

namespace tallivo::cli {

std::string GeneralHelp();
std::string CommandHelp(const CommandSpec& command);
std::string VersionText();

} // namespace tallivo::cli
