#pragma once
// The values a report template prints (render/ReportRenderer.h lists them): the report's
// own values and each row's, as the mustache data the templates are rendered with.
// Internal to the renderer.
#include "reports/ReportDocument.h"

#include <kainjow/mustache.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace tallivo::reportdata {

namespace mu = kainjow::mustache;

// A decimal number held exactly: the value times 10^4.
__extension__ typedef __int128 Scaled; // a GCC and Clang extension, wide enough for any amount

// The value of a plain decimal text ([-]digits[.digits], blanks around it allowed),
// or nothing. Digits past the fourth decimal are rounded half away from zero.
std::optional<Scaled> ParseDecimal(std::string_view text);
// "#,##0" or "#,##0.00" of a scaled value, rounded half away from zero.
std::string FormatScaled(Scaled value, bool withDecimals);
// A column name without its blanks: the name a template may also use.
std::string WithoutBlanks(const std::string& name);

// The report's own values: its variables (numeric ones also _fmt and _money), rowCount,
// the totals of the numeric columns, printDate; and `rows`, true when there are rows.
mu::data ReportValues(const PreparedReport& report, const std::string& printDate);
// One row's values: rowNumber (row + 1), every column by its name and without blanks,
// numeric ones also _fmt and _money.
mu::data RowValues(const ReportRows& rows, std::size_t row);

} // namespace tallivo::reportdata
