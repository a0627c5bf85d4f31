#pragma once
// Look-alikes of identifying values: the same length, each character replaced by one of
// its own kind, so that a rule that reads the kind of a character reads the same.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tallivo {

// The secret the look-alikes are drawn from. Deriving it from the whole input keeps the
// masked copy deterministic without letting its reader try the few possible values of a
// short field against it.
using MaskKey = std::array<std::uint8_t, 20>;

// Whether a value has a character a look-alike replaces (a blank or punctuation-only
// value is kept as it is).
bool HasMaskableCharacters(std::string_view value);

// The attempt-th look-alike of a value (no leading or trailing blanks):
// - a value that reads as a number varies its digits only, so sign, point and exponent
//   stay where they are; one whose digits are all zero is kept;
// - a value of 10 or 11 digits keeps how its last digit stands to the home-bank check
//   digit of the others (a valid account stays valid, an invalid one is off by as much);
// - otherwise digits become digits, capital letters capital letters, small letters small
//   letters, Thai consonants Thai consonants, Thai digits Thai digits and Thai vowels and
//   tone marks others of the same place (before, above, below, after the consonant);
//   blanks, punctuation and every other byte are kept.
// The same value, attempt and key always give the same look-alike.
std::string LookAlike(std::string_view value, std::uint32_t attempt, const MaskKey& key);

} // namespace tallivo
