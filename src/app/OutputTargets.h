#pragma once
// No output lands on an input or on something that is not a file. The outputs of a run
// are the seal's (the new file in New File mode, the zip archive) and those that the
// front end writes after a command (an error file, a report PDF). None may name the
// payment file or the seal's new file or archive, also through links, and none may be
// an existing device, FIFO or socket; an error file or PDF may not be a folder either (a
// new file or archive that is a folder is refused by the seal with its own message).
#include "app/AppState.h"
#include "app/Dialogs.h"

#include <string>
#include <vector>

namespace tallivo {

// Checks laterOutputs (empty paths are left out) and, when withSealOutputs, the seal's
// own outputs as above; the seal's outputs are those of the form, whatever is checked. On the first that may not be
// written, shows why ("Cannot write <path>: it is the payment file", "...: it is not a regular file") and returns true.
// Writes nothing. The zip name passes the name check: its extension is ".zip" in any case, or none.
bool IsValidZipName(const std::string& zipName);

bool RefuseUnsafeOutputs(const AppState& app, Dialogs& dialogs, const std::vector<std::string>& laterOutputs,
                         bool withSealOutputs = true);

} // namespace tallivo
