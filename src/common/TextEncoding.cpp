#include "common/TextEncoding.h"

namespace tallivo {

namespace {

char32_t Windows874Char(unsigned char b)
{
    if (b < 0x80)
        return b;
    switch (b) {
    case 0x80:
        return 0x20AC;
    case 0x85:
        return 0x2026;
    case 0x91:
        return 0x2018;
    case 0x92:
        return 0x2019;
    case 0x93:
        return 0x201C;
    case 0x94:
        return 0x201D;
    case 0x95:
        return 0x2022;
    case 0x96:
        return 0x2013;
    case 0x97:
        return 0x2014;
    case 0xA0:
        return 0x00A0;
    default:
        break;
    }
    if ((b >= 0xA1 && b <= 0xDA) || (b >= 0xDF && b <= 0xFB))
        return 0x0E01 + (b - 0xA1);
    return 0xFFFD;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Windows874ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes)
        AppendUtf8(out, Windows874Char(static_cast<unsigned char>(ch)));
    return out;
}

} // namespace tallivo
