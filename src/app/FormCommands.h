#pragma once
// Save, Clear Form and Exit.
#include "app/AppState.h"
#include "app/Dialogs.h"

namespace tallivo {

// Save: asks where, and writes the error file of the stage at which the last check
// stopped (none when that stage has no error file). True when a file was written. A path
// that is the payment file, the new file or the archive, or no regular file, is refused
// (app/OutputTargets.h).
bool SaveFindings(AppState& app, Dialogs& dialogs);
// Clear Form: replace mode, every path, the hash value, the captions, the grid and the
// findings emptied, no summary; a normalisation's leftover beside the payment file removed.
void ClearForm(AppState& app);
// Exit: asks; true when the program is to end.
bool ConfirmExit(Dialogs& dialogs);

} // namespace tallivo
