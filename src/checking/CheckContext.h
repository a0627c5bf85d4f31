#pragma once
// The pass-wide values that the validation pass and the record checks share.
// All live for the whole run; the validation pass resets only some of them at its
// start (see ValidatePaymentFile), the others carry over from the previous pass.
#include <cstdint>
#include <string>

namespace tallivo {

struct CheckContext
{
    bool DataValid = false;
    std::string CurrentProduct; // columns 4-6 of the last "002" or "007" line
    double DebitAmount = 0;
    std::int32_t DebitLine = 0;
    double CreditAmountSum = 0;
    double DebitAmountTotal = 0;
    double TotalWhtAmount = 0;
    std::int32_t CreditLine = 0;
    double WhtAmountSum = 0;
    std::int32_t DebitCount = 0;
    std::int32_t CreditCount = 0;
    std::int32_t DeclaredCreditCount = 0;
    std::int32_t CreditsUnderDebit = 0;
    std::string DeclaredWhtCountText;
    std::int32_t DeclaredWhtCount = 0;
    std::int32_t WhtCount = 0;
    std::string DeclaredInvoiceCountText;
    std::int32_t DeclaredInvoiceCount = 0;
    std::int32_t InvoiceCount = 0;
    bool TrailerSeen = false;
    std::string CompanyId;
    std::int32_t InvalidAccountCount = 0;
    bool BeneNotifyByFax = false;
    bool WhtPresent = false;
};

} // namespace tallivo
