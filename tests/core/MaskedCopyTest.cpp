// The masked copy: no identifying value left, and everything the checks, the summary
// and the seal see of the file the same as in the original.
#include "../../bench/PaymentFileGenerator.h"

#include "MaskingFixture.h"
#include "PaymentRecordFixture.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "app/ErrorHandler.h"
#include "app/MaskCommand.h"
#include "app/SealCommand.h"
#include "checking/StrictChecks.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"
#include "format/Primitives.h"
#include "format/RecordLayouts.h"
#include "masking/MaskedCopy.h"
#include "reports/PaymentSummary.h"
#include "store/TableStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace tallivo {
namespace test {

void PrintTo(const Examined& e, std::ostream* os)
{
    *os << "\nfindings:";
    for (const std::string& f : e.findings)
        *os << "\n  " << f;
    *os << "\npass error: " << e.passError << "\nunknown types:";
    for (const auto l : e.unknownTypeLines)
        *os << " " << l;
    *os << "\nwrong lengths:";
    for (const auto l : e.wrongLengthLines)
        *os << " " << l;
    *os << "\nsummary:";
    for (const std::string& c : e.summary)
        *os << " [" << c << "]";
    *os << "\nsummary error: " << e.summaryError << "\ndetail rows:";
    for (const std::string& r : e.detailRows)
        *os << "\n  " << r;
    *os << "\nstrict findings:";
    for (const std::string& f : e.strictFindings)
        *os << "\n  " << f;
    *os << "\ndata valid: " << e.dataValid;
}

} // namespace test

namespace {

using test::Examine;
using test::Examined;
using test::FileOf;
using test::IdentifyingFile;
using test::kThaiName;
using test::kThaiName2;
using test::Rec;

// The fields a masked copy replaces, by the names findings print for them.
const std::set<std::string_view> kIdentifyingFieldNames = {
    "Credit Account No", "Debit Account No",   "Fee Debit Account", "WHT Remark",           "Cheque Reference Number",
    "Payee1 ID Number",  "Payee1 Name(Thai)",  "Payee1 Tax ID",     "Payee1 Name(English)", "Payee 1 Fax Number",
    "Payee2 Name(Thai)", "Income Description", "Invoice Number"};

std::vector<std::string> SplitAtCarriageReturns(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t cr; (cr = bytes.find('\r', from)) != std::string::npos; from = cr + 1)
        lines.push_back(bytes.substr(from, cr - from));
    lines.push_back(bytes.substr(from));
    return lines;
}

// The copy keeps the structure, every field that is not identifying, and blanks the
// columns no field names.
void ExpectSameShape(const std::string& original, const std::string& masked)
{
    ASSERT_EQ(original.size(), masked.size());
    const auto a = SplitAtCarriageReturns(original);
    const auto b = SplitAtCarriageReturns(masked);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        ASSERT_EQ(a[i].size(), b[i].size());
        // The line feed that ends a line stays where it is.
        EXPECT_EQ(a[i].starts_with('\n'), b[i].starts_with('\n'));
        const std::string line = a[i].starts_with('\n') ? a[i].substr(1) : a[i];
        const std::string copy = b[i].starts_with('\n') ? b[i].substr(1) : b[i];
        EXPECT_EQ(CodeOf(line), CodeOf(copy));
        const auto layout = LayoutOfLine(line);
        if (!layout)
            continue;
        std::vector<bool> named(line.size() + 1, false);
        for (const auto& other : {LayoutOfLine(line), LayoutOfLine("002MCL"), LayoutOfLine("002DCP")})
            if (other && other->code == layout->code)
                for (const Field& f : other->fields)
                    for (std::size_t c = f.First(); c <= f.Last() && c <= line.size(); ++c)
                        named[c] = true;
        for (const Field& f : layout->fields)
            if (!kIdentifyingFieldNames.contains(f.name)) {
                EXPECT_EQ(Fields(line)[f], Fields(copy)[f]) << f.name;
            }
        for (std::size_t c = 4; c <= line.size(); ++c)
            if (!named[c]) {
                EXPECT_EQ(copy[c - 1], ' ') << "column " << c;
            }
    }
}

TEST(MaskedCopy, LeavesNoIdentifyingValueAndFindsTheSameInEveryRecordType)
{
    // Each case changes the identifying file so that some record's rules fail.
    const struct
    {
        const char* name;
        std::function<void(IdentifyingFile&)> change;
    } kCases[] = {
        {"as built", [](IdentifyingFile&) {}},
        {"credit account with a wrong check digit", [](IdentifyingFile& f) { f.credit.Set(Credit::Account, "3333333337"); }},
        {"11-digit accounts, one valid, one not",
         [](IdentifyingFile& f) {
             f.credit.Set(Credit::Account, "33393333336");
             f.debit.Set(Debit::Account, "22292222229");
         }},
        {"debit and fee accounts invalid",
         [](IdentifyingFile& f) { f.debit.Set(Debit::Account, "2222222220").Set(Debit::FeeAccount, "44444-4442"); }},
        {"credit account with letters", [](IdentifyingFile& f) { f.credit.Set(Credit::Account, "ACCT3333336"); }},
        {"credit account of zeros", [](IdentifyingFile& f) { f.credit.Set(Credit::Account, "0000000000"); }},
        {"cheque product: names with forbidden characters and no cheque reference",
         [](IdentifyingFile& f) {
             f.debit.Set(Debit::ProductCode, "MCP");
             f.credit.Set(Credit::ChequeReference, "").Set(Credit::ChequeDocumentType, "1");
             f.payee.Set(Payee::NameEnglish, "SOMCHAI@JAIDEE").Set(Payee::NameThai, kThaiName + "#");
         }},
        {"fax notification, fax number with letters",
         [](IdentifyingFile& f) {
             f.credit.Set(Credit::BeneficiaryNotification, "F");
             f.payee.Set(Payee::FaxNumber, "02SOMCHAI");
         }},
        {"fax notification, fax number blank",
         [](IdentifyingFile& f) {
             f.credit.Set(Credit::BeneficiaryNotification, "F");
             f.payee.Set(Payee::FaxNumber, "");
         }},
        {"WHT without tax id, income type 6 without description, pay type 4 without remark",
         [](IdentifyingFile& f) {
             f.payee.Set(Payee::TaxId, "").Set(Payee::IdNumber, "");
             f.wht.Set(Wht::IncomeType, "6").Set(Wht::IncomeDescription, "");
             f.credit.Set(Credit::WhtPayType, "4").Set(Credit::WhtRemark, "");
         }},
        {"invoice number blank", [](IdentifyingFile& f) { f.invoice.Set(Invoice::Number, ""); }},
        {"direct-debit accounts that are no numbers, and one in exponent form",
         [](IdentifyingFile& f) {
             f.batch.Set(DirectDebitBatch::CreditAccount, "SOMCHAI ACC").Set(DirectDebitBatch::CreditAccount2, "12E45");
             f.item.Set(DirectDebitItem::Account, "-1.5E3");
         }},
        {"media clearing fee debit account with letters",
         [](IdentifyingFile& f) { f.debitB.Set(Debit::FeeDebitAccount, "FEE98765SECRET"); }},
        {"records cut short and too long",
         [](IdentifyingFile& f) {
             f.payee.Cut(400);
             f.credit = Rec(std::string(f.credit.Text()) + "TRAILING SECRET", 0);
         }},
    };
    const Examined base = Examine(IdentifyingFile().Bytes());
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        IdentifyingFile file;
        c.change(file);
        const std::string original = file.Bytes();
        const FixedClock clock(test::kToday);
        const std::string masked = MaskPaymentBytes(original, &clock);
        for (const std::string& secret : file.secrets)
            EXPECT_EQ(masked.find(secret), std::string::npos) << secret;
        ExpectSameShape(original, masked);
        const Examined before = Examine(original);
        if (c.name != std::string_view("as built")) {
            EXPECT_NE(before, base) << "the case finds nothing of its own";
        }
        EXPECT_EQ(before, Examine(masked));
    }
}

TEST(MaskedCopy, KeepsWhatTheRulesReadOfEachValueAndOneLookAlikePerValue)
{
    IdentifyingFile file;
    file.debit.Set(Debit::Account, "3333333332");  // the credit's account
    file.creditB.Set(Credit::Account, "3333333337"); // another, invalid
    const FixedClock clock(test::kToday);
    const std::string masked = MaskPaymentBytes(file.Bytes(), &clock);
    const auto lines = SplitAtCarriageReturns(masked);
    const auto field = [&](std::size_t line, const Field& f) {
        return std::string(Trim(Fields(std::string_view(lines[line]).substr(line == 0 ? 0 : 1))[f]));
    };
    const std::string debitAccount = field(1, Debit::Account);
    const std::string creditAccount = field(2, Credit::Account);
    const std::string otherAccount = field(7, Credit::Account);
    EXPECT_EQ(debitAccount, creditAccount);
    EXPECT_NE(creditAccount, otherAccount);
    EXPECT_TRUE(IsValidAccount(creditAccount));
    EXPECT_FALSE(IsValidAccount(otherAccount));
    // Off the check digit by as much as the original.
    const auto offset = [](std::string_view account) { return (account[9] - '0' - AccountCheckDigit(account) + 10) % 10; };
    EXPECT_EQ(offset(otherAccount), offset("3333333337"));
    // Thai stays Thai letter for letter, a blank stays a blank, capitals stay capitals.
    const std::string thai = field(3, Payee::NameThai);
    ASSERT_EQ(thai.size(), kThaiName.size());
    for (std::size_t i = 0; i < thai.size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(thai[i]) >= 0xA1, static_cast<unsigned char>(kThaiName[i]) >= 0xA1);
    EXPECT_EQ(thai.find(' '), kThaiName.find(' '));
    const std::string english = field(3, Payee::NameEnglish);
    EXPECT_EQ(english.size(), std::string("SOMCHAI JAIDEE").size());
    EXPECT_EQ(english[7], ' ');
    EXPECT_TRUE(std::all_of(english.begin(), english.end(), [](char c) { return c == ' ' || (c >= 'A' && c <= 'Z'); }));
    // The second payee record names the same payee: the same look-alikes.
    EXPECT_EQ(lines[3], lines[8]);
}

TEST(MaskedCopy, KeepsLineEndsAndEndsAtCtrlZ)
{
    const std::string credit = test::ValidCredit().Set(Credit::Account, "3333333332");
    const std::string original = std::string(test::ValidHeader()) + "\r\n" + credit + "\r" + "\n" +
                                 "003SOMCHAI\nLINE FEED INSIDE\r" + std::string(70000, 'X') + "\r\r\n" + credit + "\r" +
                                 std::string(test::ValidTrailer()) + "\x1a" + "AFTER CTRL-Z SOMCHAI";
    const FixedClock clock(test::kToday);
    const std::string masked = MaskPaymentBytes(original, &clock);
    const std::string kept = original;
    ASSERT_EQ(masked.size(), kept.size());
    // After the Ctrl-Z, as many bytes as there were, all blank.
    EXPECT_EQ(masked.substr(original.find('\x1a') + 1), std::string(std::string_view("AFTER CTRL-Z SOMCHAI").size(), ' '));
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (kept[i] == '\r' || kept[i] == '\x1a' || (kept[i] == '\n' && i > 0 && kept[i - 1] == '\r')) {
            EXPECT_EQ(masked[i], kept[i]) << i;
        }
    EXPECT_EQ(masked.find("SOMCHAI"), std::string::npos);
    EXPECT_EQ(masked.find("3333333332"), std::string::npos);
    EXPECT_EQ(Examine(original), Examine(masked));
}

TEST(MaskedCopy, GeneratedFileMasksTheSameTwiceFindsNothingAndSeals)
{
    test::TempFolder dir;
    std::filesystem::create_directories(dir.Path("Data"));
    AppState app;
    app.programFolder = dir.Folder();
    CreateTableFiles(app.DataFolder());
    bench::GeneratorOptions options;
    options.targetBytes = 400u << 10;
    options.seed = 24;
    bench::GeneratePaymentFile(dir.Path("original.txt"), options);
    const std::string original = test::ReadAll(dir.Path("original.txt"));

    std::string masked;
    const MaskOutcome outcome =
        MaskPaymentFile(dir.Path("original.txt"), [&](std::string_view bytes) { masked.append(bytes); });
    EXPECT_GT(outcome.valuesReplaced, 0u);
    EXPECT_EQ(outcome.valuesKept, 0u);
    EXPECT_EQ(masked, MaskPaymentBytes(original));
    EXPECT_NE(masked, original);
    ExpectSameShape(original, masked);
    const Examined before = Examine(original);
    EXPECT_TRUE(before.findings.empty());
    EXPECT_EQ(before, Examine(masked));

    app.inputPath = dir.Write("masked.txt", masked);
    app.zipName = dir.Path("masked.zip");
    ScriptedDialogs dialogs;
    EXPECT_TRUE(RunCommand(dialogs, [&] { SealPaymentFile(app, dialogs); }));
    EXPECT_TRUE(std::filesystem::exists(dir.Path("masked.zip")));
    EXPECT_TRUE(app.session.ctx.dataValid);
}

TEST(SaveMaskedCopy, WritesTheCopyAndRefusesTheInputAndSpecialFiles)
{
    test::TempFolder dir;
    const std::string original = IdentifyingFile().Bytes();
    AppState app;
    app.programFolder = dir.Folder();
    app.SetClock(std::make_shared<FixedClock>(test::kToday));
    app.inputPath = dir.Write("pay.txt", original);
    std::filesystem::create_symlink(app.inputPath, dir.Path("link.txt"));
    std::filesystem::create_hard_link(app.inputPath, dir.Path("hard.txt"));
    std::filesystem::create_directories(dir.Path("folder"));
    for (const std::string& output :
         {app.inputPath, dir.Path("link.txt"), dir.Path("hard.txt"), dir.Path("folder"), std::string("/dev/null")}) {
        SCOPED_TRACE(output);
        ScriptedDialogs dialogs;
        EXPECT_EQ(SaveMaskedCopy(app, dialogs, output), CommandOutcome::Refused);
        EXPECT_EQ(dialogs.Texts().size(), 1u);
        EXPECT_EQ(test::ReadAll(app.inputPath), original);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Folder()), {}), 4);

    ScriptedDialogs dialogs;
    EXPECT_EQ(SaveMaskedCopy(app, dialogs, dir.Path("masked.txt")), CommandOutcome::Completed);
    const FixedClock clock(test::kToday);
    EXPECT_EQ(test::ReadAll(dir.Path("masked.txt")), MaskPaymentBytes(original, &clock));
}

} // namespace
} // namespace tallivo
