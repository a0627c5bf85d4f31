#pragma once
// The bash completion of tallivo-cli, made from the commands' descriptions.
#include <string>

namespace tallivo::cli {

// A bash script defining _tallivo_cli and registering it for tallivo-cli: the
// commands, each command's options, the values of choice options, and file names
// elsewhere.
std::string BashCompletion();

} // namespace tallivo::cli
