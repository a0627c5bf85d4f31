#include "render/ReportRenderer.h"

#include "common/AppError.h"
#include "render/PagedReport.h"
#include "render/ReportOutput.h"
#include "render/ReportData.h"

#include <kainjow/mustache.hpp>

#include <QDateTime>
#include <QFont>
#include <QRegularExpression>
#include <QTextDocument>


namespace tallivo {

namespace {
namespace mu = kainjow::mustache;
} // namespace

std::string RenderReportHtml(const PreparedReport& report)
{
    mu::mustache tmpl(report.templateText);
    if (!tmpl.is_valid())
        throw AppError(AppError::Kind::Other, "Report template error: " + tmpl.error_message());

    mu::data context = reportdata::ReportValues(report, PrintDate());
    mu::data rows(mu::data::type::list);
    for (std::size_t r = 0; r < report.rows.size(); ++r)
        rows.push_back(reportdata::RowValues(report.rows, r));
    context.set("rows", rows);

    std::string html = tmpl.render(context);
    if (!tmpl.is_valid())
        throw AppError(AppError::Kind::Other, "Report template error: " + tmpl.error_message());
    return html;
}

std::string PrintDate()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")).toStdString();
}

std::unique_ptr<QTextDocument> BuildTextDocument(const ReportDocument& document)
{
    // Each part is a whole HTML page: its style sheets go into the one head, its body
    // into the one body, each body after the first from a new page.
    static const QRegularExpression styleRx(QStringLiteral("<style[^>]*>(.*?)</style>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression bodyRx(QStringLiteral("<body[^>]*>(.*)</body>"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    QString styles;
    QString bodies;
    bool first = true;
    for (const PreparedReport& part : document.parts) {
        const QString html = QString::fromStdString(RenderReportHtml(part));
        auto it = styleRx.globalMatch(html);
        while (it.hasNext())
            styles += it.next().captured(1) + QLatin1Char('\n');
        const auto body = bodyRx.match(html);
        const QString content = body.hasMatch() ? body.captured(1) : html;
        if (first)
            bodies += QStringLiteral("<div>") + content + QStringLiteral("</div>");
        else
            bodies += QStringLiteral("<div style=\"page-break-before:always\">") + content + QStringLiteral("</div>");
        first = false;
    }

    auto text = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    text->setDefaultFont(font);
    text->setDocumentMargin(0);
    text->setHtml(QStringLiteral("<html><head><style>") + styles + QStringLiteral("</style></head><body>") + bodies +
                  QStringLiteral("</body></html>"));
    return text;
}

void WriteReportPdf(const ReportDocument& document, const std::string& path)
{
    WriteReportPdf(PagedReport(document), path);
}

} // namespace tallivo
