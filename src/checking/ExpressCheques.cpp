// The express cheque limit: how many credit records may stand under express cheque debits.
#include "checking/ExpressCheques.h"

#include "format/PaymentFileReader.h"
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
        const std::string_view code = line.text.substr(0, 3);
        if (code == "002") {
            productHeld = Columns(line.text, 4, 6);
        } else if (code == "003") {
            if (productHeld == "XMQ")
                ++xmq;
            else if (productHeld == "XDQ")
                ++xdq;
        }
    }
    return xdq > kExpressChequeLimit || xmq > kExpressChequeLimit;
}

} // namespace tallivo
