#include "sealing/Sha1.h"

#include "common/InputFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define TALLIVO_SHA1_X86 1
#endif

namespace tallivo {

namespace {

constexpr std::size_t kFileBlockSize = 8192;

using BlockFunction = void (*)(std::uint32_t state[5], const std::uint8_t* data, std::size_t blocks);

inline std::uint32_t Rotl(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline std::uint32_t LoadBigEndian(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

inline void StoreBigEndian(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

// The compression function on whole 64-byte blocks: the 80-word message schedule,
// four groups of twenty steps, and the addition of the working words to the state.
void CompressBlocksPortable(std::uint32_t state[5], const std::uint8_t* data, std::size_t blocks)
{
    std::uint32_t w[80];
    for (; blocks > 0; --blocks, data += 64) {
        for (int t = 0; t < 16; ++t)
            w[t] = LoadBigEndian(data + 4 * t);
        for (int t = 16; t < 80; ++t)
            w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
        auto step = [&](std::uint32_t f, std::uint32_t k, std::uint32_t wt) {
            const std::uint32_t temp = Rotl(a, 5) + f + e + k + wt;
            e = d;
            d = c;
            c = Rotl(b, 30);
            b = a;
            a = temp;
        };
        for (int t = 0; t < 20; ++t)
            step((b & c) | (~b & d), 0x5A827999u, w[t]);
        for (int t = 20; t < 40; ++t)
            step(b ^ c ^ d, 0x6ED9EBA1u, w[t]);
        for (int t = 40; t < 60; ++t)
            step((b & c) | (b & d) | (c & d), 0x8F1BBCDCu, w[t]);
        for (int t = 60; t < 80; ++t)
            step(b ^ c ^ d, 0xCA62C1D6u, w[t]);
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
    // The schedule is message material: it does not outlive the call.
    volatile std::uint32_t* wipe = w;
    for (int t = 0; t < 80; ++t)
        wipe[t] = 0;
}

#ifdef TALLIVO_SHA1_X86

// The same compression with the processor's SHA instructions. Each group of four
// steps uses one message vector W(g); the vectors for g >= 4 are built over the
// groups before they are needed: msg1(W(g-4), W(g-3)), then xor W(g-2), then
// msg2 with W(g-1).
#define TALLIVO_SHA1_GROUP(g)                                                                                          \
    do {                                                                                                               \
        __m128i e;                                                                                                     \
        if ((g) == 0)                                                                                                  \
            e = _mm_add_epi32(e0, m[0]);                                                                               \
        else                                                                                                           \
            e = _mm_sha1nexte_epu32(prevAbcd, m[(g) % 4]);                                                             \
        prevAbcd = abcd;                                                                                               \
        abcd = _mm_sha1rnds4_epu32(abcd, e, (g) / 5);                                                                  \
        if ((g) >= 3 && (g) <= 18)                                                                                     \
            m[((g) + 1) % 4] = _mm_sha1msg2_epu32(m[((g) + 1) % 4], m[(g) % 4]);                                      \
        if ((g) >= 2 && (g) <= 17)                                                                                     \
            m[((g) + 2) % 4] = _mm_xor_si128(m[((g) + 2) % 4], m[(g) % 4]);                                           \
        if ((g) >= 1 && (g) <= 16)                                                                                     \
            m[((g) + 3) % 4] = _mm_sha1msg1_epu32(m[((g) + 3) % 4], m[(g) % 4]);                                      \
    } while (false)

__attribute__((target("sha,sse4.1"))) void CompressBlocksShaNi(std::uint32_t state[5], const std::uint8_t* data,
                                                                std::size_t blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abcdSave = abcd;
        const __m128i e0Save = e0;
        __m128i m[4];
        for (int i = 0; i < 4; ++i)
            m[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
        __m128i prevAbcd = abcd;
        TALLIVO_SHA1_GROUP(0);
        TALLIVO_SHA1_GROUP(1);
        TALLIVO_SHA1_GROUP(2);
        TALLIVO_SHA1_GROUP(3);
        TALLIVO_SHA1_GROUP(4);
        TALLIVO_SHA1_GROUP(5);
        TALLIVO_SHA1_GROUP(6);
        TALLIVO_SHA1_GROUP(7);
        TALLIVO_SHA1_GROUP(8);
        TALLIVO_SHA1_GROUP(9);
        TALLIVO_SHA1_GROUP(10);
        TALLIVO_SHA1_GROUP(11);
        TALLIVO_SHA1_GROUP(12);
        TALLIVO_SHA1_GROUP(13);
        TALLIVO_SHA1_GROUP(14);
        TALLIVO_SHA1_GROUP(15);
        TALLIVO_SHA1_GROUP(16);
        TALLIVO_SHA1_GROUP(17);
        TALLIVO_SHA1_GROUP(18);
        TALLIVO_SHA1_GROUP(19);
        e0 = _mm_sha1nexte_epu32(prevAbcd, e0Save);
        abcd = _mm_add_epi32(abcd, abcdSave);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}

#undef TALLIVO_SHA1_GROUP

// Asks the processor itself (CPUID), which both GCC and Clang can compile: SSSE3 and
// SSE4.1 are leaf 1's ECX bits 9 and 19, the SHA extensions leaf 7's EBX bit 29.
bool ProcessorHasShaInstructions()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    const bool ssse3 = (ecx >> 9 & 1U) != 0;
    const bool sse41 = (ecx >> 19 & 1U) != 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx))
        return false;
    const bool sha = (ebx >> 29 & 1U) != 0;
    return ssse3 && sse41 && sha;
}

#else

bool ProcessorHasShaInstructions()
{
    return false;
}

#endif

const bool kHasShaInstructions = ProcessorHasShaInstructions();
std::atomic<bool> g_forcePortable{false};

BlockFunction CurrentBlockFunction()
{
#ifdef TALLIVO_SHA1_X86
    if (kHasShaInstructions && !g_forcePortable.load(std::memory_order_relaxed))
        return CompressBlocksShaNi;
#endif
    return CompressBlocksPortable;
}

void AddBits(Sha1Context& ctx, std::size_t length)
{
    const std::uint64_t bits = (std::uint64_t(ctx.BitCountHigh) << 32 | ctx.BitCountLow) + std::uint64_t(length) * 8;
    ctx.BitCountHigh = std::uint32_t(bits >> 32);
    ctx.BitCountLow = std::uint32_t(bits);
}

} // namespace

bool Sha1UsesShaInstructions()
{
    return CurrentBlockFunction() != CompressBlocksPortable;
}

void Sha1ForcePortable(bool portable)
{
    g_forcePortable.store(portable, std::memory_order_relaxed);
}

void Sha1Init(Sha1Context& ctx)
{
    ctx.State[0] = 0x67452301u;
    ctx.State[1] = 0xEFCDAB89u;
    ctx.State[2] = 0x98BADCFEu;
    ctx.State[3] = 0x10325476u;
    ctx.State[4] = 0xC3D2E1F0u;
    ctx.BitCountHigh = 0;
    ctx.BitCountLow = 0;
    std::memset(ctx.Buffer, 0, sizeof ctx.Buffer);
    ctx.BufferIndex = 0;
}

void Sha1Compress(Sha1Context& ctx)
{
    CurrentBlockFunction()(ctx.State, ctx.Buffer, 1);
    std::memset(ctx.Buffer, 0, sizeof ctx.Buffer);
}

void Sha1Update(Sha1Context& ctx, const void* data, std::size_t length)
{
    if (length == 0)
        return; // nothing to feed; data may then be null
    AddBits(ctx, length);
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (ctx.BufferIndex > 0) {
        const std::size_t take = std::min<std::size_t>(length, 64 - static_cast<std::size_t>(ctx.BufferIndex));
        std::memcpy(ctx.Buffer + ctx.BufferIndex, p, take);
        ctx.BufferIndex += static_cast<std::int32_t>(take);
        p += take;
        length -= take;
        if (ctx.BufferIndex < 64)
            return;
        ctx.BufferIndex = 0;
        Sha1Compress(ctx);
    }
    // The buffer is empty: whole blocks go straight from the input.
    const std::size_t blocks = length / 64;
    if (blocks > 0) {
        CurrentBlockFunction()(ctx.State, p, blocks);
        p += blocks * 64;
        length -= blocks * 64;
    }
    if (length > 0) {
        std::memcpy(ctx.Buffer, p, length);
        ctx.BufferIndex = static_cast<std::int32_t>(length);
    }
}

void Sha1Final(Sha1Context& ctx, std::uint8_t digest[kSha1DigestSize])
{
    ctx.Buffer[ctx.BufferIndex] = 0x80;
    if (ctx.BufferIndex >= 56)
        Sha1Compress(ctx);
    StoreBigEndian(ctx.Buffer + 56, ctx.BitCountHigh);
    StoreBigEndian(ctx.Buffer + 60, ctx.BitCountLow);
    Sha1Compress(ctx);
    for (int i = 0; i < 5; ++i)
        StoreBigEndian(digest + 4 * i, ctx.State[i]);
    std::memset(&ctx, 0, sizeof ctx);
}

bool DigestFile(const std::string& path, std::uint8_t digest[kSha1DigestSize])
{
    const std::unique_ptr<InputFile> file = InputFile::TryOpen(path);
    if (!file)
        return false;
    Sha1Context ctx;
    Sha1Init(ctx);
    char block[kFileBlockSize];
    for (;;) {
        // Only the end of the file gives fewer than 8192 bytes.
        const std::size_t got = file->Read(block, kFileBlockSize);
        Sha1Update(ctx, reinterpret_cast<const std::uint8_t*>(block), got);
        if (got < kFileBlockSize)
            break;
    }
    Sha1Final(ctx, digest);
    return true;
}

std::string Sha1Hex(const std::uint8_t digest[kSha1DigestSize])
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex(2 * kSha1DigestSize, '0');
    for (std::size_t i = 0; i < kSha1DigestSize; ++i) {
        hex[2 * i] = kDigits[digest[i] >> 4];
        hex[2 * i + 1] = kDigits[digest[i] & 0x0F];
    }
    return hex;
}

} // namespace tallivo
