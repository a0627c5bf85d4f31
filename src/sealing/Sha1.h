#pragma once
// SHA-1 (FIPS 180-1) as a small incremental routine set over a state record, and
// DigestFile, which digests a whole file read in blocks of 8192 bytes. The hash value
// that seals a payment file is the SHA-1 digest of its re-cut copy.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tallivo {

struct Sha1Context
{
    std::uint32_t State[5];     // chaining values H0 to H4
    std::uint32_t BitCountHigh; // upper half of the number of message bits fed so far
    std::uint32_t BitCountLow;  // lower half of that number
    std::uint8_t Buffer[64];    // the block being filled; bytes at and after BufferIndex are zero
    std::int32_t BufferIndex;   // number of bytes in Buffer, 0 to 63
};

constexpr std::size_t kSha1DigestSize = 20;

void Sha1Init(Sha1Context& ctx);
// Feeds length bytes (0 allowed). Whole 64-byte blocks are compressed straight from
// the input when the buffer is empty; the result is the same for any split of the bytes.
void Sha1Update(Sha1Context& ctx, const void* data, std::size_t length);
// Writes the 20-byte digest, then sets the whole context to zeros.
void Sha1Final(Sha1Context& ctx, std::uint8_t digest[kSha1DigestSize]);
// Folds the full Buffer into State, then zeroes Buffer.
void Sha1Compress(Sha1Context& ctx);

// Digests the whole file, read as raw bytes in blocks of 8192 bytes. False, with the
// output area untouched, when the file cannot be opened; a read error after a
// successful open raises the file error.
bool DigestFile(const std::string& path, std::uint8_t digest[kSha1DigestSize]);

// The hash value text: two upper-case hexadecimal digits per digest byte, first byte first.
std::string Sha1Hex(const std::uint8_t digest[kSha1DigestSize]);

// True when the processor's SHA instructions are in use.
bool Sha1UsesShaInstructions();
// Makes every digest use the portable code (or again the SHA instructions when the
// processor has them). For tests and benchmarks, which compare the two.
void Sha1ForcePortable(bool portable);

} // namespace tallivo
