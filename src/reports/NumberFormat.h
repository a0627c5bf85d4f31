#pragma once
// The number texts of the payment summary and the report table.
#include "common/QuotedText.h"
#include "format/Fields.h"

#include <string>
#include <string_view>

namespace tallivo {

// An amount field of a line (13 digits before, 3 after an implied point) as text with
// the point: the first 13 characters, ".", the last 3. Fields cut short by the end
// of the line give shorter parts.
std::string AmountText(std::string_view line, const Field& amount);
// The same into text, whose room is kept for the next amount.
void AssignAmountText(std::string& text, std::string_view line, const Field& amount);

// "#,##0.00": thousands separators, two decimals, rounded half away from zero on the
// value's 18 significant digits. The Total line's "%n" gives the same text.
std::string FormatThousands2(long double value);
// "#0.00": two decimals, no thousands separator.
std::string FormatPlain2(long double value);

} // namespace tallivo
