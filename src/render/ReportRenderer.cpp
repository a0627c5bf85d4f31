#include "render/ReportRenderer.h"

#include "common/AppError.h"
#include "common/ReplacingFile.h"
#include "render/ReportExpression.h"
#include "common/TextEncoding.h"

#include <kainjow/mustache.hpp>

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QFont>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextDocument>

#include <exception>
#include <map>
#include <optional>
#include <vector>

namespace tallivo {

namespace {

namespace mu = kainjow::mustache;

// A decimal number held exactly: the value times 10^4.
__extension__ typedef __int128 Scaled; // a GCC and Clang extension, wide enough for any amount
constexpr int kScaleDigits = 4;

// The value of a plain decimal text ([-]digits[.digits], blanks around it allowed),
// or nothing. Digits past the fourth decimal are rounded half away from zero.
std::optional<Scaled> ParseDecimal(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 30)
        return std::nullopt;
    Scaled value = 0;
    int decimals = -1; // -1: no point seen yet
    bool roundUp = false;
    std::size_t digits = 0;
    for (const char c : text) {
        if (c == '.') {
            if (decimals >= 0)
                return std::nullopt;
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        ++digits;
        if (decimals >= kScaleDigits) {
            if (decimals == kScaleDigits)
                roundUp = c >= '5';
            ++decimals;
            continue;
        }
        value = value * 10 + (c - '0');
        if (decimals >= 0)
            ++decimals;
    }
    if (digits == 0)
        return std::nullopt;
    for (int d = decimals < 0 ? 0 : decimals; d < kScaleDigits; ++d)
        value *= 10;
    if (roundUp)
        ++value;
    return negative ? -value : value;
}

// "#,##0" or "#,##0.00" of a scaled value, rounded half away from zero.
std::string FormatScaled(Scaled value, bool withDecimals)
{
    const bool negative = value < 0;
    Scaled magnitude = negative ? -value : value;
    const Scaled unit = withDecimals ? 100 : 10000;
    magnitude = (magnitude + unit / 2) / unit; // cents, or whole units
    Scaled whole = withDecimals ? magnitude / 100 : magnitude;
    const int cents = withDecimals ? static_cast<int>(magnitude % 100) : 0;

    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
        whole /= 10;
    } while (whole > 0);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    if (withDecimals) {
        text += '.';
        text += static_cast<char>('0' + cents / 10);
        text += static_cast<char>('0' + cents % 10);
    }
    if (negative && (whole != 0 || magnitude != 0))
        text.insert(text.begin(), '-');
    return text;
}

std::string WithoutBlanks(const std::string& name)
{
    std::string key;
    for (const char c : name)
        if (c != ' ')
            key += c;
    return key;
}

// A column's numbers: the sum, and whether any value had decimals.
struct ColumnTotal
{
    Scaled sum = 0;
    bool decimals = false;
    bool numeric = true;
};

} // namespace

std::string RenderReportHtml(const PreparedReport& report)
{
    mu::mustache tmpl(report.templateText);
    if (!tmpl.is_valid())
        throw AppError(AppError::Kind::Other, "Report template error: " + tmpl.error_message());

    mu::data context;
    for (const auto& [name, expression] : report.variables) {
        const std::string value = EvaluateExpression(name, expression);
        context.set(name, Windows874ToUtf8(value));
        if (const auto number = ParseDecimal(value)) {
            context.set(name + "_fmt", FormatScaled(*number, value.find('.') != std::string::npos));
            context.set(name + "_money", FormatScaled(*number, true));
        }
    }

    std::map<std::string, ColumnTotal> totals;
    mu::data rows(mu::data::type::list);
    int rowNumber = 0;
    for (const auto& row : report.rows) {
        mu::data item;
        item.set("rowNumber", std::to_string(++rowNumber));
        for (const auto& [column, value] : row) {
            const std::string text = Windows874ToUtf8(value);
            const std::string key = WithoutBlanks(column);
            item.set(column, text);
            if (key != column)
                item.set(key, text);
            ColumnTotal& total = totals[key];
            if (value.find_first_not_of(' ') == std::string::npos)
                continue; // an empty cell adds nothing
            const auto number = ParseDecimal(value);
            if (!number) {
                total.numeric = false;
                continue;
            }
            const bool decimals = value.find('.') != std::string::npos;
            total.sum += *number;
            total.decimals = total.decimals || decimals;
            item.set(key + "_fmt", FormatScaled(*number, decimals));
            item.set(key + "_money", FormatScaled(*number, true));
        }
        rows.push_back(item);
    }
    context.set("rows", rows);
    context.set("rowCount", std::to_string(report.rows.size()));
    for (const auto& [key, total] : totals)
        if (total.numeric) {
            context.set("total_" + key, FormatScaled(total.sum, total.decimals));
            context.set("total_" + key + "_money", FormatScaled(total.sum, true));
        }
    context.set("printDate",
                QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")).toStdString());

    std::string html = tmpl.render(context);
    if (!tmpl.is_valid())
        throw AppError(AppError::Kind::Other, "Report template error: " + tmpl.error_message());
    return html;
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

void PaintDocument(QPagedPaintDevice& device, const QTextDocument& document)
{
    std::unique_ptr<QTextDocument> doc(document.clone());
    doc->documentLayout()->setPaintDevice(&device);

    // The device's paint area; the foot of it is kept for the page number.
    const double dpi = device.logicalDpiY();
    const double width = device.width();
    const double footer = 10.0 / 25.4 * dpi; // 10 mm
    const double bodyHeight = device.height() - footer;
    doc->setPageSize(QSizeF(width, bodyHeight));
    const int pages = doc->pageCount();

    QPainter painter;
    if (!painter.begin(&device))
        throw AppError(AppError::Kind::File, "The report could not be printed");
    QFont footFont(QStringLiteral("DejaVu Sans"));
    footFont.setPointSizeF(8);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        painter.save();
        const QRectF view(0, page * bodyHeight, width, bodyHeight);
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        doc->drawContents(&painter, view);
        painter.restore();

        painter.setFont(footFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, bodyHeight, width, footer), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
    }
    painter.end();
}

void PaintDocument(QPrinter* printer, const ReportDocument& document)
{
    const auto text = BuildTextDocument(document);
    PaintDocument(*printer, *text);
}

namespace {

// A write-only device that streams the PDF writer's bytes into the replacing file.
class ReplacingFileDevice : public QIODevice
{
public:
    explicit ReplacingFileDevice(ReplacingFile& file) : m_file(file) { open(QIODevice::WriteOnly); }

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

public:
    void RaiseError() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    ReplacingFile& m_file;
    std::exception_ptr m_error;
};

} // namespace

void WriteReportPdf(const ReportDocument& document, const std::string& path)
{
    const auto text = BuildTextDocument(document);
    ReplacingFile file(path); // raises the file error before any work when the target cannot be written
    ReplacingFileDevice device(file);
    {
        QPdfWriter writer(&device);
        writer.setCreator(QStringLiteral("Tallivo"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
        PaintDocument(writer, *text);
    }
    device.RaiseError();
    file.Commit();
}

} // namespace tallivo
