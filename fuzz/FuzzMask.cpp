// The masked copy of any bytes as a payment file: the strict check finds exactly the
// same in it as in the original (each finding's record type, line, columns, field and
// message, the messages shown, the status), it has the original's size, masking it
// again from the same bytes gives the same copy, and the diff of the two adds as many
// records as it removes and calls them equal when their lines are.
#include "FuzzProgram.h"
#include "app/SealCommand.h"
#include "common/AppError.h"
#include "comparing/PaymentFileDiff.h"
#include "findings/ResultGrid.h"
#include "masking/MaskedCopy.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace {

using tallivo::fuzz::Broken;
using tallivo::fuzz::Expect;

// What the strict check of a file shows, but the account and payee name cells.
std::vector<std::string> Checked(const std::string& path)
{
    auto app = tallivo::fuzz::NewAppState();
    app->inputPath = path;
    tallivo::fuzz::ScriptedAnswers dialogs({});
    std::vector<std::string> seen;
    try {
        tallivo::CheckPaymentFile(*app, dialogs, tallivo::FileRules::Strict);
    } catch (const tallivo::AppError& e) {
        seen.push_back(std::string("error: ") + e.what());
    } catch (const std::exception& e) {
        Broken(std::string("the check ended with an unexpected exception: ") + e.what());
    }
    const tallivo::ResultGrid& grid = app->session.grid;
    const std::size_t cells = grid.Layout() == tallivo::GridLayout::Errors ? 6 : grid.ColCount();
    for (std::size_t r = 0; r < grid.RowCount(); ++r) {
        std::string row;
        for (std::size_t c = 0; c < cells; ++c)
            row.append(grid.Cell(c, r)).append("|");
        seen.push_back(row);
    }
    for (const auto& f : app->session.strictFindings)
        seen.push_back("strict: " + f.recordType + "|" + std::to_string(f.line) + "|" + f.message);
    for (const std::string& text : dialogs.shown)
        seen.push_back("shown: " + text);
    seen.push_back("status: " + app->session.statusText);
    return seen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const tallivo::FixedClock clock("20260101");
    std::string masked;
    try {
        masked = tallivo::MaskPaymentBytes(bytes, &clock);
    } catch (const std::exception& e) {
        Broken(std::string("masking failed: ") + e.what());
    }
    Expect(masked.size() == bytes.size(), "the masked copy's size differs from the original's");
    Expect(tallivo::MaskPaymentBytes(bytes, &clock) == masked, "masking the same bytes twice differs");

    const std::string folder = tallivo::fuzz::PrivateFolder();
    const std::string original = folder + "original.txt";
    const std::string copy = folder + "masked.txt";
    tallivo::fuzz::WriteBytes(original, bytes);
    tallivo::fuzz::WriteBytes(copy, masked);
    const std::vector<std::string> before = Checked(original);
    const std::vector<std::string> after = Checked(copy);
    if (before != after) {
        std::string detail;
        for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
            const std::string a = i < before.size() ? before[i] : "(none)";
            const std::string b = i < after.size() ? after[i] : "(none)";
            if (a != b) {
                detail = "\n original: " + a + "\n masked:   " + b;
                break;
            }
        }
        Broken("the masked copy is not checked the same" + detail);
    }

    std::int64_t removedLessAdded = 0;
    const tallivo::DiffOutcome diff = tallivo::DiffPaymentFiles(original, copy, [&](const tallivo::RecordChange& change) {
        if (change.kind == tallivo::RecordChange::Kind::Changed)
            Expect(!change.fields.empty(), "the diff names a changed record without a changed field");
        removedLessAdded += change.kind == tallivo::RecordChange::Kind::Removed ? 1
                            : change.kind == tallivo::RecordChange::Kind::Added ? -1
                                                                                : 0;
    });
    Expect(removedLessAdded == 0, "the diff of two files of as many lines removes more or fewer than it adds");
    if (masked.substr(0, masked.find('\x1a')) == bytes.substr(0, bytes.find('\x1a')))
        Expect(diff.Equal(), "the diff finds a change between files of the same lines");
    return 0;
}
