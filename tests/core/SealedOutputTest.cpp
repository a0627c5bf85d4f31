#include "TestFiles.h"
#include "common/AppError.h"
#include "sealing/SealedOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::Record;
using tallivo::test::TempFolder;

namespace {

// A credit record whose columns 336-355 hold "x" and the given byte in column 354.
std::string Credit(char column354)
{
    std::string r = Record("003", 355, 'x');
    r[353] = column354;
    return r;
}

// What a credit record becomes: columns 1-335, 18 blanks, the marker.
std::string Recut(const std::string& credit, const char* marker)
{
    return credit.substr(0, 335) + std::string(18, ' ') + marker;
}

// The digest sha1sum gives for the bytes, upper-cased.
std::string ReferenceDigest(const std::string& bytes)
{
    TempFolder dir;
    return test::Sha1sumOf(dir.Write("bytes", bytes));
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

TEST(WriteSealedOutput, RecutsCreditRecordsAndHashesTheRest)
{
    const std::string header = Record("001", 96, 'h');
    const std::string debit = Record("002", 109, 'd');
    const std::string trailer = Record("999", 31, 't');
    struct Case
    {
        const char* name;
        std::string in;
        bool flag;
        std::string body; // the output after line 1
    };
    const Case cases[] = {
        {"flag off: 20 blanks after column 335", Credit('B') + "\r\n", false, Recut(Credit('B'), "  ") + "\r\n"},
        {"flag on, B", Credit('B') + "\r\n", true, Recut(Credit('B'), "B ") + "\r\n"},
        {"flag on, b", Credit('b') + "\r\n", true, Recut(Credit('b'), "B ") + "\r\n"},
        {"flag on, other", Credit('C') + "\r\n", true, Recut(Credit('C'), "  ") + "\r\n"},
        {"other records unchanged", header + "\r\n" + debit + "\r\n" + Credit(' ') + "\r\n" + trailer + "\r\n", true,
         header + "\r\n" + debit + "\r\n" + Recut(Credit(' '), "  ") + "\r\n" + trailer + "\r\n"},
        {"last line gets a line end", header + "\r\n" + trailer, false, header + "\r\n" + trailer + "\r\n"},
        {"CR-only line ends become CR LF", header + "\r" + trailer + "\r", false, header + "\r\n" + trailer + "\r\n"},
        {"Ctrl-Z ends the file", header + "\r\n\x1a" + trailer, false, header + "\r\n"},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const std::string payment = dir.Write("pay.txt", c.in);
        const std::string hash = WriteSealedOutput(payment, dir.Path("out.txt"), c.flag);
        EXPECT_EQ(hash, ReferenceDigest(c.body)) << c.name;
        EXPECT_EQ(ReadAll(dir.Path("out.txt")), hash + "\r\n" + c.body) << c.name;
        EXPECT_EQ(ReadAll(payment), c.in) << c.name << ": the payment file stays as it was";
        const VerifyResult v = VerifySealedFile(dir.Path("out.txt"));
        EXPECT_TRUE(v.ok) << c.name << ": " << v.message;
        EXPECT_EQ(v.hash, hash);
    }
}

TEST(WriteSealedOutput, ReplaceModeAndExistingOutputLeaveNoTemporaryFile)
{
    TempFolder dir;
    const std::string body = Record(RecordCode::Header) + "\r\n" + Recut(Credit('b'), "B ") + "\r\n";
    const std::string payment = dir.Write("pay.txt", Record(RecordCode::Header) + "\r\n" + Credit('b') + "\r\n");
    const std::string hash = WriteSealedOutput(payment, payment, true);
    EXPECT_EQ(ReadAll(payment), hash + "\r\n" + body);
    EXPECT_EQ(FolderNames(dir.Folder()), std::vector<std::string>{"pay.txt"});

    const std::string other = dir.Write("other.txt", Record(RecordCode::Header) + "\r\n");
    const std::string existing = dir.Write("out.txt", std::string(100000, 'o'));
    WriteSealedOutput(other, existing, false);
    EXPECT_TRUE(VerifySealedFile(existing).ok);
    EXPECT_EQ(ReadAll(existing).size(), 42u + 98u);
    EXPECT_EQ(FolderNames(dir.Folder()), (std::vector<std::string>{"other.txt", "out.txt", "pay.txt"}));
}

TEST(WriteSealedOutput, UnwritableOutputRaisesTheFileErrorAndLosesNothing)
{
    TempFolder dir;
    const std::string original = Record(RecordCode::Header) + "\r\n" + Credit('b') + "\r\n";
    const std::string payment = dir.Write("pay.txt", original);
    dir.Write("folder/keep", "k");
    struct Case
    {
        std::string output;
        std::string error; // names the file or folder that failed, with the system's reason
    };
    const Case cases[] = {
        {dir.Path("folder"), "File access denied: " + dir.Path("folder") + " (Is a directory)"},
        {dir.Path("pay.txt/out.txt"), "File not found: " + dir.Path("pay.txt/out.txt") + " (Not a directory)"},
        {dir.Path("missing/out.txt"), "File not found: " + dir.Path("missing") + " (No such file or directory)"},
    };
    for (const Case& c : cases) {
        try {
            WriteSealedOutput(payment, c.output, true);
            ADD_FAILURE() << "no error for " << c.output;
        } catch (const AppError& e) {
            EXPECT_EQ(e.message(), c.error) << c.output;
        }
    }
    EXPECT_THROW(WriteSealedOutput(dir.Path("nope.txt"), dir.Path("out.txt"), false), AppError);
    EXPECT_EQ(ReadAll(payment), original);
    EXPECT_EQ(FolderNames(dir.Folder()), (std::vector<std::string>{"folder", "pay.txt"}));
    EXPECT_EQ(FolderNames(dir.Path("folder")), std::vector<std::string>{"keep"});
}

TEST(VerifySealedFile, RejectsChangedAndMalformedFiles)
{
    TempFolder dir;
    const std::string payment = dir.Write("pay.txt", Record(RecordCode::Header) + "\r\n" + Credit(' ') + "\r\n");
    const std::string hash = WriteSealedOutput(payment, dir.Path("sealed.txt"), false);
    const std::string sealed = ReadAll(dir.Path("sealed.txt"));

    std::string changed = sealed;
    changed[100] = 'Z';
    std::string lowerCase = sealed;
    for (std::size_t i = 0; i < 40; ++i)
        lowerCase[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowerCase[i])));
    const std::string bodyHash = VerifySealedFile(dir.Write("c", changed)).hash;

    struct Case
    {
        const char* name;
        std::string bytes;
        std::string message;
    };
    const Case cases[] = {
        {"changed byte", changed,
         "Hash value does not match: line 1 has " + hash + ", the content gives " + bodyHash},
        {"extra byte at the end", sealed + "x", ""},
        {"lower-case hash", lowerCase, ""},
        {"empty", "",
         "The file is too short to be sealed: it needs a 40-character hash value on line 1, ended by CR LF"},
        {"hash alone", hash,
         "The file is too short to be sealed: it needs a 40-character hash value on line 1, ended by CR LF"},
        {"LF alone after the hash", hash + "\n" + sealed.substr(42),
         "Line 1 is not a 40-character hash value followed by CR LF"},
        {"short line 1", hash.substr(0, 39) + "\r\n" + sealed.substr(42),
         "Line 1 has 39 characters; a hash value has 40"},
    };
    for (const Case& c : cases) {
        const VerifyResult v = VerifySealedFile(dir.Write("case", c.bytes));
        EXPECT_FALSE(v.ok) << c.name;
        if (!c.message.empty())
            EXPECT_EQ(v.message, c.message) << c.name;
        else
            EXPECT_EQ(v.message.rfind("Hash value does not match: line 1 has ", 0), 0u) << c.name << ": " << v.message;
    }
    EXPECT_TRUE(VerifySealedFile(dir.Write("again", sealed)).ok);
    EXPECT_THROW(VerifySealedFile(dir.Path("missing")), AppError);
}
