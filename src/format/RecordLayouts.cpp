#include "format/RecordLayouts.h"

#include "format/CreditLayout.h"
#include "format/DebitLayout.h"
#include "format/DirectDebitBatchLayout.h"
#include "format/DirectDebitItemLayout.h"
#include "format/HeaderLayout.h"
#include "format/InvoiceLayout.h"
#include "format/PayeeLayout.h"
#include "format/ProductSets.h"
#include "format/RecordTypes.h"
#include "format/TrailerLayout.h"
#include "format/WhtLayout.h"

namespace tallivo {

namespace {

struct NamedLayout
{
    std::string_view code;
    std::string_view name;
    std::span<const Field> fields;
};

constexpr NamedLayout kLayouts[] = {
    {RecordCode::Header, "Header", Header::kFields},
    {RecordCode::Debit, "Debit", Debit::kFieldsA},
    {RecordCode::Credit, "Credit", Credit::kFields},
    {RecordCode::Payee, "Payee", Payee::kFields},
    {RecordCode::Wht, "WHT", Wht::kFields},
    {RecordCode::Invoice, "Invoice", Invoice::kFields},
    {RecordCode::DirectDebitBatch, "Direct debit batch", DirectDebitBatch::kFields},
    {RecordCode::DirectDebitItem, "Direct debit item", DirectDebitItem::kFields},
    {RecordCode::Trailer, "Trailer", Trailer::kFields},
};

} // namespace

std::optional<RecordLayout> LayoutOfLine(std::string_view line)
{
    const std::string_view code = CodeOf(line);
    for (const NamedLayout& layout : kLayouts) {
        if (layout.code != code)
            continue;
        std::span<const Field> fields = layout.fields;
        if (code == RecordCode::Debit && Contains(kMediaClearingGroup, Fields(line)[Debit::ProductCode]))
            fields = Debit::kFieldsB;
        return RecordLayout{layout.code, layout.name, RecordLength(code), fields};
    }
    return std::nullopt;
}

} // namespace tallivo
