#pragma once
// The pass-wide values that the validation pass and the record checks share.
// All live for the whole run; the validation pass resets only some of them at its
// start (see ValidatePaymentFile), the others carry over from the previous pass.
#include <cstdint>
#include <string>

namespace tallivo {

struct CheckContext
{
    bool dataValid = false;
    std::string currentProduct; // the product code of the last debit or direct-debit batch record
    double debitAmount = 0;
    std::int32_t debitLine = 0;
    double creditAmountSum = 0;
    double debitAmountTotal = 0;
    double totalWhtAmount = 0;
    std::int32_t creditLine = 0;
    double whtAmountSum = 0;
    std::int32_t debitCount = 0;
    std::int32_t creditCount = 0;
    std::int32_t declaredCreditCount = 0;
    std::int32_t creditsUnderDebit = 0;
    std::string declaredWhtCountText;
    std::int32_t declaredWhtCount = 0;
    std::int32_t whtCount = 0;
    std::string declaredInvoiceCountText;
    std::int32_t declaredInvoiceCount = 0;
    std::int32_t invoiceCount = 0;
    bool trailerSeen = false;
    std::string companyId;
    std::int32_t invalidAccountCount = 0;
    bool beneNotifyByFax = false;
    bool whtPresent = false;

    bool operator==(const CheckContext&) const = default;
};

} // namespace tallivo
