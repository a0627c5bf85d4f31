// Paged reports. A report whose rows section is one table row of plain cells is split
// where its rows are: the part before them (ending inside the open table, headings
// included), the row itself and the part after them (render/TemplateTags.h). The row's
// cells are measured once in a table of the first row laid out by Qt's text engine, the
// figure columns widened (or their fonts made smaller) to hold their widest figure, and
// the rows are then measured and painted by the row painter and dealt onto pages
// (render/PageDealing.h). A page paints the part before the rows (first page) or the
// table's opening with its headings (later pages), its rows, and on the last page the
// part after the rows, laid out below the same headings in the same columns and shown
// from the rows' end on.
#include "render/PagedReport.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "render/PageDealing.h"
#include "render/ReportData.h"
#include "render/ReportRenderer.h"
#include "render/RowPainter.h"
#include "render/TemplateTags.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QRegularExpression>
#include <QTextDocument>

#include <algorithm>
#include <mutex>
#include <optional>

namespace tallivo {

namespace {

namespace mu = kainjow::mustache;
using namespace paging;

constexpr double kMmPerInch = 25.4;
constexpr double kFooterMm = 10; // the foot of each page, for "Page n of m"

double Dots(double mm)
{
    return mm / kMmPerInch * PagedReport::kDpi;
}

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
        if (const auto split = reporttags::SplitAtRows(text)) {
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
                groups = paging::DealRows(*part, p);
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

} // namespace tallivo
