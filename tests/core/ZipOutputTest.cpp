#include "TestFiles.h"
#include "common/AppError.h"
#include "zip/DeflatedEntry.h"
#include "zip/ZipOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::TempFolder;

namespace {

// Runs a Python snippet with the archive path as sys.argv[1]; returns what it prints.
std::string Python(const std::string& script, const std::string& archive)
{
    TempFolder io;
    const std::string scriptPath = io.Write("s.py", script);
    return test::CommandOutput("python3 '" + scriptPath + "' '" + archive + "' 2>&1");
}

// One line per entry as Python's zipfile sees it: name (raw bytes as hex when not
// ASCII), compression, host system, UTF-8 flag, encryption flag, and whether the
// content extracts to the bytes of the file given as sys.argv[2] (set through env).
const char* const kDescribe = R"(
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    for i in z.infolist():
        raw = i.filename.encode('utf-8' if i.flag_bits & 0x800 else 'cp437')
        name = raw.decode('ascii') if raw.isascii() else raw.hex()
        same = z.read(i) == open(os.environ['ZIP_EXPECTED'], 'rb').read()
        print(name, i.compress_type, i.create_system, i.flag_bits & 0x800, i.flag_bits & 1, same)
)";

std::string Describe(const std::string& archive, const std::string& expectedFile)
{
    ::setenv("ZIP_EXPECTED", expectedFile.c_str(), 1);
    return Python(kDescribe, archive);
}

// Runs the body with the current folder set to folder.
class InFolder
{
public:
    explicit InFolder(const std::string& folder) : m_old(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};

std::string ZipErrorOf(const std::string& archive, const std::string& file)
{
    try {
        ZipOutput(archive, file);
    } catch (const AppError& e) {
        EXPECT_EQ(e.kind(), AppError::Kind::Zip);
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(ZipArchiveName, ZipAddedOnlyWithoutExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"batch", "batch.zip"},
        {"C:\\out\\batch", "C:\\out\\batch.zip"},
        {"C:\\out.v2\\batch", "C:\\out.v2\\batch.zip"},
        {"/tmp/out.v2/batch", "/tmp/out.v2/batch.zip"},
        {"C:batch", "C:batch.zip"},
        {"Batch.ZIP", "Batch.ZIP"},
        {"C:\\out\\Batch.Zip", "C:\\out\\Batch.Zip"},
        {"pay.", "pay."},
    };
    for (const auto& [typed, name] : cases)
        EXPECT_EQ(ZipArchiveName(typed), name) << typed;
}

TEST(ZipOutput, OneDeflatedDosEntryThatStandardToolsOpen)
{
    TempFolder dir;
    std::string content;
    for (int i = 0; i < 2000; ++i)
        content += "003 record " + std::to_string(i) + std::string(300, ' ') + "\r\n";
    const std::string file = dir.Write("out.txt", content);
    InFolder here(dir.Folder());
    ZipOutput("batch.zip", file);
    EXPECT_EQ(Describe(dir.Path("batch.zip"), file), "out.txt 8 0 0 0 True\n");
    EXPECT_LT(std::filesystem::file_size(dir.Path("batch.zip")), content.size() / 4);
    EXPECT_EQ(std::system("unzip -tqq batch.zip >/dev/null 2>&1"), 0);
    EXPECT_EQ(std::system("unzip -p batch.zip out.txt | cmp -s - out.txt"), 0);
}

TEST(ZipOutput, ExistingArchiveIsEmptiedAndHoldsTheFileAlone)
{
    TempFolder dir;
    const std::string file = dir.Write("out.txt", "sealed\r\n");
    const std::string archive = dir.Path("batch.zip");
    Python(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('other.txt', 'x')
    z.writestr('out.txt', 'old')
    z.writestr('sub/deep.txt', 'y')
    z.comment = b'kept as it was'
)", archive);
    ::chmod(archive.c_str(), 0640);
    InFolder here(dir.Folder());
    ZipOutput(archive, file);
    EXPECT_EQ(Describe(archive, file), "out.txt 8 0 0 0 True\n");
    // What the archive held besides its entries stays: its comment and its mode.
    EXPECT_EQ(Python("import sys, zipfile\nprint(zipfile.ZipFile(sys.argv[1]).comment)", archive), "b'kept as it was'\n");
    struct stat info
    {
    };
    ASSERT_EQ(::stat(archive.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ZipOutput(archive, file); // twice in a row: still one entry
    EXPECT_EQ(Describe(archive, file), "out.txt 8 0 0 0 True\n");
    EXPECT_EQ(std::filesystem::directory_iterator(dir.Folder()) == std::filesystem::directory_iterator(), false);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Folder()))
        ++files;
    EXPECT_EQ(files, 2u) << "no temporary archive left behind";
}

TEST(ZipOutput, EntryNameRelativeToTheCurrentFolderOrFullPath)
{
    TempFolder dir;
    const std::string inside = dir.Write("work/sub/out.txt", "a");
    const std::string outside = dir.Write("elsewhere/out.txt", "b");
    const std::string utf8Name = dir.Write("work/caf\xc3\xa9.txt", "c");
    const std::string latin1Name = dir.Write("work/caf\xe9.txt", "d");
    InFolder here(dir.Path("work"));
    const std::string archive = dir.Path("work/batch.zip");

    ZipOutput(archive, inside);
    EXPECT_EQ(Describe(archive, inside), "sub/out.txt 8 0 0 0 True\n");
    ZipOutput(archive, "sub/../sub/out.txt");
    EXPECT_EQ(Describe(archive, inside), "sub/out.txt 8 0 0 0 True\n");
    ZipOutput(archive, outside);
    EXPECT_EQ(Describe(archive, outside), outside.substr(1) + " 8 0 0 0 True\n");
    // Names are stored byte for byte as given; only a name that is valid UTF-8 with
    // bytes outside ASCII carries the UTF-8 flag.
    ZipOutput(archive, utf8Name);
    EXPECT_EQ(Describe(archive, utf8Name), "636166c3a92e747874 8 0 2048 0 True\n");
    ZipOutput(archive, latin1Name);
    EXPECT_EQ(Describe(archive, latin1Name), "636166e92e747874 8 0 0 0 True\n");
}

TEST(ZipOutput, ArchiveErrorsAreClearAndLoseNothing)
{
    TempFolder dir;
    const std::string file = dir.Write("out.txt", "sealed\r\n");
    const std::string notZip = dir.Write("notzip.zip", "this is not an archive");
    dir.Write("folder.zip/keep", "k");

    EXPECT_EQ(ZipErrorOf(notZip, file), "Cannot open zip file '" + notZip + "': Not a zip archive");
    EXPECT_EQ(ReadAll(notZip), "this is not an archive");

    const std::string missing = dir.Path("missing/batch.zip");
    EXPECT_EQ(ZipErrorOf(missing, file).rfind("Cannot write zip file '" + missing + "': ", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("missing")));

    const std::string underFile = dir.Path("out.txt/batch.zip");
    EXPECT_EQ(ZipErrorOf(underFile, file).rfind("Cannot ", 0), 0u);
    EXPECT_EQ(ReadAll(file), "sealed\r\n");

    EXPECT_EQ(ZipErrorOf(dir.Path("folder.zip"), file), "Cannot open zip file '" + dir.Path("folder.zip") + "': Is a directory");

    const std::string noFile = ZipErrorOf(dir.Path("new.zip"), dir.Path("gone.txt"));
    EXPECT_EQ(noFile.rfind("Cannot ", 0), 0u) << noFile;
    EXPECT_FALSE(std::filesystem::exists(dir.Path("new.zip")));

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string readOnly = dir.Path("ro.zip");
    ZipOutput(readOnly, file);
    const std::string before = ReadAll(readOnly);
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    EXPECT_EQ(ZipErrorOf(readOnly, file), "Cannot open zip file '" + readOnly + "': Read-only archive");
    EXPECT_EQ(ReadAll(readOnly), before);
}

TEST(ZipOutput, TheTargetCheckRaisesWhatWritingWouldRaiseAndWritesNothing)
{
    TempFolder dir;
    const std::string file = dir.Write("out.txt", "sealed\r\n");
    dir.Write("notzip.zip", "this is not an archive");
    dir.Write("folder.zip/keep", "k");
    ::mkfifo(dir.Path("fifo.zip").c_str(), 0600);
    ZipOutput(dir.Path("good.zip"), file);
    const std::string good = ReadAll(dir.Path("good.zip"));
    const auto before = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.Folder()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> names = before();
    for (const char* name : {"notzip.zip", "missing/batch.zip", "out.txt/batch.zip", "folder.zip", "fifo.zip",
                             "good.zip", "new.zip"}) {
        const std::string archive = dir.Path(name);
        std::string checked = "no error";
        try {
            CheckZipTarget(archive);
        } catch (const AppError& e) {
            checked = e.what();
        }
        if (std::string(name) == "fifo.zip")
            EXPECT_EQ(checked, "Cannot write " + archive + ": it is not a regular file");
        else if (std::string(name) == "good.zip" || std::string(name) == "new.zip")
            EXPECT_EQ(checked, "no error") << name;
        else
            EXPECT_EQ(checked, ZipErrorOf(archive, file)) << name;
        EXPECT_EQ(before(), names) << name;
    }
    EXPECT_EQ(ReadAll(dir.Path("good.zip")), good);
}

TEST(ZipOutput, APreparedArchiveTouchesNothingUntilCommitAndCanBeUndone)
{
    TempFolder dir;
    const std::string file = dir.Write("out.txt", "sealed\r\n");
    const std::string archive = dir.Path("batch.zip");
    ZipOutput(archive, file);
    const std::string previous = ReadAll(archive);
    dir.Write("out.txt", "sealed again\r\n");
    {
        PreparedArchive prepared(archive, file, dir.Path("entry.txt"));
        EXPECT_EQ(ReadAll(archive), previous);
    } // dropped
    EXPECT_EQ(ReadAll(archive), previous);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Folder()))
        ++files;
    EXPECT_EQ(files, 2u) << "no temporary folder left behind";
    {
        PreparedArchive prepared(archive, file, file);
        prepared.Commit();
        EXPECT_NE(ReadAll(archive), previous);
        prepared.Undo();
        EXPECT_EQ(ReadAll(archive), previous);
    }
    {
        const std::string fresh = dir.Path("fresh.zip");
        PreparedArchive prepared(fresh, file, file);
        prepared.Commit();
        EXPECT_TRUE(std::filesystem::exists(fresh));
        prepared.Undo();
        EXPECT_FALSE(std::filesystem::exists(fresh));
    }
    // Through a link: the file it points to is replaced, the link stays.
    std::filesystem::create_symlink("batch.zip", dir.Path("latest.zip"));
    InFolder here(dir.Folder());
    ZipOutput(dir.Path("latest.zip"), file);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("latest.zip")));
    EXPECT_EQ(Describe(archive, file), "out.txt 8 0 0 0 True\n");
}

// Data deflated ahead on the second thread, with a head known only at the end, packs
// as the file holding head and data: the archive's entry extracts to that file and its
// CRC checks, for no data, a little, and more pieces than the thread has buffers, of
// text and of bytes that do not compress.
TEST(ZipOutput, AnEntryDeflatedAheadPacksAsTheFileItHolds)
{
    std::mt19937 random(7);
    std::string noise(20 << 20, '\0'); // an archive large enough to be synced while written
    for (char& c : noise)
        c = static_cast<char>(random());
    std::string text;
    while (text.size() < (5 << 20))
        text += "013CORP22516672 0000001234567.89 MCL Payroll " + std::to_string(text.size()) + "\r\n";
    struct Case
    {
        const char* name;
        std::string data;
        std::size_t piece;
    };
    const Case cases[] = {
        {"nothing", "", 1},
        {"a line", "a line\r\n", 3},
        {"text in many pieces", text, 70000},
        {"noise in large pieces", noise, (1 << 20) + 5},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const InFolder here(dir.Folder()); // the entry is named relative to it
        const std::string head = std::string(40, 'F') + "\r\n";
        const std::string file = dir.Write("out.txt", head + c.data);
        const std::string archive = dir.Path("batch.zip");
        {
            DeflatedEntry entry(dir.Folder());
            for (std::size_t at = 0; at < c.data.size(); at += c.piece)
                entry.Add(c.data.data() + at, std::min(c.piece, c.data.size() - at));
            entry.Finish(head);
            EXPECT_EQ(entry.Size(), head.size() + c.data.size()) << c.name;
            PreparedArchive prepared(archive, file, file, &entry);
            prepared.Commit();
        }
        EXPECT_EQ(Describe(archive, file), "out.txt 8 0 0 0 True\n") << c.name;
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Folder()))
            ++files;
        EXPECT_EQ(files, 2u) << c.name << ": the deflated data leaves nothing behind";
    }
}

TEST(ZipOutput, DeflatingAheadIntoAMissingFolderIsTheFileError)
{
    TempFolder dir;
    EXPECT_THROW(DeflatedEntry(dir.Path("missing")), AppError);
}
