#pragma once
// Runs tallivo-cli in the background, in a program folder of the test's own, and stops it
// at a named point of a command through the pause hook (TALLIVO_TEST_PAUSE, see
// common/TestHooks.h), so that tests of concurrent runs, changing files and signals
// happen in one order every time.
#include "CliRunner.h"
#include "store/TableStore.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tallivo::test {

// A program folder of the test's own: the programs (linked, or copied), Data/ with fresh
// table files (made here, so any user can run the test) and the settings, Report/ with
// the templates. Runs in it share nothing with runs elsewhere.
class FreshProgramFolder
{
public:
    FreshProgramFolder()
    {
        namespace fs = std::filesystem;
        const fs::path built = fs::path(TALLIVO_CLI).parent_path();
        m_cli = m_dir.Path("tallivo-cli");
        PlacePrograms(m_dir.Folder());
        fs::create_directories(m_dir.Path("Data"));
        fs::copy_file(built / "Data" / "Config.ini", m_dir.Path("Data/Config.ini"));
        CreateTableFiles(m_dir.Path("Data/"));
        fs::copy(built / "Report", m_dir.Path("Report"));
    }
    const std::string& Cli() const { return m_cli; }
    std::string DataFolder() const { return m_dir.Path("Data/"); }

private:
    TempFolder m_dir;
    std::string m_cli;
};

// How a process ended.
struct Ending
{
    bool signalled = false;
    int code = -1; // the exit status, or the signal's number
};

class CliProcess
{
public:
    // Starts cli with the arguments, in the folder, with the environment's variables
    // added ("NAME=value"); stdout and stderr go to files of the process's own.
    CliProcess(const std::string& cli, const std::vector<std::string>& args, const std::string& folder,
               const std::vector<std::string>& env = {})
    {
        const std::string out = m_io.Path("out");
        const std::string err = m_io.Path("err");
        m_pid = ::fork();
        if (m_pid == 0) {
            for (const std::string& e : env)
                ::putenv(const_cast<char*>(e.c_str()));
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 || ::chdir(folder.c_str()) != 0)
                ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(cli.c_str())};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(cli.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~CliProcess()
    {
        if (m_pid > 0 && !m_ended) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // True while the process runs (and reaps it once it has ended).
    bool Running()
    {
        if (m_ended)
            return false;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            Record(status);
            return false;
        }
        return true;
    }

    Ending Wait()
    {
        if (!m_ended) {
            int status = 0;
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            Record(status);
        }
        return m_ending;
    }
    std::string Out() const { return ReadAll(m_io.Path("out")); }
    std::string Err() const { return ReadAll(m_io.Path("err")); }

private:
    void Record(int status)
    {
        m_ended = true;
        m_ending.signalled = WIFSIGNALED(status);
        m_ending.code = m_ending.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    }

    TempFolder m_io;
    pid_t m_pid = -1;
    bool m_ended = false;
    Ending m_ending;
};

// A point at which a command waits until the test lets it go on.
class PausePoint
{
public:
    PausePoint(const TempFolder& dir, const std::string& point) : m_point(point), m_fifo(dir.Path("pause-" + point))
    {
        ::mkfifo(m_fifo.c_str(), 0600);
    }
    ~PausePoint() { Release(); }
    PausePoint(const PausePoint&) = delete;
    PausePoint& operator=(const PausePoint&) = delete;

    // The variable that makes a command pause here.
    std::string Env() const { return "TALLIVO_TEST_PAUSE=" + m_point + ":" + m_fifo; }

    // Waits until the process has arrived at the point: true; false when it ended first,
    // or did not arrive within a minute.
    bool Arrived(CliProcess& process)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < deadline) {
            m_fd = ::open(m_fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (m_fd >= 0)
                return true;
            if (!process.Running())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // Lets the process go on.
    void Release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    std::string m_point;
    std::string m_fifo;
    int m_fd = -1;
};

// The names in a folder, sorted.
inline std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tallivo::test
