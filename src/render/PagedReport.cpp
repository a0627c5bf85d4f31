// Paged reports. A report whose rows section is one table row of plain cells is split
// where its rows are: the part before them (ending inside the open table, headings
// included), the row itself and the part after them. Each row's height is found from the
// texts of its cells: a row whose cells all fit on one line has the height of any such
// row of the same fonts, and a row of a kind not met before is laid out once, alone in
// the table, to learn its height. The rows are then dealt onto pages, and a page is laid
// out only when it is painted: the part before the rows (first page) or the table's
// opening (later pages), the page's rows, and the closing of the table or the part after
// the rows (last page).
#include "render/PagedReport.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/ReplacingFile.h"
#include "common/TextEncoding.h"
#include "render/ReportData.h"
#include "render/ReportRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QIODevice>
#include <QImage>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <exception>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace tallivo {

namespace {

namespace mu = kainjow::mustache;

constexpr double kMmPerInch = 25.4;
constexpr double kFooterMm = 10;     // the foot of each page, for "Page n of m"
constexpr double kFitTolerance = 0.5; // dots kept free at a page's foot against rounding
constexpr std::size_t kRowsPerProgress = 256;

double Dots(double mm)
{
    return mm / kMmPerInch * PagedReport::kDpi;
}

// The device pages are laid out for: an image of one dot at the layout resolution.
QImage LayoutDevice()
{
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(PagedReport::kDpi / kMmPerInch * 1000 + 0.5);
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);
    return device;
}

// A text document of a page's HTML laid out on the device: on pages of the body's height,
// or as one long page when pageHeight is 0.
std::unique_ptr<QTextDocument> LaidOut(const QString& styles, const QString& body, QPaintDevice& device,
                                       double pageHeight)
{
    auto doc = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    doc->documentLayout()->setPaintDevice(&device);
    doc->setHtml(QStringLiteral("<html><head><style>") + styles + QStringLiteral("</style></head><body>") + body +
                 QStringLiteral("</body></html>"));
    const double width = PagedReport::PaintArea().width();
    if (pageHeight > 0)
        doc->setPageSize(QSizeF(width, pageHeight));
    else
        doc->setTextWidth(width);
    return doc;
}

double Height(const QTextDocument& doc)
{
    return doc.documentLayout()->documentSize().height();
}

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// ---- The template's tags and its rows section

struct Tag
{
    std::size_t begin = 0;
    std::size_t end = 0;
    char kind = 0; // 0 a value; '{' or '&' an unescaped value; '#', '^', '/', '!', '>'
    std::string name;
};

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

struct TemplateSplit
{
    std::string before;
    std::string rows; // the inside of the one {{#rows}} section
    std::string after;
};

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

// ---- The cells of the rows section

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

// The text a cell shows in one row, white space collapsed as HTML does; false when a
// value printed unescaped holds markup, which only laying the row out can measure.
bool CellText(const CellTemplate& cell, const ReportRows& rows, std::size_t row, QString& shown)
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
            return false;
        text += value;
    }
    shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).simplified();
    return true;
}

// ---- The parts of the rendered template

const QRegularExpression& StyleRx()
{
    static const QRegularExpression rx(QStringLiteral("<style[^>]*>(.*?)</style>"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    return rx;
}

QString StylesOf(const QString& html)
{
    QString styles;
    auto it = StyleRx().globalMatch(html);
    while (it.hasNext())
        styles += it.next().captured(1) + QLatin1Char('\n');
    return styles;
}

// The body's content of a whole HTML page (the page itself when it has no body).
QString BodyOf(const QString& html)
{
    static const QRegularExpression bodyRx(QStringLiteral("<body[^>]*>(.*)</body>"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    const auto body = bodyRx.match(html);
    return body.hasMatch() ? body.captured(1) : html;
}

// Where the table left open at the end of some HTML starts, or -1.
qsizetype OpenTableStart(const QString& html)
{
    static const QRegularExpression tableRx(QStringLiteral("<(/?)table[\\s>]"),
                                            QRegularExpression::CaseInsensitiveOption);
    std::vector<qsizetype> open;
    auto it = tableRx.globalMatch(html);
    while (it.hasNext()) {
        const auto match = it.next();
        if (match.captured(1).isEmpty())
            open.push_back(match.capturedStart());
        else if (!open.empty())
            open.pop_back();
    }
    return open.empty() ? -1 : open.back();
}

struct CellGeometry
{
    QFont font;
    double width = 0; // the room for the cell's text
};

} // namespace

// ---- The report's parts and pages

struct PagedReport::Part
{
    PreparedReport report;
    QString styles;
    mu::data values; // the report's own values
    bool paged = false;
    // A paged part: the rows section's template and the rendered HTML around the rows.
    std::string rowTemplate;
    QString head;         // up to the rows, ending inside the open table
    QString continuation; // the table's opening and its heading rows
    QString tail;         // after the rows, closing the table
    // A part laid out whole, and its laid-out document once a page of it was painted.
    QString whole;
    mutable std::mutex wholeMutex;
    mutable std::unique_ptr<QImage> wholeDevice;
    mutable std::unique_ptr<QTextDocument> wholeDocument;

    QString RowsHtml(std::size_t first, std::size_t count) const
    {
        mu::mustache tmpl(rowTemplate);
        mu::context<std::string> context(&values);
        std::string html;
        for (std::size_t r = first; r < first + count; ++r) {
            const mu::data item = reportdata::RowValues(report.rows, r);
            context.push(&item);
            html += tmpl.render(context);
            context.pop();
        }
        if (!tmpl.is_valid())
            throw AppError(AppError::Kind::Other, "Report template error: " + tmpl.error_message());
        return QString::fromStdString(html);
    }

    // The HTML of a page group's document.
    QString GroupHtml(std::size_t firstRow, std::size_t rowCount, bool first, bool last) const
    {
        return (first ? head : continuation) + RowsHtml(firstRow, rowCount) + (last ? tail : QStringLiteral("</table>"));
    }
};

// Rows laid out together: a page, or for the last rows of a part the pages that the rows
// and what follows them take.
struct PagedReport::Group
{
    std::size_t part = 0;
    std::size_t firstRow = 0;
    std::size_t rowCount = 0;
    bool first = false; // starts with the part's beginning
    bool last = false;  // ends with the part's end
    int pages = 1;
    int firstPage = 0;
};

namespace {

// Deals a paged part's rows onto pages, measuring each row.
class RowDealer
{
public:
    RowDealer(const PagedReport::Part& part, QPaintDevice& device) : m_part(part), m_device(device) {}

    // The part's page groups, or nothing when its rows cannot be measured this way.
    template <typename Group>
    std::optional<std::vector<Group>> Deal(std::size_t partIndex)
    {
        const ReportRows& rows = m_part.report.rows;
        const double body = PagedReport::BodyHeight();
        const double headBase = Height(*LaidOut(m_part.styles, m_part.head + QStringLiteral("</table>"), m_device, 0));
        m_continuationBase =
            Height(*LaidOut(m_part.styles, m_part.continuation + QStringLiteral("</table>"), m_device, 0));
        if (!rows.empty() && !LearnCells())
            return std::nullopt;

        std::vector<Group> groups;
        Group group;
        group.part = partIndex;
        group.first = true;
        double used = 0;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r % kRowsPerProgress == 0)
                progress::Share(static_cast<double>(r) / static_cast<double>(rows.size()));
            const double height = RowHeight(r);
            const double room = body - (group.first ? headBase : m_continuationBase) - kFitTolerance;
            if (group.rowCount > 0 && used + height > room) {
                groups.push_back(group);
                group = Group{};
                group.part = partIndex;
                group.firstRow = r;
                used = 0;
            }
            used += height;
            ++group.rowCount;
        }
        // The last rows and the end of the part, laid out by Qt's own pages.
        group.last = true;
        const auto doc = LaidOut(m_part.styles,
                                 m_part.GroupHtml(group.firstRow, group.rowCount, group.first, true), m_device, body);
        group.pages = std::max(1, doc->pageCount());
        groups.push_back(group);
        return groups;
    }

private:
    // The fonts and widths of the cells, from a table of the first row.
    bool LearnCells()
    {
        const auto sources = RowCellSources(m_part.rowTemplate);
        if (!sources)
            return false;
        for (const CellSource& source : *sources)
            m_cells.push_back(CellTemplateOf(source, m_part.report.rows, m_part.values));
        const auto doc = RowDocument(0);
        QTextTable* table = nullptr;
        for (QTextFrame* frame : doc->rootFrame()->childFrames())
            if ((table = qobject_cast<QTextTable*>(frame)) != nullptr)
                break;
        if (!table || static_cast<std::size_t>(table->columns()) != m_cells.size())
            return false;
        const int row = table->rows() - 1;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(row, c);
            if (cell.columnSpan() != 1 || cell.column() != c)
                return false;
            const QTextBlock block = cell.firstCursorPosition().block();
            QTextCharFormat format = block.charFormat();
            if (block.begin() != block.end())
                format = block.begin().fragment().charFormat();
            CellGeometry geometry;
            geometry.font = QFont(format.font().resolve(doc->defaultFont()), &m_device);
            geometry.width = doc->documentLayout()->blockBoundingRect(block).width();
            m_geometry.push_back(geometry);
        }
        return true;
    }

    std::unique_ptr<QTextDocument> RowDocument(std::size_t row) const
    {
        return LaidOut(m_part.styles, m_part.continuation + m_part.RowsHtml(row, 1) + QStringLiteral("</table>"),
                       m_device, 0);
    }

    // A row's height: that of the rows of its kind (the lines of each cell, and whether a
    // cell needs another font than its own), found by laying out the first of them.
    double RowHeight(std::size_t row)
    {
        std::string kind;
        bool measurable = true;
        for (std::size_t c = 0; c < m_cells.size() && measurable; ++c) {
            QString text;
            measurable = CellText(m_cells[c], m_part.report.rows, row, text);
            if (!measurable)
                break;
            const CellGeometry& geometry = m_geometry[c];
            const QFontMetricsF metrics(geometry.font, &m_device);
            bool otherFont = false;
            for (const QChar ch : text)
                if (ch.unicode() >= 0x80 && !metrics.inFont(ch)) {
                    otherFont = true;
                    break;
                }
            int lines = 1;
            if (metrics.horizontalAdvance(text) > geometry.width - 0.5)
                lines = LineCount(text, geometry);
            kind += std::to_string(lines);
            kind += otherFont ? '+' : ',';
        }
        if (!measurable)
            return Height(*RowDocument(row)) - m_continuationBase;
        const auto known = m_heights.find(kind);
        if (known != m_heights.end())
            return known->second;
        const double height = Height(*RowDocument(row)) - m_continuationBase;
        m_heights.emplace(std::move(kind), height);
        return height;
    }

    int LineCount(const QString& text, const CellGeometry& geometry) const
    {
        QTextLayout layout(text, geometry.font, &m_device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        int lines = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(geometry.width);
            ++lines;
        }
        layout.endLayout();
        return std::max(lines, 1);
    }

    const PagedReport::Part& m_part;
    QPaintDevice& m_device;
    double m_continuationBase = 0;
    std::vector<CellTemplate> m_cells;
    std::vector<CellGeometry> m_geometry;
    std::unordered_map<std::string, double> m_heights;
};

} // namespace

QPageLayout PagedReport::PageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 12),
                       QPageLayout::Millimeter);
}

QSizeF PagedReport::PaintArea()
{
    const QRectF area = PageLayout().paintRect(QPageLayout::Millimeter);
    return QSizeF(Dots(area.width()), Dots(area.height()));
}

double PagedReport::BodyHeight()
{
    return PaintArea().height() - Dots(kFooterMm);
}

PagedReport::PagedReport(const ReportDocument& document)
{
    QImage device = LayoutDevice();
    const std::string printDate = PrintDate();
    for (std::size_t p = 0; p < document.parts.size(); ++p) {
        auto part = std::make_unique<Part>();
        part->report = document.parts[p];
        const std::string& text = part->report.templateText;
        {
            // The whole template must parse, and its variables be string constants.
            mu::mustache whole(text);
            if (!whole.is_valid())
                throw AppError(AppError::Kind::Other, "Report template error: " + whole.error_message());
        }
        part->values = reportdata::ReportValues(part->report, printDate);

        std::optional<std::vector<Group>> groups;
        if (const auto split = SplitAtRows(text)) {
            const auto render = [&](const std::string& piece) {
                mu::mustache tmpl(piece);
                std::string html = tmpl.render(part->values);
                if (!tmpl.is_valid())
                    throw AppError(AppError::Kind::Other, "Report template error: " + tmpl.error_message());
                return QString::fromStdString(html);
            };
            const QString before = render(split->before);
            const QString after = render(split->after);
            static const QRegularExpression bodyStart(QStringLiteral("<body[^>]*>"),
                                                      QRegularExpression::CaseInsensitiveOption);
            static const QRegularExpression bodyEnd(QStringLiteral("</body>"), QRegularExpression::CaseInsensitiveOption);
            const auto start = bodyStart.match(before);
            const qsizetype end = after.indexOf(bodyEnd);
            part->head = start.hasMatch() ? before.mid(start.capturedEnd()) : before;
            part->tail = end >= 0 ? after.left(end) : after;
            const qsizetype table = OpenTableStart(part->head);
            if (table >= 0) {
                part->styles = StylesOf(before) + StylesOf(after);
                part->continuation = part->head.mid(table);
                part->rowTemplate = split->rows;
                part->paged = true;
                groups = RowDealer(*part, device).Deal<Group>(p);
            }
        }
        if (!groups) {
            // Laid out whole, on Qt's own pages.
            part->paged = false;
            const QString html = QString::fromStdString(RenderReportHtml(part->report));
            part->styles = StylesOf(html);
            part->whole = BodyOf(html);
            const auto doc = LaidOut(part->styles, part->whole, device, PagedReport::BodyHeight());
            Group group;
            group.part = p;
            group.rowCount = part->report.rows.size();
            group.first = group.last = true;
            group.pages = std::max(1, doc->pageCount());
            groups = std::vector<Group>{group};
        }
        for (Group& group : *groups) {
            group.firstPage = m_groups.empty() ? 0 : m_groups.back().firstPage + m_groups.back().pages;
            m_groups.push_back(group);
        }
        m_parts.push_back(std::move(part));
    }
    progress::Share(1);
}

PagedReport::~PagedReport() = default;

int PagedReport::PageCount() const
{
    return m_groups.empty() ? 0 : m_groups.back().firstPage + m_groups.back().pages;
}

PagedReport::PageRows PagedReport::RowsOnPage(int page) const
{
    const auto it = std::upper_bound(m_groups.begin(), m_groups.end(), page,
                                     [](int p, const Group& g) { return p < g.firstPage; });
    if (it == m_groups.begin() || page >= PageCount())
        return {};
    const Group& group = *std::prev(it);
    return {group.part, group.firstRow, group.rowCount};
}

bool PagedReport::PaintPage(QPainter& painter, int page) const
{
    const auto it = std::upper_bound(m_groups.begin(), m_groups.end(), page,
                                     [](int p, const Group& g) { return p < g.firstPage; });
    if (it == m_groups.begin() || page < 0 || page >= PageCount())
        return true;
    bool asMeasured = true;
    const Group& group = *std::prev(it);
    const Part& part = *m_parts[group.part];
    const int pageInGroup = page - group.firstPage;
    const double width = PaintArea().width();
    const double body = PagedReport::BodyHeight();

    painter.save();
    const auto paintOf = [&](QTextDocument& doc) {
        const QRectF view(0, pageInGroup * body, width, body);
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        doc.drawContents(&painter, view);
    };
    if (part.paged) {
        QImage device = LayoutDevice();
        const auto doc = LaidOut(part.styles, part.GroupHtml(group.firstRow, group.rowCount, group.first, group.last),
                                 device, body);
        if (!group.last && doc->pageCount() > 1) {
            // Measured a little short: the page's rows are shrunk onto it, never lost.
            doc->setTextWidth(width);
            const double scale = body / Height(*doc);
            painter.scale(scale, scale);
            asMeasured = false;
            doc->drawContents(&painter, QRectF(0, 0, width, Height(*doc)));
        } else {
            paintOf(*doc);
        }
    } else {
        const std::lock_guard lock(part.wholeMutex);
        if (!part.wholeDocument) {
            part.wholeDevice = std::make_unique<QImage>(LayoutDevice());
            part.wholeDocument = LaidOut(part.styles, part.whole, *part.wholeDevice, body);
        }
        paintOf(*part.wholeDocument);
    }
    painter.restore();

    // The foot: 8 points at the layout resolution.
    QFont foot(QStringLiteral("DejaVu Sans"));
    foot.setPixelSize(static_cast<int>(8.0 / 72 * kDpi + 0.5));
    painter.save();
    painter.setFont(foot);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, body, width, Dots(kFooterMm)), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Page %1 of %2").arg(page + 1).arg(PageCount()));
    painter.restore();
    return asMeasured;
}

bool PrintReport(const PagedReport& report, QPagedPaintDevice& device, const PageProgress& onPage)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw AppError(AppError::Kind::File, "The report could not be printed");
    const double scale = device.logicalDpiX() / static_cast<double>(PagedReport::kDpi);
    const int pages = report.PageCount();
    for (int page = 0; page < pages; ++page) {
        if (onPage) {
            if (!onPage(page, pages)) {
                painter.end();
                return false;
            }
        } else {
            progress::Share(static_cast<double>(page) / pages);
        }
        if (page > 0)
            device.newPage();
        painter.save();
        painter.scale(scale, scale);
        report.PaintPage(painter, page);
        painter.restore();
    }
    painter.end();
    return true;
}

namespace {

// A write-only device that streams the PDF writer's bytes into the replacing file.
class ReplacingFileDevice : public QIODevice
{
public:
    explicit ReplacingFileDevice(ReplacingFile& file) : m_file(file) { open(QIODevice::WriteOnly); }

    void RaiseError() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        // A write error must not unwind through Qt's PDF engine: it is kept and
        // raised once the engine has returned.
        if (m_error)
            return -1;
        try {
            m_file.Write(data, static_cast<std::size_t>(size));
        } catch (...) {
            m_error = std::current_exception();
            return -1;
        }
        return size;
    }

private:
    ReplacingFile& m_file;
    std::exception_ptr m_error;
};

} // namespace

bool WriteReportPdf(const PagedReport& report, const std::string& path, const PageProgress& onPage)
{
    ReplacingFile file(path); // raises the file error before any work when the target cannot be written
    ReplacingFileDevice device(file);
    bool complete = false;
    {
        QPdfWriter writer(&device);
        writer.setCreator(QStringLiteral("Tallivo"));
        writer.setResolution(PagedReport::kDpi);
        writer.setPageLayout(PagedReport::PageLayout());
        complete = PrintReport(report, writer, onPage);
    }
    device.RaiseError();
    if (complete)
        file.Commit();
    return complete;
}

} // namespace tallivo
