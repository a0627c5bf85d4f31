#include "cli/Streams.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace tallivo::cli {

namespace {

std::string g_stdout;
int g_stdoutError = 0;
int g_stderrError = 0;
char g_temporary[4096] = {}; // the path of the temporary file, for the signal handlers too

void RemoveTemporary() noexcept
{
    if (g_temporary[0] != '\0') {
        ::unlink(g_temporary);
        g_temporary[0] = '\0';
    }
}

[[noreturn]] void EndAtClosedPipe()
{
    RemoveTemporary();
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
    ::_exit(128 + SIGPIPE);
}

// Writes all of text to fd; the error number of a failure, 0 when all was written.
int WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

void EndBySignal(int signalNumber)
{
    RemoveTemporary();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

} // namespace

void SetUpSignals()
{
    std::signal(SIGPIPE, SIG_IGN);
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        std::signal(s, EndBySignal);
}

void FlushStdout()
{
    if (g_stdoutError == 0 && !g_stdout.empty()) {
        const int error = WriteAll(STDOUT_FILENO, g_stdout);
        if (error == EPIPE)
            EndAtClosedPipe();
        g_stdoutError = error;
    }
    g_stdout.clear();
}

void WriteStdout(std::string_view text)
{
    if (g_stdoutError != 0)
        return;
    g_stdout.append(text);
    if (g_stdout.size() >= (1u << 16))
        FlushStdout();
}

void WriteStderr(std::string_view text)
{
    if (g_stderrError != 0)
        return;
    const int error = WriteAll(STDERR_FILENO, text);
    if (error == EPIPE)
        EndAtClosedPipe();
    g_stderrError = error;
}

int FinishOutput(int status)
{
    FlushStdout();
    if (g_stdoutError != 0) {
        WriteStderr("tallivo-cli: cannot write to standard output: " + std::string(std::strerror(g_stdoutError)) +
                    "\n");
        return 2;
    }
    return g_stderrError != 0 ? 2 : status;
}

void RemoveAtExit(const std::string& path)
{
    RemoveTemporary();
    if (path.size() < sizeof g_temporary)
        std::memcpy(g_temporary, path.c_str(), path.size() + 1);
}

void RemoveTemporaryFile()
{
    RemoveTemporary();
}

} // namespace tallivo::cli
