#pragma once
// Standard output and standard error of tallivo-cli, written with write(2) so that no
// failure goes unseen. A closed pipe (EPIPE) ends the program at once and quietly, as
// SIGPIPE ends any program in a pipeline, after the temporary files are removed.
// Any other failure is remembered, later output to that stream is dropped, and
// FinishOutput() turns it into a message and exit status 2.
#include <string>
#include <string_view>

namespace tallivo::cli {

// SIGPIPE is ignored so that a closed pipe is seen as EPIPE; SIGINT, SIGTERM and
// SIGHUP remove the temporary files before they end the program.
void SetUpSignals();

// Buffered; written out by FlushStdout() and whenever the buffer is large.
void WriteStdout(std::string_view text);
void FlushStdout();
// Written at once.
void WriteStderr(std::string_view text);

// Flushes stdout; the exit status for status, or 2 with a message on stderr when a
// write to stdout or stderr failed.
int FinishOutput(int status);

// A temporary file removed however the program ends (one at a time).
void RemoveAtExit(const std::string& path);
// Removes it now.
void RemoveTemporaryFile();

} // namespace tallivo::cli
