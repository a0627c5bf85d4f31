#pragma once
// Two hooks for the tests of concurrent runs, changing files and signals, inert in every
// ordinary run (the variables are unset):
// - TALLIVO_TEST_PAUSE="<point>:<fifo>": the first time the command reaches the named
//   point, it opens the FIFO for reading and waits there until the test, which opened it
//   for writing (and so knows the command has arrived), closes it again. A path that is
//   no FIFO does not stop the command.
// - TALLIVO_TEST_LOCK_WAIT="<seconds>": how long a command waits for a lock that another
//   command holds, instead of 30 seconds.
// - TALLIVO_TEST_SYSTEM_SETTINGS="<path>": the machine's settings file, instead of
//   /etc/tallivo/Config.ini.
// The points of the seal command: "checked" (the first checks passed, nothing changed
// yet), "normalised", "tables-written", "output-written" and "archive-written" (each
// under its temporary name), and "lock-wait" / "tables-lock-wait" (the payment file's or
// the table files' lock is held by another command).
#include <chrono>
#include <string>
#include <string_view>

namespace tallivo {

// Waits at the named point when TALLIVO_TEST_PAUSE names it; otherwise does nothing.
void PauseAt(std::string_view point);

// How long to wait for a lock: 30 seconds, or TALLIVO_TEST_LOCK_WAIT.
std::chrono::milliseconds LockWait();

// The machine's settings file: /etc/tallivo/Config.ini, or TALLIVO_TEST_SYSTEM_SETTINGS.
std::string SystemSettingsFile();

} // namespace tallivo
