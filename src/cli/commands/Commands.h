#pragma once
// The commands of tallivo-cli, one file each.
#include "cli/CommandSpec.h"

namespace tallivo::cli::commands {

extern const CommandSpec Check;
extern const CommandSpec Seal;
extern const CommandSpec Fee;
extern const CommandSpec Verify;
extern const CommandSpec Mask;
extern const CommandSpec Diff;
extern const CommandSpec Help;

} // namespace tallivo::cli::commands
