// The benchmarks' payment file generator must write files that pass every check, or the
// benchmarks measure the wrong thing.
#include "../../bench/PaymentFileGenerator.h"

#include "RecordBuilder.h"
#include "TestFiles.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"

#include <gtest/gtest.h>

using namespace tallivo;

TEST(PaymentFileGenerator, WritesFilesThatPassEveryCheck)
{
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        test::TempFolder dir;
        const std::string path = dir.Path("generated.txt");
        bench::GeneratorOptions options;
        options.targetBytes = 600 * 1024;
        options.seed = seed;
        const bench::GeneratedFile file = bench::GeneratePaymentFile(path, options);
        EXPECT_GE(file.bytes, options.targetBytes);
        EXPECT_GT(file.whts, 0u);
        EXPECT_GT(file.invoices, 0u);

        test::CheckFixture fx;
        EXPECT_TRUE(CheckRecordTypes(fx.s, path));
        EXPECT_TRUE(CheckRecordLengths(fx.s, path));
        ValidatePaymentFile(fx.s, path);
        EXPECT_EQ(fx.Rows(), std::vector<std::string>{}) << "seed " << seed;
        EXPECT_TRUE(fx.s.ctx.dataValid);
        EXPECT_EQ(fx.s.ctx.invalidAccountCount, 0);
        EXPECT_EQ(static_cast<std::uint64_t>(fx.s.ctx.creditCount), file.credits);
    }
}
