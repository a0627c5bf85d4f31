#include "cli/Inputs.h"

#include "common/AppError.h"
#include "common/FilePaths.h"
#include "common/ReplacingFile.h"

#include "cli/Streams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tallivo::cli {

namespace {

std::string KindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a pipe or FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

std::string TemporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

ReadyInput CopyStandardInput()
{
    std::string path = TemporaryFolder() + "tallivo-stdin-XXXXXX";
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return {"", "tallivo-cli: cannot make a temporary file for standard input in " + TemporaryFolder() + ": " +
                        std::strerror(errno)};
    path = name.data();
    RemoveAtExit(path);

    std::vector<char> buffer(1 << 16);
    std::string failure;
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failure = "tallivo-cli: cannot read standard input: " + std::string(std::strerror(errno));
            break;
        }
        std::size_t done = 0;
        while (done < static_cast<std::size_t>(n) && failure.empty()) {
            const ssize_t w = ::write(fd, buffer.data() + done, static_cast<std::size_t>(n) - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                failure = "tallivo-cli: cannot copy standard input to " + path + ": " + std::strerror(errno);
            else
                done += static_cast<std::size_t>(w);
        }
        if (!failure.empty())
            break;
    }
    if (::close(fd) != 0 && failure.empty())
        failure = "tallivo-cli: cannot copy standard input to " + path + ": " + std::strerror(errno);
    if (!failure.empty()) {
        RemoveTemporaryFile();
        return {"", failure};
    }
    // A redirected file behind standard input is the payment file as much as its copy is.
    return {path, "", "/dev/stdin"};
}

} // namespace

std::string UnwritableOutput(const std::vector<std::string>& outputs)
{
    for (const std::string& path : outputs) {
        struct stat info {};
        if (path.empty() || ::stat(path.c_str(), &info) == 0)
            continue; // an existing path is judged by RefuseUnsafeOutputs and the writer
        const std::string folder = FolderOf(FollowLinks(path));
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            return "Cannot write " + path + ": " + FileErrorText(errno);
    }
    return {};
}

ReadyInput PrepareInput(const std::string& argument)
{
    if (argument == "-")
        return CopyStandardInput();
    struct stat info {};
    if (argument.empty() || ::stat(argument.c_str(), &info) != 0 || S_ISDIR(info.st_mode) || S_ISREG(info.st_mode))
        return {argument, ""};
    return {"", "tallivo-cli: '" + argument + "' is " + KindOf(info.st_mode) +
                    ", not a regular file: it is not read (give - to read standard input)"};
}

std::optional<ReadyInput> InputOrRefusal(const std::string& argument, Dialogs& dialogs)
{
    ReadyInput input = PrepareInput(argument);
    if (!input.refusal.empty()) {
        dialogs.ShowError(input.refusal);
        return std::nullopt;
    }
    return input;
}

} // namespace tallivo::cli
