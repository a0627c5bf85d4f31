// The validation pass's throughput and memory on a large clean payment file, with the
// same file read by `wc -l` for scale.
//
//     bench_validate [--size-mb N] [--seed S] [--keep FILE] [--file FILE]
//
// Without --file a file of N MB (default 300) is generated into the temporary folder
// (kept as FILE with --keep). Prints MB/s, peak RSS and the ratio to `wc -l`.
#include "PaymentFileGenerator.h"

#include "checking/AccountRowStore.h"
#include "checking/CheckSession.h"
#include "checking/ValidationPass.h"
#include "common/Clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    double sizeMb = 300;
    std::uint64_t seed = 1;
    std::string keep;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size-mb" && i + 1 < argc)
            sizeMb = std::strtod(argv[++i], nullptr);
        else if (arg == "--seed" && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else if (arg == "--file" && i + 1 < argc)
            file = argv[++i];
        else {
            std::fprintf(stderr, "usage: bench_validate [--size-mb N] [--seed S] [--keep FILE] [--file FILE]\n");
            return 2;
        }
    }

    try {
        bool remove = false;
        if (file.empty()) {
            file = !keep.empty() ? keep
                                 : (std::filesystem::temp_directory_path() /
                                    ("tallivo-bench-" + std::to_string(::getpid()) + ".txt"))
                                       .string();
            remove = keep.empty();
            tallivo::bench::GeneratorOptions options;
            options.targetBytes = static_cast<std::uint64_t>(sizeMb * 1024 * 1024);
            options.seed = seed;
            const auto start = std::chrono::steady_clock::now();
            const auto g = tallivo::bench::GeneratePaymentFile(file, options);
            std::printf("generated %s: %.1f MB, %llu lines (%llu debit, %llu credit, %llu payee, %llu WHT, %llu "
                        "invoice records) in %.2f s\n",
                        file.c_str(), g.bytes / 1048576.0, static_cast<unsigned long long>(g.lines),
                        static_cast<unsigned long long>(g.debits), static_cast<unsigned long long>(g.credits),
                        static_cast<unsigned long long>(g.payees), static_cast<unsigned long long>(g.whts),
                        static_cast<unsigned long long>(g.invoices), Seconds(start));
        }
        const double mb = static_cast<double>(std::filesystem::file_size(file)) / 1048576.0;
        const long rssBefore = PeakRssKb();

        tallivo::SystemClock clock;
        tallivo::MemoryAccountRow store;
        tallivo::CheckSession s;
        s.clock = &clock;
        s.accountRow = &store;
        // The declared-count texts survive between passes; start as after a pass over a
        // clean file, so a missing credit check cannot end the pass at the first credit.
        s.ctx.declaredWhtCountText = "00";
        s.ctx.declaredInvoiceCountText = "000000";
        const auto start = std::chrono::steady_clock::now();
        tallivo::ValidatePaymentFile(s, file);
        const double validateSeconds = Seconds(start);
        const long rssAfter = PeakRssKb();

        const std::string wc = "wc -l < '" + file + "' > /dev/null";
        const auto wcStart = std::chrono::steady_clock::now();
        if (std::system(wc.c_str()) != 0)
            std::fprintf(stderr, "wc -l failed\n");
        const double wcSeconds = Seconds(wcStart);

        std::printf("validation pass: %.1f MB in %.3f s = %.0f MB/s; dataValid %s, %zu finding rows\n", mb,
                    validateSeconds, mb / validateSeconds, s.ctx.dataValid ? "true" : "false",
                    s.grid.RowCount() - 2);
        std::printf("peak RSS: %.1f MB (%.1f MB before the pass)\n", rssAfter / 1024.0, rssBefore / 1024.0);
        std::printf("wc -l: %.3f s = %.0f MB/s; validation pass takes %.2fx the time of wc -l\n", wcSeconds,
                    mb / wcSeconds, validateSeconds / wcSeconds);
        if (s.grid.RowCount() > 2) {
            std::printf("first findings:\n");
            for (std::size_t r = 1; r < s.grid.RowCount() - 1 && r <= 5; ++r) {
                std::printf(" ");
                for (std::size_t c = 1; c < 8; ++c)
                    std::printf(" %.*s |", static_cast<int>(s.grid.Cell(c, r).size()), s.grid.Cell(c, r).data());
                std::printf("\n");
            }
        }
        if (remove)
            std::filesystem::remove(file);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_validate: %s\n", e.what());
        return 1;
    }
    return 0;
}
