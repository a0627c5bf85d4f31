#pragma once
// The general error handler, the one place where both front ends catch an error that
// escapes a command.
#include "app/Dialogs.h"

#include <functional>

namespace tallivo {

// Runs a command and shows an error that escapes it. Returns false when an error escaped.
// While it runs, the dialogs hear its progress and are asked whether to cancel it; a
// cancelled command (CommandCancelled) is no error: it goes on to the caller.
bool RunCommand(Dialogs& dialogs, const std::function<void()>& command);

} // namespace tallivo
