#pragma once
// The tier-rate fee: credit records to other banks counted by amount tier, each
// tier priced with its fee per record.
#include "format/Primitives.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tallivo {

struct TierCounts
{
    std::int64_t range1 = 0; // up to 100,000.00, zero included
    std::int64_t range2 = 0; // above 100,000.00 up to 500,000.00
    std::int64_t range3 = 0; // above 500,000.00 up to 2,000,000.00
};

// The tier of a credit amount (1, 2, 3), or 0 above 2,000,000.00.
int TierOf(Currency amount);

// Counts the credit records of the payment file whose receiving bank is not the home
// bank, by the tier of their amount. An amount that does not convert raises the
// conversion error.
TierCounts CountCreditTiers(const std::string& path);

// The names of the eight report variables, in report order.
inline constexpr const char* kFeeVariableNames[] = {
    "report_range1",           "report_range2",           "report_range3",           "report_total_range",
    "report_total_fee_range1", "report_total_fee_range2", "report_total_fee_range3", "report_total_fee_range",
};

// The eight report variables, name and value before quoting, in report order.
using FeeVariables = std::array<std::pair<std::string, std::string>, 8>;
FeeVariables ComputeFeeVariables(const TierCounts& counts, Currency fee1, Currency fee2, Currency fee3);

} // namespace tallivo
