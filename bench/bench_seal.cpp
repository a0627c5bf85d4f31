// The seal stage (normalisation, sealed output, zip archive) on a large generated
// payment file (the generator of the validation benchmark), beside `sha1sum FILE` and `zip -1 -q -j OUT.zip FILE` on the same
// file, timed in the same run. Each is run in its own child process so that its peak
// memory (maximum resident set) is its own.
// Usage: bench_seal [size in MB, default 256] [folder, default the system temp folder]
#include "PaymentFileGenerator.h"
#include "sealing/Normalise.h"
#include "sealing/SealedOutput.h"
#include "zip/ZipOutput.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tallivo;
using Clock = std::chrono::steady_clock;

namespace {

struct Measure
{
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
};

// Runs work in a child process; its wall time, peak memory and exit status.
Measure InChild(const std::function<int()>& work)
{
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work());
    Measure m;
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    m.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    m.peakKb = usage.ru_maxrss;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

Measure Command(const std::string& command)
{
    return InChild([&] {
        ::execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        return 127;
    });
}

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const std::filesystem::path folder =
        (argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path()) / "tallivo-bench-seal";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string payment = (folder / "payment.txt").string();
    const std::string sealed = (folder / "sealed.txt").string();
    const std::string archive = (folder / "batch.zip").string();
    const std::string toolArchive = (folder / "tool.zip").string();

    bench::GeneratorOptions options;
    options.targetBytes = std::uint64_t(megabytes) << 20;
    const bench::GeneratedFile generated = bench::GeneratePaymentFile(payment, options);
    const auto size = std::filesystem::file_size(payment);

    // The reference tools first, on the generated file (in the page cache, as it is for the seal).
    const Measure sha1sum = Command("sha1sum " + Quote(payment) + " >/dev/null");
    const Measure zip = Command("zip -1 -q -j " + Quote(toolArchive) + " " + Quote(payment));

    const Measure seal = InChild([&] {
        try {
            auto t = Clock::now();
            NormaliseCreditRecords(payment);
            auto next = Clock::now();
            std::printf("  normalise       %8.3f s\n", std::chrono::duration<double>(next - t).count());
            t = next;
            const std::string hash = WriteSealedOutput(payment, sealed, true);
            next = Clock::now();
            std::printf("  sealed output   %8.3f s  (%s)\n", std::chrono::duration<double>(next - t).count(), hash.c_str());
            t = next;
            ZipOutput(archive, sealed);
            std::printf("  zip             %8.3f s\n", std::chrono::duration<double>(Clock::now() - t).count());
            std::fflush(stdout);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "seal failed: %s\n", e.what());
            return 2;
        }
    });

    const bool verified = seal.status == 0 && VerifySealedFile(sealed).ok;

    const double mb = double(size) / (1 << 20);
    std::printf("payment file: %.1f MB, %llu lines (%llu credit records), %s\n", mb,
                static_cast<unsigned long long>(generated.lines), static_cast<unsigned long long>(generated.credits),
                payment.c_str());
    std::printf("%-34s %9s %10s %12s\n", "", "wall s", "MB/s", "peak RSS MB");
    auto row = [&](const char* name, const Measure& m) {
        std::printf("%-34s %9.3f %10.1f %12.1f%s\n", name, m.seconds, mb / m.seconds, m.peakKb / 1024.0,
                    m.status == 0 ? "" : "  (FAILED)");
    };
    row("seal (normalise + output + zip)", seal);
    row("sha1sum FILE", sha1sum);
    row("zip -1 -q -j OUT.zip FILE", zip);
    std::printf("ratios: seal / sha1sum = %.2f, seal / zip = %.2f, seal / (sha1sum + zip) = %.2f\n",
                seal.seconds / sha1sum.seconds, seal.seconds / zip.seconds, seal.seconds / (sha1sum.seconds + zip.seconds));
    std::printf("archive sizes: seal %.1f MB, zip -1 %.1f MB\n", std::filesystem::file_size(archive) / 1048576.0,
                std::filesystem::file_size(toolArchive) / 1048576.0);
    std::printf("sealed output %s\n", verified ? "verifies" : "DOES NOT VERIFY");
    std::filesystem::remove_all(folder);
    return verified && sha1sum.status == 0 && zip.status == 0 ? 0 : 1;
}
