#include "cli/CliReports.h"

#include "app/ErrorHandler.h"
#include "app/OutputTargets.h"
#include "app/ReportCommands.h"
#include "app/Settings.h"
#include "app/TierRateCommand.h"
#include "render/ReportExpression.h"
#include "render/ReportRenderer.h"
#include "reports/TierRate.h"

#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <optional>

namespace tallivo::cli {

namespace {

// Qt's own warnings (fonts, platform plugins) are not the command's messages:
// stderr carries only those.
void DropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// The GUI application that Qt's text and PDF engine need, made when a PDF is first
// asked for and ended with the command. The CLI never shows a window, so it renders
// on the offscreen platform unless the user chose a platform: a display that is set
// but cannot be reached (a remote shell) must not end the command.
class GuiApplication
{
public:
    void Ensure()
    {
        if (m_app || QGuiApplication::instance())
            return;
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(DropQtMessages);
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }

private:
    int m_argc = 1;
    char m_name[12] = "tallivo-cli";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

// The CLI's preview: the document shown is written as PDF.
class PdfViewer : public ReportViewer
{
public:
    explicit PdfViewer(std::string path) : m_path(std::move(path)) {}
    void Show(const ReportDocument& document) override
    {
        m_gui.Ensure();
        tallivo::WriteReportPdf(document, m_path);
    }

private:
    std::string m_path;
    GuiApplication m_gui;
};

} // namespace

int WriteReportPdf(AppState& app, CliDialogs& dialogs, const std::string& pdfPath)
{
    PdfViewer viewer(pdfPath);
    return RunCommand(dialogs, [&] { ShowPaymentReports(app, viewer); }) ? 0 : 2;
}

int RunFee(const std::string& file, const std::vector<MsgButton>& answers, const std::string& pdfPath)
{
    AppState app;
    CliDialogs dialogs;
    dialogs.answers = answers;
    LoadSettings(app);
    app.inputPath = file;
    if (RefuseUnsafeOutputs(app, dialogs, {pdfPath}))
        return 1;

    std::optional<ReportDocument> document;
    if (!RunCommand(dialogs, [&] { document = BuildTierRateReport(app, dialogs); }))
        return 2;
    if (!document || document->parts.empty())
        return 1;

    const PreparedReport& report = document->parts.front();
    std::string out;
    const bool printed = RunCommand(dialogs, [&] {
        for (const char* name : kFeeVariableNames)
            out += std::string(name) + "=" + EvaluateExpression(name, report.variables.at(name)) + "\n";
    });
    if (!printed)
        return 2;
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);

    if (pdfPath.empty())
        return 0;
    GuiApplication gui;
    return RunCommand(dialogs, [&] {
               gui.Ensure();
               tallivo::WriteReportPdf(*document, pdfPath);
           })
               ? 0
               : 2;
}

} // namespace tallivo::cli
