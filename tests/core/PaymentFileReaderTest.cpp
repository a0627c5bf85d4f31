#include "TestFiles.h"
#include "format/PaymentFileReader.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tallivo;
using tallivo::test::TempFolder;

namespace {

std::vector<std::string> Lines(const std::string& path)
{
    PaymentFileReader reader(path);
    std::vector<std::string> lines;
    PaymentLine line;
    while (reader.Next(line))
        lines.emplace_back(line.text);
    return lines;
}

} // namespace

TEST(PaymentFileReader, LineEndRules)
{
    struct Case
    {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"abc", {"abc"}},
        {"abc\r\n", {"abc"}},
        {"abc\r", {"abc"}},
        {"abc\r\ndef", {"abc", "def"}},
        {"abc\r\n\r\n", {"abc", ""}},
        {"a\nb\nc\n", {"a\nb\nc\n"}},        // a lone LF is an ordinary character
        {"abc\rdef\r", {"abc", "def"}},       // CR alone ends a line
        {"abc\r\n\ndef\r\n", {"abc", "\ndef"}}, // only the LF right after CR is skipped
        {"abc\r\nde\x1a" "fgh\r\nxyz", {"abc", "de"}},
        {"\x1a" "abc", {}},
        {"abc\r\n\x1a", {"abc"}},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        const std::string path = dir.Write("f.txt", c.bytes);
        EXPECT_EQ(Lines(path), c.lines) << "input: " << c.bytes;
    }
}

TEST(PaymentFileReader, LinesAcrossBufferBoundaries)
{
    // CR LF pairs split by the buffer edge and lines longer than the buffer.
    TempFolder dir;
    std::string bytes;
    std::vector<std::string> expected;
    const std::size_t target = PaymentFileReader::kBufferSize * 2 + 17;
    for (std::size_t i = 0; bytes.size() < target; ++i) {
        std::string line(1 + (i * 7919) % 400, static_cast<char>('a' + i % 26));
        bytes += line + "\r\n";
        expected.push_back(line);
    }
    const std::string path = dir.Write("f.txt", bytes);
    EXPECT_EQ(Lines(path), expected);
}

TEST(PaymentFileReader, VeryLongLineIsCountedNotHeld)
{
    TempFolder dir;
    const std::size_t longLength = PaymentFileReader::kBufferSize * 3 + 5;
    std::string bytes = "003" + std::string(longLength - 3, 'x') + "\r\n001short";
    const std::string path = dir.Write("f.txt", bytes);
    PaymentFileReader reader(path);
    PaymentLine line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.length, longLength);
    EXPECT_TRUE(line.Truncated());
    EXPECT_EQ(line.text.substr(0, 3), "003");
    EXPECT_LE(line.text.size(), PaymentFileReader::kHeldBytes);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.text, "001short");
    EXPECT_EQ(reader.LineNumber(), 2u);
    EXPECT_FALSE(reader.Next(line));
}

TEST(PaymentFileReader, MissingFileAndFolderRaiseFileErrors)
{
    TempFolder dir;
    try {
        PaymentFileReader reader(dir.Path("missing.txt"));
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_THROW(PaymentFileReader reader(dir.Folder()), AppError);
}
