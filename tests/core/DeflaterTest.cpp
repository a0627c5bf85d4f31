#include "zip/Deflater.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

using tallivo::Deflater;

namespace {

// Inflates raw deflate data with zlib.
std::string Inflate(const std::string& deflated, std::size_t size)
{
    std::string out(size, '\0');
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    z.avail_in = static_cast<uInt>(deflated.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(z.avail_out, 0u);
    inflateEnd(&z);
    return out;
}

} // namespace

// Whatever the pieces the stream comes in, the compressed bytes inflate to the stream,
// and the CRC-32 and sizes are the ones a zip entry needs.
TEST(Deflater, CompressesAnyStreamToWhatInflatesBack)
{
    std::mt19937 random(7);
    std::string text;
    for (int line = 0; line < 20000; ++line)
        text += "003" + std::to_string(random() % 100000) + std::string(random() % 300, ' ') + "THB\r\n";
    const std::string bytes(3000, '\x9a');
    for (const std::string& input : {std::string(), std::string("x"), text, bytes + text}) {
        for (const std::size_t piece : {std::size_t{1} << 20, std::size_t{4093}}) {
            std::string deflated;
            Deflater d([&](const char* data, std::size_t size) { deflated.append(data, size); });
            for (std::size_t at = 0; at < input.size(); at += piece)
                d.Add(input.data() + at, std::min(piece, input.size() - at));
            d.Finish();
            EXPECT_EQ(d.Size(), input.size());
            EXPECT_EQ(d.CompressedSize(), deflated.size());
            EXPECT_EQ(d.Crc32(), crc32(0, reinterpret_cast<const Bytef*>(input.data()), static_cast<uInt>(input.size())));
            EXPECT_EQ(Inflate(deflated, input.size()), input);
            if (input.size() > 100000) {
                EXPECT_LT(deflated.size(), input.size() / 4);
            }
        }
    }
}
