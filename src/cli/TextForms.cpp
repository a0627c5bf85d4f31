#include "cli/TextForms.h"

#include "common/TextEncoding.h"

#include <cstdint>
#include <cstdio>

namespace tallivo::cli {

namespace {

// The length of the valid UTF-8 sequence starting at s[i], or 0 when there is none
// (overlong forms, surrogates and values past U+10FFFF are not valid).
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80)
        return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            lo = 0xA0;
        if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    if (b(i + 1) < lo || b(i + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF)
            return 0;
    return n;
}

bool IsValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8SequenceLength(s, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

char32_t DecodeAt(std::string_view s, std::size_t i, std::size_t n)
{
    const auto b = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[k])); };
    switch (n) {
    case 1: return b(i);
    case 2: return (b(i) & 0x1F) << 6 | (b(i + 1) & 0x3F);
    case 3: return (b(i) & 0x0F) << 12 | (b(i + 1) & 0x3F) << 6 | (b(i + 2) & 0x3F);
    default: return (b(i) & 0x07) << 18 | (b(i + 1) & 0x3F) << 12 | (b(i + 2) & 0x3F) << 6 | (b(i + 3) & 0x3F);
    }
}

constexpr char32_t kReplacement = 0xFFFD;

// Thai marks written above or below the letter before them.
bool IsThaiCombiningMark(char32_t c)
{
    return c == 0x0E31 || (c >= 0x0E34 && c <= 0x0E3A) || (c >= 0x0E47 && c <= 0x0E4E);
}

} // namespace

std::string FileTextUtf8(std::string_view bytes)
{
    return Windows874ToUtf8(bytes);
}

std::string MessageUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Windows874ToUtf8(bytes);
}

std::string Visible(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = Utf8SequenceLength(utf8, i);
        if (n == 0) { // not UTF-8 after all: never passed on raw
            AppendUtf8(out, kReplacement);
            ++i;
            continue;
        }
        const char32_t c = DecodeAt(utf8, i, n);
        if (c < 0x20)
            AppendUtf8(out, 0x2400 + c);
        else if (c == 0x7F)
            AppendUtf8(out, 0x2421);
        else if (c >= 0x80 && c <= 0x9F)
            AppendUtf8(out, kReplacement);
        else
            out.append(utf8.substr(i, n));
        i += n;
    }
    return out;
}

std::size_t DisplayWidth(std::string_view utf8)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = Utf8SequenceLength(utf8, i);
        const char32_t c = n == 0 ? kReplacement : DecodeAt(utf8, i, n);
        if (!IsThaiCombiningMark(c))
            ++width;
        i += n == 0 ? 1 : n;
    }
    return width;
}

std::string JsonString(std::string_view utf8)
{
    std::string out = "\"";
    out.reserve(utf8.size() + 2);
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = Utf8SequenceLength(utf8, i);
        if (n == 0) { // not UTF-8: the JSON stays valid
            out += "\\ufffd";
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (n > 1) {
            out.append(utf8.substr(i, n));
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
        i += n;
    }
    return out + "\"";
}

std::string JsonNumber(std::string_view text)
{
    std::string out;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-')
        out += text[i++];
    const std::size_t intStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == intStart)
        return "null";
    std::string_view integer = text.substr(intStart, i - intStart);
    while (integer.size() > 1 && integer.front() == '0') // JSON has no leading zeros
        integer.remove_prefix(1);
    out.append(integer);
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == fracStart)
            return "null";
        out += '.';
        out.append(text.substr(fracStart, i - fracStart));
    }
    return i == text.size() ? out : "null";
}

} // namespace tallivo::cli
