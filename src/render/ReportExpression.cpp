#include "render/ReportExpression.h"

#include "common/AppError.h"

namespace tallivo {

std::string EvaluateExpression(std::string_view name, std::string_view expression)
{
    auto fail = [&]() -> std::string {
        throw AppError(AppError::Kind::Other, "Report variable " + std::string(name) +
                                                  ": the value is not a string constant: " + std::string(expression));
    };
    if (expression.size() < 2 || expression.front() != '\'' || expression.back() != '\'')
        return fail();
    std::string text;
    text.reserve(expression.size() - 2);
    const std::string_view inner = expression.substr(1, expression.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\'') {
            // Inside the constant a quote stands only doubled.
            if (i + 1 >= inner.size() || inner[i + 1] != '\'')
                return fail();
            ++i;
        }
        text += inner[i];
    }
    return text;
}

} // namespace tallivo
