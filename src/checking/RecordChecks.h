#pragma once
// One check per record type. Each reports only through the session's grid
// (AddError / AddAccountError / FlagInvalidData) and its check context.
#include "checking/CheckSession.h"

#include <string_view>

namespace tallivo {

void CheckHeaderRecord(CheckSession& s, std::string_view line, int lineNo);
void CheckDebitRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product);
void CheckCreditRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product);
void CheckPayeeRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product);
void CheckWhtRecord(CheckSession& s, std::string_view line, int lineNo, int incomeTypeCount,
                    std::string_view product);
void CheckInvoiceRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product);
void CheckDirectDebitBatchRecord(CheckSession& s, std::string_view line, int lineNo);
void CheckDirectDebitItemRecord(CheckSession& s, std::string_view line, int lineNo);
void CheckTrailerRecord(CheckSession& s, std::string_view line, int lineNo);

} // namespace tallivo
