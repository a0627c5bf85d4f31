#include "TestFiles.h"
#include "common/AppError.h"
#include "sealing/Normalise.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <unistd.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::Record;
using tallivo::test::TempFolder;

namespace {

// A credit record with the given byte in column 259.
std::string Credit(char notification)
{
    std::string r = Record(RecordCode::Credit);
    r[258] = notification;
    return r;
}

std::string Normalised(const std::string& bytes)
{
    TempFolder dir;
    const std::string path = dir.Write("pay.txt", bytes);
    NormaliseCreditRecords(path);
    return ReadAll(path);
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(NormaliseCreditRecords, OnlyBlankColumn259OfCreditRecordsChanges)
{
    const std::string debit = Record(RecordCode::Debit);
    std::string debitBlank259 = Record("002", 355);
    struct Case
    {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"blank becomes N", Credit(' ') + "\r\n", Credit('N') + "\r\n"},
        {"other value kept", Credit('F') + "\r\n", Credit('F') + "\r\n"},
        {"debit untouched", debitBlank259 + "\r\n", debitBlank259 + "\r\n"},
        {"CR-only line ends kept", debit + "\r" + Credit(' ') + "\r" + Credit(' ') + "\r",
         debit + "\r" + Credit('N') + "\r" + Credit('N') + "\r"},
        {"no line end after the last record", debit + "\r\n" + Credit(' '), debit + "\r\n" + Credit('N')},
        {"mixed line ends", Credit(' ') + "\r" + Credit(' ') + "\r\n" + Credit(' '),
         Credit('N') + "\r" + Credit('N') + "\r\n" + Credit('N')},
        // A lone line feed is a byte of the line: column 259 is counted across it.
        {"lone LF inside a line", "003\n" + std::string(254, ' ') + " x\r\n",
         "003\n" + std::string(254, ' ') + "Nx\r\n"},
        // Lines joined by lone line feeds are one line: only its column 259 counts.
        {"LF-only file is one line", Credit(' ') + "\n" + Credit(' ') + "\n", Credit('N') + "\n" + Credit(' ') + "\n"},
        {"Ctrl-Z and what follows removed", Credit(' ') + "\r\n\x1a" + Credit(' '), Credit('N') + "\r\n"},
        {"Ctrl-Z alone changes the file", debit + "\r\n\x1a", debit + "\r\n"},
        {"short credit line", "003 \r\n", "003 \r\n"},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Normalised(c.in), c.out) << c.name;
        EXPECT_EQ(Normalised(c.out), c.out) << c.name << " (twice gives the same as once)";
    }
}

TEST(NormaliseCreditRecords, LargeFileWithLinesAcrossBlockBorders)
{
    // About 8 MB of records with CR LF, CR and lone-LF line ends at every offset,
    // so line ends and column 259 fall on the borders of the blocks read.
    std::mt19937 gen(3);
    std::string in;
    std::string expected;
    while (in.size() < 8'000'000) {
        std::string r = gen() % 3 == 0 ? Record("002", 109 + gen() % 400) : Credit(gen() % 2 ? ' ' : 'Y');
        std::string e = r;
        if (r.compare(0, 3, "003") == 0 && r[258] == ' ')
            e[258] = 'N';
        const char* ends[] = {"\r\n", "\r", "\r\n"};
        const std::string end = ends[gen() % 3];
        in += r + end;
        expected += e + end;
    }
    EXPECT_TRUE(Normalised(in) == expected);
}

TEST(NormaliseCreditRecords, LeavesNoTemporaryFile)
{
    TempFolder dir;
    const std::string path = dir.Write("pay.txt", Credit(' ') + "\r\n");
    NormaliseCreditRecords(path);
    EXPECT_EQ(FolderNames(dir.Folder()), std::vector<std::string>{"pay.txt"});
}

TEST(NormaliseCreditRecords, UnreplaceableFileRaisesTheFileErrorAndStaysUntouched)
{
    TempFolder dir;
    const std::string original = Credit(' ') + "\r\n";
    EXPECT_THROW(NormaliseCreditRecords(dir.Path("missing.txt")), AppError);

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string readOnly = dir.Write("ro.txt", original);
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    try {
        NormaliseCreditRecords(readOnly);
        ADD_FAILURE() << "no error for a read-only file";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), "File access denied: " + readOnly + " (Permission denied)");
    }
    EXPECT_EQ(ReadAll(readOnly), original);

    const std::string inLocked = dir.Write("locked/pay.txt", original);
    std::filesystem::permissions(dir.Path("locked"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(NormaliseCreditRecords(inLocked), AppError);
    EXPECT_EQ(ReadAll(inLocked), original);
    EXPECT_EQ(FolderNames(dir.Path("locked")), std::vector<std::string>{"pay.txt"});
}

TEST(RemoveNormaliseLeftovers, RemovesOnlyThisFilesTemporaryFiles)
{
    TempFolder dir;
    const std::string path = dir.Write("pay.txt", "x");
    dir.Write("pay.txt.tallivo-tmpA1b2C3", "left");
    dir.Write("pay.txt.tallivo-tmpZZZZZZ", "left");
    dir.Write("pay.txt.tallivo-tmpA1b2C", "user's");
    dir.Write("pay.txt.tallivo-tmpA1b2C3x", "user's");
    dir.Write("pay.txt.tmpbackup", "user's");
    dir.Write("other.txt.tallivo-tmpA1b2C3", "another file's");
    RemoveNormaliseLeftovers(path);
    EXPECT_EQ(FolderNames(dir.Folder()),
              (std::vector<std::string>{"other.txt.tallivo-tmpA1b2C3", "pay.txt", "pay.txt.tallivo-tmpA1b2C",
                                        "pay.txt.tallivo-tmpA1b2C3x", "pay.txt.tmpbackup"}));

    RemoveNormaliseLeftovers("");
    RemoveNormaliseLeftovers(dir.Path("no-such-folder/pay.txt"));
    RemoveNormaliseLeftovers(path + "/under-a-file");
}
