#pragma once
// A report document laid out into pages a page at a time, so that a report of a hundred
// thousand rows is ready at once and takes little memory.
//
// Preparing the document renders each template's fixed parts, measures every row and
// decides which rows go on which page; a page is painted only when it is shown, printed
// or written. Where a template's rows section is one table row of cells holding text and
// {{tags}}, inside a table:
//
//     <table ...><thead><tr>...headings...</tr></thead>
//     {{#rows}}<tr><td ...>{{rowNumber}}</td><td ...>{{Product}}</td>...</tr>{{/rows}}
//     {{^rows}}...{{/rows}} ... </table>
//
// the rows are painted directly (render/RowPainter.h) in the columns the template's table
// gives them, a figure column (amounts, counts, accounts, dates) made wide enough for the
// widest figure it can hold, so that no figure breaks over lines, and so is a column whose
// texts the report lists as kept whole (PreparedReport::wholeTexts: product names); the template's other
// parts (the beginning, the headings, the totals and what follows) are laid out by Qt's
// text engine in the same columns. Each page after the first starts with the table's
// opening and its heading rows; what follows the rows stays on the page of the last
// rows, or, taller than a page, follows them from a page of its own over as many pages as
// it takes. A template whose rows take another form is laid out whole, which is slower for
// large tables.
#include "reports/ReportDocument.h"

#include <QPageLayout>
#include <QSizeF>

#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace tallivo {

class RowPainter;

class PagedReport
{
public:
    // The resolution pages are laid out at, in dots per inch: a page's coordinates are
    // dots at this resolution from the top left corner of its paint area.
    static constexpr int kDpi = 300;
    // A4 portrait with the report margins.
    static QPageLayout PageLayout();
    // The paint area within the margins, in dots, and the height of its part above the
    // foot that holds the page number.
    static QSizeF PaintArea();
    static double BodyHeight();

    // Prepares the document. Reports the share of rows measured to the running command's
    // progress and stops at its safe points (common/CommandProgress.h). Raises the
    // template and variable errors of RenderReportHtml.
    explicit PagedReport(const ReportDocument& document);
    ~PagedReport();
    PagedReport(const PagedReport&) = delete;
    PagedReport& operator=(const PagedReport&) = delete;

    int PageCount() const;
    // The payment file the report is of, empty when not known.
    const std::string& PaymentFile() const { return m_paymentFile; }
    // Paints one page (from 0), with "Page n of m" at its foot, onto a painter whose
    // coordinates are dots of the paint area (scale it for other devices).
    void PaintPage(QPainter& painter, int page) const;
    // The rows of the document's reports that a page shows: (report, first row, count).
    // A report laid out whole counts all its rows on each of its pages.
    struct PageRows
    {
        std::size_t part = 0;
        std::size_t firstRow = 0;
        std::size_t rowCount = 0;
    };
    PageRows RowsOnPage(int page) const;
    // The painter of a report's body rows (their columns' places and fonts), or none when
    // its rows are laid out whole or it has none.
    const RowPainter* BodyRows(std::size_t part) const;

    // A report of the document, and rows laid out together (defined where they are made).
    struct Part;
    struct Group;

private:
    std::vector<std::unique_ptr<Part>> m_parts;
    std::vector<Group> m_groups;
    std::string m_paymentFile;
};

} // namespace tallivo
