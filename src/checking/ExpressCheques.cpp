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

void ExpressChequeCount::Add(std::string_view line)
{
    const std::string_view code = CodeOf(line);
    if (code == RecordCode::Debit) {
        m_productHeld = Fields(line)[Debit::ProductCode];
    } else if (code == RecordCode::Credit) {
        if (m_productHeld == Product::ExpressManagerCheque)
            ++m_xmq;
        else if (m_productHeld == Product::ExpressDemandDraft)
            ++m_xdq;
    }
}

void ExpressChequeCount::Append(const ExpressChequeCount& later)
{
    m_productHeld = later.m_productHeld;
    m_xmq += later.m_xmq;
    m_xdq += later.m_xdq;
}

bool ExpressChequeCount::ExceedsLimit() const
{
    return m_xdq > kExpressChequeLimit || m_xmq > kExpressChequeLimit;
}

bool ExceedsExpressChequeLimit(const std::string& path)
{
    PaymentFileReader reader(path);
    PaymentLine line;
    ExpressChequeCount count;
    while (reader.Next(line))
        count.Add(line.text);
    return count.ExceedsLimit();
}

} // namespace tallivo
