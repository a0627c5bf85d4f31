#pragma once
// The product codes and product sets of the record checks, the summary and the file
// generator, and the code lists more than one of them uses. Product codes are compared
// exactly and case-sensitively (Contains); a code in no set skips every rule that names
// a set.
#include <cstddef>
#include <string_view>

namespace tallivo {

// One of the listed texts (product sets, allowed codes).
template <std::size_t N>
constexpr bool Contains(const std::string_view (&set)[N], std::string_view text)
{
    for (std::string_view item : set)
        if (item == text)
            return true;
    return false;
}

// The products that rules and reports name one by one.
namespace Product {
inline constexpr std::string_view MediaClearing = "MCL";
inline constexpr std::string_view BahtNet = "BNT";
inline constexpr std::string_view DirectDebit = "DDR";
inline constexpr std::string_view ExpressManagerCheque = "XMQ";
inline constexpr std::string_view ExpressDemandDraft = "XDQ";
} // namespace Product

// The products a debit record may carry.
inline constexpr std::string_view kDebitProducts[] = {"PAY", "PA2", "PA3", "PA4", "PA5", "PA6", "DCP",
                                                      "MCL", "BNT", "MCP", "CCP", "DDP", "XMQ", "XDQ"};
// Error rows of these products show the payee name instead of the credit account.
inline constexpr std::string_view kPayeeNameProducts[] = {"MCP", "DDP", "CCP"};
// Payee names are examined only for these.
inline constexpr std::string_view kNameRuleProducts[] = {"MCP", "CCP", "DDP", "XMQ", "XDQ"};
inline constexpr std::string_view kChequeProducts[] = {"MCP", "DDP", "CCP", "XMQ", "XDQ"};
inline constexpr std::string_view kExpressChequeProducts[] = {"XMQ", "XDQ"};
inline constexpr std::string_view kTransferProducts[] = {"DCP", "PAY", "PA2", "PA3", "PA4",
                                                         "PA5", "PA6", "MCL", "BNT"};
// The debit record's layout B (media clearing fields) and its value-date rule.
inline constexpr std::string_view kMediaClearingGroup[] = {"MCL", "PA4", "PA5", "PA6"};
// The debit record's layout A: a valid home-bank fee account.
inline constexpr std::string_view kFeeAccountProducts[] = {"DCP", "PAY", "PA2", "PA3", "MCP",
                                                           "DDP", "CCP", "XMQ", "XDQ"};
// The credit account must be a valid account of the home bank, at bank "014".
inline constexpr std::string_view kOrvaneAccountProducts[] = {"DCP", "PAY", "PA2", "PA3"};
// The credit account is examined as a home-bank account when the bank code is "014".
inline constexpr std::string_view kBankCodeProducts[] = {"DDR", "MCL", "PA4", "PA5", "PA6", "BNT"};
// Media clearing products that must not pay to the home bank.
inline constexpr std::string_view kOtherBankClearingProducts[] = {"PA4", "PA5", "PA6"};

inline constexpr std::string_view kHomeBankCode = "014";

// The credit record's WHT form types.
inline constexpr std::string_view kWhtFormTypes[] = {"01", "02", "03", "53"};
// The credit record's payment type codes of a BahtNet payment.
inline constexpr std::string_view kBahtNetPaymentTypes[] = {"CSH", "BCQ", "HCQ", "DCA", "DSA", "BCA", "BSA",
                                                            "FCA", "FSA", "SPD", "SPC", "UST", "OFA", "FWD"};
// The credit record's services types of a media clearing payment.
inline constexpr std::string_view kMediaClearingServicesTypes[] = {"01", "02", "03", "04", "05", "06", "07", "59"};

} // namespace tallivo
