// The report renderer: variables, rows and formatting in a template, the combined
// document with its page breaks, and the PDF file.
#include "TestFiles.h"
#include "common/AppError.h"
#include "render/ReportExpression.h"
#include "render/ReportRenderer.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cstdlib>

namespace tallivo {
namespace {

std::string Template(const std::string& name)
{
    return test::ReadAll(std::string(TALLIVO_SOURCE_DIR) + "/report/" + name);
}

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
