// Page dealing: the columns of a paged part's rows fitted to their widest figures, the
// rows measured by the row painter and dealt onto pages, and the text documents of the
// parts around the rows.
#include "render/PageDealing.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/TextEncoding.h"
#include "common/WorkAhead.h"
#include "render/ReportData.h"
#include "render/RowPainter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <atomic>
#include <thread>

namespace tallivo {

namespace paging {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kFitTolerance = 0.5; // dots kept free at a page's foot against rounding
constexpr std::size_t kRowsPerBlock = 256;   // rows a measuring thread takes at a time
constexpr std::size_t kRowsPerWorker = 4096; // rows that are worth a measuring thread more
constexpr unsigned kMostMeasuringThreads = 4;

} // namespace

// The device pages are laid out for: an image of one dot at the layout resolution.
QImage LayoutDevice()
{
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(PagedReport::kDpi / kMmPerInch * 1000 + 0.5);
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);
    return device;
}

namespace {

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

} // namespace

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

namespace {

double Height(const QTextDocument& doc)
{
    return doc.documentLayout()->documentSize().height();
}

const QRegularExpression& StyleRx()
{
    static const QRegularExpression rx(QStringLiteral("<style[^>]*>(.*?)</style>"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    return rx;
}

} // namespace

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

namespace {

// A copy of a font that shares nothing with it, for the device it was resolved for. The
// copies of a font share the font engines it was last resolved to, and another thread's
// use of one resolves them again for that thread, so that two threads measuring with
// copies of one font would resolve it again at every text. Going through another
// resolution makes a font of its own with the same request.
QFont UnsharedFont(const QFont& font, QPaintDevice& device)
{
    QImage other(1, 1, QImage::Format_RGB32);
    other.setDotsPerMeterX(device.logicalDpiX() == 72 ? 3780 : 2835); // 96 or 72 dots per inch
    other.setDotsPerMeterY(device.logicalDpiY() == 72 ? 3780 : 2835);
    return QFont(QFont(font, &other), &device);
}

} // namespace

unsigned MeasuringThreads(std::size_t count)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t byRows = count / kRowsPerWorker + 1;
    return static_cast<unsigned>(std::min<std::size_t>({cores, kMostMeasuringThreads, byRows}));
}

std::vector<float> MeasureRows(const RowPainter& painter, std::size_t count, const RowTextsOf& texts, unsigned threads)
{
    std::vector<float> heights(count);
    std::atomic<std::size_t> next{0};     // the first row of the next block to take
    std::atomic<std::size_t> measured{0}; // rows measured, by every thread
    const auto share = [&] {
        return count == 0 ? 1.0 : static_cast<double>(measured.load()) / static_cast<double>(count);
    };
    // Takes blocks of rows until none is left; before each, betweenBlocks may stop it.
    const auto measure = [&](const RowPainter& by, const auto& betweenBlocks) {
        for (;;) {
            betweenBlocks();
            const std::size_t first = next.fetch_add(kRowsPerBlock);
            if (first >= count)
                return;
            const std::size_t end = std::min(count, first + kRowsPerBlock);
            for (std::size_t r = first; r < end; ++r)
                heights[r] = static_cast<float>(by.Height(texts(r)));
            measured.fetch_add(end - first);
        }
    };
    // Last: destroyed first, so that a cancelled or failed measuring stops and waits for
    // its workers before what they use goes.
    std::vector<std::unique_ptr<WorkAhead<void>>> workers;
    for (unsigned t = 1; t < threads; ++t)
        workers.push_back(std::make_unique<WorkAhead<void>>([&](const StopToken& stop) {
            QImage device = LayoutDevice();
            std::vector<RowColumn> columns = painter.Columns();
            for (RowColumn& column : columns)
                column.font = UnsharedFont(column.font, device);
            const RowPainter own(std::move(columns), painter.Frame(), device);
            measure(own, [&] { ThrowIfStopped(stop); });
        }));
    measure(painter, [&] { progress::Share(share()); });
    for (const auto& worker : workers)
        TakeWhenReady(*worker, share);
    return heights;
}

namespace {

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

} // namespace paging

using namespace paging;
using reporttags::CellSource;
using reporttags::CellTemplate;
using reporttags::CellValue;
using reporttags::Piece;
using reporttags::ValueKind;

std::vector<QString> PagedReport::Part::RowTexts(std::size_t row) const
{
    std::vector<QString> texts;
    texts.reserve(cells.size());
    for (const reporttags::CellTemplate& cell : cells)
        texts.push_back(reporttags::CellText(cell, report.rows, row));
    return texts;
}

void PagedReport::Part::MakeFixedDocuments() const
{
    if (headDocument)
        return;
    documentsDevice = std::make_unique<QImage>(LayoutDevice());
    headDocument = LaidOutTable(styles, head + QStringLiteral("</table>"), *documentsDevice, widths, true);
    continuationDocument =
        LaidOutTable(styles, continuation + QStringLiteral("</table>"), *documentsDevice, widths, false);
    tailDocument = LaidOutTable(styles, continuation + tail, *documentsDevice, widths, false);
}

std::unique_ptr<QTextDocument> PagedReport::Part::TailPages(QPaintDevice& layoutDevice) const
{
    auto doc = LaidOutTable(styles, continuation + tail, layoutDevice, widths, false);
    doc->setPageSize(QSizeF(PagedReport::PaintArea().width(), PagedReport::BodyHeight()));
    return doc;
}

QString PagedReport::Part::RowsHtml(std::size_t first, std::size_t count) const
{
    kainjow::mustache::mustache tmpl(rowTemplate);
    kainjow::mustache::context<std::string> context(&values);
    std::string html;
    for (std::size_t r = first; r < first + count; ++r) {
        const kainjow::mustache::data item = reportdata::RowValues(report.rows, r);
        context.push(&item);
        html += tmpl.render(context);
        context.pop();
    }
    if (!tmpl.is_valid())
        throw AppError(AppError::Kind::Other, "Report template error: " + tmpl.error_message());
    return QString::fromStdString(html);
}

QString PagedReport::Part::GroupHtml(std::size_t firstRow, std::size_t rowCount, bool first, bool last) const
{
    return (first ? head : continuation) + RowsHtml(firstRow, rowCount) + (last ? tail : QStringLiteral("</table>"));
}

namespace {

using Group = PagedReport::Group;

// Fits the columns of a paged part's rows, makes their painter and deals the rows onto
// pages.
class RowDealer
{
public:
    explicit RowDealer(PagedReport::Part& part) : m_part(part) {}

    // The part's page groups, or nothing when its rows cannot be painted this way.
    std::optional<std::vector<PagedReport::Group>> Deal(std::size_t partIndex)
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

        // Dealt at the heights the rows are painted at.
        m_part.rowHeights = MeasureRows(
            *m_part.rowPainter, rows.size(), [this](std::size_t r) { return m_part.RowTexts(r); },
            MeasuringThreads(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const double height = m_part.rowHeights[r];
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
                 reporttags::CellText(m_part.cells[column], m_part.report.rows, r).split(QLatin1Char(' '), Qt::SkipEmptyParts))
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
        const auto sources = reporttags::RowCellSources(m_part.rowTemplate);
        if (!sources)
            return false;
        for (const CellSource& source : *sources)
            m_part.cells.push_back(reporttags::CellTemplateOf(source, m_part.report.rows, m_part.values));
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

std::optional<std::vector<PagedReport::Group>> paging::DealRows(PagedReport::Part& part, std::size_t partIndex)
{
    return RowDealer(part).Deal(partIndex);
}

} // namespace tallivo
