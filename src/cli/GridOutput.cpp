#include "cli/GridOutput.h"

#include "checking/StrictChecks.h"
#include "cli/TextForms.h"

#include <algorithm>

namespace tallivo::cli {

namespace {

// Collects output and hands it to the sink whenever a megabyte has gathered.
class Out
{
public:
    explicit Out(const std::function<void(std::string_view)>& sink) : m_sink(sink) {}
    Out(const Out&) = delete;
    Out& operator=(const Out&) = delete;

    Out& operator+=(std::string_view text)
    {
        m_text.append(text);
        return *this;
    }
    Out& operator+=(char c)
    {
        m_text += c;
        return *this;
    }
    // Called at the end of a row: passes the gathered text on once it is large.
    void RowDone()
    {
        if (m_text.size() >= (1u << 20))
            Spill();
    }
    void Spill()
    {
        if (!m_text.empty())
            m_sink(m_text);
        m_text.clear();
    }

private:
    const std::function<void(std::string_view)>& m_sink;
    std::string m_text;
};

const char* const kRecordTypeMessage = "Record type invalid code";
const char* const kRecordLengthMessage = "Length in record invalid";

bool IsFindingsLayout(GridLayout layout)
{
    return layout == GridLayout::RecordTypeErrors || layout == GridLayout::RecordLengthErrors ||
           layout == GridLayout::Errors;
}

// Strict findings that are not rows of the grid (the record type or length check stopped the file).
const std::vector<StrictFinding>& StrictFindingsBesideGrid(const CheckSession& s)
{
    static const std::vector<StrictFinding> kNone;
    return StrictFindingsInGrid(s) ? kNone : s.strictFindings;
}

std::string CellText(std::string_view cell)
{
    return Visible(FileTextUtf8(cell));
}

std::string JsonCell(std::string_view cell)
{
    return JsonString(FileTextUtf8(cell));
}

// A grid cell holding a line number: the number, or null.
std::string JsonLine(std::string_view cell)
{
    if (cell.empty() || cell.find_first_not_of("0123456789") != std::string_view::npos)
        return "null";
    return JsonNumber(cell);
}

// A grid cell holding columns "a-b" or "a": [a, b], or null.
std::string JsonColumns(std::string_view cell)
{
    const auto dash = cell.find('-');
    const std::string_view from = cell.substr(0, dash);
    const std::string_view to = dash == std::string_view::npos ? from : cell.substr(dash + 1);
    const std::string a = JsonLine(from);
    const std::string b = JsonLine(to);
    if (a == "null" || b == "null")
        return "null";
    return "[" + a + "," + b + "]";
}

std::string JsonFinding(std::string_view recordType, const std::string& line, const std::string& columns,
                        std::string_view field, std::string_view message, std::string_view account,
                        std::string_view payee)
{
    return "{\"recordType\":" + JsonCell(recordType) + ",\"line\":" + line + ",\"columns\":" + columns +
           ",\"field\":" + JsonCell(field) + ",\"message\":" + JsonCell(message) + ",\"account\":" + JsonCell(account) +
           ",\"payee\":" + JsonCell(payee) + "}";
}

void JsonFindings(Out& out, const AppState& app, std::size_t last)
{
    const ResultGrid& grid = app.session.grid;
    out += '[';
    bool first = true;
    auto add = [&](const std::string& finding) {
        out += first ? "" : ",";
        out += finding;
        first = false;
        out.RowDone();
    };
    for (std::size_t r = 1; r <= last; ++r) {
        const auto cell = [&](std::size_t c) { return grid.Cell(c, r); };
        switch (grid.Layout()) {
        case GridLayout::RecordTypeErrors:
            add(JsonFinding("", JsonLine(cell(RecordTypeColumn::Line)), "null", "", kRecordTypeMessage, "", ""));
            break;
        case GridLayout::RecordLengthErrors:
            add(JsonFinding(cell(RecordLengthColumn::RecordType), JsonLine(cell(RecordLengthColumn::Line)), "null", "",
                            kRecordLengthMessage, "", ""));
            break;
        case GridLayout::Errors:
            add(JsonFinding(cell(ErrorColumn::RecordType), JsonLine(cell(ErrorColumn::Line)),
                            JsonColumns(cell(ErrorColumn::Columns)), cell(ErrorColumn::FieldName),
                            cell(ErrorColumn::Message), cell(ErrorColumn::Account), cell(ErrorColumn::PayeeName)));
            break;
        case GridLayout::Summary:
        case GridLayout::None:
            break;
        }
    }
    for (const StrictFinding& f : StrictFindingsBesideGrid(app.session))
        add(JsonFinding(f.recordType, f.line == 0 ? "null" : std::to_string(f.line), "null", "", f.message, "", ""));
    out += ']';
}

// The payment summary with numbers as numbers: its lines and the Total line.
std::string JsonSummary(const ResultGrid& grid, std::size_t last)
{
    std::string lines = "[";
    std::string total = "null";
    for (std::size_t r = 1; r <= last; ++r) {
        if (grid.Cell(SummaryColumn::Product, r).empty() && grid.Cell(SummaryColumn::ValueDate, r) == "Total") {
            std::string amount(grid.Cell(SummaryColumn::Amount, r));
            amount.erase(std::remove(amount.begin(), amount.end(), ','), amount.end());
            total = "{\"credits\":" + JsonNumber(grid.Cell(SummaryColumn::Credits, r)) +
                    ",\"amount\":" + JsonNumber(amount) + "}";
            continue;
        }
        if (lines.size() > 1)
            lines += ',';
        lines += "{\"product\":" + JsonCell(grid.Cell(SummaryColumn::Product, r)) +
                 ",\"valueDate\":" + JsonCell(grid.Cell(SummaryColumn::ValueDate, r)) +
                 ",\"credits\":" + JsonNumber(grid.Cell(SummaryColumn::Credits, r)) +
                 ",\"amount\":" + JsonNumber(grid.Cell(SummaryColumn::PlainAmount, r)) + "}";
    }
    return "{\"lines\":" + lines + "],\"total\":" + total + "}";
}

void WriteJson(Out& out, const AppState& app, const std::vector<std::string>& messages, const RunReport& run)
{
    const ResultGrid& grid = app.session.grid;
    const std::size_t cols = grid.ColCount();
    const std::size_t last = LastPrintedRow(grid);
    out += "{\"schema\":1,\"command\":" + JsonString(run.command) +
           ",\"file\":" + JsonString(MessageUtf8(run.fileName)) + ",\"exitStatus\":" + std::to_string(run.exitStatus) +
           ",\"layout\":" + JsonString(GridLayoutName(grid.Layout())) + ",\"headers\":[";
    for (std::size_t c = 0; c < cols; ++c)
        out += (c ? "," : "") + JsonCell(grid.Cell(c, 0));
    out += "],\"rows\":[";
    for (std::size_t r = 1; r <= last; ++r) {
        out += r > 1 ? ",[" : "[";
        for (std::size_t c = 0; c < cols; ++c)
            out += (c ? "," : "") + JsonCell(grid.Cell(c, r));
        out += "]";
        out.RowDone();
    }
    out += "],\"status\":" + JsonCell(app.session.statusText);
    out += ",\"findings\":";
    JsonFindings(out, app, last);
    if (grid.Layout() == GridLayout::Summary)
        out += ",\"summary\":" + JsonSummary(grid, last);
    if (!app.hashValue.empty())
        out += ",\"hash\":" + JsonString(app.hashValue);
    if (app.session.passLine != 0)
        out += ",\"stoppedAtLine\":" + std::to_string(app.session.passLine);
    out += ",\"messages\":[";
    for (std::size_t i = 0; i < messages.size(); ++i)
        out += (i ? "," : "") + JsonString(MessageUtf8(messages[i]));
    out += "]}\n";
}

void WriteTsv(Out& out, const AppState& app, const RunReport& run)
{
    const ResultGrid& grid = app.session.grid;
    if (run.quiet && !IsFindingsLayout(grid.Layout()))
        return;
    const std::size_t cols = grid.ColCount();
    const std::size_t last = LastPrintedRow(grid);
    std::string cell;
    for (std::size_t r = 1; r <= last; ++r) {
        for (std::size_t c = 0; c < cols; ++c) {
            if (c)
                out += '\t';
            // A TAB, CR or LF inside a cell (a field of the payment file as it stands)
            // is shown as a blank, so every grid row stays one line of the same columns.
            cell = grid.Cell(c, r);
            std::replace_if(
                cell.begin(), cell.end(), [](char ch) { return ch == '\t' || ch == '\r' || ch == '\n'; }, ' ');
            out += run.terminal ? CellText(cell) : cell;
        }
        out += '\n';
        out.RowDone();
    }
}

// An aligned table for people, row by row: each cell padded to the widest of its
// column (the widths measured over all rows first).
template <typename RowAt>
void WriteAlignedTable(Out& out, std::size_t rows, const RowAt& rowAt)
{
    std::vector<std::size_t> width;
    for (std::size_t r = 0; r < rows; ++r) {
        const std::vector<std::string> row = rowAt(r);
        width.resize(std::max(width.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], DisplayWidth(row[c]));
    }
    std::string line;
    for (std::size_t r = 0; r < rows; ++r) {
        const std::vector<std::string> row = rowAt(r);
        line.clear();
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line.append(width[c] - DisplayWidth(row[c]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line;
        out += '\n';
        out.RowDone();
    }
}

void WriteText(Out& out, const AppState& app, const RunReport& run)
{
    const ResultGrid& grid = app.session.grid;
    const bool showGrid = !run.quiet || IsFindingsLayout(grid.Layout());
    if (run.nameFile)
        out += "File: " + Visible(MessageUtf8(run.fileName)) + "\n";

    // The grid's visible columns.
    const std::size_t last = LastPrintedRow(grid);
    if (showGrid && last >= 1)
        WriteAlignedTable(out, last + 1, [&](std::size_t r) {
            std::vector<std::string> row;
            for (std::size_t c = 0; c < grid.ColCount(); ++c)
                if (grid.ColWidth(c) > 0)
                    row.push_back(CellText(grid.Cell(c, r)));
            return row;
        });
    // Strict findings that are no rows of the grid.
    const std::vector<StrictFinding>& beside = StrictFindingsBesideGrid(app.session);
    if (!beside.empty())
        WriteAlignedTable(out, beside.size() + 1, [&](std::size_t r) -> std::vector<std::string> {
            if (r == 0)
                return {"Strict", "Record Type", "Line", "Message"};
            const StrictFinding& f = beside[r - 1];
            return {std::to_string(r), CellText(f.recordType), f.line == 0 ? "" : std::to_string(f.line),
                    CellText(f.message)};
        });

    // On a terminal a clean file's check says so; pipes and files stay silent.
    if (run.terminal && !run.quiet && run.command == "check" && run.exitStatus == 0 && last < 1 && beside.empty())
        out += "No findings\n";
    if (showGrid && !app.session.statusText.empty())
        out += CellText(app.session.statusText) + "\n";
    if (!run.quiet && !app.summaryCaption.empty())
        out += CellText(app.summaryCaption) + "\n";
    if (!run.quiet && !app.hashValue.empty())
        out += "Hash value: " + app.hashValue + "\n";
    if (app.session.passLine != 0)
        out += "The check stopped at line " + std::to_string(app.session.passLine) + " with an error.\n";
}

} // namespace

std::string GridLayoutName(GridLayout layout)
{
    switch (layout) {
    case GridLayout::RecordTypeErrors:
        return "record-type-errors";
    case GridLayout::RecordLengthErrors:
        return "record-length-errors";
    case GridLayout::Errors:
        return "errors";
    case GridLayout::Summary:
        return "summary";
    case GridLayout::None:
        break;
    }
    return "none";
}

std::size_t LastPrintedRow(const ResultGrid& grid)
{
    std::size_t last = grid.RowCount() == 0 ? 0 : grid.RowCount() - 1;
    if (last >= 1) {
        bool empty = true;
        for (std::size_t c = 0; c < grid.ColCount(); ++c)
            empty = empty && grid.Cell(c, last).empty();
        if (empty)
            --last;
    }
    return last;
}

void WriteResult(const AppState& app, OutputFormat format, const std::vector<std::string>& messages,
                 const RunReport& run, const std::function<void(std::string_view)>& sink)
{
    Out out(sink);
    switch (format) {
    case OutputFormat::Tsv:
        WriteTsv(out, app, run);
        break;
    case OutputFormat::Json:
        WriteJson(out, app, messages, run);
        break;
    case OutputFormat::Text:
        WriteText(out, app, run);
        break;
    }
    out.Spill();
}

std::string FormatResult(const AppState& app, OutputFormat format, const std::vector<std::string>& messages,
                         const RunReport& run)
{
    std::string text;
    WriteResult(app, format, messages, run, [&](std::string_view piece) { text.append(piece); });
    return text;
}

} // namespace tallivo::cli
