#pragma once
// Interrupted runs leave nothing behind. Once CleanUpOnSignals() has been called, SIGINT,
// SIGTERM and SIGHUP remove the temporary files and folders that the process has
// registered (the files being written under temporary names) and then end the process
// by the same signal, so its parent sees it ended by that signal (a shell: status
// 128 + the signal's number). While a SignalShield lives, such a signal waits until the
// shield is gone, so that files put in place together are all in place or none.
#include <string>

namespace tallivo {

// Installs the handlers. Call once, early in main. A handler that the program installed
// before (its own cleanup) is called after the temporary files are removed.
void CleanUpOnSignals();

// Registers a temporary file, or a folder (removed with the files in it), to be removed
// when a signal ends the process. Returns a slot to unregister with, or -1 when the path
// cannot be kept (too long, or every slot taken).
int RegisterTemporary(const std::string& path, bool folder);
// Forgets a registration (a slot of -1 does nothing).
void UnregisterTemporary(int slot) noexcept;

class SignalShield
{
public:
    SignalShield();
    // Ends the process now if a signal came while the last shield lived.
    ~SignalShield();
    SignalShield(const SignalShield&) = delete;
    SignalShield& operator=(const SignalShield&) = delete;
};

} // namespace tallivo
