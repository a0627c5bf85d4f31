// The check command on any bytes as a payment file. It ends completed or refused, or
// with a conversion error (the legacy conversions stop the pass on text they cannot
// read); the payment file is never written; every finding names a line of the file; the
// JSON output parses as strict UTF-8 JSON, and the TSV output has one line per grid row
// with the layout's number of cells.
// One kept legacy rule: a total compared with its detail names the line of the record
// that last gave the total a readable value, which is line 0 when no record of the pass
// did (a debit record whose amount is not a number, say).
#include "FuzzProgram.h"
#include "app/SealCommand.h"
#include "cli/GridOutput.h"
#include "common/AppError.h"
#include "findings/ResultGrid.h"

#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

namespace {

using tallivo::fuzz::Broken;
using tallivo::fuzz::Expect;

// The grid column that holds the line number, in each layout that names lines.
int LineColumn(tallivo::GridLayout layout)
{
    switch (layout) {
    case tallivo::GridLayout::RecordTypeErrors:
        return 1;
    case tallivo::GridLayout::RecordLengthErrors:
    case tallivo::GridLayout::Errors:
        return 2;
    default:
        return -1;
    }
}

// The findings that compare a declared total with the records under it.
bool ComparesTotals(std::string_view message)
{
    return message == "Debit amount does not match with credit detail" ||
           message == "Total WHT Amount does not match with WHT detail" ||
           message == "No. of Invoice does not match with Total Invoice" ||
           message == "No. of Withoding Tax does not match with Total Withoding Tax";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = tallivo::fuzz::PrivateFolder() + "payment.txt";
    tallivo::fuzz::WriteBytes(path, bytes);
    struct stat before {};
    ::stat(path.c_str(), &before);

    auto app = tallivo::fuzz::NewAppState();
    app->inputPath = path;
    tallivo::fuzz::ScriptedAnswers dialogs({});
    try {
        tallivo::CheckPaymentFile(*app, dialogs);
    } catch (const tallivo::AppError& e) {
        if (e.kind() != tallivo::AppError::Kind::Conversion)
            Broken(std::string("the check ended with an error that is no conversion error: ") + e.what());
    } catch (const std::exception& e) {
        Broken(std::string("the check ended with an unexpected exception: ") + e.what());
    }

    struct stat after {};
    ::stat(path.c_str(), &after);
    Expect(after.st_mtim.tv_sec == before.st_mtim.tv_sec && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec &&
               tallivo::fuzz::ReadBytes(path) == bytes,
           "the check wrote the payment file");

    namespace cli = tallivo::cli;
    const std::string json = cli::FormatResult(*app, cli::OutputFormat::Json, dialogs.shown);
    try {
        [[maybe_unused]] const auto parsed = nlohmann::json::parse(json); // strict: no comments, UTF-8 only
    } catch (const nlohmann::json::exception& e) {
        Broken(std::string("the JSON output does not parse: ") + e.what());
    }

    const tallivo::ResultGrid& grid = app->session.grid;
    const std::string tsv = cli::FormatResult(*app, cli::OutputFormat::Tsv, dialogs.shown);
    const std::size_t rows = cli::LastPrintedRow(grid);
    Expect(static_cast<std::size_t>(std::count(tsv.begin(), tsv.end(), '\n')) == rows && (tsv.empty() || tsv.back() == '\n'),
           "the TSV output does not have one line per grid row");
    for (std::size_t start = 0; start < tsv.size();) {
        const std::size_t end = tsv.find('\n', start);
        const std::string_view line(tsv.data() + start, end - start);
        Expect(static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1 == grid.ColCount(),
               "a TSV line does not have the layout's number of cells");
        start = end + 1;
    }

    const int column = LineColumn(grid.Layout());
    if (column >= 0) {
        const std::size_t lines = tallivo::fuzz::LineCount(path);
        for (std::size_t r = 1; r < grid.RowCount(); ++r) {
            const std::string_view cell = grid.Cell(static_cast<std::size_t>(column), r);
            if (cell.empty())
                continue; // the empty row the grid keeps after its last finding
            std::size_t line = 0;
            const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), line);
            const bool legacyLineZero = line == 0 && grid.Layout() == tallivo::GridLayout::Errors &&
                                        ComparesTotals(grid.Cell(5, r));
            Expect(ec == std::errc() && end == cell.data() + cell.size() && line <= lines &&
                       (line >= 1 || legacyLineZero),
                   "finding " + std::to_string(r) + " names line '" + std::string(cell) + "' of a file of " +
                       std::to_string(lines) + " lines");
        }
    }
    return 0;
}
