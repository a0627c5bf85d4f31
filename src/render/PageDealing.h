#pragma once
// Page dealing for the paged report (render/PagedReport.h): a report's parts and the
// groups of rows laid out together, the fitting of a paged part's columns and the dealing
// of its rows onto pages, and the text documents of the parts around the rows. Internal
// to the renderer.
#include "render/PagedReport.h"
#include "render/TemplateTags.h"

#include <kainjow/mustache.hpp>

#include <QImage>
#include <QList>
#include <QString>
#include <QTextDocument>
#include <QTextLength>

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QPaintDevice;

namespace tallivo {

class RowPainter;

struct PagedReport::Part
{
    PreparedReport report;
    QString styles;
    kainjow::mustache::data values; // the report's own values
    bool paged = false;
    // A paged part: the rows section's template and the rendered HTML around the rows.
    std::string rowTemplate;
    QString head;         // up to the rows, ending inside the open table
    QString continuation; // the table's opening and its heading rows
    QString tail;         // after the rows, closing the table
    // A paged part with rows: the cells of a row, the rows table's columns as fitted, the
    // painter of the rows, and where the rows start and what follows them takes.
    std::vector<reporttags::CellTemplate> cells;
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

    // The texts of a row's cells.
    std::vector<QString> RowTexts(std::size_t row) const;
    // Lays out the fixed parts' documents once; the caller holds documentsMutex.
    void MakeFixedDocuments() const;
    // What follows the rows below the table's headings, laid out on the text engine's
    // pages.
    std::unique_ptr<QTextDocument> TailPages(QPaintDevice& layoutDevice) const;
    // The HTML of rows, each rendered from the rows section's template.
    QString RowsHtml(std::size_t first, std::size_t count) const;
    // The HTML of a page group's document.
    QString GroupHtml(std::size_t firstRow, std::size_t rowCount, bool first, bool last) const;
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

namespace paging {

// The device pages are laid out for: an image of one dot at the layout resolution.
QImage LayoutDevice();
// A text document of a page's HTML laid out on the device: on pages of the body's height,
// or as one long page when pageHeight is 0.
std::unique_ptr<QTextDocument> LaidOut(const QString& styles, const QString& body, QPaintDevice& device,
                                       double pageHeight);
// The style sheets of an HTML page, one after the other.
QString StylesOf(const QString& html);
// The body's content of a whole HTML page (the page itself when it has no body).
QString BodyOf(const QString& html);
// Where the table left open at the end of some HTML starts, or -1.
qsizetype OpenTableStart(const QString& html);

// The heights of count rows, texts(r) giving the texts of row r: what painter.Height gives
// for them. The rows are measured a block at a time by this thread and by threads - 1
// workers, each worker with a row painter of the same columns on a layout device of its
// own (fonts and shaped texts belong to the thread that made them), so that the shaping of
// their texts runs on every core. Reports the share of rows measured to the running
// command's progress and stops at its safe points; the workers are stopped with it.
using RowTextsOf = std::function<std::vector<QString>(std::size_t)>;
std::vector<float> MeasureRows(const RowPainter& painter, std::size_t count, const RowTextsOf& texts, unsigned threads);
// How many threads measure count rows: one for a few thousand rows, more for more, up to
// the cores and at most a few.
unsigned MeasuringThreads(std::size_t count);

// Fits the columns of a paged part's rows, makes their painter and deals the rows onto
// pages: the part's page groups, or nothing when its rows cannot be painted this way.
std::optional<std::vector<PagedReport::Group>> DealRows(PagedReport::Part& part, std::size_t partIndex);

} // namespace paging

} // namespace tallivo
