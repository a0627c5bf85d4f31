#pragma once
// The command line of tallivo-cli, parsed with CLI11 as the commands' descriptions
// declare it.
#include "cli/CommandDescription.h"

#include <string>

namespace tallivo::cli {

struct ParsedCommandLine
{
    enum class Kind { Run, Version, UsageError };
    Kind kind = Kind::UsageError;
    Arguments arguments; // Kind::Run: the command to run and what it was given
    std::string error;   // Kind::UsageError: what is wrong, naming the argument
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

} // namespace tallivo::cli
