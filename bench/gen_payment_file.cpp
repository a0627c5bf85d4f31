// Writes a clean generated payment file: gen_payment_file OUT --size-mb N [--seed S]
#include "PaymentFileGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    std::string out;
    tallivo::bench::GeneratorOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size-mb" && i + 1 < argc)
            options.targetBytes = static_cast<std::uint64_t>(std::strtod(argv[++i], nullptr) * 1024 * 1024);
        else if (arg == "--seed" && i + 1 < argc)
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        else if (out.empty() && arg[0] != '-')
            out = arg;
        else {
            std::fprintf(stderr, "usage: gen_payment_file OUT --size-mb N [--seed S]\n");
            return 2;
        }
    }
    if (out.empty()) {
        std::fprintf(stderr, "usage: gen_payment_file OUT --size-mb N [--seed S]\n");
        return 2;
    }
    try {
        const auto f = tallivo::bench::GeneratePaymentFile(out, options);
        std::printf("%s: %llu bytes, %llu lines, %llu debit, %llu credit, %llu payee, %llu WHT, %llu invoice records\n",
                    out.c_str(), static_cast<unsigned long long>(f.bytes), static_cast<unsigned long long>(f.lines),
                    static_cast<unsigned long long>(f.debits), static_cast<unsigned long long>(f.credits),
                    static_cast<unsigned long long>(f.payees), static_cast<unsigned long long>(f.whts),
                    static_cast<unsigned long long>(f.invoices));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_payment_file: %s\n", e.what());
        return 1;
    }
    return 0;
}
