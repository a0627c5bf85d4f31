#pragma once
// The tags of a report template (render/ReportRenderer.h lists what they print) as the
// paged report reads them: where the template's one {{#rows}} section is, and the cells
// of a rows section that is one table row of plain cells ({{#rows}}<tr><td ...>{{rowNumber}}
// </td>...</tr>{{/rows}}), whose text for a row is made straight from the row's values,
// as mustache would print it, without rendering the row's HTML. Internal to the renderer.
#include "reports/ReportDocument.h"

#include <kainjow/mustache.hpp>

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tallivo::reporttags {

namespace mu = kainjow::mustache;

struct Tag
{
    std::size_t begin = 0;
    std::size_t end = 0;
    char kind = 0; // 0 a value; '{' or '&' an unescaped value; '#', '^', '/', '!', '>'
    std::string name;
};

// The mustache tags of a text, or nothing when it changes the delimiters or does not parse.
std::optional<std::vector<Tag>> TagsOf(const std::string& text);

struct TemplateSplit
{
    std::string before;
    std::string rows; // the inside of the one {{#rows}} section
    std::string after;
};

// Splits a template around its one top-level {{#rows}} section.
std::optional<TemplateSplit> SplitAtRows(const std::string& text);

// Where a value a cell prints comes from.
enum class ValueKind { Text, RowNumber, Column, ColumnFmt, ColumnMoney };

struct CellValue
{
    ValueKind kind = ValueKind::Text;
    std::size_t column = 0;
    std::string text; // the report's own value (Text), or what a non-numeric _fmt falls back to
    bool raw = false; // printed unescaped: a '<' or '&' in it would be markup
};

// A cell's content: literal text and values, one after the other.
struct Piece
{
    std::string literal;
    std::optional<CellValue> value;
};
using CellTemplate = std::vector<Piece>;

struct CellSource
{
    std::string attributes;
    std::vector<Tag> tags;
    std::string inner;
};

// The cells of a rows section that is one table row of plain cells, or nothing.
std::optional<std::vector<CellSource>> RowCellSources(const std::string& section);

// A cell's pieces, each value looked up as mustache does: the row's own values first,
// then the report's.
CellTemplate CellTemplateOf(const CellSource& source, const ReportRows& rows, const mu::data& values);

// The text a cell shows in one row, white space collapsed as HTML does; a value printed
// unescaped shows the text of its markup.
QString CellText(const CellTemplate& cell, const ReportRows& rows, std::size_t row);

} // namespace tallivo::reporttags
