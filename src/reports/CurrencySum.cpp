#include "reports/CurrencySum.h"

#include "common/AppError.h"

namespace tallivo {

namespace {
[[noreturn]] void ThrowOverflow()
{
    throw AppError(AppError::Kind::Conversion, "Floating point overflow");
}
} // namespace

Currency AddCurrency(Currency a, Currency b)
{
    Currency sum;
    if (__builtin_add_overflow(a.scaled, b.scaled, &sum.scaled))
        ThrowOverflow();
    return sum;
}

Currency MultiplyCurrency(Currency a, std::int64_t n)
{
    Currency product;
    if (__builtin_mul_overflow(a.scaled, n, &product.scaled))
        ThrowOverflow();
    return product;
}

} // namespace tallivo
