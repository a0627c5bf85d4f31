#include "cli/GridOutput.h"

#include <algorithm>
#include <cstdio>

namespace tallivo::cli {

namespace {

void Out(const std::string& s)
{
    std::fwrite(s.data(), 1, s.size(), stdout);
}

std::string JsonString(std::string_view s)
{
    std::string out = "\"";
    for (const char byte : s) {
        const auto c = static_cast<unsigned char>(byte);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                // Single-byte text: bytes above 0x7F are shown as their code points.
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

} // namespace

std::string GridLayoutName(GridLayout layout)
{
    switch (layout) {
    case GridLayout::RecordTypeErrors: return "record-type-errors";
    case GridLayout::RecordLengthErrors: return "record-length-errors";
    case GridLayout::Errors: return "errors";
    case GridLayout::Summary: return "summary";
    case GridLayout::None: break;
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

void PrintGrid(const AppState& app, OutputFormat format, const std::vector<std::string>& messages)
{
    const ResultGrid& grid = app.session.grid;
    const std::size_t cols = grid.ColCount();
    const std::size_t last = LastPrintedRow(grid);

    if (format == OutputFormat::Tsv) {
        // A TAB, CR or LF inside a cell (a field of the payment file as it stands) is
        // shown as a blank, so every grid row stays one line of the same columns.
        std::string line;
        for (std::size_t r = 1; r <= last; ++r) {
            line.clear();
            for (std::size_t c = 0; c < cols; ++c) {
                if (c)
                    line += '\t';
                for (char ch : grid.Cell(c, r))
                    line += (ch == '\t' || ch == '\r' || ch == '\n') ? ' ' : ch;
            }
            line += '\n';
            Out(line);
        }
        return;
    }

    if (format == OutputFormat::Json) {
        std::string out = "{\"layout\":" + JsonString(GridLayoutName(grid.Layout())) + ",\"headers\":[";
        for (std::size_t c = 0; c < cols; ++c)
            out += (c ? "," : "") + JsonString(grid.Cell(c, 0));
        out += "],\"rows\":[";
        for (std::size_t r = 1; r <= last; ++r) {
            out += r > 1 ? ",[" : "[";
            for (std::size_t c = 0; c < cols; ++c)
                out += (c ? "," : "") + JsonString(grid.Cell(c, r));
            out += "]";
            if (out.size() > (1 << 20)) {
                Out(out);
                out.clear();
            }
        }
        out += "],\"status\":" + JsonString(app.session.statusText);
        if (!app.hashValue.empty())
            out += ",\"hash\":" + JsonString(app.hashValue);
        out += ",\"messages\":[";
        for (std::size_t i = 0; i < messages.size(); ++i)
            out += (i ? "," : "") + JsonString(messages[i]);
        out += "]}\n";
        Out(out);
        return;
    }

    // Text: an aligned table for people (hidden columns left out), then the status
    // and the hash value.
    if (last >= 1) {
        std::vector<std::size_t> width(cols, 0);
        for (std::size_t r = 0; r <= last; ++r)
            for (std::size_t c = 0; c < cols; ++c)
                if (grid.ColWidth(c) > 0)
                    width[c] = std::max(width[c], grid.Cell(c, r).size());
        std::string line;
        for (std::size_t r = 0; r <= last; ++r) {
            line.clear();
            for (std::size_t c = 0; c < cols; ++c) {
                if (width[c] == 0)
                    continue;
                const std::string_view cell = grid.Cell(c, r);
                line.append(cell);
                if (c + 1 < cols)
                    line.append(width[c] - cell.size() + 2, ' ');
            }
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            line += '\n';
            Out(line);
        }
    }
    if (!app.session.statusText.empty())
        Out(app.session.statusText + "\n");
    if (!app.summaryCaption.empty())
        Out(app.summaryCaption + "\n");
    if (!app.hashValue.empty())
        Out("Hash value: " + app.hashValue + "\n");
}

} // namespace tallivo::cli
