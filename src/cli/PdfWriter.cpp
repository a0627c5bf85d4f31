// The PDF writer of tallivo-cli-pdf: report documents rendered by render/ on Qt's
// offscreen platform.
#include "cli/CliReports.h"

#include "app/ErrorHandler.h"
#include "app/ReportCommands.h"
#include "common/AppError.h"
#include "render/ReportRenderer.h"

#include <QGuiApplication>

#include <memory>

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

// A document whose template text is empty would be written as blank pages.
void RefuseBlankDocument(const ReportDocument& document)
{
    for (const PreparedReport& part : document.parts)
        if (part.templateText.empty())
            throw AppError(AppError::Kind::Other, "tallivo-cli: a report template is missing or empty: no PDF is written");
}

// The CLI's preview: the document shown is written as PDF.
class PdfViewer : public ReportViewer
{
public:
    explicit PdfViewer(std::string path) : m_path(std::move(path)) {}
    void Show(const ReportDocument& document) override
    {
        RefuseBlankDocument(document);
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

int WriteDocumentPdf(const ReportDocument& document, CliDialogs& dialogs, const std::string& pdfPath)
{
    GuiApplication gui;
    return RunCommand(dialogs, [&] {
               RefuseBlankDocument(document);
               gui.Ensure();
               tallivo::WriteReportPdf(document, pdfPath);
           })
               ? 0
               : 2;
}

bool WritesPdfItself()
{
    return true;
}

} // namespace tallivo::cli
