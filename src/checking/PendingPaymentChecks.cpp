// Placeholder checks of the credit, payee, WHT and invoice records, replaced as each is built.
#include "checking/RecordChecks.h"

namespace tallivo {

void CheckCreditRecord(CheckSession&, std::string_view, int, std::string_view) {}
void CheckPayeeRecord(CheckSession&, std::string_view, int, std::string_view) {}
void CheckWhtRecord(CheckSession&, std::string_view, int, int, std::string_view) {}
void CheckInvoiceRecord(CheckSession&, std::string_view, int, std::string_view) {}

} // namespace tallivo
