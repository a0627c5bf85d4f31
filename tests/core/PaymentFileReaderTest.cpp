#include "TestFiles.h"
#include "format/PaymentFileReader.h"
#include "common/InputFile.h"
#include "common/WorkAhead.h"
#include "format/SharedRead.h"
#include "sealing/Normalise.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
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

// The file ends at its first Ctrl-Z wherever it stands: lines ahead of the line being
// read, across the buffer's edge, right at it, or after a line longer than the buffer.
TEST(PaymentFileReader, CtrlZEndsTheFileWhereverItStands)
{
    // The lines as the rules give them: cut at the first Ctrl-Z, split at each CR, an LF
    // right after a CR belongs to the line end.
    auto expectedLines = [](std::string bytes) {
        bytes = bytes.substr(0, bytes.find('\x1a'));
        std::vector<std::string> lines;
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            const std::size_t cr = std::min(bytes.find('\r', pos), bytes.size());
            lines.push_back(bytes.substr(pos, cr - pos));
            pos = cr + 1;
            if (pos < bytes.size() && bytes[pos] == '\n')
                ++pos;
        }
        return lines;
    };
    std::string lines; // short lines up to about twice the buffer
    for (std::size_t i = 0; lines.size() < PaymentFileReader::kBufferSize * 2; ++i)
        lines += std::string(1 + (i * 7919) % 300, static_cast<char>('a' + i % 26)) + "\r\n";
    const std::size_t edge = PaymentFileReader::kBufferSize;
    TempFolder dir;
    for (const std::size_t at : {std::size_t{7}, edge - 300, edge - 1, edge, edge + 1, edge + 2, 2 * edge - 5}) {
        std::string bytes = lines;
        bytes[at] = '\x1a';
        EXPECT_EQ(Lines(dir.Write("f.txt", bytes)), expectedLines(bytes)) << "Ctrl-Z at " << at;
    }
    // After a line longer than the buffer, and two lines ahead of the one read.
    const std::string longLine(PaymentFileReader::kBufferSize + 10, 'x');
    const std::vector<std::string> afterLong = Lines(dir.Write("g.txt", longLine + "\r\nab\r\ncd\r\ne\x1a" "f\r\ngh"));
    ASSERT_EQ(afterLong.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(afterLong.begin() + 1, afterLong.end()),
              (std::vector<std::string>{"ab", "cd", "e"}));
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
        EXPECT_EQ(e.message(), "File not found: " + dir.Path("missing.txt") + " (No such file or directory)");
    }
    EXPECT_THROW(PaymentFileReader reader(dir.Folder()), AppError);
}

namespace {

// Bytes with every line-end rule, lines longer than the reader's buffer, credit records
// with and without a blank Beneficiary Notification, spread over the given number of
// buffers.
std::string MixedLines(std::size_t buffers = 3)
{
    std::string bytes;
    for (int i = 0; bytes.size() < buffers * PaymentFileReader::kBufferSize; ++i) {
        std::string credit = "003" + std::string(352, static_cast<char>('0' + i % 10));
        credit[258] = i % 3 == 0 ? 'F' : ' ';
        bytes += credit + (i % 5 == 0 ? "\r" : "\r\n") + "a\nb\r\n\r\n";
        if (i % 20000 == 100)
            bytes += "003" + std::string(PaymentFileReader::kBufferSize + 300, ' ') + "\r\n";
    }
    return bytes + "999 last line without its end";
}

std::vector<std::string> LinesOf(LineSource& source, std::vector<std::uint64_t>* numbers = nullptr)
{
    std::vector<std::string> lines;
    PaymentLine line;
    while (source.Next(line)) {
        lines.emplace_back(line.text);
        if (numbers)
            numbers->push_back(source.LineNumber());
    }
    return lines;
}

} // namespace

// Reading in the normalised form gives exactly the lines of the file that normalisation writes.
TEST(PaymentFileReader, NormalisedFormReadsWhatNormalisationWrites)
{
    TempFolder dir;
    const std::string original = dir.Write("original.txt", MixedLines());
    PaymentFileReader asNormalised(original, LineForm::Normalised);
    const std::vector<std::string> read = LinesOf(asNormalised);

    const std::string written = dir.Write("written.txt", MixedLines());
    NormaliseCreditRecords(written);
    ASSERT_NE(test::ReadAll(written), MixedLines());
    PaymentFileReader fromFile(written);
    EXPECT_EQ(read, LinesOf(fromFile));
}

namespace {

// A shared read of the file: every taker gets every line.
std::unique_ptr<SharedRead> ReadOf(const std::string& path, LineForm form, SharedRead::Watcher watcher,
                                   std::size_t takers)
{
    return ReadShared(std::make_unique<InputFile>(path), form, std::move(watcher), takers);
}

std::vector<std::string> TakeAll(SharedRead::Taker& taker, std::size_t stopAfter = SIZE_MAX,
                                 std::vector<std::uint64_t>* numbers = nullptr)
{
    std::vector<std::string> taken;
    PaymentLine line;
    while (taken.size() < stopAfter && taker.Next(line)) {
        taken.emplace_back(line.text);
        if (numbers)
            numbers->push_back(taker.LineNumber());
    }
    return taken;
}

} // namespace

TEST(SharedRead, EveryTakerGetsEveryLineInOrderWhileTheWatcherSeesThemAll)
{
    TempFolder dir;
    // More buffers than the read keeps ahead of its takers, so that buffers are reused.
    const std::string path = dir.Write("f.txt", MixedLines(14));
    PaymentFileReader direct(path, LineForm::Normalised);
    std::vector<std::uint64_t> directNumbers;
    const std::vector<std::string> expected = LinesOf(direct, &directNumbers);

    // The second taker on a thread of its own stops after 7 lines, or takes them all.
    for (const std::size_t stopAfter : {expected.size(), std::size_t{7}}) {
        std::vector<std::string> watched;
        std::vector<std::uint64_t> watchedNumbers;
        auto read = ReadOf(path, LineForm::Normalised, [&](const PaymentLine& line, std::uint64_t number) {
            watched.emplace_back(line.text);
            watchedNumbers.push_back(number);
            return true;
        }, 2);
        std::vector<std::string> second;
        std::thread other([&] {
            // A slow start: the read runs as far ahead as it may.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            second = TakeAll(read->TakerAt(1), stopAfter);
            read->TakerAt(1).StopTaking();
        });
        std::vector<std::uint64_t> takenNumbers;
        const std::vector<std::string> taken = TakeAll(read->TakerAt(0), SIZE_MAX, &takenNumbers);
        other.join();
        read->Finish();
        EXPECT_EQ(watched, expected);
        EXPECT_EQ(watchedNumbers, directNumbers);
        EXPECT_EQ(taken, expected);
        EXPECT_EQ(takenNumbers, directNumbers);
        EXPECT_EQ(second, std::vector<std::string>(expected.begin(), expected.begin() + static_cast<long>(stopAfter)));
    }

    // A watcher that no longer wants lines ends the takers' lines, and still sees the rest.
    std::size_t seen = 0;
    auto refusing = ReadOf(path, LineForm::AsInFile, [&](const PaymentLine&, std::uint64_t) { return ++seen < 3; }, 1);
    const std::vector<std::string> taken = TakeAll(refusing->TakerAt(0));
    refusing->Finish();
    EXPECT_EQ(seen, expected.size());
    EXPECT_LE(taken.size(), 2u);

    // A taker whose work is dropped stops waiting; a read dropped unread stops its thread.
    auto waiting = ReadOf(path, LineForm::AsInFile, [](const PaymentLine&, std::uint64_t) { return true; }, 2);
    {
        WorkAhead<std::size_t> dropped([&](const StopToken& stop) {
            waiting->TakerAt(1).WatchStop(stop);
            return TakeAll(waiting->TakerAt(1)).size();
        });
    }
    PaymentFileReader asInFile(path);
    EXPECT_EQ(TakeAll(waiting->TakerAt(0)), LinesOf(asInFile));
    auto unread = ReadOf(path, LineForm::AsInFile, [](const PaymentLine&, std::uint64_t) { return true; }, 2);
}
