#pragma once
// The forms in which the CLI prints texts: UTF-8 always, control characters visible
// where people read, JSON string literals that are valid UTF-8 JSON whatever the bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace tallivo::cli {

// Bytes of the payment file (single-byte Thai) as UTF-8, with the decoder of the
// window and the reports.
std::string FileTextUtf8(std::string_view bytes);

// A text that comes from the command line or the system as well as from the payment
// file (a message, a file name): kept when it is valid UTF-8, else decoded from the
// payment file's code page. ASCII is the same either way.
std::string MessageUtf8(std::string_view bytes);

// UTF-8 text made safe to show on a terminal: each C0 control character and DEL as
// its control picture (U+2400..U+241F, U+2421: NUL is shown as "␀", ESC as "␛"),
// each C1 control character as U+FFFD. Everything else is kept.
std::string Visible(std::string_view utf8);

// The number of terminal columns that UTF-8 text takes: one per character, none for
// the Thai vowel and tone marks written above or below a letter.
std::size_t DisplayWidth(std::string_view utf8);

// A JSON string literal of UTF-8 text (quotes, backslash and control characters escaped).
std::string JsonString(std::string_view utf8);

// A decimal text ("12", "-3.50", "40050.00") as a JSON number, or "null" when it is not one.
std::string JsonNumber(std::string_view text);

} // namespace tallivo::cli
