// Throughput of DigestFile on a 256 MB file beside `openssl sha1` on the same file.
// Usage: bench_sha1 [size in MB, default 256] [folder, default the system temp folder]
#include "sealing/Sha1.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace tallivo;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 3;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

std::string DigestOf(const std::string& path, double& best)
{
    std::string hex;
    best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        std::uint8_t digest[kSha1DigestSize];
        const auto start = Clock::now();
        if (!DigestFile(path, digest))
            return "cannot open";
        best = std::min(best, Seconds(start));
        hex = Sha1Hex(digest);
    }
    return hex;
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    const std::string path = (folder / "tallivo-bench-sha1.bin").string();

    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) {
            std::perror(path.c_str());
            return 1;
        }
        std::mt19937_64 gen(1);
        std::vector<std::uint64_t> block(1 << 17); // 1 MB
        for (std::size_t mb = 0; mb < megabytes; ++mb) {
            for (auto& w : block)
                w = gen();
            std::fwrite(block.data(), 8, block.size(), out);
        }
        std::fclose(out);
    }
    const double size = double(megabytes);

    double shaNi = 0;
    const std::string hexShaNi = DigestOf(path, shaNi);
    const bool haveShaNi = Sha1UsesShaInstructions();
    Sha1ForcePortable(true);
    double portable = 0;
    const std::string hexPortable = DigestOf(path, portable);
    Sha1ForcePortable(false);

    double openssl = 1e30;
    std::string hexOpenssl;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        std::FILE* pipe = ::popen(("openssl sha1 -r '" + path + "'").c_str(), "r");
        char text[64] = {};
        const std::size_t n = pipe ? std::fread(text, 1, 40, pipe) : 0;
        if (pipe)
            ::pclose(pipe);
        openssl = std::min(openssl, Seconds(start));
        hexOpenssl.assign(text, n);
        for (char& c : hexOpenssl)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }

    std::printf("file: %zu MB (%s), best of %d runs, file in the page cache\n", megabytes, path.c_str(), kRuns);
    std::printf("DigestFile (%s): %8.3f s  %8.1f MB/s  %s\n", haveShaNi ? "SHA instructions" : "portable", shaNi,
                size / shaNi, hexShaNi.c_str());
    std::printf("DigestFile (portable):         %8.3f s  %8.1f MB/s  %s\n", portable, size / portable, hexPortable.c_str());
    std::printf("openssl sha1:                  %8.3f s  %8.1f MB/s  %s\n", openssl, size / openssl, hexOpenssl.c_str());
    std::printf("DigestFile / openssl throughput: %.1f%% (target >= 90%%)\n", 100.0 * openssl / shaNi);
    const bool same = hexShaNi == hexOpenssl && hexPortable == hexOpenssl;
    std::printf("digests %s\n", same ? "agree" : "DIFFER");
    std::filesystem::remove(path);
    return same ? 0 : 1;
}
