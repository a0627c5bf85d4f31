#include "TestFiles.h"
#include "sealing/Sha1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

using namespace tallivo;
using tallivo::test::TempFolder;

namespace {

std::string Digest(const std::string& bytes)
{
    Sha1Context ctx;
    Sha1Init(ctx);
    Sha1Update(ctx, bytes.data(), bytes.size());
    std::uint8_t out[kSha1DigestSize];
    Sha1Final(ctx, out);
    return Sha1Hex(out);
}

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(gen());
    return bytes;
}

// Runs every test twice: with the processor's SHA instructions (when it has them)
// and with the portable code.
class Sha1 : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (!GetParam())
            Sha1ForcePortable(true);
        else if (!Sha1UsesShaInstructions())
            GTEST_SKIP() << "the processor has no SHA instructions";
    }
    void TearDown() override { Sha1ForcePortable(false); }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Paths, Sha1, ::testing::Values(true, false),
                         [](const auto& param) { return param.param ? "ShaInstructions" : "Portable"; });

TEST_P(Sha1, StandardVectors)
{
    EXPECT_EQ(Digest(""), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_EQ(Digest("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
    EXPECT_EQ(Digest(std::string(1000000, 'a')), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

TEST_P(Sha1, FilesAtBlockBoundariesMatchReference)
{
    TempFolder dir;
    const std::size_t sizes[] = {0, 1, 55, 56, 63, 64, 65, 119, 120, 8191, 8192, 8193, 16384, 100000};
    for (const std::size_t size : sizes) {
        const std::string path = dir.Write("f" + std::to_string(size), RandomBytes(size, unsigned(size)));
        std::uint8_t out[kSha1DigestSize];
        ASSERT_TRUE(DigestFile(path, out));
        EXPECT_EQ(Sha1Hex(out), test::Sha1sumOf(path)) << size << " bytes";
    }
}

TEST_P(Sha1, AnySplitOfTheInputGivesTheSameDigest)
{
    TempFolder dir;
    const std::string bytes = RandomBytes(50000, 7);
    const std::string expected = test::Sha1sumOf(dir.Write("r", bytes));
    ASSERT_EQ(expected.size(), 40u);
    std::mt19937 gen(11);
    for (int round = 0; round < 20; ++round) {
        Sha1Context ctx;
        Sha1Init(ctx);
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            // Mostly small pieces, now and then a long one that crosses many blocks.
            std::size_t piece = gen() % 4 == 0 ? gen() % 5000 : gen() % 130;
            piece = std::min(piece, bytes.size() - pos);
            Sha1Update(ctx, bytes.data() + pos, piece);
            pos += piece;
            if (round == 0)
                Sha1Update(ctx, nullptr, 0); // an empty feed, with no data at all, changes nothing
        }
        std::uint8_t out[kSha1DigestSize];
        Sha1Final(ctx, out);
        EXPECT_EQ(Sha1Hex(out), expected) << "round " << round;
    }
}

TEST_P(Sha1, FinalZeroesTheContext)
{
    Sha1Context ctx;
    Sha1Init(ctx);
    Sha1Update(ctx, "abcdefgh", 8);
    std::uint8_t out[kSha1DigestSize];
    Sha1Final(ctx, out);
    const Sha1Context zero{};
    EXPECT_EQ(std::memcmp(&ctx, &zero, sizeof ctx), 0);
}

TEST(Sha1File, MissingFileLeavesTheOutputAreaAlone)
{
    TempFolder dir;
    std::uint8_t out[kSha1DigestSize];
    std::memset(out, 0xAB, sizeof out);
    EXPECT_FALSE(DigestFile(dir.Path("missing"), out));
    for (std::uint8_t b : out)
        EXPECT_EQ(b, 0xAB);
}
