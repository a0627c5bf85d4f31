#include "masking/LookAlike.h"

#include "format/Primitives.h"
#include "sealing/Sha1.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace tallivo {

namespace {

// A stream of draws seeded from the key, the value and the attempt (splitmix64 over a
// SHA-1 seed).
class Draws
{
public:
    Draws(std::string_view value, std::uint32_t attempt, const MaskKey& key)
    {
        Sha1Context sha;
        Sha1Init(sha);
        Sha1Update(sha, key.data(), key.size());
        const unsigned char attemptBytes[4] = {static_cast<unsigned char>(attempt),
                                               static_cast<unsigned char>(attempt >> 8),
                                               static_cast<unsigned char>(attempt >> 16),
                                               static_cast<unsigned char>(attempt >> 24)};
        Sha1Update(sha, attemptBytes, sizeof attemptBytes);
        Sha1Update(sha, value.data(), value.size());
        std::uint8_t digest[kSha1DigestSize];
        Sha1Final(sha, digest);
        std::memcpy(&m_state, digest, sizeof m_state);
    }
    // In [0, n).
    unsigned Below(unsigned n)
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<unsigned>(z % n);
    }

private:
    std::uint64_t m_state = 0;
};

// The kinds of single-byte Thai characters that replace one another.
constexpr unsigned char kThaiAfterVowels[] = {0xD0, 0xD2};
constexpr unsigned char kThaiAboveVowels[] = {0xD1, 0xD4, 0xD5, 0xD6, 0xD7};
constexpr unsigned char kThaiBelowVowels[] = {0xD8, 0xD9};
constexpr unsigned char kThaiLeadingVowels[] = {0xE0, 0xE1, 0xE2, 0xE3, 0xE4};
constexpr unsigned char kThaiToneMarks[] = {0xE8, 0xE9, 0xEA, 0xEB};

bool In(std::span<const unsigned char> set, unsigned char c)
{
    return std::find(set.begin(), set.end(), c) != set.end();
}

// A character of the same kind as c, or c itself when its kind is kept.
char SameKind(char c, Draws& draws)
{
    const auto u = static_cast<unsigned char>(c);
    const auto pick = [&](std::span<const unsigned char> set) {
        return static_cast<char>(set[draws.Below(static_cast<unsigned>(set.size()))]);
    };
    if (u >= '0' && u <= '9')
        return static_cast<char>('0' + draws.Below(10));
    if (u >= 'A' && u <= 'Z')
        return static_cast<char>('A' + draws.Below(26));
    if (u >= 'a' && u <= 'z')
        return static_cast<char>('a' + draws.Below(26));
    if (u >= 0xA1 && u <= 0xCE) // consonants
        return static_cast<char>(0xA1 + draws.Below(0xCE - 0xA1 + 1));
    if (u >= 0xF0 && u <= 0xF9) // Thai digits
        return static_cast<char>(0xF0 + draws.Below(10));
    for (const std::span<const unsigned char> set :
         {std::span<const unsigned char>(kThaiAfterVowels), std::span<const unsigned char>(kThaiAboveVowels),
          std::span<const unsigned char>(kThaiBelowVowels), std::span<const unsigned char>(kThaiLeadingVowels),
          std::span<const unsigned char>(kThaiToneMarks)})
        if (In(set, u))
            return pick(set);
    return c;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsDigit);
}

// The home-bank account's weighed digits: all but the 4th of an 11-digit value.
std::string WeighedDigits(std::string_view digits)
{
    std::string ten;
    for (std::size_t i = 0; i < digits.size(); ++i)
        if (!(digits.size() == 11 && i == 3))
            ten += digits[i];
    return ten;
}

// How far the last digit stands from the check digit of the nine weighed before it.
int CheckDigitOffset(std::string_view digits)
{
    const std::string ten = WeighedDigits(digits);
    return ((ten[9] - '0') - AccountCheckDigit(ten) + 10) % 10;
}

// Whether c is of a kind that look-alikes replace.
bool HasKind(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return IsDigit(c) || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= 0xA1 && u <= 0xCE) ||
           (u >= 0xF0 && u <= 0xF9) || In(kThaiAfterVowels, u) || In(kThaiAboveVowels, u) ||
           In(kThaiBelowVowels, u) || In(kThaiLeadingVowels, u) || In(kThaiToneMarks, u);
}

} // namespace

bool HasMaskableCharacters(std::string_view value)
{
    if (IsNumber(value))
        return std::any_of(value.begin(), value.end(), [](char c) { return IsDigit(c) && c != '0'; });
    return std::any_of(value.begin(), value.end(), [](char c) { return HasKind(c); });
}

std::string LookAlike(std::string_view value, std::uint32_t attempt, const MaskKey& key)
{
    Draws draws(value, attempt, key);
    std::string out(value);
    if (IsNumber(value)) {
        if (std::none_of(value.begin(), value.end(), [](char c) { return IsDigit(c) && c != '0'; }))
            return out;
        for (char& c : out)
            if (IsDigit(c))
                c = static_cast<char>('0' + draws.Below(10));
        if ((value.size() == 10 || value.size() == 11) && AllDigits(value)) {
            const int offset = CheckDigitOffset(value);
            const std::string ten = WeighedDigits(out);
            out.back() = static_cast<char>('0' + (AccountCheckDigit(ten) + offset) % 10);
        }
        return out;
    }
    for (char& c : out)
        c = SameKind(c, draws);
    return out;
}

} // namespace tallivo
