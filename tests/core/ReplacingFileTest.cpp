// Replacing a user's file keeps what the user set up (links, mode, group, owner), a new
// file follows the umask, names of any length work, nothing but a regular file is ever
// replaced, and a signal leaves no temporary file behind.
#include "common/ReplacingFile.h"
#include "TestFiles.h"
#include "common/AppError.h"
#include "common/FilePaths.h"
#include "common/SignalCleanup.h"
#include "sealing/Normalise.h"
#include "zip/ZipOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::TempFolder;
namespace fs = std::filesystem;

namespace {

void Replace(const std::string& target, const std::string& bytes)
{
    ReplacingFile file(target);
    file.Write(bytes);
    file.Commit();
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat StatOf(const std::string& path)
{
    struct stat info
    {
    };
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

std::string ErrorOf(const std::string& target)
{
    try {
        Replace(target, "new");
    } catch (const AppError& e) {
        return e.what();
    }
    return "no error";
}

// Runs body in a child process; returns how the child ended (waitpid's status).
template <typename Body>
int InChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

} // namespace

TEST(ReplacingFile, ALinkIsFollowedAndStays)
{
    TempFolder dir;
    const std::string dated = dir.Write("real/dated.txt", "old");
    fs::create_symlink("real/dated.txt", dir.Path("latest.txt"));
    fs::create_symlink(dir.Path("latest.txt"), dir.Path("chain.txt")); // a link to a link
    fs::create_symlink("real/future.txt", dir.Path("dangling.txt"));

    Replace(dir.Path("latest.txt"), "one");
    EXPECT_EQ(ReadAll(dated), "one");
    Replace(dir.Path("chain.txt"), "two");
    EXPECT_EQ(ReadAll(dated), "two");
    Replace(dir.Path("dangling.txt"), "three"); // the file it points to is made
    EXPECT_EQ(ReadAll(dir.Path("real/future.txt")), "three");
    for (const char* link : {"latest.txt", "chain.txt", "dangling.txt"})
        EXPECT_TRUE(fs::is_symlink(dir.Path(link))) << link;
    EXPECT_EQ(Names(dir.Path("real")), (std::vector<std::string>{"dated.txt", "future.txt"}));

    fs::create_symlink("loop-b", dir.Path("loop-a"));
    fs::create_symlink("loop-a", dir.Path("loop-b"));
    EXPECT_NE(ErrorOf(dir.Path("loop-a")), "no error");
    EXPECT_TRUE(fs::is_symlink(dir.Path("loop-a")));
}

TEST(ReplacingFile, ModeGroupAndOwnerOfTheReplacedFileStay)
{
    TempFolder dir;
    for (const unsigned mode : {0640u, 0604u, 0755u, 0600u}) {
        const std::string path = dir.Write("m.txt", "old");
        ::chmod(path.c_str(), mode);
        Replace(path, "new");
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
    }
    if (::geteuid() == 0) {
        const std::string path = dir.Write("owned.txt", "old");
        ASSERT_EQ(::chown(path.c_str(), 4321, 5432), 0);
        ::chmod(path.c_str(), 02640); // the set-group bit survives the change of owner
        Replace(path, "new");
        EXPECT_EQ(StatOf(path).st_uid, 4321u);
        EXPECT_EQ(StatOf(path).st_gid, 5432u);
        EXPECT_EQ(StatOf(path).st_mode & 07777, 02640u);
        return;
    }
    // An ordinary user keeps a group of theirs that is not their own group.
    gid_t groups[64];
    const int count = ::getgroups(64, groups);
    const auto other = std::find_if(groups, groups + std::max(count, 0), [](gid_t g) { return g != ::getegid(); });
    if (other == groups + std::max(count, 0))
        GTEST_SKIP() << "no second group to keep";
    const std::string path = dir.Write("shared.txt", "old");
    ASSERT_EQ(::chown(path.c_str(), static_cast<uid_t>(-1), *other), 0);
    ::chmod(path.c_str(), 0660);
    Replace(path, "new");
    EXPECT_EQ(StatOf(path).st_gid, *other);
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0660u);
}

TEST(ReplacingFile, ANewFileGetsWhatTheUmaskAllows)
{
    TempFolder dir;
    const std::pair<mode_t, unsigned> cases[] = {{077, 0600}, {022, 0644}, {027, 0640}, {002, 0664}};
    for (const auto& [mask, mode] : cases) {
        const mode_t old = ::umask(mask);
        const std::string path = dir.Path("new-" + std::to_string(mask) + ".txt");
        Replace(path, "new");
        ::umask(old);
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode) << "umask " << mask;
    }
}

TEST(ReplacingFile, NothingButARegularFileIsReplaced)
{
    TempFolder dir;
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ErrorOf(fifo), "Cannot write " + fifo + ": it is not a regular file");
    EXPECT_TRUE(fs::is_fifo(fifo));
    fs::create_symlink("fifo", dir.Path("to-fifo"));
    EXPECT_EQ(ErrorOf(dir.Path("to-fifo")), "Cannot write " + dir.Path("to-fifo") + ": it is not a regular file");
    fs::create_directory(dir.Path("folder"));
    EXPECT_EQ(ErrorOf(dir.Path("folder")), "File access denied: " + dir.Path("folder") + " (Is a directory)");
    EXPECT_THROW(CheckCanReplace(fifo), AppError);
    if (::geteuid() == 0) {
        const std::string node = dir.Path("null");
        ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        EXPECT_EQ(ErrorOf(node), "Cannot write " + node + ": it is not a regular file");
        EXPECT_TRUE(fs::is_character_file(node));
    }
    std::vector<std::string> expected{"fifo", "folder", "to-fifo"};
    if (::geteuid() == 0)
        expected.insert(expected.begin() + 2, "null");
    EXPECT_EQ(Names(dir.Folder()), expected); // no temporary file left
}

TEST(ReplacingFile, NamesUpToTheFileSystemsLimitAndTheirLeftovers)
{
    TempFolder dir;
    const std::string e = "\xc3\xa9"; // a two-byte character
    const std::string names[] = {
        std::string(200, 'a'),
        std::string(237, 'b'),
        std::string(238, 'c'),
        std::string(255, 'd'),
        std::string(236, 'f') + e + e + e + e + e + e + e + e + e, // a cut would fall inside a character
    };
    for (const std::string& name : names) {
        const std::string path = dir.Path(name);
        Replace(path, "one");
        Replace(path, "two");
        EXPECT_EQ(ReadAll(path), "two") << name.size();
        const std::string prefix = fs::path(TempPrefixBeside(path)).filename().string();
        EXPECT_LE(prefix.size() + kTempSuffixLength, 255u) << name.size();
        EXPECT_EQ(prefix.substr(prefix.size() - kTempMarker.size()), kTempMarker);
        // The name part is the file's name or its start, whole characters only.
        const std::string kept = prefix.substr(0, prefix.size() - kTempMarker.size());
        EXPECT_EQ(name.compare(0, kept.size(), kept), 0);
        EXPECT_NE(static_cast<unsigned char>(name[kept.size() < name.size() ? kept.size() : 0]) & 0xC0, 0x80u);
        EXPECT_EQ(Names(dir.Folder()), std::vector<std::string>{name}) << name.size();

        // A leftover of a crash under the shortened name is found and removed; another
        // file's is not.
        dir.Write(prefix + "A1b2C3", "left");
        dir.Write("other" + std::string(kTempMarker) + "A1b2C3", "another file's");
        RemoveNormaliseLeftovers(path);
        EXPECT_EQ(Names(dir.Folder()), (std::vector<std::string>{name, "other" + std::string(kTempMarker) + "A1b2C3"}));
        fs::remove(path);
        fs::remove(dir.Path("other" + std::string(kTempMarker) + "A1b2C3"));
    }
}

TEST(ReplacingFile, TheObserverCanStopTheReplacementAndSeesTheNewFile)
{
    struct Observer : ReplaceObserver
    {
        bool refuse = false;
        ino_t replacement = 0;
        void BeforeReplace(int) override
        {
            if (refuse)
                throw AppError(AppError::Kind::File, "stopped");
        }
        void AfterReplace(int fd) override
        {
            struct stat info
            {
            };
            ::fstat(fd, &info);
            replacement = info.st_ino;
        }
    };
    TempFolder dir;
    const std::string path = dir.Write("p.txt", "old");
    Observer observer;
    {
        observer.refuse = true;
        ReplacingFile file(path);
        file.Write("new");
        EXPECT_THROW(file.Commit(&observer), AppError);
    }
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(Names(dir.Folder()), std::vector<std::string>{"p.txt"});

    observer.refuse = false;
    ReplacingFile file(path);
    file.Write("new");
    file.Finish(); // complete under its temporary name; the target is still the old file
    EXPECT_EQ(ReadAll(file.TempPath()), "new");
    EXPECT_EQ(ReadAll(path), "old");
    file.Commit(&observer);
    EXPECT_EQ(ReadAll(path), "new");
    EXPECT_EQ(observer.replacement, StatOf(path).st_ino);
}

// A file large enough to be synced while it is written comes out whole, and one dropped
// while a sync is under way leaves the target as it was and no temporary file.
TEST(ReplacingFile, ALargeFileSyncedWhileWrittenIsWholeAndADroppedOneLeavesNothing)
{
    TempFolder dir;
    const std::string path = dir.Write("big.txt", "old");
    std::string piece;
    for (int i = 0; i < 4099; ++i) // not a divisor of any step: pieces straddle them
        piece += static_cast<char>('a' + i % 26);
    const std::size_t pieces = (40u << 20) / piece.size();
    {
        ReplacingFile dropped(path);
        for (std::size_t i = 0; i < pieces; ++i)
            dropped.Write(piece);
    }
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(Names(dir.Folder()), std::vector<std::string>{"big.txt"});

    ReplacingFile file(path);
    for (std::size_t i = 0; i < pieces; ++i)
        file.Write(piece);
    file.Commit();
    const std::string written = ReadAll(path);
    ASSERT_EQ(written.size(), pieces * piece.size());
    for (std::size_t i = 0; i < pieces; ++i)
        ASSERT_EQ(written.compare(i * piece.size(), piece.size(), piece), 0) << "piece " << i;
    EXPECT_EQ(Names(dir.Folder()), std::vector<std::string>{"big.txt"});
}

TEST(SignalCleanup, AnEndingSignalRemovesTheTemporaryFilesAndEndsTheProcessByIt)
{
    TempFolder dir;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const int status = InChild([&] {
            CleanUpOnSignals();
            ReplacingFile file(dir.Path("p.txt"));
            file.Write(std::string(1 << 21, 'x'));
            std::string folder;
            CreateTempFolder(dir.Path("archive.zip.tallivo-tmp"), folder);
            RegisterTemporary(folder, true);
            std::ofstream(folder + "/new.zip") << "half an archive";
            ::raise(signal);
            ::_exit(0); // not reached
        });
        EXPECT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(Names(dir.Folder()), std::vector<std::string>{}) << signal;
    }
}

TEST(SignalCleanup, ASignalWaitsForTheShieldThenEndsTheProcess)
{
    TempFolder dir;
    const int status = InChild([&] {
        CleanUpOnSignals();
        const int slot = RegisterTemporary(dir.Write("tmp", "t"), false);
        {
            const SignalShield shield;
            ::raise(SIGTERM);
            std::ofstream(dir.Path("done")) << "both in place";
            UnregisterTemporary(slot);
        }
        ::_exit(0); // not reached: the signal ends the process when the shield goes
    });
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(ReadAll(dir.Path("done")), "both in place");
    EXPECT_TRUE(fs::exists(dir.Path("tmp"))); // unregistered: no longer a temporary file
}

// What a killed run left beside a file goes with the next file written there; what a
// live writer holds (its lock) stays, also for Clear Form's clean-up.
TEST(ReplacingFile, LeftoversOfAKilledRunGoWithTheNextWriteAndALiveWritersStay)
{
    TempFolder dir;
    const std::string path = dir.Write("pay.txt", "one");
    const std::string prefix = fs::path(TempPrefixBeside(path)).filename().string();
    dir.Write(prefix + "Dead01", "left by a killed run");
    const std::string live = dir.Write(prefix + "Live01", "being written");
    const int writer = ::open(live.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    {
        ReplacingFile next(path);
        next.Write("two");
        next.Commit();
    }
    EXPECT_EQ(ReadAll(path), "two");
    EXPECT_EQ(Names(dir.Folder()), (std::vector<std::string>{"pay.txt", prefix + "Live01"}));

    RemoveNormaliseLeftovers(path); // Clear Form's clean-up: the live writer's file stays
    EXPECT_EQ(Names(dir.Folder()), (std::vector<std::string>{"pay.txt", prefix + "Live01"}));
    ::close(writer); // the writer is gone: its file is a leftover now
    RemoveNormaliseLeftovers(path);
    EXPECT_EQ(Names(dir.Folder()), std::vector<std::string>{"pay.txt"});

    // An archive's work folder likewise, with what it holds; a live run's folder stays.
    const std::string zip = dir.Path("z.zip");
    const std::string zipPrefix = fs::path(TempPrefixBeside(zip)).filename().string();
    dir.Write(zipPrefix + "Dead02/new.zip", "left by a killed run");
    fs::create_directory(dir.Path(zipPrefix + "Live02"));
    const int holder = ::open(dir.Path(zipPrefix + "Live02").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    ZipOutput(zip, path);
    EXPECT_EQ(Names(dir.Folder()), (std::vector<std::string>{"pay.txt", "z.zip", zipPrefix + "Live02"}));
    ::close(holder);
}

// A probe of the same target (the seal checks a new file's place while its output is
// being made ahead) clears leftovers at any moment: a writer's temporary file or an
// archive's work folder is never taken for one, even just after it was made.
TEST(ReplacingFile, ALeftoverScanNeverTakesAWriterJustMade)
{
    TempFolder dir;
    const std::string path = dir.Write("out.txt", "old");
    const std::string zip = dir.Path("b.zip");
    std::atomic<bool> done{false};
    std::thread scanner([&] {
        while (!done) {
            RemoveDeadTemporaries(path);
            RemoveDeadTemporaries(zip);
        }
    });
    int lost = 0;
    for (int i = 0; i < 3000; ++i) {
        const ReplacingFile writer(path);
        lost += fs::exists(writer.TempPath()) ? 0 : 1;
    }
    for (int i = 0; i < 40; ++i) {
        try {
            ZipOutput(zip, path);
        } catch (const AppError&) {
            ++lost; // its work folder went while it was written
        }
    }
    done = true;
    scanner.join();
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(Names(dir.Folder()), (std::vector<std::string>{"b.zip", "out.txt"}));
    EXPECT_EQ(ReadAll(path), "old");
}

// In a sticky folder shared by several users (/tmp, a drop folder), another user's file
// may be writable and still not be replaced by a rename: the payment file, a new file
// and an archive there are refused before anything is written, naming them.
TEST(ReplacingFile, AnotherUsersFileInAStickyFolderIsRefusedBeforeAnythingIsWritten)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the superuser to make another user's files";
    TempFolder dir;
    fs::permissions(dir.Folder(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const std::string shared = dir.Path("shared");
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    const std::string pay = dir.Write("shared/pay.txt", "001\r\n");
    const std::string out = dir.Write("shared/out.txt", "old\r\n");
    const std::string zip = dir.Write("shared/z.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    for (const std::string& f : {pay, out, zip})
        fs::permissions(f, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));

    // Each check as an ordinary user, in a child process; the messages come back through a pipe.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string said;
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const std::function<void()> checks[] = {[&] { CheckPaymentFileReplaceable(pay); },
                                                [&] { CheckCanReplace(out); }, [&] { CheckZipTarget(zip); }};
        for (const auto& check : checks) {
            try {
                check();
                said += "written\n";
            } catch (const AppError& e) {
                said += e.message() + "\n";
            }
        }
        const bool sent = ::write(pipeFds[1], said.data(), said.size()) == static_cast<ssize_t>(said.size());
        ::_exit(sent ? 0 : 4);
    }
    ::close(pipeFds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(said, "File access denied: " + pay + " (Operation not permitted)\n" + "File access denied: " + out +
                        " (Operation not permitted)\n" + "Cannot write zip file '" + zip +
                        "': Operation not permitted\n");
    EXPECT_EQ(Names(shared), (std::vector<std::string>{"out.txt", "pay.txt", "z.zip"}));
    EXPECT_EQ(ReadAll(out), "old\r\n");
}
