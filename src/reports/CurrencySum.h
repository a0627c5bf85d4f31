#pragma once
// Currency arithmetic that cannot wrap: a sum or product beyond the currency range
// raises an error instead of giving a wrong amount.
#include "format/Primitives.h"

#include <cstdint>

namespace tallivo {

Currency AddCurrency(Currency a, Currency b);
Currency MultiplyCurrency(Currency a, std::int64_t n);

} // namespace tallivo
