#pragma once
#include <string>
#include <string_view>

namespace tallivo {

// Enclosed in single quotes with every single quote inside doubled (O'NEIL ->
// 'O''NEIL'): a text value in an SQL statement, and a string constant for the report
// renderer.
std::string QuotedText(std::string_view text);

} // namespace tallivo
