#pragma once
// The product sets of the credit, payee, WHT and invoice record checks. Product codes are
// compared exactly and case-sensitively (Contains, checking/RuleReporter.h); a code in no
// set skips every rule that names a set.
#include <string_view>

namespace tallivo {

// Error rows of these products show the payee name instead of the credit account.
inline constexpr std::string_view kPayeeNameProducts[] = {"MCP", "DDP", "CCP"};
// Payee names are examined only for these.
inline constexpr std::string_view kNameRuleProducts[] = {"MCP", "CCP", "DDP", "XMQ", "XDQ"};
inline constexpr std::string_view kChequeProducts[] = {"MCP", "DDP", "CCP", "XMQ", "XDQ"};
inline constexpr std::string_view kTransferProducts[] = {"DCP", "PAY", "PA2", "PA3", "PA4",
                                                         "PA5", "PA6", "MCL", "BNT"};
inline constexpr std::string_view kMediaClearingGroup[] = {"MCL", "PA4", "PA5", "PA6"};
// The credit account must be a valid account of the home bank, at bank "014".
inline constexpr std::string_view kOrvaneAccountProducts[] = {"DCP", "PAY", "PA2", "PA3"};
// The credit account is examined as a home-bank account when the bank code is "014".
inline constexpr std::string_view kBankCodeProducts[] = {"DDR", "MCL", "PA4", "PA5", "PA6", "BNT"};
// Media clearing products that must not pay to the home bank.
inline constexpr std::string_view kOtherBankClearingProducts[] = {"PA4", "PA5", "PA6"};

inline constexpr std::string_view kHomeBankCode = "014";

} // namespace tallivo
