#pragma once
// The commands of tallivo-cli, one file each.
#include "cli/CommandDescription.h"

namespace tallivo::cli::commands {

extern const CommandDescription Check;
extern const CommandDescription Seal;
extern const CommandDescription Fee;
extern const CommandDescription Verify;
extern const CommandDescription Mask;
extern const CommandDescription Diff;
extern const CommandDescription Help;

} // namespace tallivo::cli::commands
