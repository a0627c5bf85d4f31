#include "render/ReportData.h"

#include "common/TextEncoding.h"
#include "render/ReportExpression.h"

#include <map>

namespace tallivo::reportdata {

namespace {

// A column's numbers: the sum, and whether any value had decimals.
struct ColumnTotal
{
    Scaled sum = 0;
    bool decimals = false;
    bool numeric = true;
};

} // namespace

namespace {
constexpr int kScaleDigits = 4;
} // namespace

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

mu::data ReportValues(const PreparedReport& report, const std::string& printDate)
{
    mu::data values;
    for (const auto& [name, expression] : report.variables) {
        const std::string value = EvaluateExpression(name, expression);
        values.set(name, Windows874ToUtf8(value));
        if (const auto number = ParseDecimal(value)) {
            values.set(name + "_fmt", FormatScaled(*number, value.find('.') != std::string::npos));
            values.set(name + "_money", FormatScaled(*number, true));
        }
    }

    const ReportRows& rows = report.rows;
    std::map<std::string, ColumnTotal> totals;
    for (std::size_t c = 0; c < rows.Columns().size(); ++c) {
        ColumnTotal& total = totals[WithoutBlanks(rows.Columns()[c])];
        for (std::size_t r = 0; r < rows.size() && total.numeric; ++r) {
            const std::string_view value = rows.Cell(r, c);
            if (value.find_first_not_of(' ') == std::string_view::npos)
                continue; // an empty cell adds nothing
            const auto number = ParseDecimal(value);
            if (!number) {
                total.numeric = false;
                continue;
            }
            total.sum += *number;
            total.decimals = total.decimals || value.find('.') != std::string_view::npos;
        }
    }
    values.set("rows", mu::data(!rows.empty()));
    values.set("rowCount", std::to_string(rows.size()));
    for (const auto& [key, total] : totals)
        if (total.numeric && !rows.empty()) {
            values.set("total_" + key, FormatScaled(total.sum, total.decimals));
            values.set("total_" + key + "_money", FormatScaled(total.sum, true));
        }
    values.set("printDate", printDate);
    return values;
}

mu::data RowValues(const ReportRows& rows, std::size_t row)
{
    mu::data item;
    item.set("rowNumber", std::to_string(row + 1));
    for (std::size_t c = 0; c < rows.Columns().size(); ++c) {
        const std::string& column = rows.Columns()[c];
        const std::string_view value = rows.Cell(row, c);
        const std::string text = Windows874ToUtf8(value);
        const std::string key = WithoutBlanks(column);
        item.set(column, text);
        if (key != column)
            item.set(key, text);
        if (value.find_first_not_of(' ') == std::string_view::npos)
            continue;
        if (const auto number = ParseDecimal(value)) {
            item.set(key + "_fmt", FormatScaled(*number, value.find('.') != std::string_view::npos));
            item.set(key + "_money", FormatScaled(*number, true));
        }
    }
    return item;
}

} // namespace tallivo::reportdata
