// The report renderer: variables, rows and formatting in a template, the combined
// document with its page breaks, and the PDF file.
#include "TestFiles.h"
#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "render/PageDealing.h"
#include "render/PagedReport.h"
#include "render/ReportOutput.h"
#include "render/ReportExpression.h"
#include "render/ReportRenderer.h"
#include "render/RowPainter.h"
#include "reports/PaymentSummary.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <set>

namespace tallivo {
namespace {

std::string Template(const std::string& name)
{
    return test::ReadAll(std::string(TALLIVO_SOURCE_DIR) + "/report/" + name);
}

// Asks to cancel once the command has reported any progress.
struct CancelledAtFirstProgress : ProgressListener
{
    void Progress(std::string_view, double share) override { cancel = cancel || share > 0; }
    bool CancelRequested() override { return cancel; }
    bool cancel = false;
};

TEST(ReportExpression, StringConstantsAndErrors)
{
    EXPECT_EQ(EvaluateExpression("comId", "'O''NEIL'"), "O'NEIL");
    EXPECT_EQ(EvaluateExpression("comId", "''"), "");
    EXPECT_EQ(EvaluateExpression("comId", "''''"), "'");
    for (const char* bad : {"", "'", "O'NEIL", "'O'NEIL'", "'abc", "abc'", "12"}) {
        try {
            EvaluateExpression("comId", bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const AppError& e) {
            EXPECT_NE(std::string(e.what()).find("comId"), std::string::npos) << e.what();
        }
    }
}

TEST(ReportRenderer, VariablesRowsAndNumbers)
{
    PreparedReport r;
    r.templateText = "[{{comId}}|{{hashValue}}]{{#rows}}<{{rowNumber}}:{{Product}}:{{CreditAmount}}:"
                     "{{CreditAmount_money}}:{{No_fmt}}>{{/rows}}#{{rowCount}}#{{total_CreditAmount_money}}#"
                     "{{total_No}}#{{fee_money}}#{{fee_fmt}}";
    r.variables = {{"comId", "'O''NEIL'"}, {"hashValue", "'AB<C>'"}, {"fee", "'37.5'"}};
    r.rows = {{{"Product", "Payroll"}, {"Credit Amount", "0000001234567.895"}, {"No", "1200"}},
              {{"Product", "Media Clearing"}, {"Credit Amount", "0000000000000.010"}, {"No", "3"}}};
    const std::string html = RenderReportHtml(r);
    EXPECT_EQ(html, "[O&apos;NEIL|AB&lt;C&gt;]"
                    "<1:Payroll:0000001234567.895:1,234,567.90:1,200>"
                    "<2:Media Clearing:0000000000000.010:0.01:3>"
                    "#2#1,234,567.91#1,203#37.50#37.50");
}

TEST(ReportRenderer, ThaiBytesBecomeThaiLetters)
{
    PreparedReport r;
    r.templateText = "{{#rows}}{{NameEng}}{{/rows}}";
    r.rows = {{{"NameEng", "\xA1\xD2\xC3"}}}; // ka, sara aa, ro rua in Windows-874
    EXPECT_EQ(RenderReportHtml(r), "\xE0\xB8\x81\xE0\xB8\xB2\xE0\xB8\xA3");
}

TEST(ReportRenderer, BadTemplateOrVariableIsAnError)
{
    PreparedReport r;
    r.templateText = "{{#rows}}unclosed";
    EXPECT_THROW(RenderReportHtml(r), AppError);
    r.templateText = "{{comId}}";
    r.variables = {{"comId", "companyId"}};
    EXPECT_THROW(RenderReportHtml(r), AppError);
}

ReportDocument SamplePayment()
{
    PreparedReport summary;
    summary.templateText = Template("Payment.html");
    summary.variables = {{"comId", "'O''NEIL'"}, {"hashValue", "'0123456789ABCDEF0123456789ABCDEF01234567'"}};
    summary.rows = {{{"Product", "Payroll"}, {"Value_Date", "15/03/2024"}, {"No_Of_Credit", "2"}, {"Amount", "1234567.89"}},
                    {{"Product", "Media Clearing"}, {"Value_Date", "16/03/2024"}, {"No_Of_Credit", "1"}, {"Amount", "500.5"}}};
    PreparedReport detail;
    detail.templateText = Template("PaymentDetail.html");
    detail.variables = summary.variables;
    for (int i = 0; i < 3; ++i)
        detail.rows.push_back({{"Product", i < 2 ? "Payroll" : "Media Clearing"},
                               {"NameEng", i < 2 ? "PAYEE NUMBER " + std::to_string(i + 1)
                                                 : std::string("\xBA\xC3\xD4\xC9\xD1\xB7 THAI NAME")},
                               {"Credit Amount", "0000000617283.945"},
                               {"CreditAccount", "0011234567               "},
                               {"TotalInvoidAmount", "0000000000000.000"},
                               {"TotalWHTAmount", i == 0 ? "150.5" : ""},
                               {"DeliveryMode", "M"},
                               {"PickupLocation", "0001"},
                               {"VATAmount", ""}});
    return {{summary, detail}};
}

TEST(ReportRenderer, CombinedDocumentStartsEachPartOnANewPage)
{
    const auto doc = BuildTextDocument(SamplePayment());
    const QString text = doc->toPlainText();
    EXPECT_TRUE(text.contains("Payment Summary Report"));
    EXPECT_TRUE(text.contains("Payment Detail Report"));
    EXPECT_TRUE(text.contains("O'NEIL"));
    EXPECT_TRUE(text.contains("1,235,068.39")); // the summary's total amount
    doc->setPageSize(QSizeF(600, 800));
    EXPECT_EQ(doc->pageCount(), 2);
}

TEST(ReportRenderer, PdfIsWrittenForEveryTemplate)
{
    test::TempFolder dir;
    const ReportDocument payment = SamplePayment();

    PreparedReport direct = payment.parts[0];
    direct.templateText = Template("DirectDebit.html");
    PreparedReport fee;
    fee.templateText = Template("DeductFee.html");
    fee.variables = {{"report_range1", "'3'"},           {"report_range2", "'2'"},
                     {"report_range3", "'1'"},           {"report_total_range", "'6'"},
                     {"report_total_fee_range1", "'30'"}, {"report_total_fee_range2", "'40'"},
                     {"report_total_fee_range3", "'37.5'"}, {"report_total_fee_range", "'107.5'"}};

    const std::pair<const char*, ReportDocument> cases[] = {
        {"payment.pdf", payment}, {"direct.pdf", ReportDocument{{direct}}}, {"fee.pdf", ReportDocument{{fee}}}};
    for (const auto& [name, document] : cases) {
        const std::string path = dir.Path(name);
        WriteReportPdf(document, path);
        const std::string bytes = test::ReadAll(path);
        ASSERT_GT(bytes.size(), 1000u) << name;
        EXPECT_EQ(bytes.substr(0, 5), "%PDF-") << name;
        if (const char* keep = std::getenv("TALLIVO_KEEP_PDF"))
            WriteReportPdf(document, std::string(keep) + "/" + name);
    }
}

// A detail report of many rows: payee names short or long (one line or several), with
// markup characters, or Thai (another font, taller lines); amounts of every size, empty
// cells. With oneLine, every cell holds one line of the one font.
PreparedReport ManyDetailRows(std::size_t count, bool oneLine = false)
{
    PreparedReport detail = SamplePayment().parts[1];
    detail.rows = ReportRows();
    const char* const names[] = {"SHORT NAME", "O'NEIL & <SONS>", "\xBA\xC3\xD4\xC9\xD1\xB7 \xA1\xD2\xC3\xA4\xE9\xD2",
                                 "A PAYEE NAME LONG ENOUGH TO NEED TWO LINES IN ITS COLUMN OF THE REPORT",
                                 ("A NAME SO VERY LONG THAT IT NEEDS THREE LINES OR EVEN MORE OF THE PAYEE NAME COLUMN "
                                  "TO BE PRINTED WHOLE")};
    const std::size_t kinds = oneLine ? 2 : std::size(names);
    for (std::size_t i = 0; i < count; ++i)
        detail.rows.push_back({{"Product", !oneLine && i % 7 == 0 ? "Express Manager Cheque" : "Payroll"},
                               {"NameEng", names[(i * 7 + i / 3) % kinds]},
                               {"Credit Amount", i % 5 == 0 ? "0000009999999.990" : "0000000000617.945"},
                               {"CreditAccount", "0011234567               "},
                               {"TotalInvoidAmount", "0000000000000.000"},
                               {"TotalWHTAmount", i % 3 == 0 ? "150.5" : ""},
                               {"DeliveryMode", "M"},
                               {"PickupLocation", "0001"},
                               {"VATAmount", i % 4 == 0 ? "1234567.125" : ""}});
    return detail;
}

// The pages on which each row of a report's table starts and ends as Qt's text engine
// pages the whole report, and its number of pages.
struct WholePages
{
    std::vector<std::pair<int, int>> rows;
    int pages = 0;
};

// A report's HTML in a document set up as the printed page lays it out: 300 dots per
// inch, DejaVu Sans 9 pt, no margin. The device must outlive the document's layout.
void LoadAsPrinted(QTextDocument& doc, QImage& device, const PreparedReport& report)
{
    device.setDotsPerMeterX(11811);
    device.setDotsPerMeterY(11811);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.documentLayout()->setPaintDevice(&device);
    doc.setHtml(QString::fromStdString(RenderReportHtml(report)));
}

WholePages PagesOfRowsLaidOutWhole(const PreparedReport& report)
{
    QImage device(1, 1, QImage::Format_RGB32);
    QTextDocument doc;
    LoadAsPrinted(doc, device, report);
    doc.setPageSize(QSizeF(PagedReport::PaintArea().width(), PagedReport::BodyHeight()));
    QTextTable* table = nullptr;
    for (QTextFrame* frame : doc.rootFrame()->childFrames())
        if (auto* t = qobject_cast<QTextTable*>(frame); t && (!table || t->rows() > table->rows()))
            table = t;
    WholePages pages;
    pages.pages = doc.pageCount();
    const int headings = table->format().headerRowCount();
    const auto pageOf = [&](double y) { return static_cast<int>(y / PagedReport::BodyHeight()); };
    for (int r = headings; r < headings + static_cast<int>(report.rows.size()); ++r) {
        int first = std::numeric_limits<int>::max();
        int last = 0;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            const QRectF start = doc.documentLayout()->blockBoundingRect(cell.firstCursorPosition().block());
            const QRectF end = doc.documentLayout()->blockBoundingRect(cell.lastCursorPosition().block());
            first = std::min(first, pageOf(start.top()));
            last = std::max(last, pageOf(end.bottom() - 1));
        }
        pages.rows.emplace_back(first, last);
    }
    return pages;
}

// The page of each row as the paged report deals them, checking that they follow one
// another and that every page fits as measured.
std::vector<int> PagesOfRows(const PagedReport& paged)
{
    std::vector<int> pageOfRow;
    QImage image(200, 280, QImage::Format_ARGB32_Premultiplied);
    for (int page = 0; page < paged.PageCount(); ++page) {
        const PagedReport::PageRows rows = paged.RowsOnPage(page);
        const bool continued = page > 0 && rows.firstRow + rows.rowCount == pageOfRow.size() && rows.rowCount > 0;
        if (rows.rowCount > 0 && !continued) {
            EXPECT_EQ(rows.firstRow, pageOfRow.size());
            pageOfRow.insert(pageOfRow.end(), rows.rowCount, page);
        }
        QPainter painter(&image);
        painter.scale(0.05, 0.05);
        paged.PaintPage(painter, page);
    }
    return pageOfRow;
}

TEST(ReportTemplates, NoHeadingOrFigureIsBrokenInsideAWord)
{
    // Every heading fits its column, a word to a line ("Pickup", not "Picku" over "p"), and
    // so do the row numbers, accounts and amounts of a large file.
    PreparedReport detail = ManyDetailRows(0);
    detail.rows.push_back({{"Product", "Payroll(Type3)"}, {"NameEng", "SHORT"}, {"Credit Amount", "0000009999999.990"},
                           {"CreditAccount", "12345678901"}, {"TotalInvoidAmount", "0000009999999.990"},
                           {"TotalWHTAmount", "999999.99"}, {"VATAmount", "999999.99"}, {"DeliveryMode", "M"},
                           {"PickupLocation", "C001"}});
    PreparedReport summary = SamplePayment().parts[0];
    PreparedReport direct = summary;
    direct.templateText = Template("DirectDebit.html");
    for (const PreparedReport& report : {detail, summary, direct}) {
        QImage device(1, 1, QImage::Format_RGB32);
        QTextDocument doc;
        LoadAsPrinted(doc, device, report);
        doc.setTextWidth(PagedReport::PaintArea().width());
        doc.documentLayout()->documentSize(); // laid out
        int cells = 0;
        for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            if (!table || table->format().headerRowCount() == 0)
                continue;
            for (int r = 0; r < table->rows() - 1; ++r) // the headings and the rows, not the total
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextBlock block = table->cellAt(r, c).firstCursorPosition().block();
                    const QTextLayout* layout = block.layout();
                    for (int l = 1; l < layout->lineCount(); ++l) {
                        const int start = layout->lineAt(l).textStart();
                        EXPECT_TRUE(block.text().at(start - 1).isSpace())
                            << "cell " << r << "," << c << ": " << block.text().toStdString();
                    }
                    ++cells;
                }
        }
        EXPECT_GT(cells, 9);
    }
}

// A paint device at the layout resolution that keeps the texts painted on it as the text
// engine hands them over: one item for each run of a line in one font.
class TextRecorder : public QPaintDevice
{
public:
    QStringList Texts() const { return m_engine.texts; }
    // The baseline of each text as painted, in the device's dots.
    QList<double> Baselines() const { return m_engine.baselines; }
    // The texts whose baseline is within the page's body, above its foot: not cut off.
    QStringList TextsInBody() const
    {
        QStringList texts;
        for (qsizetype i = 0; i < m_engine.texts.size(); ++i)
            if (m_engine.baselines[i] >= 0 && m_engine.baselines[i] <= PagedReport::BodyHeight())
                texts.append(m_engine.texts[i]);
        return texts;
    }
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return static_cast<int>(PagedReport::PaintArea().width());
        case PdmHeight:
            return static_cast<int>(PagedReport::PaintArea().height());
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return PagedReport::kDpi;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 1000;
        }
    }

private:
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& changed) override
        {
            if (changed.state() & QPaintEngine::DirtyTransform)
                transform = changed.transform();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& at, const QTextItem& item) override
        {
            texts.append(item.text());
            baselines.append(transform.map(at).y());
        }
        Type type() const override { return QPaintEngine::User; }
        QStringList texts;
        QList<double> baselines;
        QTransform transform;
    };
    mutable Engine m_engine;
};

// The texts the text engine paints on a page (the rows' own figures are set from glyphs
// and carry none).
QStringList TextsOfPage(const PagedReport& paged, int page)
{
    TextRecorder device;
    QPainter painter(&device);
    paged.PaintPage(painter, page);
    painter.end();
    return device.Texts();
}

TEST(PagedReport, FiguresOfTheLargestAmountsAndLongestAccountsAreNeverBroken)
{
    // Amounts as large as the field holds, accounts as long, and a total as large as a
    // payment file carries: each column fits its widest figure on one line, in the rows
    // and in the totals, for the detail report, the summary and the direct-debit report.
    // So does every product name the reports can show, whichever of them the rows hold.
    PreparedReport detail = ManyDetailRows(0);
    for (const auto& [amount, account] :
         {std::pair{"9999999999998.990", "1234567890123456789012345"}, std::pair{"0000000000001.000", "999999999999"}})
        detail.rows.push_back({{"Product", "Payroll"},
                               {"NameEng", "A PAYEE"},
                               {"Credit Amount", amount},
                               {"CreditAccount", account},
                               {"TotalInvoidAmount", amount},
                               {"TotalWHTAmount", amount},
                               {"VATAmount", amount},
                               {"DeliveryMode", "M"},
                               {"PickupLocation", "C001"}});
    detail.wholeTexts["Product"] = ProductTypeNames();
    PreparedReport summary = SamplePayment().parts[0];
    summary.rows = {{{"Product", "Payroll"},
                     {"Value_Date", "15/03/2024"},
                     {"No_Of_Credit", "999999"},
                     {"Amount", "9999999999998.99"}},
                    {{"Product", "Payroll"}, {"Value_Date", "16/03/2024"}, {"No_Of_Credit", "1"}, {"Amount", "1"}}};
    summary.wholeTexts["Product"] = ProductTypeNames();
    PreparedReport direct = summary;
    direct.templateText = Template("DirectDebit.html");

    QStringList products;
    for (const std::string& name : ProductTypeNames())
        products.append(QString::fromStdString(name));
    ASSERT_TRUE(products.contains("MCL Payroll(Type2)") && products.contains("Express Demand Draft"));
    const QStringList amount = {QStringLiteral("9,999,999,999,998.99")};
    const std::map<std::size_t, QStringList> summaryWhole = {
        {0, {"2"}}, {1, products}, {2, {"16/03/2024"}}, {3, {"999,999"}}, {4, amount}};
    const std::pair<PreparedReport, std::map<std::size_t, QStringList>> cases[] = {
        {detail,
         {{0, {"2"}}, {1, products}, {3, {"1234567890123456789012345"}}, {4, amount}, {5, amount}, {6, amount},
          {7, amount}}},
        {summary, summaryWhole},
        {direct, summaryWhole}};
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(11811);
    device.setDotsPerMeterY(11811);
    for (const auto& [report, whole] : cases) {
        const PagedReport paged(ReportDocument{{report}});
        const RowPainter* rows = paged.BodyRows(0);
        ASSERT_NE(rows, nullptr);
        for (std::size_t c = 0; c < rows->Columns().size(); ++c) {
            const RowColumn& column = rows->Columns()[c];
            const auto texts = whole.find(c);
            EXPECT_EQ(column.figure, texts != whole.end()) << "column " << c;
            if (texts == whole.end())
                continue;
            // On one line and within its column: not broken, not running into the next.
            for (const QString& text : texts->second) {
                EXPECT_EQ(rows->LineCount(c, text), 1) << text.toStdString();
                EXPECT_LE(QFontMetricsF(column.font, &device).horizontalAdvance(text), column.textWidth)
                    << text.toStdString();
            }
        }
        // The totals, laid out by the text engine, are painted whole.
        const QStringList texts = TextsOfPage(paged, paged.PageCount() - 1);
        EXPECT_TRUE(texts.contains("9,999,999,999,999.99")) << texts.join('|').toStdString();
    }
}

TEST(PagedReport, WhatFollowsTheRowsStaysOnThePageOfTheLastRows)
{
    // However many rows the last page would take, the totals and the signature block are
    // painted on the page of the last rows: when they do not fit below them, the last row
    // goes with them to a page of its own.
    const std::size_t firstPage = PagedReport(ReportDocument{{ManyDetailRows(200, true)}}).RowsOnPage(0).rowCount;
    ASSERT_GT(firstPage, 8u);
    bool moved = false;
    for (std::size_t count = firstPage - 8; count <= firstPage + 1; ++count) {
        SCOPED_TRACE(count);
        const PagedReport paged(ReportDocument{{ManyDetailRows(count, true)}});
        const int last = paged.PageCount() - 1;
        const PagedReport::PageRows rows = paged.RowsOnPage(last);
        EXPECT_GE(rows.rowCount, 1u);
        EXPECT_EQ(rows.firstRow + rows.rowCount, count);
        moved = moved || (last == 1 && count <= firstPage);
        const QString texts = TextsOfPage(paged, last).join('|');
        for (const char* text : {"Total", "Checked by", "Approved by", "Name:", "Date:"})
            EXPECT_TRUE(texts.contains(text)) << text;
    }
    EXPECT_TRUE(moved);

    // Taller than a page, it follows the last rows from a page of its own and goes on
    // over the next pages, none of it cut.
    PreparedReport longTail = ManyDetailRows(60, true);
    std::string notes;
    for (int n = 1; n <= 150; ++n)
        notes += "<p>Note " + std::to_string(n) + " of the payment</p>\n";
    const std::size_t end = longTail.templateText.rfind("</body>");
    ASSERT_NE(end, std::string::npos);
    longTail.templateText.insert(end, notes);
    const PagedReport paged(ReportDocument{{longTail}});
    QString painted;
    for (int page = 0; page < paged.PageCount(); ++page) {
        TextRecorder device;
        QPainter painter(&device);
        paged.PaintPage(painter, page);
        painter.end();
        painted += device.TextsInBody().join('|') + '|';
    }
    for (int n = 1; n <= 150; ++n)
        EXPECT_TRUE(painted.contains(QStringLiteral("Note %1 of the payment|").arg(n))) << n;
    EXPECT_TRUE(painted.contains("Total") && painted.contains("Approved by"));
    const PagedReport::PageRows last = paged.RowsOnPage(paged.PageCount() - 1);
    EXPECT_EQ(last.firstRow, 60u);
    EXPECT_EQ(last.rowCount, 0u);
    std::size_t rowsDealt = 0;
    for (int page = 0; page < paged.PageCount(); ++page)
        rowsDealt += paged.RowsOnPage(page).rowCount;
    EXPECT_EQ(rowsDealt, 60u);
}

// Payee names of words of Thai letters (some with leading vowels, vowels and tone marks
// above and below them: another font than the rows') or of Latin letters (some accented,
// some plain), the same on every run.
QStringList MixedNames()
{
    std::uint32_t state = 20240315;
    const auto next = [&state](std::uint32_t n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    };
    const QString accents = QString::fromUtf8("\u00e9\u00e8\u00fc\u00f6\u00f1\u00e7\u00c9\u00d6");
    QStringList names;
    for (int n = 0; n < 240; ++n) {
        const bool thai = n % 3 != 2;
        QString name;
        const std::uint32_t words = 2 + next(4);
        for (std::uint32_t w = 0; w < words; ++w) {
            if (w > 0)
                name += QLatin1Char(' ');
            const std::uint32_t letters = 2 + next(8);
            for (std::uint32_t l = 0; l < letters; ++l) {
                if (!thai) {
                    name += n % 3 == 2 && next(5) == 0 ? accents[next(8)]
                                                       : QChar(static_cast<char16_t>(u'A' + next(26)));
                    continue;
                }
                if (next(8) == 0)
                    name += QChar(static_cast<char16_t>(0x0E40 + next(5))); // a leading vowel
                name += QChar(static_cast<char16_t>(0x0E01 + next(46)));   // a consonant
                if (next(3) == 0)
                    name += QChar(static_cast<char16_t>(0x0E30 + next(10))); // a vowel, above or below
                if (next(5) == 0)
                    name += QChar(static_cast<char16_t>(0x0E48 + next(4))); // a tone mark
            }
        }
        names.append(name);
    }
    return names;
}

TEST(RowPainter, EveryLineOfARowIsPaintedWithinTheHeightItWasMeasuredAt)
{
    // Names whose ends come just below, at and just past the width of their column (a
    // dot's worth of widths apart), in the font and at the resolution of the printed rows:
    // every line that a row's texts are painted on, one line or several, in the rows' font
    // or in the taller lines of the font that sets Thai, lies within the height the row
    // was measured at, so that no row's text runs into the row below it.
    QImage layout(1, 1, QImage::Format_RGB32);
    layout.setDotsPerMeterX(11811);
    layout.setDotsPerMeterY(11811);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    const QFont rowFont(font, &layout);
    const QFontMetricsF metrics(rowFont, &layout);
    constexpr double kWidth = 400;
    std::vector<RowColumn> columns;
    for (int k = 0; k < 8; ++k) {
        RowColumn column;
        column.left = k * (kWidth + 20);
        column.textLeft = column.left + 10;
        column.textWidth = kWidth + k * 0.3;
        column.width = column.textWidth + 20;
        column.font = rowFont;
        column.alignment = k % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight;
        columns.push_back(column);
    }
    RowFrame frame;
    frame.textTop = frame.textBottom = 10;
    frame.border = 2;
    const RowPainter rows(std::move(columns), frame, layout);
    TextRecorder device;

    int near = 0;
    for (const QString& name : MixedNames())
        for (qsizetype end = 1; end <= name.size(); ++end) {
            const QString text = name.left(end);
            if (text.endsWith(QLatin1Char(' ')) || std::abs(metrics.horizontalAdvance(text) - kWidth) > 8)
                continue;
            ++near;
            const std::vector<QString> cells(8, text);
            const double height = rows.Height(cells);
            const double top = 1000;
            const qsizetype before = device.Baselines().size();
            QPainter painter(&device);
            rows.PaintRows(painter, top, {height}, {cells});
            painter.end();
            const QList<double> baselines = device.Baselines();
            ASSERT_GT(baselines.size(), before) << text.toStdString();
            for (qsizetype i = before; i < baselines.size(); ++i) {
                EXPECT_GT(baselines[i], top) << text.toStdString();
                EXPECT_LE(baselines[i] + metrics.descent(), top + height - frame.textBottom + 0.5)
                    << text.toStdString() << ": a line below the row's height " << height;
            }
        }
    EXPECT_GT(near, 100);
}

TEST(RowPainter, RowsMeasuredOnSeveralThreadsAreMeasuredAsOnThisOne)
{
    // Rows of one, two or three lines, in the rows' font or in the font that sets Thai,
    // measured by this thread and workers of their own: each row has the height this
    // thread's painter gives it, whichever thread measured it; and measuring stops when
    // the command is cancelled, its workers with it.
    QImage layout = paging::LayoutDevice();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(7);
    std::vector<RowColumn> columns(2);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        columns[c].left = static_cast<double>(c) * 520;
        columns[c].textLeft = columns[c].left + 10;
        columns[c].textWidth = 500;
        columns[c].width = 520;
        columns[c].font = QFont(font, &layout);
    }
    columns[1].figure = true;
    RowFrame frame;
    frame.textTop = frame.textBottom = 12.5;
    const RowPainter painter(std::move(columns), frame, layout);
    const QStringList names = MixedNames();
    const auto texts = [&names](std::size_t r) {
        QString name = names[static_cast<qsizetype>(r % 240)];
        for (std::size_t more = 0; more < r % 3; ++more)
            name += QLatin1Char(' ') + names[static_cast<qsizetype>((r * 7 + more) % 240)];
        return std::vector<QString>{name, QString::number(r * 1001)};
    };
    constexpr std::size_t kRows = 3000;
    std::vector<float> alone;
    for (std::size_t r = 0; r < kRows; ++r)
        alone.push_back(static_cast<float>(painter.Height(texts(r))));
    EXPECT_GE(std::set<float>(alone.begin(), alone.end()).size(), 3u);
    for (const unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(threads);
        EXPECT_EQ(paging::MeasureRows(painter, kRows, texts, threads), alone);
    }

    CancelledAtFirstProgress listener;
    const ProgressScope scope(listener);
    EXPECT_THROW(paging::MeasureRows(painter, kRows, texts, 4), CommandCancelled);
}

TEST(PagedReport, RowsOfSeveralLinesAreNeverSplitAcrossPages)
{
    // Qt's own paging splits a row between two pages (a cell's lines, or the cells of
    // taller lines); here such a row goes whole onto the next page, so the report takes
    // at most a page more for each row split.
    for (const std::size_t count : {0u, 40u, 400u}) {
        SCOPED_TRACE(count);
        const PreparedReport detail = ManyDetailRows(count);
        const PagedReport paged(ReportDocument{{detail}});
        ASSERT_GE(paged.PageCount(), 1);
        EXPECT_EQ(PagesOfRows(paged).size(), count);
        if (count == 0)
            continue;
        const WholePages whole = PagesOfRowsLaidOutWhole(detail);
        const int split = static_cast<int>(std::count_if(whole.rows.begin(), whole.rows.end(),
                                                         [](const auto& rows) { return rows.first != rows.second; }));
        EXPECT_GT(split, 0);
        EXPECT_GE(paged.PageCount(), whole.pages);
        EXPECT_LE(paged.PageCount(), whole.pages + split);
    }
}

TEST(PagedReport, EachReportStartsOnANewPageAndPagesCountAcrossReports)
{
    const ReportDocument payment = SamplePayment();
    const PagedReport paged(payment);
    EXPECT_EQ(paged.PageCount(), 2);
    EXPECT_EQ(paged.RowsOnPage(0).part, 0u);
    EXPECT_EQ(paged.RowsOnPage(0).rowCount, 2u);
    EXPECT_EQ(paged.RowsOnPage(1).part, 1u);
    EXPECT_EQ(paged.RowsOnPage(1).rowCount, 3u);

    // Rows that are not one table row of plain cells are laid out whole, and still paged.
    PreparedReport list;
    list.templateText = "<html><body><h1>{{comId}}</h1>{{#rows}}<p><b>{{rowNumber}}</b> {{Product}}</p>{{/rows}}"
                        "</body></html>";
    list.variables = {{"comId", "'LIST'"}};
    for (int i = 0; i < 300; ++i)
        list.rows.push_back({{"Product", "Payroll"}});
    const PagedReport whole(ReportDocument{{payment.parts[0], list}});
    EXPECT_GT(whole.PageCount(), 3);
    EXPECT_EQ(whole.RowsOnPage(1).part, 1u);
    EXPECT_EQ(whole.RowsOnPage(1).rowCount, 300u);
    QImage image(100, 140, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.scale(0.03, 0.03);
    whole.PaintPage(painter, whole.PageCount() - 1);
}

TEST(PagedReport, TemplateErrorsAndCancellation)
{
    PreparedReport bad;
    bad.templateText = "<table>{{#rows}}<tr><td>{{Product}}</td></tr>";
    bad.rows = {{{"Product", "Payroll"}}};
    EXPECT_THROW(PagedReport(ReportDocument{{bad}}), AppError);

    // Preparing stops at a safe point when the command is cancelled.
    CancelledAtFirstProgress listener;
    const ProgressScope scope(listener);
    EXPECT_THROW(PagedReport(ReportDocument{{ManyDetailRows(2000)}}), CommandCancelled);
}

TEST(PagedReport, StoppedPdfLeavesTheFileAsItWas)
{
    test::TempFolder dir;
    const std::string path = dir.Write("report.pdf", "the report written before");
    const PagedReport paged(ReportDocument{{ManyDetailRows(200)}});
    std::vector<int> asked;
    EXPECT_FALSE(WriteReportPdf(paged, path, [&asked](int done, int) {
        asked.push_back(done);
        return done < 2;
    }));
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(test::ReadAll(path), "the report written before");
    EXPECT_EQ(std::filesystem::directory_iterator(dir.Folder())->path().filename(), "report.pdf");

    EXPECT_TRUE(WriteReportPdf(paged, path, [](int, int) { return true; }));
    EXPECT_EQ(test::ReadAll(path).substr(0, 5), "%PDF-");
}

TEST(ReportRenderer, PdfToAnUnwritablePlaceIsAFileError)
{
    test::TempFolder dir;
    EXPECT_THROW(WriteReportPdf(SamplePayment(), dir.Path("missing/folder/report.pdf")), AppError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("missing")));
}

} // namespace
} // namespace tallivo

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
