// The seal command among other runs, other programs, links, devices and signals: what
// is sealed is what was checked, nothing is lost or mixed, and no failure is reported as
// success. Each test runs tallivo-cli as a user or a pipeline would; runs that must meet
// at one point are stopped there through the pause hook (CliProcess.h).
#include "CliProcess.h"
#include "PaymentFileGenerator.h"
#include "sealing/Normalise.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tallivo;
using namespace tallivo::test;
namespace fs = std::filesystem;

namespace {

std::string Sample()
{
    return ReadAll(std::string(TALLIVO_SOURCE_DIR) + "/examples/sample-payment.txt");
}

// A valid payment file other than the sample, of about the given size.
std::string Generated(std::uint64_t bytes, std::uint64_t seed = 7)
{
    TempFolder t;
    bench::GeneratorOptions options;
    options.targetBytes = bytes;
    options.seed = seed;
    bench::GeneratePaymentFile(t.Path("g.txt"), options);
    return ReadAll(t.Path("g.txt"));
}

// The bytes as normalisation leaves them.
std::string Normalised(const std::string& bytes)
{
    TempFolder t;
    const std::string path = t.Write("n.txt", bytes);
    NormaliseCreditRecords(path);
    return ReadAll(path);
}

bool Verifies(const std::string& path)
{
    return RunCli({"verify", path}).status == 0;
}

// The one entry's bytes of a zip archive.
std::string EntryOf(const std::string& archive)
{
    TempFolder t;
    const std::string out = t.Path("entry");
    const std::string cmd = "unzip -p " + ShellQuote(archive) + " >" + ShellQuote(out) + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0 ? ReadAll(out) : "(no archive)";
}

const std::string kLockWaitShort = "TALLIVO_TEST_LOCK_WAIT=0.3";

std::string InUse(const std::string& path)
{
    return "The payment file " + path + " is in use by another Tallivo command; try again when it has finished\n";
}

std::string Changed(const std::string& path)
{
    return "The payment file " + path +
           " was changed by another program while Tallivo worked on it; it was not sealed and no zip file was "
           "written\n";
}

// An exclusive lock the test holds on a file or folder, as another Tallivo command would.
class TestLock
{
public:
    explicit TestLock(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        EXPECT_EQ(::flock(m_fd, LOCK_EX), 0) << path;
    }
    ~TestLock() { Release(); }
    void Release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

} // namespace

TEST(SealIntegrity, TwoSealsOfOneFileRunOneAfterTheOther)
{
    TempFolder dir;
    TempFolder hooks;
    FreshProgramFolder program;
    const std::string payment = dir.Write("p.txt", Sample());
    PausePoint checked(hooks, "checked");
    PausePoint waiting(hooks, "lock-wait");

    CliProcess first(program.Cli(), {"seal", "p.txt", "--zip", "first"}, dir.Folder(), {checked.Env()});
    ASSERT_TRUE(checked.Arrived(first)) << first.Err();
    CliProcess second(program.Cli(), {"seal", "p.txt", "--zip", "second"}, dir.Folder(), {waiting.Env()});
    ASSERT_TRUE(waiting.Arrived(second)) << second.Err();

    checked.Release();
    const Ending firstEnd = first.Wait();
    EXPECT_FALSE(firstEnd.signalled);
    EXPECT_EQ(firstEnd.code, 0) << first.Err();
    waiting.Release();
    const Ending secondEnd = second.Wait();
    EXPECT_EQ(secondEnd.code, 1) << second.Err();
    EXPECT_EQ(second.Err(), "Error Data !\n"); // it checked the sealed file: line 1 is the hash

    // Sealed once: the archive of the first run still holds the file as it is.
    EXPECT_TRUE(Verifies(payment));
    const std::string sealed = ReadAll(payment);
    EXPECT_EQ(sealed.substr(42, 3), "001"); // line 2 is the header record, not an older hash
    EXPECT_EQ(EntryOf(dir.Path("first.zip")), sealed);
    EXPECT_EQ(NamesIn(dir.Folder()), (std::vector<std::string>{"first.zip", "p.txt"}));
}

TEST(SealIntegrity, AFileHeldByAnotherCommandMakesTheSealAndTheFeeWaitThenStop)
{
    TempFolder dir;
    FreshProgramFolder program;
    const std::string payment = dir.Write("p.txt", Sample());
    TestLock held(payment);
    struct Case
    {
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {{"seal", "p.txt", "--zip", "b"}},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "out.txt"}},
        {{"fee", "p.txt"}},
    };
    for (const Case& c : cases) {
        CliProcess run(program.Cli(), c.args, dir.Folder(), {kLockWaitShort});
        EXPECT_EQ(run.Wait().code, 2) << c.args[0];
        EXPECT_EQ(run.Err(), InUse("p.txt"));
        EXPECT_EQ(run.Out(), "");
        EXPECT_EQ(ReadAll(payment), Sample());
        EXPECT_EQ(NamesIn(dir.Folder()), std::vector<std::string>{"p.txt"});
    }

    // Once the other command lets go, a waiting seal goes on.
    TempFolder hooks;
    PausePoint waiting(hooks, "lock-wait");
    CliProcess run(program.Cli(), {"seal", "p.txt", "--zip", "b"}, dir.Folder(), {waiting.Env()});
    ASSERT_TRUE(waiting.Arrived(run));
    held.Release();
    waiting.Release();
    EXPECT_EQ(run.Wait().code, 0) << run.Err();
    EXPECT_TRUE(Verifies(payment));
}

TEST(SealIntegrity, AChangeByAnotherProgramStopsTheSealWithNothingSealed)
{
    const std::string original = Sample();
    using Change = void (*)(const std::string& path);
    struct Case
    {
        const char* what;
        Change change;
    };
    const Case changes[] = {
        {"a line appended",
         [](const std::string& p) {
             std::ofstream(p, std::ios::binary | std::ios::app) << "9990000010000020000000040050000\r\n";
         }},
        {"cut after three lines",
         [](const std::string& p) {
             const std::string bytes = ReadAll(p);
             std::size_t end = 0;
             for (int i = 0; i < 3; ++i)
                 end = bytes.find('\n', end) + 1;
             fs::resize_file(p, end);
         }},
        {"one byte changed, size and modification time kept",
         [](const std::string& p) {
             struct stat before
             {
             };
             ::stat(p.c_str(), &before);
             std::string bytes = ReadAll(p);
             bytes[bytes.find("0000000015000000")] = '9';
             std::fstream(p, std::ios::binary | std::ios::in | std::ios::out) << bytes;
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ::utimensat(AT_FDCWD, p.c_str(), times, 0);
         }},
        {"replaced by a copy",
         [](const std::string& p) {
             const std::string copy = p + ".copy";
             std::ofstream(copy, std::ios::binary) << ReadAll(p);
             fs::rename(copy, p);
         }},
    };
    // Before normalisation, and after the report tables were written.
    for (const char* point : {"checked", "tables-written"}) {
        for (const Case& c : changes) {
            for (const bool newFile : {true, false}) {
                TempFolder dir;
                TempFolder hooks;
                FreshProgramFolder program;
                const std::string payment = dir.Write("p.txt", original);
                PausePoint pause(hooks, point);
                std::vector<std::string> args{"seal", "p.txt", "--zip", "b"};
                if (newFile)
                    args.insert(args.end(), {"--new-file", "out.txt"});
                CliProcess run(program.Cli(), args, dir.Folder(), {pause.Env()});
                ASSERT_TRUE(pause.Arrived(run)) << run.Err();
                c.change(payment);
                const std::string left = ReadAll(payment);
                pause.Release();

                const std::string context = std::string(point) + ", " + c.what + (newFile ? ", new file" : "");
                EXPECT_EQ(run.Wait().code, 2) << context;
                EXPECT_NE(run.Err().find(Changed("p.txt")), std::string::npos) << context << ": " << run.Err();
                EXPECT_EQ(run.Err().find("completed"), std::string::npos) << context;
                EXPECT_EQ(ReadAll(payment), left) << context; // as the other program left it
                EXPECT_FALSE(Verifies(payment)) << context;
                EXPECT_EQ(NamesIn(dir.Folder()), std::vector<std::string>{"p.txt"}) << context;
            }
        }
    }
}

// A program that opened the payment file before the seal and writes to it later, also
// after a new-file seal has put the normalised file in its place: the seal refuses, or it
// seals only the bytes it checked.
TEST(SealIntegrity, AWriterOnTheOldFileNeverGetsItsBytesSealed)
{
    const std::string original = Generated(300 * 1024);
    std::string changed = original;
    const std::size_t at = changed.size() / 2;
    changed[at] = changed[at] == '9' ? '8' : '9';

    TempFolder reference;
    reference.Write("p.txt", original);
    ASSERT_EQ(
        RunCli({"seal", "p.txt", "--zip", "b", "--new-file", "out.txt"}, "cd " + ShellQuote(reference.Folder()) + " &&")
            .status,
        0);
    const std::string sealed = ReadAll(reference.Path("out.txt"));

    for (const char* point : {"normalised", "output-written", "tables-written"}) {
        TempFolder dir;
        TempFolder hooks;
        FreshProgramFolder program;
        const std::string payment = dir.Write("p.txt", original);
        const int writer = ::open(payment.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(writer, 0);
        PausePoint pause(hooks, point);
        CliProcess run(program.Cli(), {"seal", "p.txt", "--zip", "b", "--new-file", "out.txt"}, dir.Folder(),
                       {pause.Env()});
        ASSERT_TRUE(pause.Arrived(run)) << run.Err();
        ASSERT_EQ(::pwrite(writer, changed.data() + at, 1, static_cast<off_t>(at)), 1);
        ::close(writer);
        pause.Release();

        const Ending end = run.Wait();
        SCOPED_TRACE(point);
        if (end.code == 0) {
            EXPECT_EQ(ReadAll(dir.Path("out.txt")), sealed);
            EXPECT_EQ(EntryOf(dir.Path("b.zip")), sealed);
        } else {
            EXPECT_EQ(end.code, 2);
            EXPECT_NE(run.Err().find(Changed("p.txt")), std::string::npos) << run.Err();
            EXPECT_FALSE(fs::exists(dir.Path("out.txt")));
            EXPECT_FALSE(fs::exists(dir.Path("b.zip")));
        }
    }
}

// While the table files are busy, the check reads the structure first and validates once
// they are free: a file put in the payment file's place meanwhile is never judged half
// old, half new.
TEST(SealIntegrity, TheCheckJudgesOneFileWhileTheTablesAreBusy)
{
    std::string badType = Sample();
    badType.replace(badType.find("\r\n003") + 2, 3, "0X3");
    std::string badField = Sample();
    badField.replace(badField.find("\r\n003") + 2 + 34, 16, "               X");
    const struct
    {
        const char* what;
        std::string first;
        std::string replacement;
    } cases[] = {
        {"a clean file replaced by one of a bad record type", Sample(), badType},
        {"a file with a field finding replaced by a clean one", badField, Sample()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        TempFolder hooks;
        FreshProgramFolder program;
        dir.Write("p.txt", c.first);
        TestLock tables(program.DataFolder());
        PausePoint waiting(hooks, "tables-lock-wait");
        CliProcess run(program.Cli(), {"check", "p.txt"}, dir.Folder(), {waiting.Env()});
        ASSERT_TRUE(waiting.Arrived(run)) << run.Err();
        dir.Write("p.new", c.replacement);
        fs::rename(dir.Path("p.new"), dir.Path("p.txt"));
        tables.Release();
        waiting.Release();
        EXPECT_EQ(run.Wait().code, 2);
        EXPECT_EQ(run.Err(), "The payment file p.txt was changed by another program while Tallivo worked on it; it was "
                             "not checked\n");
    }
}

TEST(SealIntegrity, ASignalAtAnyPointLeavesEveryFileAsItWasAndEndsTheRunByThatSignal)
{
    const std::string original = Generated(300 * 1024);
    const std::string normalised = Normalised(original);
    struct Case
    {
        const char* point;
        int signal;
        bool newFile;
    };
    const Case cases[] = {
        {"lock-wait", SIGINT, false},      {"checked", SIGTERM, false},         {"normalised", SIGINT, true},
        {"tables-written", SIGHUP, false}, {"output-written", SIGTERM, true},   {"output-written", SIGINT, false},
        {"archive-written", SIGHUP, true}, {"archive-written", SIGTERM, false},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        TempFolder hooks;
        FreshProgramFolder program;
        const std::string payment = dir.Write("p.txt", original);
        std::optional<TestLock> other;
        if (std::string(c.point) == "lock-wait")
            other.emplace(payment);
        PausePoint pause(hooks, c.point);
        std::vector<std::string> args{"seal", "p.txt", "--zip", "b"};
        if (c.newFile)
            args.insert(args.end(), {"--new-file", "out.txt"});
        CliProcess run(program.Cli(), args, dir.Folder(), {pause.Env()});
        const std::string context = std::string(c.point) + ", signal " + std::to_string(c.signal);
        ASSERT_TRUE(pause.Arrived(run)) << context << run.Err();
        ::kill(run.Pid(), c.signal);
        const Ending end = run.Wait();
        EXPECT_TRUE(end.signalled) << context;
        EXPECT_EQ(end.code, c.signal) << context;
        const std::string left = ReadAll(payment);
        EXPECT_TRUE(left == original || left == normalised) << context;
        EXPECT_EQ(NamesIn(dir.Folder()), std::vector<std::string>{"p.txt"}) << context;
    }
}

// Two seals naming one archive (or one new file): the one that comes second to it
// refuses, changing nothing, so no seal reports an archive that holds another's output.
// An archive that is there already is held like the payment file: a second seal naming
// it waits for the first, and refuses, naming it, when the first takes longer than the
// wait; the payment file of the refused seal stays as it was.
TEST(SealIntegrity, ASecondSealOnAnExistingArchiveWaitsForTheFirstThenRefuses)
{
    TempFolder dir;
    TempFolder hooks;
    FreshProgramFolder program;
    FreshProgramFolder other;
    const std::string a = dir.Write("a.txt", Sample());
    const std::string b = dir.Write("b.txt", Generated(100 * 1024));
    dir.Write("c.txt", Generated(50 * 1024));
    ASSERT_EQ(
        RunCli({"seal", "c.txt", "--zip", "same"}, "cd " + ShellQuote(dir.Folder()) + " &&", program.Cli()).status, 0);
    PausePoint written(hooks, "archive-written");
    PausePoint waiting(hooks, "lock-wait");
    CliProcess first(program.Cli(), {"seal", "a.txt", "--zip", "same"}, dir.Folder(), {written.Env()});
    ASSERT_TRUE(written.Arrived(first)) << first.Err();

    CliProcess refused(other.Cli(), {"seal", "b.txt", "--zip", "same"}, dir.Folder(), {kLockWaitShort});
    EXPECT_EQ(refused.Wait().code, 2);
    EXPECT_EQ(refused.Err(), "The zip file same.zip"
                             " is in use by another Tallivo command; try again when it has finished\n");
    EXPECT_EQ(ReadAll(b), Generated(100 * 1024));

    CliProcess patient(other.Cli(), {"seal", "b.txt", "--zip", "same"}, dir.Folder(), {waiting.Env()});
    ASSERT_TRUE(waiting.Arrived(patient)) << patient.Err();
    waiting.Release();
    written.Release();
    EXPECT_EQ(first.Wait().code, 0) << first.Err();
    EXPECT_EQ(patient.Wait().code, 0) << patient.Err();
    EXPECT_TRUE(Verifies(a));
    EXPECT_TRUE(Verifies(b));
}

TEST(SealIntegrity, TwoSealsNeverBothClaimOneArchiveOrNewFile)
{
    for (const bool newFile : {false, true}) {
        SCOPED_TRACE(newFile ? "one new file" : "one archive");
        TempFolder dir;
        TempFolder hooks;
        FreshProgramFolder program;
        FreshProgramFolder other; // its own table files: the first seal holds its own to the end
        const std::string a = dir.Write("a.txt", Sample());
        const std::string b = dir.Write("b.txt", Generated(100 * 1024));
        PausePoint written(hooks, "archive-written");
        std::vector<std::string> argsA{"seal", "a.txt", "--zip", newFile ? "za" : "same"};
        std::vector<std::string> argsB{"seal", "b.txt", "--zip", newFile ? "zb" : "same"};
        if (newFile) {
            argsA.insert(argsA.end(), {"--new-file", "out.txt"});
            argsB.insert(argsB.end(), {"--new-file", "out.txt"});
        }
        CliProcess first(program.Cli(), argsA, dir.Folder(), {written.Env()});
        ASSERT_TRUE(written.Arrived(first)) << first.Err();
        CliProcess second(other.Cli(), argsB, dir.Folder());
        EXPECT_EQ(second.Wait().code, 0) << second.Err();
        const std::string sealedB = newFile ? ReadAll(dir.Path("out.txt")) : ReadAll(b);
        written.Release();

        EXPECT_EQ(first.Wait().code, 2);
        EXPECT_NE(first.Err().find(" was written by another program or Tallivo run while this seal worked; the "
                                   "payment file was not sealed and no zip file was written"),
                  std::string::npos)
            << first.Err();
        EXPECT_EQ(first.Err().find("completed"), std::string::npos);
        EXPECT_FALSE(Verifies(a));
        if (newFile) {
            EXPECT_EQ(ReadAll(dir.Path("out.txt")), sealedB);
            EXPECT_EQ(EntryOf(dir.Path("zb.zip")), sealedB);
            EXPECT_FALSE(fs::exists(dir.Path("za.zip")));
        } else {
            EXPECT_EQ(EntryOf(dir.Path("same.zip")), sealedB);
        }
    }
}

TEST(SealIntegrity, TwoRunsFromOneProgramFolderNeverPrintOneFilesHashOverAnothersRows)
{
    TempFolder dir;
    TempFolder hooks;
    FreshProgramFolder program;
    dir.Write("a.txt", Sample());
    dir.Write("b.txt", Generated(200 * 1024));
    PausePoint written(hooks, "tables-written");

    CliProcess a(program.Cli(), {"seal", "a.txt", "--zip", "a", "--report-pdf", "a.pdf"}, dir.Folder(),
                 {written.Env()});
    ASSERT_TRUE(written.Arrived(a)) << a.Err();
    CliProcess b(program.Cli(), {"seal", "b.txt", "--zip", "b", "--report-pdf", "b.pdf"}, dir.Folder());
    EXPECT_EQ(b.Wait().code, 0) << b.Err();
    written.Release();

    // The first run's seal completes; its report would show the other file's rows.
    EXPECT_EQ(a.Wait().code, 2);
    EXPECT_EQ(a.Err(), "Generate hash value and add file to a completed\nThe report tables in " + program.DataFolder() +
                           " were written by another Tallivo run after this run's seal; its report can no longer be "
                           "printed\n");
    EXPECT_FALSE(fs::exists(dir.Path("a.pdf")));
    EXPECT_EQ(EntryOf(dir.Path("a.zip")), ReadAll(dir.Path("a.txt")));
    EXPECT_EQ(ReadAll(dir.Path("b.pdf")).substr(0, 5), "%PDF-");
}

TEST(SealIntegrity, TheTableFilesWaitForTheCommandThatHoldsThem)
{
    TempFolder dir;
    TempFolder hooks;
    FreshProgramFolder program;
    const std::string payment = dir.Write("p.txt", Sample());
    TestLock tables(program.DataFolder());

    CliProcess stopped(program.Cli(), {"seal", "p.txt", "--zip", "b"}, dir.Folder(), {kLockWaitShort});
    EXPECT_EQ(stopped.Wait().code, 2);
    EXPECT_EQ(stopped.Err(), "The table files in " + program.DataFolder() +
                                 " are in use by another Tallivo command; try again when it has finished\n");
    EXPECT_EQ(ReadAll(payment), Normalised(Sample())); // at most normalised
    EXPECT_EQ(NamesIn(dir.Folder()), std::vector<std::string>{"p.txt"});

    PausePoint waiting(hooks, "tables-lock-wait");
    CliProcess waits(program.Cli(), {"seal", "p.txt", "--zip", "b"}, dir.Folder(), {waiting.Env()});
    ASSERT_TRUE(waiting.Arrived(waits));
    tables.Release();
    waiting.Release();
    EXPECT_EQ(waits.Wait().code, 0) << waits.Err();
    EXPECT_TRUE(Verifies(payment));
}

TEST(SealIntegrity, OutputsNeverLandOnAnInputOrOnSomethingThatIsNotAFile)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"check", "p.txt", "--errors", "p.txt"}, "Cannot write p.txt: it is the payment file"},
        {{"seal", "p.txt", "--zip", "b", "--errors", "./p.txt"}, "Cannot write ./p.txt: it is the payment file"},
        {{"seal", "p.txt", "--zip", "b", "--errors", "b.zip"}, "Cannot write b.zip: it is also the zip file"},
        {{"seal", "p.txt", "--zip", "b", "--report-pdf", "link"}, "Cannot write link: it is the payment file"},
        {{"seal", "p.txt", "--zip", "b", "--report-pdf", "b.zip"}, "Cannot write b.zip: it is also the zip file"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "o.txt", "--report-pdf", "o.txt"},
         "Cannot write o.txt: it is also the new file"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "p.txt"}, "Cannot write p.txt: it is the payment file"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "link"}, "Cannot write link: it is the payment file"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "hard"}, "Cannot write hard: it is the payment file"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "b.zip"}, "Cannot write b.zip: it is also the zip file"},
        {{"seal", "p.txt", "--zip", "pay", "--new-file", "o.txt"}, "Cannot write pay.zip: it is the payment file"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "fifo"}, "Cannot write fifo: it is not a regular file"},
        {{"seal", "p.txt", "--zip", "fifo.zip"}, "Cannot write fifo.zip: it is not a regular file"},
        {{"seal", "p.txt", "--zip", "b", "--errors", "fifo"}, "Cannot write fifo: it is not a regular file"},
        {{"seal", "p.txt", "--zip", "b", "--report-pdf", "folder"}, "Cannot write folder: it is not a regular file"},
        {{"fee", "p.txt", "--pdf", "p.txt"}, "Cannot write p.txt: it is the payment file"},
        {{"fee", "p.txt", "--pdf", "fifo"}, "Cannot write fifo: it is not a regular file"},
        {{"seal", "p.txt", "--zip", "b", "--report-pdf", "missing/r.pdf"},
         "Cannot write missing/r.pdf: File not found"},
        {{"check", "p.txt", "--errors", "missing/e.txt"}, "Cannot write missing/e.txt: File not found"},
        {{"fee", "p.txt", "--pdf", "p.txt/r.pdf"}, "Cannot write p.txt/r.pdf: File access denied"},
    };
    for (Case c : cases) {
        TempFolder dir;
        FreshProgramFolder program;
        const std::string payment = dir.Write("p.txt", Sample());
        dir.Write("b.zip", "an archive from before");
        fs::create_symlink("p.txt", dir.Path("link"));
        fs::create_hard_link(payment, dir.Path("hard"));
        fs::create_symlink("p.txt", dir.Path("pay.zip"));
        ::mkfifo(dir.Path("fifo").c_str(), 0600);
        ::mkfifo(dir.Path("fifo.zip").c_str(), 0600);
        fs::create_directory(dir.Path("folder"));
        const std::vector<std::string> before = NamesIn(dir.Folder());
        CliProcess run(program.Cli(), c.args, dir.Folder());
        const Ending end = run.Wait();
        EXPECT_EQ(end.code, 1) << c.message;
        EXPECT_NE(run.Err().find(c.message + "\n"), std::string::npos) << run.Err();
        EXPECT_EQ(ReadAll(payment), Sample()) << c.message;
        EXPECT_EQ(ReadAll(dir.Path("b.zip")), "an archive from before") << c.message;
        EXPECT_EQ(NamesIn(dir.Folder()), before) << c.message;
        EXPECT_TRUE(fs::is_fifo(dir.Path("fifo")));
    }
}

// Standard input redirected from a file: that file is the payment file too, and no
// output replaces it.
TEST(SealIntegrity, NoOutputReplacesTheFileBehindStandardInput)
{
    const std::vector<std::string> cases[] = {
        {"check", "-", "--errors", "p.txt"},
        {"check", "-", "--errors", "./p.txt", "--format", "json"},
        {"fee", "-", "--pdf", "p.txt"},
    };
    for (const auto& args : cases) {
        TempFolder dir;
        const std::string payment = dir.Write("p.txt", Sample());
        const CliResult r = RunCli(args, "cd " + ShellQuote(dir.Folder()) + " && exec <p.txt &&");
        EXPECT_EQ(r.status, 1) << args[0] << ": " << r.err;
        EXPECT_NE(r.err.find("it is the payment file\n"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(payment), Sample()) << args[0];
        EXPECT_EQ(NamesIn(dir.Folder()), std::vector<std::string>{"p.txt"}) << args[0];
    }
}

TEST(SealIntegrity, ADeviceNodeIsNeverReplaced)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser makes device nodes";
    TempFolder dir;
    FreshProgramFolder program;
    const std::string payment = dir.Write("p.txt", Sample());
    const std::string node = dir.Path("null");
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"seal", "p.txt", "--zip", "b", "--new-file", "null"},
          std::vector<std::string>{"seal", "p.txt", "--zip", "b", "--errors", "null"},
          std::vector<std::string>{"seal", "p.txt", "--zip", "b", "--report-pdf", "null"}}) {
        CliProcess run(program.Cli(), args, dir.Folder());
        EXPECT_EQ(run.Wait().code, 1);
        EXPECT_EQ(run.Err(), "Cannot write null: it is not a regular file\n");
        EXPECT_TRUE(fs::is_character_file(node));
        EXPECT_EQ(ReadAll(payment), Sample());
    }
}

TEST(SealIntegrity, WhatCannotBeWrittenStopsTheSealBeforeThePaymentFileChanges)
{
    TempFolder dir;
    FreshProgramFolder program;
    const std::string payment = dir.Write("p.txt", Sample());
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"seal", "p.txt", "--zip", "nodir/b"},
         "Cannot write zip file 'nodir/b.zip': Failure to create temporary file: No such file or directory"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "nodir/out.txt"},
         "File not found: nodir (No such file or directory)"},
        {{"seal", "p.txt", "--zip", "folder"}, "Cannot open zip file 'folder.zip': Is a directory"},
        {{"seal", "p.txt", "--zip", "b", "--new-file", "folder.zip"},
         "File access denied: folder.zip (Is a directory)"},
        {{"seal", "p.txt", "--zip", "notzip"}, "Cannot open zip file 'notzip.zip': Not a zip archive"},
    };
    fs::create_directory(dir.Path("folder.zip"));
    dir.Write("notzip.zip", "not an archive");
    for (const Case& c : cases) {
        CliProcess run(program.Cli(), c.args, dir.Folder());
        EXPECT_EQ(run.Wait().code, 2) << c.message;
        EXPECT_EQ(run.Err(), c.message + "\n");
        EXPECT_EQ(ReadAll(payment), Sample()) << c.message; // not even normalised
        EXPECT_EQ(NamesIn(dir.Folder()), (std::vector<std::string>{"folder.zip", "notzip.zip", "p.txt"}));
    }
    // Nothing to be stuck with: once the folder is there, the same seal completes.
    fs::create_directory(dir.Path("nodir"));
    CliProcess again(program.Cli(), {"seal", "p.txt", "--zip", "nodir/b"}, dir.Folder());
    EXPECT_EQ(again.Wait().code, 0) << again.Err();
    EXPECT_EQ(EntryOf(dir.Path("nodir/b.zip")), ReadAll(payment));
}

TEST(SealIntegrity, AFullDiskAtTheArchiveLeavesNoOutputAndNoArchive)
{
    if (std::system("unshare -rm true >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no private mount namespace for a small file system";
    const std::string original = Generated(1 << 20);
    for (const bool newFile : {true, false}) {
        TempFolder dir;
        FreshProgramFolder program;
        const std::string payment = dir.Write("p.txt", original);
        fs::create_directory(dir.Path("small"));
        // A file system of 64 KiB for the archive alone, seen by this command only.
        const std::string cmd = "cd " + ShellQuote(dir.Folder()) +
                                " && unshare -rm sh -c 'mount -t tmpfs -o size=64k tmpfs small || exit 99; \"$@\"; "
                                "rc=$?; ls -A small >small.list; exit $rc' sh " +
                                ShellQuote(program.Cli()) + " seal p.txt --zip small/b" +
                                (newFile ? " --new-file out.txt" : "") + " >/dev/null 2>err";
        const int raw = std::system(cmd.c_str());
        ASSERT_NE(WEXITSTATUS(raw), 99) << "tmpfs could not be mounted";
        EXPECT_EQ(WEXITSTATUS(raw), 2);
        EXPECT_EQ(ReadAll(dir.Path("err")),
                  "Cannot write zip file 'small/b.zip': Write error: No space left on device\n");
        EXPECT_EQ(ReadAll(dir.Path("small.list")), "") << "nothing left in the archive's folder";
        const std::string left = ReadAll(payment);
        EXPECT_TRUE(left == original || left == Normalised(original));
        EXPECT_FALSE(Verifies(payment));
        EXPECT_EQ(NamesIn(dir.Folder()), (std::vector<std::string>{"err", "p.txt", "small", "small.list"}));
    }
}

TEST(SealIntegrity, ReplaceModeThroughALinkSealsTheFileItPointsTo)
{
    TempFolder dir;
    FreshProgramFolder program;
    const std::string dated = dir.Write("real/dated.txt", Sample());
    fs::create_symlink("real/dated.txt", dir.Path("latest.txt"));
    CliProcess run(program.Cli(), {"seal", "latest.txt", "--zip", "b"}, dir.Folder());
    EXPECT_EQ(run.Wait().code, 0) << run.Err();
    EXPECT_TRUE(fs::is_symlink(dir.Path("latest.txt")));
    EXPECT_EQ(fs::read_symlink(dir.Path("latest.txt")), "real/dated.txt");
    EXPECT_TRUE(Verifies(dated));
    EXPECT_EQ(EntryOf(dir.Path("b.zip")), ReadAll(dated));
    EXPECT_EQ(NamesIn(dir.Path("real")), std::vector<std::string>{"dated.txt"});
}

TEST(SealIntegrity, ReplacedFilesKeepTheirOwnerGroupAndModeNewOnesFollowTheUmask)
{
    TempFolder dir;
    FreshProgramFolder program;
    const std::string payment = dir.Write("p.txt", Sample());
    const std::string archive = dir.Path("b.zip");
    {
        CliProcess first(program.Cli(), {"seal", "p.txt", "--zip", "b", "--new-file", "old.txt"}, dir.Folder());
        ASSERT_EQ(first.Wait().code, 0) << first.Err();
    }
    const bool root = ::geteuid() == 0;
    ::chmod(payment.c_str(), 0640);
    ::chmod(archive.c_str(), 0604);
    if (root) {
        ASSERT_EQ(::chown(payment.c_str(), 4321, 5432), 0);
        ASSERT_EQ(::chown(archive.c_str(), 4322, 5433), 0);
    }
    const std::string cmd = "cd " + ShellQuote(dir.Folder()) + " && umask 077 && " + ShellQuote(program.Cli()) +
                            " seal p.txt --zip b >/dev/null 2>&1 && " + ShellQuote(program.Cli()) +
                            " check p.txt --errors errors.txt >/dev/null 2>&1; QT_QPA_PLATFORM=offscreen " +
                            ShellQuote(program.Cli()) + " seal new.txt --zip c --new-file out.txt --report-pdf r.pdf " +
                            ">/dev/null 2>&1";
    dir.Write("new.txt", Sample());
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(Verifies(payment));
    struct Expect
    {
        std::string name;
        unsigned mode;
        unsigned uid, gid;
    };
    const unsigned me = ::geteuid();
    const unsigned myGroup = ::getegid();
    const Expect expected[] = {
        {"p.txt", 0640, root ? 4321 : me, root ? 5432 : myGroup},
        {"b.zip", 0604, root ? 4322 : me, root ? 5433 : myGroup},
        {"errors.txt", 0600, me, myGroup},
        {"out.txt", 0600, me, myGroup},
        {"c.zip", 0600, me, myGroup},
        {"r.pdf", 0600, me, myGroup},
    };
    for (const Expect& e : expected) {
        struct stat info
        {
        };
        ASSERT_EQ(::stat(dir.Path(e.name).c_str(), &info), 0) << e.name;
        EXPECT_EQ(info.st_mode & 07777, e.mode) << e.name;
        EXPECT_EQ(info.st_uid, e.uid) << e.name;
        EXPECT_EQ(info.st_gid, e.gid) << e.name;
    }
}

TEST(SealIntegrity, NamesUpToTheFileSystemsLimitSeal)
{
    for (const std::size_t length : {200u, 238u, 251u, 255u}) {
        TempFolder dir;
        FreshProgramFolder program;
        std::string name(length - 4, 'p');
        name += ".txt";
        std::string zip(length - 4, 'z');
        zip += ".zip";
        const std::string payment = dir.Write(name, Sample());
        CliProcess run(program.Cli(), {"seal", name, "--zip", zip}, dir.Folder());
        EXPECT_EQ(run.Wait().code, 0) << length << ": " << run.Err();
        EXPECT_TRUE(Verifies(payment)) << length;
        EXPECT_EQ(EntryOf(dir.Path(zip)), ReadAll(payment)) << length;
        EXPECT_EQ(NamesIn(dir.Folder()), (std::vector<std::string>{name, zip})) << length;
    }
}
