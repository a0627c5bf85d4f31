// The template's tags and its rows section: where a template's one {{#rows}} section is,
// and the cells of a rows section that is one table row of plain cells, each cell's text
// made for a row straight from the row's values.
#include "render/TemplateTags.h"

#include "common/TextEncoding.h"
#include "render/ReportData.h"

#include <QTextDocumentFragment>

#include <algorithm>
#include <cctype>

namespace tallivo::reporttags {

namespace {

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

} // namespace

// The mustache tags of a text, or nothing when it changes the delimiters or does not parse.
std::optional<std::vector<Tag>> TagsOf(const std::string& text)
{
    std::vector<Tag> tags;
    std::size_t pos = 0;
    while ((pos = text.find("{{", pos)) != std::string::npos) {
        const bool triple = text.compare(pos, 3, "{{{") == 0;
        const std::size_t open = triple ? 3 : 2;
        const std::size_t close = text.find(triple ? "}}}" : "}}", pos + open);
        if (close == std::string::npos)
            return std::nullopt;
        Tag tag;
        tag.begin = pos;
        tag.end = close + open;
        std::string inner = Trimmed(std::string_view(text).substr(pos + open, close - pos - open));
        if (triple) {
            tag.kind = '{';
        } else if (!inner.empty() && std::string_view("#^/!>=&").find(inner[0]) != std::string_view::npos) {
            tag.kind = inner[0];
            inner = Trimmed(std::string_view(inner).substr(1));
        }
        if (tag.kind == '=')
            return std::nullopt;
        tag.name = std::move(inner);
        tags.push_back(std::move(tag));
        pos = tags.back().end;
    }
    return tags;
}

// Splits a template around its one top-level {{#rows}} section.
std::optional<TemplateSplit> SplitAtRows(const std::string& text)
{
    const auto tags = TagsOf(text);
    if (!tags)
        return std::nullopt;
    std::vector<std::size_t> open; // the opening tags of the sections around a tag
    std::optional<std::size_t> rowsOpen;
    std::optional<std::size_t> rowsClose;
    for (std::size_t i = 0; i < tags->size(); ++i) {
        const Tag& tag = (*tags)[i];
        if (tag.kind == '#' || tag.kind == '^') {
            if (open.empty() && tag.kind == '#' && tag.name == "rows") {
                if (rowsOpen)
                    return std::nullopt; // a second rows section
                rowsOpen = i;
            }
            open.push_back(i);
        } else if (tag.kind == '/') {
            if (open.empty())
                return std::nullopt;
            if (open.size() == 1 && rowsOpen && open.back() == *rowsOpen && !rowsClose)
                rowsClose = i;
            open.pop_back();
        }
    }
    if (!rowsOpen || !rowsClose || !open.empty())
        return std::nullopt;
    const Tag& first = (*tags)[*rowsOpen];
    const Tag& last = (*tags)[*rowsClose];
    return TemplateSplit{text.substr(0, first.begin), text.substr(first.end, last.begin - first.end),
                         text.substr(last.end)};
}

namespace {

bool IEquals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// True when an HTML tag of the name ("tr", "/td") starts at pos.
bool TagAt(std::string_view html, std::size_t pos, std::string_view name)
{
    if (pos >= html.size() || html[pos] != '<' || pos + 1 + name.size() > html.size())
        return false;
    if (!IEquals(html.substr(pos + 1, name.size()), name))
        return false;
    const std::size_t next = pos + 1 + name.size();
    return next < html.size() && (html[next] == '>' || html[next] == ' ' || html[next] == '\t' ||
                                  html[next] == '\r' || html[next] == '\n' || html[next] == '/');
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n'))
        ++pos;
    return pos;
}

std::string Unescaped(std::string_view html)
{
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&apos;", "'"},
        {"&nbsp;", "\xC2\xA0"}};
    std::string text;
    for (std::size_t i = 0; i < html.size(); ++i) {
        bool replaced = false;
        if (html[i] == '&')
            for (const auto& [entity, character] : kEntities)
                if (html.substr(i, entity.size()) == entity) {
                    text += character;
                    i += entity.size() - 1;
                    replaced = true;
                    break;
                }
        if (!replaced)
            text += html[i];
    }
    return text;
}

} // namespace

// The cells of a rows section that is one table row of plain cells, or nothing.
std::optional<std::vector<CellSource>> RowCellSources(const std::string& section)
{
    const std::string_view row(section);
    std::size_t pos = SkipBlanks(row, 0);
    if (!TagAt(row, pos, "tr"))
        return std::nullopt;
    pos = row.find('>', pos);
    if (pos == std::string_view::npos)
        return std::nullopt;
    std::vector<CellSource> cells;
    for (pos = SkipBlanks(row, pos + 1); !TagAt(row, pos, "/tr"); pos = SkipBlanks(row, pos)) {
        const bool header = TagAt(row, pos, "th");
        if (!header && !TagAt(row, pos, "td"))
            return std::nullopt;
        const std::size_t openEnd = row.find('>', pos);
        if (openEnd == std::string_view::npos)
            return std::nullopt;
        CellSource cell;
        cell.attributes = std::string(row.substr(pos + 3, openEnd - pos - 3));
        std::string lower = cell.attributes;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower.find("span") != std::string::npos)
            return std::nullopt; // colspan, rowspan
        const std::size_t innerEnd = row.find('<', openEnd + 1);
        if (innerEnd == std::string_view::npos || !TagAt(row, innerEnd, header ? "/th" : "/td"))
            return std::nullopt; // markup inside the cell
        cell.inner = std::string(row.substr(openEnd + 1, innerEnd - openEnd - 1));
        const auto tags = TagsOf(cell.inner);
        if (!tags)
            return std::nullopt;
        for (const Tag& tag : *tags)
            if (tag.kind != 0 && tag.kind != '{' && tag.kind != '&' && tag.kind != '!')
                return std::nullopt; // a section or partial inside a cell
        cell.tags = *tags;
        const std::size_t closeEnd = row.find('>', innerEnd);
        if (closeEnd == std::string_view::npos)
            return std::nullopt;
        cells.push_back(std::move(cell));
        pos = closeEnd + 1;
    }
    if (cells.empty() || SkipBlanks(row, row.find('>', pos) + 1) != row.size())
        return std::nullopt;
    return cells;
}

namespace {

// What a name prints in a row, looked up as mustache does: the row's own values first,
// then the report's.
CellValue Resolve(const std::string& name, const ReportRows& rows, const mu::data& values)
{
    CellValue value;
    const auto own = [&](std::string_view key) -> std::optional<std::size_t> {
        for (std::size_t c = 0; c < rows.Columns().size(); ++c)
            if (rows.Columns()[c] == key || reportdata::WithoutBlanks(rows.Columns()[c]) == key)
                return c;
        return std::nullopt;
    };
    if (const mu::data* global = values.get(name); global && global->is_string())
        value.text = global->string_value();
    if (name == "rowNumber") {
        value.kind = ValueKind::RowNumber;
    } else if (const auto column = own(name)) {
        value.kind = ValueKind::Column;
        value.column = *column;
    } else {
        for (const auto& [suffix, kind] : {std::pair<std::string_view, ValueKind>{"_fmt", ValueKind::ColumnFmt},
                                           std::pair<std::string_view, ValueKind>{"_money", ValueKind::ColumnMoney}}) {
            if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            if (const auto base = own(std::string_view(name).substr(0, name.size() - suffix.size()))) {
                value.kind = kind;
                value.column = *base;
            }
        }
    }
    return value;
}

} // namespace

CellTemplate CellTemplateOf(const CellSource& source, const ReportRows& rows, const mu::data& values)
{
    CellTemplate cell;
    std::size_t pos = 0;
    for (const Tag& tag : source.tags) {
        Piece piece;
        piece.literal = Unescaped(std::string_view(source.inner).substr(pos, tag.begin - pos));
        if (tag.kind != '!') {
            piece.value = Resolve(tag.name, rows, values);
            piece.value->raw = tag.kind == '{' || tag.kind == '&';
        }
        cell.push_back(std::move(piece));
        pos = tag.end;
    }
    cell.push_back({Unescaped(std::string_view(source.inner).substr(pos)), std::nullopt});
    return cell;
}

// The text a cell shows in one row, white space collapsed as HTML does; a value printed
// unescaped shows the text of its markup.
QString CellText(const CellTemplate& cell, const ReportRows& rows, std::size_t row)
{
    std::string text;
    for (const Piece& piece : cell) {
        text += piece.literal;
        if (!piece.value)
            continue;
        const CellValue& v = *piece.value;
        std::string value;
        switch (v.kind) {
        case ValueKind::Text: value = v.text; break;
        case ValueKind::RowNumber: value = std::to_string(row + 1); break;
        case ValueKind::Column: value = Windows874ToUtf8(rows.Cell(row, v.column)); break;
        case ValueKind::ColumnFmt:
        case ValueKind::ColumnMoney: {
            const std::string_view cellText = rows.Cell(row, v.column);
            const auto number = cellText.find_first_not_of(' ') == std::string_view::npos
                                    ? std::nullopt
                                    : reportdata::ParseDecimal(cellText);
            if (!number)
                value = v.text;
            else
                value = reportdata::FormatScaled(*number, v.kind == ValueKind::ColumnMoney ||
                                                              cellText.find('.') != std::string_view::npos);
            break;
        }
        }
        if (v.raw && value.find_first_of("<&") != std::string::npos)
            value = QTextDocumentFragment::fromHtml(QString::fromStdString(value)).toPlainText().toStdString();
        text += value;
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).simplified();
}

} // namespace tallivo::reporttags
