#pragma once
// The payment file and the report tables hold single-byte Thai text (Windows-874);
// the report templates and Qt's text engine work in UTF-8 / Unicode.
#include <string>
#include <string_view>

namespace tallivo {

// Windows-874 bytes to UTF-8: ASCII as it is, Thai letters to U+0E01..U+0E5B, the
// few punctuation bytes to their characters, bytes without a character to U+FFFD.
std::string Windows874ToUtf8(std::string_view bytes);

// Appends a character of the Basic Multilingual Plane as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

} // namespace tallivo
