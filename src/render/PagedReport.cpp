// Paged reports. A report whose rows section is one table row of plain cells is split
// where its rows are: the part before them (ending inside the open table, headings
// included), the row itself and the part after them. The row's cells are measured once
// in a table of the first row laid out by Qt's text engine, the figure columns widened
// (or their fonts made smaller) to hold their widest figure, and the rows are then
// measured and painted by the row painter and dealt onto pages. A page paints the part
// before the rows (first page) or the table's opening with its headings (later pages),
// its rows, and on the last page the part after the rows, laid out below the same
// headings in the same columns and shown from the rows' end on.
#include "render/PagedReport.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/ReplacingFile.h"
#include "common/TextEncoding.h"
#include "render/ReportData.h"
#include "render/ReportRenderer.h"
#include "render/RowPainter.h"

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
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <exception>
#include <mutex>
#include <optional>
#include <unordered_map>

#ifdef __GLIBC__
#include <malloc.h>
#endif

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

// A text document of a page's HTML for the device, not yet laid out.
std::unique_ptr<QTextDocument> MadeDocument(const QString& styles, const QString& body, QPaintDevice& device)
{
    auto doc = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    doc->documentLayout()->setPaintDevice(&device);
    doc->setHtml(QStringLiteral("<html><head><style>") + styles + QStringLiteral("</style></head><body>") + body +
                 QStringLiteral("</body></html>"));
    return doc;
}

// A text document of a page's HTML laid out on the device: on pages of the body's height,
// or as one long page when pageHeight is 0.
std::unique_ptr<QTextDocument> LaidOut(const QString& styles, const QString& body, QPaintDevice& device,
                                       double pageHeight)
{
    auto doc = MadeDocument(styles, body, device);
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

// The largest amount an amount field holds (13 digits before its 3 decimals) as the
// reports print it: amount columns and their totals are made wide enough for it.
const QString& LargestAmount()
{
    static const QString amount = QStringLiteral("9,999,999,999,999.99");
    return amount;
}

// A figure as a cell shows it: digits with their separators (an amount, a count, an
// account, a date), which must never break over lines.
bool IsFigure(const QString& text)
{
    bool digits = false;
    for (const QChar ch : text) {
        if (ch.isDigit() && ch.unicode() < 0x80)
            digits = true;
        else if (ch != QLatin1Char(',') && ch != QLatin1Char('.') && ch != QLatin1Char('/') && ch != QLatin1Char('-'))
            return false;
    }
    return digits;
}

// The table that holds a report's rows in a document made from a part's HTML: the first
// table of one that starts with the table's opening, the last of one that ends in it.
QTextTable* RowsTable(QTextDocument& doc, bool last)
{
    QTextTable* found = nullptr;
    for (QTextFrame* frame : doc.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            found = table;
            if (!last)
                break;
        }
    return found;
}

QFont FontOf(const QTextDocument& doc, const QTextBlock& block, QPaintDevice& device)
{
    QTextCharFormat format = block.charFormat();
    if (block.begin() != block.end())
        format = block.begin().fragment().charFormat();
    return QFont(format.font().resolve(doc.defaultFont()), &device);
}

QFont Scaled(QFont font, double scale)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    else
        font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * scale)));
    return font;
}

// Figures of the rows table that the text engine lays out (a total, say) and that would
// break over lines are set smaller, to fit their cells on one line.
void KeepFiguresWhole(QTextDocument& doc, QTextTable& table, QPaintDevice& device)
{
    doc.documentLayout()->documentSize(); // laid out
    bool changed = false;
    for (int r = table.format().headerRowCount(); r < table.rows(); ++r)
        for (int c = 0; c < table.columns(); ++c) {
            const QTextTableCell cell = table.cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            const QTextBlock block = cell.firstCursorPosition().block();
            if (!block.layout() || block.layout()->lineCount() < 2 || !IsFigure(block.text().trimmed()))
                continue;
            const QFont font = FontOf(doc, block, device);
            const double advance = QFontMetricsF(font, &device).horizontalAdvance(block.text().trimmed());
            const double room = doc.documentLayout()->blockBoundingRect(block).width();
            if (advance <= 0 || room <= 0)
                continue;
            const QFont smaller = Scaled(font, room / advance * 0.97);
            QTextCharFormat format;
            if (smaller.pointSizeF() > 0)
                format.setFontPointSize(smaller.pointSizeF());
            else
                format.setProperty(QTextFormat::FontPixelSize, smaller.pixelSize());
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
            changed = true;
        }
    if (changed)
        doc.documentLayout()->documentSize();
}

// A document of a paged part's HTML with the rows table's columns as fitted (none: as
// the template sets them), laid out as one long page; its figures kept whole unless it
// is laid out to measure the rows' own fonts.
std::unique_ptr<QTextDocument> LaidOutTable(const QString& styles, const QString& body, QPaintDevice& device,
                                            const QList<QTextLength>& widths, bool lastTable,
                                            bool keepFiguresWhole = true)
{
    auto doc = MadeDocument(styles, body, device);
    QTextTable* table = RowsTable(*doc, lastTable);
    if (table && !widths.isEmpty() && table->columns() == widths.size()) {
        QTextTableFormat format = table->format();
        format.setColumnWidthConstraints(widths);
        table->setFormat(format);
    }
    doc->setTextWidth(PagedReport::PaintArea().width());
    if (table && keepFiguresWhole)
        KeepFiguresWhole(*doc, *table, device);
    return doc;
}

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
    // A paged part with rows: the cells of a row, the rows table's columns as fitted, the
    // painter of the rows, and where the rows start and what follows them takes.
    std::vector<CellTemplate> cells;
    QList<QTextLength> widths;
    std::unique_ptr<QImage> device; // the layout device of the painter
    std::unique_ptr<RowPainter> rowPainter;
    std::vector<float> rowHeights;  // as measured when the rows were dealt
    double headRowsTop = 0;         // below the part's beginning (first page)
    double continuationRowsTop = 0; // below the table's headings (later pages)
    double tailHeight = 0;          // from the rows' end to the part's end
    // The documents of the fixed parts, or of a part laid out whole, made when a page of
    // them is first painted.
    QString whole;
    mutable std::mutex documentsMutex;
    mutable std::unique_ptr<QImage> documentsDevice;
    mutable std::unique_ptr<QTextDocument> wholeDocument;
    mutable std::unique_ptr<QTextDocument> headDocument;
    mutable std::unique_ptr<QTextDocument> continuationDocument;
    mutable std::unique_ptr<QTextDocument> tailDocument;
    mutable std::unique_ptr<QTextDocument> tailPagesDocument; // what follows the rows, on pages of its own

    std::vector<QString> RowTexts(std::size_t row) const
    {
        std::vector<QString> texts;
        texts.reserve(cells.size());
        for (const CellTemplate& cell : cells)
            texts.push_back(CellText(cell, report.rows, row));
        return texts;
    }

    // Lays out the fixed parts' documents once; the caller holds documentsMutex.
    void MakeFixedDocuments() const
    {
        if (headDocument)
            return;
        documentsDevice = std::make_unique<QImage>(LayoutDevice());
        headDocument = LaidOutTable(styles, head + QStringLiteral("</table>"), *documentsDevice, widths, true);
        continuationDocument =
            LaidOutTable(styles, continuation + QStringLiteral("</table>"), *documentsDevice, widths, false);
        tailDocument = LaidOutTable(styles, continuation + tail, *documentsDevice, widths, false);
    }

    // What follows the rows below the table's headings, laid out on the text engine's
    // pages.
    std::unique_ptr<QTextDocument> TailPages(QPaintDevice& device) const
    {
        auto doc = LaidOutTable(styles, continuation + tail, device, widths, false);
        doc->setPageSize(QSizeF(PagedReport::PaintArea().width(), PagedReport::BodyHeight()));
        return doc;
    }

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

// Rows laid out together: a page, or for a part laid out by the text engine the pages
// that its rows and what follows them take.
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

// Fits the columns of a paged part's rows, makes their painter and deals the rows onto
// pages.
class RowDealer
{
public:
    explicit RowDealer(PagedReport::Part& part) : m_part(part) {}

    // The part's page groups, or nothing when its rows cannot be painted this way.
    template <typename Group>
    std::optional<std::vector<Group>> Deal(std::size_t partIndex)
    {
        const ReportRows& rows = m_part.report.rows;
        const double body = PagedReport::BodyHeight();
        Group group;
        group.part = partIndex;
        group.first = true;
        if (rows.empty()) {
            // No rows: the part's beginning and end, laid out on the text engine's pages.
            QImage device = LayoutDevice();
            const auto doc = LaidOut(m_part.styles, m_part.GroupHtml(0, 0, true, true), device, body);
            group.last = true;
            group.pages = std::max(1, doc->pageCount());
            return std::vector<Group>{group};
        }
        if (!FitColumns())
            return std::nullopt;
        m_part.rowHeights.reserve(rows.size());
        QImage& device = *m_part.device;
        const double headHeight =
            Height(*LaidOutTable(m_part.styles, m_part.head + QStringLiteral("</table>"), device, m_part.widths, true));
        const double continuationHeight = Height(*LaidOutTable(
            m_part.styles, m_part.continuation + QStringLiteral("</table>"), device, m_part.widths, false));
        m_part.headRowsTop = m_part.continuationRowsTop + headHeight - continuationHeight;
        m_part.tailHeight =
            Height(*LaidOutTable(m_part.styles, m_part.continuation + m_part.tail, device, m_part.widths, false)) -
            m_part.continuationRowsTop;

        const auto room = [&](const Group& g) {
            return body - (g.first ? m_part.headRowsTop : m_part.continuationRowsTop) - kFitTolerance;
        };
        std::vector<Group> groups;
        double used = 0;

        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r % kRowsPerProgress == 0)
                progress::Share(static_cast<double>(r) / static_cast<double>(rows.size()));
            const double height = m_part.rowPainter->Height(m_part.RowTexts(r));
            m_part.rowHeights.push_back(static_cast<float>(height));
            if (group.rowCount > 0 && used + height > room(group)) {
                groups.push_back(group);
                group = Group{};
                group.part = partIndex;
                group.firstRow = r;
                used = 0;
            }
            used += height;
            ++group.rowCount;
        }
        // What follows the rows (the totals, the signatures) stays on the page of the last
        // rows: when it does not fit below them, the last row goes with it to a new page.
        // Taller than a page below the headings, it follows the rows from a page of its own
        // and goes on over the text engine's pages.
        if (m_part.tailHeight > body - m_part.continuationRowsTop - kFitTolerance) {
            groups.push_back(group);
            Group tail;
            tail.part = partIndex;
            tail.firstRow = rows.size();
            tail.last = true;
            tail.pages = std::max(1, m_part.TailPages(device)->pageCount());
            groups.push_back(tail);
            return groups;
        }
        if (used + m_part.tailHeight > room(group) && group.rowCount > 1) {
            Group moved;
            moved.part = partIndex;
            moved.firstRow = group.firstRow + group.rowCount - 1;
            moved.rowCount = 1;
            --group.rowCount;
            groups.push_back(group);
            group = moved;
        }
        group.last = true;
        groups.push_back(group);
        return groups;
    }

private:
    // Where a row's cells are and how they print, from a table of the first row laid out
    // by the text engine; false when the row is not one cell per column.
    bool MeasureColumns(QTextDocument& doc, std::vector<RowColumn>& columns, double& rowTextTop) const
    {
        QTextTable* table = RowsTable(doc, false);
        if (!table || static_cast<std::size_t>(table->columns()) != m_part.cells.size())
            return false;
        QPaintDevice& device = *m_part.device;
        const int row = table->rows() - 1;
        const double inset = Inset(*table);
        columns.clear();
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(row, c);
            if (cell.columnSpan() != 1 || cell.column() != c)
                return false;
            const QTextBlock block = cell.firstCursorPosition().block();
            const QRectF text = doc.documentLayout()->blockBoundingRect(block);
            RowColumn column;
            column.textLeft = text.left();
            column.textWidth = text.width();
            column.left = text.left() - inset;
            column.width = text.width() + 2 * inset;
            column.font = FontOf(doc, block, device);
            column.alignment = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
            QTextCharFormat format = block.charFormat();
            if (block.begin() != block.end())
                format = block.begin().fragment().charFormat();
            if (format.foreground().style() != Qt::NoBrush)
                column.color = format.foreground();
            column.background = cell.format().background();
            columns.push_back(column);
            if (c == 0)
                rowTextTop = text.top();
        }
        return true;
    }

    // From a cell's box to its text: its border and padding, in dots (the template's
    // lengths are pixels of a 96 dots per inch screen).
    double Scale() const { return m_part.device->logicalDpiY() / 96.0; }
    double Inset(const QTextTable& table) const
    {
        return (table.format().border() + table.format().cellPadding()) * Scale();
    }

    // The longest word of a heading, in its font: a column is never made narrower.
    double HeadingWord(QTextDocument& doc, int column) const
    {
        QTextTable* table = RowsTable(doc, false);
        const int headings = table->format().headerRowCount();
        if (headings == 0)
            return 0;
        const QTextTableCell cell = table->cellAt(headings - 1, column);
        const QTextBlock block = cell.firstCursorPosition().block();
        const QFontMetricsF metrics(FontOf(doc, block, *m_part.device), m_part.device.get());
        double widest = 0;
        for (const QString& word : block.text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = std::max(widest, metrics.horizontalAdvance(word));
        return widest;
    }

    // The texts of a column kept on one line that its widest is among: the widest figure
    // a cell of the column can show, or the texts the report lists for its column (product
    // names); empty when the column's texts may wrap.
    QStringList WholeTexts(const CellTemplate& cell) const
    {
        const ReportRows& rows = m_part.report.rows;
        const CellValue* value = nullptr;
        for (const Piece& piece : cell) {
            if (!QString::fromStdString(piece.literal).trimmed().isEmpty())
                return {};
            if (piece.value) {
                if (value)
                    return {};
                value = &*piece.value;
            }
        }
        if (!value)
            return {};
        switch (value->kind) {
        case ValueKind::Text:
            return {};
        case ValueKind::RowNumber:
            return {QString::number(rows.size())};
        case ValueKind::ColumnMoney:
            return {LargestAmount()};
        case ValueKind::ColumnFmt: {
            QString widest;
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const std::string_view text = rows.Cell(r, value->column);
                const auto number = reportdata::ParseDecimal(text);
                const QString shown = number ? QString::fromStdString(reportdata::FormatScaled(
                                                   *number, text.find('.') != std::string_view::npos))
                                             : QString::fromStdString(value->text);
                if (shown.size() > widest.size())
                    widest = shown;
            }
            return IsFigure(widest) ? QStringList{widest} : QStringList();
        }
        case ValueKind::Column: {
            if (const auto listed = m_part.report.wholeTexts.find(rows.Columns()[value->column]);
                listed != m_part.report.wholeTexts.end()) {
                QStringList texts;
                for (const std::string& text : listed->second)
                    texts.append(QString::fromStdString(Windows874ToUtf8(text)).simplified());
                return texts;
            }
            // Accounts, dates, codes of digits: as wide as the longest of the report.
            std::size_t longest = 0;
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const std::string_view text = rows.Cell(r, value->column);
                const std::size_t first = text.find_first_not_of(' ');
                if (first == std::string_view::npos)
                    continue;
                const std::size_t last = text.find_last_not_of(' ');
                if (!IsFigure(QString::fromLatin1(text.data() + first, static_cast<qsizetype>(last - first + 1))))
                    return {};
                longest = std::max(longest, last - first + 1);
            }
            return longest == 0 ? QStringList() : QStringList{QString(static_cast<qsizetype>(longest), QLatin1Char('0'))};
        }
        }
        return {};
    }

    // The advance of the widest of some texts in a font.
    double WidestAdvance(const QStringList& texts, const QFont& font) const
    {
        const QFontMetricsF metrics(font, m_part.device.get());
        double widest = 0;
        for (const QString& text : texts)
            widest = std::max(widest, metrics.horizontalAdvance(text));
        return widest;
    }

    // The widest word of the column's first rows (product names, codes), up to the
    // column's width: a column of words keeps room for them.
    double LongestWord(std::size_t column, const RowColumn& geometry) const
    {
        constexpr std::size_t kRowsLooked = 1000;
        const QFontMetricsF metrics(geometry.font, m_part.device.get());
        double widest = 0;
        const std::size_t rows = std::min(kRowsLooked, m_part.report.rows.size());
        for (std::size_t r = 0; r < rows; ++r)
            for (const QString& word :
                 CellText(m_part.cells[column], m_part.report.rows, r).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                widest = std::max(widest, metrics.horizontalAdvance(word));
        return std::min(widest + 1, geometry.textWidth);
    }

    // Makes every figure column, and every column of listed texts kept whole (product
    // names), wide enough for the widest text it can show, taking the room from the other
    // columns (such a column down to its widest text, a column of words down to two thirds
    // of its width, keeping its longest words and its heading's); such a column that still
    // lacks room gets a smaller font.
    bool FitColumns()
    {
        const auto sources = RowCellSources(m_part.rowTemplate);
        if (!sources)
            return false;
        for (const CellSource& source : *sources)
            m_part.cells.push_back(CellTemplateOf(source, m_part.report.rows, m_part.values));
        m_part.device = std::make_unique<QImage>(LayoutDevice());
        QImage& device = *m_part.device;
        const QString sampleHtml = m_part.continuation + m_part.RowsHtml(0, 1) + QStringLiteral("</table>");
        auto sample = LaidOutTable(m_part.styles, sampleHtml, device, {}, false, false);
        std::vector<RowColumn> columns;
        double textTop = 0;
        if (!MeasureColumns(*sample, columns, textTop))
            return false;

        const std::size_t n = columns.size();
        std::vector<double> need(n, 0);
        double lacking = 0;
        double spare = 0;
        std::vector<double> lackOf(n, 0);
        std::vector<double> spareOf(n, 0);
        std::vector<double> heading(n, 0);
        std::vector<QStringList> wholeTexts(n);
        for (std::size_t c = 0; c < n; ++c) {
            wholeTexts[c] = WholeTexts(m_part.cells[c]);
            heading[c] = HeadingWord(*sample, static_cast<int>(c)) + 1;
            double least = 0;
            if (!wholeTexts[c].isEmpty()) {
                columns[c].figure = true;
                need[c] = WidestAdvance(wholeTexts[c], columns[c].font) + 1; // 1: against rounding
                least = std::max(need[c], heading[c]);
            } else {
                least = std::max({heading[c], columns[c].textWidth * 2 / 3, LongestWord(c, columns[c])});
            }
            lackOf[c] = std::max(0.0, need[c] - columns[c].textWidth);
            spareOf[c] = std::max(0.0, columns[c].textWidth - least);
            lacking += lackOf[c];
            spare += spareOf[c];
        }
        if (lacking > 0.5) {
            // With room enough each figure column takes what it lacks from what the others
            // spare; without, the others give all they spare and the figure columns share
            // the room in proportion to their figures, so that their fonts shrink alike.
            const double taken = std::min(lacking, spare);
            double figureRoom = 0;
            double figureNeed = 0;
            for (std::size_t c = 0; c < n; ++c)
                if (columns[c].figure) {
                    figureRoom += columns[c].textWidth - spareOf[c];
                    figureNeed += need[c];
                }
            figureRoom += taken;
            std::vector<double> boxes(n);
            double sum = 0;
            for (std::size_t c = 0; c < n; ++c) {
                double text = columns[c].textWidth;
                if (lacking > spare && columns[c].figure)
                    text = std::max(need[c] * figureRoom / figureNeed, heading[c]);
                else
                    text += lackOf[c] * taken / lacking - (spare > 0 ? spareOf[c] * taken / spare : 0);
                boxes[c] = text + (columns[c].width - columns[c].textWidth);
                sum += boxes[c];
            }
            QList<QTextLength> widths;
            for (std::size_t c = 0; c < n; ++c)
                widths.append(QTextLength(QTextLength::PercentageLength, boxes[c] / sum * 100));
            m_part.widths = widths;
            std::vector<bool> figure(n);
            for (std::size_t c = 0; c < n; ++c)
                figure[c] = columns[c].figure;
            sample = LaidOutTable(m_part.styles, sampleHtml, device, m_part.widths, false, false);
            if (!MeasureColumns(*sample, columns, textTop))
                return false;
            for (std::size_t c = 0; c < n; ++c)
                columns[c].figure = figure[c];
        }
        for (std::size_t c = 0; c < n; ++c) {
            if (!columns[c].figure || need[c] <= columns[c].textWidth)
                continue;
            // A font's sizes are not all made alike (hinting, whole pixels): measured again
            // until the figure fits.
            const QFont font = columns[c].font;
            double scale = columns[c].textWidth / need[c];
            for (int tries = 0; tries < 8; ++tries) {
                columns[c].font = Scaled(font, scale);
                const double advance = WidestAdvance(wholeTexts[c], columns[c].font);
                if (advance <= columns[c].textWidth)
                    break;
                scale *= columns[c].textWidth / advance * 0.99;
            }
        }

        QTextTable* table = RowsTable(*sample, false);
        RowFrame frame;
        frame.textTop = frame.textBottom = Inset(*table);
        frame.border = std::min(frame.textTop, table->format().border() * Scale());
        frame.outer = frame.border;
        if (table->format().borderBrush().style() != Qt::NoBrush)
            frame.borderBrush = table->format().borderBrush();
        m_part.continuationRowsTop = textTop - frame.textTop;
        m_part.rowPainter = std::make_unique<RowPainter>(std::move(columns), frame, device);
        return true;
    }

    PagedReport::Part& m_part;
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

PagedReport::PagedReport(const ReportDocument& document) : m_paymentFile(document.paymentFile)
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
                groups = RowDealer(*part).Deal<Group>(p);
            }
        }
        if (!groups) {
            // Laid out whole, on Qt's own pages.
            part->paged = false;
            part->rowPainter.reset();
            part->rowHeights = {};
            part->cells.clear();
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

const RowPainter* PagedReport::BodyRows(std::size_t part) const
{
    return part < m_parts.size() ? m_parts[part]->rowPainter.get() : nullptr;
}

void PagedReport::PaintPage(QPainter& painter, int page) const
{
    const auto it = std::upper_bound(m_groups.begin(), m_groups.end(), page,
                                     [](int p, const Group& g) { return p < g.firstPage; });
    if (it == m_groups.begin() || page < 0 || page >= PageCount())
        return;
    const Group& group = *std::prev(it);
    const Part& part = *m_parts[group.part];
    const int pageInGroup = page - group.firstPage;
    const double width = PaintArea().width();
    const double body = PagedReport::BodyHeight();

    painter.save();
    painter.setClipRect(QRectF(0, 0, width, body), Qt::IntersectClip);
    if (part.rowPainter && group.rowCount == 0) {
        // What follows the rows, on pages of its own.
        const std::lock_guard lock(part.documentsMutex);
        part.MakeFixedDocuments();
        if (!part.tailPagesDocument)
            part.tailPagesDocument = part.TailPages(*part.documentsDevice);
        const QRectF view(0, pageInGroup * body, width, body);
        painter.translate(0, -view.top());
        part.tailPagesDocument->drawContents(&painter, view);
    } else if (part.rowPainter) {
        // The part's beginning or the table's headings, the rows, and on the last page
        // what follows them, laid out below the same headings and shown from its rows on.
        const std::lock_guard lock(part.documentsMutex);
        part.MakeFixedDocuments();
        QTextDocument& top = group.first ? *part.headDocument : *part.continuationDocument;
        double y = group.first ? part.headRowsTop : part.continuationRowsTop;
        top.drawContents(&painter, QRectF(0, 0, width, y));
        std::vector<double> heights;
        std::vector<std::vector<QString>> texts;
        heights.reserve(group.rowCount);
        texts.reserve(group.rowCount);
        const double rowsTop = y;
        for (std::size_t r = group.firstRow; r < group.firstRow + group.rowCount; ++r) {
            heights.push_back(part.rowHeights[r]);
            texts.push_back(part.RowTexts(r));
            y += heights.back();
        }
        part.rowPainter->PaintRows(painter, rowsTop, heights, texts);
        if (group.last) {
            painter.translate(0, y - part.continuationRowsTop);
            part.tailDocument->drawContents(&painter, QRectF(0, part.continuationRowsTop, width, part.tailHeight));
        }
    } else {
        const std::lock_guard lock(part.documentsMutex);
        QTextDocument* doc = part.wholeDocument.get();
        std::unique_ptr<QTextDocument> groupDocument;
        if (part.paged) {
            // A part without rows.
            part.documentsDevice = std::make_unique<QImage>(LayoutDevice());
            groupDocument =
                LaidOut(part.styles, part.GroupHtml(group.firstRow, group.rowCount, group.first, group.last),
                        *part.documentsDevice, body);
            doc = groupDocument.get();
        } else if (!doc) {
            part.documentsDevice = std::make_unique<QImage>(LayoutDevice());
            part.wholeDocument = LaidOut(part.styles, part.whole, *part.documentsDevice, body);
            doc = part.wholeDocument.get();
        }
        const QRectF view(0, pageInGroup * body, width, body);
        painter.translate(0, -view.top());
        doc->drawContents(&painter, view);
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
}

namespace {

// While pages are printed, the heap keeps the blocks it is given back. Qt's PDF engine
// takes two blocks of 10 MB for each page it compresses and gives them back at once; left
// to itself, the C library hands such blocks to the system and takes them again for the
// next page, each time at the cost of fresh zeroed memory pages (a fifth of the time of a
// large report). Its first settings (blocks from 128 KiB to the system) are set again once
// the pages are done.
class HeapKeptForPages
{
public:
    HeapKeptForPages()
    {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, kBlock);
        mallopt(M_TRIM_THRESHOLD, 2 * kBlock);
#endif
    }
    ~HeapKeptForPages()
    {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, kDefault);
        mallopt(M_TRIM_THRESHOLD, kDefault);
#endif
    }
    HeapKeptForPages(const HeapKeptForPages&) = delete;
    HeapKeptForPages& operator=(const HeapKeptForPages&) = delete;

private:
    static constexpr int kBlock = 32 << 20; // the largest block the heap may serve itself
    static constexpr int kDefault = 128 << 10;
};

} // namespace

bool PrintReport(const PagedReport& report, QPagedPaintDevice& device, const PageProgress& onPage)
{
    const HeapKeptForPages heap;
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
