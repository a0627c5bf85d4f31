// A file held by a command: no other command takes it meanwhile, the hold moves with
// the command's own replacement of it, and any change by another program is seen.
#include "TestFiles.h"
#include "common/AppError.h"
#include "common/HeldFile.h"
#include "common/ReplacingFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// A short wait for locks, for the tests in this process.
class ShortLockWait
{
public:
    ShortLockWait() { ::setenv("TALLIVO_TEST_LOCK_WAIT", "0.05", 1); }
    ~ShortLockWait() { ::unsetenv("TALLIVO_TEST_LOCK_WAIT"); }
};

std::string BusyWhenTaken(const std::string& path)
{
    try {
        HeldFile second(path, "busy", "changed");
    } catch (const AppError& e) {
        return e.what();
    }
    return "taken";
}

} // namespace

TEST(HeldFile, AnotherHolderWaitsUntilTheFirstLetsGoAlsoAfterItReplacedTheFile)
{
    ShortLockWait wait;
    TempFolder dir;
    const std::string path = dir.Write("p.txt", "checked");
    {
        HeldFile first(path, "busy", "changed");
        EXPECT_EQ(BusyWhenTaken(path), "busy");
        // The first holder replaces the file: the new file is held too.
        ReplacingFile replacement(path);
        replacement.Write("normalised");
        replacement.Commit(&first);
        EXPECT_EQ(BusyWhenTaken(path), "busy");
        first.CheckUnchanged(); // its own replacement is no change by another program
    }
    EXPECT_EQ(BusyWhenTaken(path), "taken");
    EXPECT_EQ(ReadAll(path), "normalised");
}

TEST(HeldFile, EveryChangeByAnotherProgramIsSeen)
{
    using Change = void (*)(const std::string& path);
    struct Case
    {
        const char* what;
        Change change;
    };
    const Case cases[] = {
        {"appended", [](const std::string& p) { std::ofstream(p, std::ios::app) << "more"; }},
        {"cut", [](const std::string& p) { fs::resize_file(p, 3); }},
        {"one byte, same size and time", [](const std::string& p) {
             struct stat before {};
             ::stat(p.c_str(), &before);
             std::fstream(p, std::ios::in | std::ios::out) << "X";
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ::utimensat(AT_FDCWD, p.c_str(), times, 0);
         }},
        {"replaced by a copy", [](const std::string& p) {
             std::ofstream(p + ".copy") << ReadAll(p);
             fs::rename(p + ".copy", p);
         }},
        {"removed", [](const std::string& p) { fs::remove(p); }},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const std::string path = dir.Write("p.txt", "12345678");
        HeldFile held(path, "busy", "changed");
        held.CheckUnchanged();
        c.change(path);
        EXPECT_FALSE(held.Unchanged()) << c.what;
        try {
            held.CheckUnchanged();
            ADD_FAILURE() << "not seen: " << c.what;
        } catch (const AppError& e) {
            EXPECT_STREQ(e.what(), "changed");
        }
    }
}
