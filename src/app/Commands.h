#pragma once
// The window's commands, as functions over the application state. They talk to the
// user only through Dialogs, so each runs headless in the CLI and the tests.
#include "app/AppState.h"
#include "app/Dialogs.h"

#include <functional>
#include <string>

namespace tallivo {

// Start-up: SummaryBuilt false, InvalidAccountCount 0, BeneChargeFlag from the settings.
void FormCreate(AppState& app);

// The general error handler: runs a command and shows an error that escapes it.
// Returns false when an error escaped.
bool RunCommand(Dialogs& dialogs, const std::function<void()>& command);

enum class CommandOutcome { Completed, Refused };

// How far the seal command goes: the whole command, or its checks only (the CLI's
// check: nothing written, no invalid-account question).
enum class SealMode { Seal, CheckOnly };

// The seal button: prepares the window and runs GenerateHashFile.
CommandOutcome ToolButton3Click(AppState& app, Dialogs& dialogs, SealMode mode = SealMode::Seal);
CommandOutcome GenerateHashFile(AppState& app, Dialogs& dialogs, SealMode mode = SealMode::Seal);
// Reads InvalidAccountAnswer; may ask to confirm Ignore; may change DataValid.
void ConfirmIgnoreInvalidAccounts(AppState& app, Dialogs& dialogs);

// The steps that the seal command and the tier-rate report share:
// the record type and record length checks, with "Error Data !" and the status on failure;
bool CheckFileStructure(AppState& app, Dialogs& dialogs, const std::string& path);
// and, when the validation found invalid home-bank accounts, the question whether to
// ignore them. True when the command may go on.
bool ResolveInvalidAccounts(AppState& app, Dialogs& dialogs);

// The zip box text passes the name check: its extension is ".zip" in any case, or none.
bool IsValidZipName(const std::string& zipBoxText);

// Save: writes the error file of the stage at which the last check stopped.
void btnSaveErrorClick(AppState& app, Dialogs& dialogs);
// Clear Form.
void ToolButton5Click(AppState& app);
// Exit: asks; true when the program is to end.
bool ToolButton1Click(Dialogs& dialogs);

void btnOpenFileClick(AppState& app, Dialogs& dialogs);
void btnClearFileClick(AppState& app);
void btnOpenNewClick(AppState& app, Dialogs& dialogs);
void btnClearNewClick(AppState& app);
void btnOpenZipClick(AppState& app, Dialogs& dialogs);
void btnClearZipClick(AppState& app);
// The output mode buttons; each acts only when its mode was not selected before.
void rdoReplaceClick(AppState& app);
void rdoNewClick(AppState& app);

} // namespace tallivo
