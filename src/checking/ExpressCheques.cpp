// The express cheque limit: how many credit records may stand under express cheque debits.
#include "checking/ExpressCheques.h"

#include "format/DebitLayout.h"
#include "format/PaymentFileReader.h"
#include "format/ProductSets.h"
#include "format/RecordTypes.h"

namespace tallivo {

namespace {
constexpr int kExpressChequeLimit = 20;
} // namespace

bool ExceedsExpressChequeLimit(const std::string& path)
{
    PaymentFileReader reader(path);
    PaymentLine line;
    std::string productHeld;
    int xmq = 0;
    int xdq = 0;
    while (reader.Next(line)) {
        const std::string_view code = CodeOf(line.text);
        if (code == RecordCode::Debit) {
            productHeld = Fields(line.text)[Debit::ProductCode];
        } else if (code == RecordCode::Credit) {
            if (productHeld == Product::ExpressManagerCheque)
                ++xmq;
            else if (productHeld == Product::ExpressDemandDraft)
                ++xdq;
        }
    }
    return xdq > kExpressChequeLimit || xmq > kExpressChequeLimit;
}

} // namespace tallivo
