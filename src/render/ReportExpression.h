#pragma once
// The renderer's expressions for report variables. The program passes every value
// as a string constant: the text in single quotes, each single quote inside doubled.
#include <string>
#include <string_view>

namespace tallivo {

// The text of a string constant; raises an error naming the variable and the
// expression for anything that is not one.
std::string EvaluateExpression(std::string_view name, std::string_view expression);

} // namespace tallivo
