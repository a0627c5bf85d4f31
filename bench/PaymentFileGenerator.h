#pragma once
// Generates large, realistic, varied payment files that pass every check: a file
// header, thousands of debit batches of the various products, each with its credit
// records and their payee, WHT and invoice records, and a trailer whose totals match.
// Names are random, accounts carry valid check digits, and every amount adds up
// (credit amounts to their debit, WHT amounts to the credit's declared total, debit
// amounts to the trailer's total). Written streaming; memory does not grow with the size.
#include "format/CreditLayout.h"
#include "format/DebitLayout.h"
#include "format/HeaderLayout.h"
#include "format/InvoiceLayout.h"
#include "format/PayeeLayout.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "format/RecordTypes.h"
#include "format/TrailerLayout.h"
#include "format/WhtLayout.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo::bench {

struct GeneratorOptions
{
    std::uint64_t targetBytes = 100ull << 20; // the file ends with the first batch that reaches this size
    std::uint64_t seed = 1;
    int maxCreditsPerBatch = 120;
};

struct GeneratedFile
{
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t debits = 0;
    std::uint64_t credits = 0;
    std::uint64_t payees = 0;
    std::uint64_t whts = 0;
    std::uint64_t invoices = 0;
};

namespace detail {

class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    std::uint64_t Next()
    {
        // splitmix64
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [lo, hi].
    std::uint64_t Between(std::uint64_t lo, std::uint64_t hi) { return lo + Next() % (hi - lo + 1); }
    bool Chance(int percent) { return Between(1, 100) <= static_cast<std::uint64_t>(percent); }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N])
    {
        return items[Next() % N];
    }

private:
    std::uint64_t m_state;
};

// One record being filled: the record type code and blanks, then fields set by the layout.
class Line
{
public:
    explicit Line(std::string_view code) : m_text(RecordLength(code), ' ') { m_text.replace(0, code.size(), code); }
    // Text in a field, blank-padded; must fit the field.
    Line& Put(const Field& field, std::string_view text)
    {
        SetField(m_text, field, text);
        return *this;
    }
    // A number right-aligned with leading zeros in the field's width.
    Line& Digits(const Field& field, std::uint64_t value)
    {
        char buf[24];
        const std::size_t width = field.Width();
        if (width > sizeof buf)
            throw std::logic_error("field too wide for a number");
        for (std::size_t i = width; i-- > 0;) {
            buf[i] = static_cast<char>('0' + value % 10);
            value /= 10;
        }
        if (value != 0)
            throw std::logic_error("number does not fit its field");
        return Put(field, std::string_view(buf, width));
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

inline constexpr std::string_view kLatinSyllables[] = {
    "SOM", "CHAI", "PORN", "SAK", "WAN", "NA", "KIT", "TI", "RAT", "ANA", "SUK", "JIT", "PHON", "THA", "WEE",
    "KUL", "LEK", "NOI", "MALI", "BUN", "SRI", "TORN", "PRA", "SIT", "DEJ", "YOS", "AREE", "CHAN", "NUAN"};
inline constexpr std::string_view kCompanyWords[] = {"TRADING", "SUPPLY", "ENGINEERING", "FOODS", "LOGISTICS",
                                                     "STEEL", "PLASTICS", "SERVICES", "HOLDINGS", "TEXTILE"};
inline constexpr std::string_view kIncomeTypes[] = {"1",     "2",     "3",     "4a",  "4b",  "4b1.1", "4b1.2",
                                                    "4b1.3", "4b1.4", "4b2",   "4b3", "5",   "6"};
// A sample of the valid pickup locations.
inline constexpr std::string_view kPickupLocations[] = {"C001", "C007", "0886", "0633", "0537", "0501", "0669",
                                                        "0106", "0274", "5108", "5051", "0355"};
inline constexpr std::string_view kChequeDocTypes[] = {"1", "2", "5", "9", "A", "C", "H", "K", "Q"};
inline constexpr std::string_view kOtherBanks[] = {"002", "004", "006", "011", "022", "025", "030", "065", "069"};

// The products of the batches, weighted by how often payment files carry them.
inline constexpr std::string_view kBatchProducts[] = {"DCP", "DCP", "DCP", "PAY", "PAY", "PA2", "PA3", "MCL", "MCL",
                                                      "PA4", "PA5", "PA6", "BNT", "BNT", "MCP", "CCP", "DDP"};

inline bool IsExpressCheque(std::string_view p)
{
    return Contains(kExpressChequeProducts, p);
}

class Writer
{
public:
    Writer(const std::string& path, const GeneratorOptions& options)
        : m_options(options), m_random(options.seed), m_file(std::fopen(path.c_str(), "wb"))
    {
        if (!m_file)
            throw std::runtime_error("cannot create " + path);
        m_buffer.reserve(kFlushAt + 4096);
    }
    ~Writer()
    {
        if (m_file)
            std::fclose(m_file);
    }

    GeneratedFile Run()
    {
        Header();
        std::uint64_t debitTotal = 0;
        int expressBatches = 0;
        while (m_stats.bytes + m_buffer.size() < m_options.targetBytes) {
            // Express cheques are limited to 20 credit records per product in a file: one small batch each.
            std::string_view product = m_random.Pick(kBatchProducts);
            if (m_stats.debits == 3 && expressBatches == 0)
                product = Product::ExpressManagerCheque;
            else if (m_stats.debits == 7 && expressBatches == 1)
                product = Product::ExpressDemandDraft;
            if (IsExpressCheque(product))
                ++expressBatches;
            const int credits = IsExpressCheque(product)
                                    ? static_cast<int>(m_random.Between(1, 20))
                                    : static_cast<int>(m_random.Between(1, static_cast<std::uint64_t>(m_options.maxCreditsPerBatch)));
            debitTotal += Batch(product, credits);
        }
        if (m_stats.debits > 999999 || m_stats.credits > 999999)
            throw std::runtime_error("too many records for the trailer's counts: ask for a smaller file");
        Line t(RecordCode::Trailer);
        t.Digits(Trailer::DebitCount, m_stats.debits)
            .Digits(Trailer::CreditCount, m_stats.credits)
            .Digits(Trailer::TotalAmount, debitTotal);
        Emit(t);
        Flush();
        if (std::fclose(m_file) != 0)
            throw std::runtime_error("cannot write the payment file");
        m_file = nullptr;
        return m_stats;
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 20;

    void Emit(const Line& line)
    {
        m_buffer += line.Text();
        m_buffer += "\r\n";
        ++m_stats.lines;
        if (m_buffer.size() >= kFlushAt)
            Flush();
    }
    void Flush()
    {
        if (!m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
            throw std::runtime_error("cannot write the payment file");
        m_stats.bytes += m_buffer.size();
        m_buffer.clear();
    }

    // A valid home-bank account: nine random digits and the check digit; 10 characters,
    // or 11 with a branch digit inserted in 4th place.
    std::string Account()
    {
        char d[10];
        for (int i = 0; i < 9; ++i)
            d[i] = static_cast<char>('0' + m_random.Between(i == 0 ? 1 : 0, 9));
        d[9] = static_cast<char>('0' + AccountCheckDigit(std::string_view(d, 9)));
        std::string account(d, 10);
        if (m_random.Chance(10))
            account.insert(3, 1, static_cast<char>('0' + m_random.Between(0, 9)));
        return account;
    }
    std::string LatinName(int words)
    {
        std::string name;
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                name += ' ';
            const int syllables = static_cast<int>(m_random.Between(1, 3));
            for (int s = 0; s < syllables; ++s)
                name += m_random.Pick(kLatinSyllables);
        }
        return name;
    }
    std::string PayeeNameEn()
    {
        if (m_random.Chance(30)) {
            std::string n = LatinName(2) + " " + std::string(m_random.Pick(kCompanyWords)) + " CO., LTD.";
            if (m_random.Chance(20))
                n = "A & " + n;
            return n.substr(0, 70);
        }
        return LatinName(2).substr(0, 70);
    }
    // Single-byte Thai letters (0xA1 to 0xCE) with vowels, spaces between words.
    std::string ThaiName()
    {
        std::string name;
        const int words = static_cast<int>(m_random.Between(2, 3));
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                name += ' ';
            const int letters = static_cast<int>(m_random.Between(3, 8));
            for (int l = 0; l < letters; ++l)
                name += static_cast<char>(m_random.Chance(25) ? m_random.Between(0xD0, 0xD9) : m_random.Between(0xA1, 0xCE));
        }
        return name.substr(0, 100);
    }
    std::string Reference(std::string_view prefix, std::uint64_t n)
    {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.*s%05llu", static_cast<int>(prefix.size()), prefix.data(),
                      static_cast<unsigned long long>(n % 100000));
        return buf;
    }
    std::string FutureDate()
    {
        char buf[16];
        std::snprintf(buf, sizeof buf, "2099%02d%02d", static_cast<int>(m_random.Between(1, 12)),
                      static_cast<int>(m_random.Between(1, 28)));
        return buf;
    }
    std::string PastDate()
    {
        char buf[16];
        std::snprintf(buf, sizeof buf, "20%02d%02d%02d", static_cast<int>(m_random.Between(15, 24)),
                      static_cast<int>(m_random.Between(1, 12)), static_cast<int>(m_random.Between(1, 28)));
        return buf;
    }
    // An amount in the files' units (baht x 1000) with two decimals: the last digit is 0.
    std::uint64_t Amount(std::uint64_t minBaht, std::uint64_t maxBaht)
    {
        return m_random.Between(minBaht * 100, maxBaht * 100) * 10;
    }

    void Header()
    {
        Line h(RecordCode::Header);
        h.Put(Header::CompanyId, "CORP" + std::to_string(m_random.Between(10000000, 99999999)))
            .Put(Header::CustomerReference, "PAYROLL AND SUPPLIERS " + std::to_string(m_options.seed))
            .Put(Header::FileDate, "20250115")
            .Put(Header::FileTime, "093000")
            .Put(Header::ChannelId, m_random.Chance(50) ? "VYN" : "CNC");
        Emit(h);
    }

    // One debit record and its credits; returns the debit amount.
    std::uint64_t Batch(std::string_view product, int credits)
    {
        // The credit group records go after the debit record, so they are built first
        // into a side buffer to know the debit amount.
        std::string group;
        std::uint64_t sum = 0;
        for (int i = 0; i < credits; ++i)
            sum += CreditGroup(product, group, i + 1);

        Line d(RecordCode::Debit);
        d.Put(Debit::ProductCode, product)
            .Put(Debit::ValueDate, FutureDate())
            .Put(Debit::Account, Account())
            .Put(Debit::AccountType, m_random.Chance(70) ? "01" : "11")
            .Put(Debit::BranchCode, m_random.Chance(50) ? "0001" : "    ")
            .Put(Debit::Currency, "THB")
            .Digits(Debit::Amount, sum)
            .Put(Debit::InternalReference, Reference("D", m_stats.debits))
            .Digits(Debit::CreditCount, static_cast<std::uint64_t>(credits));
        if (Contains(kMediaClearingGroup, product)) {
            d.Digits(Debit::FeeDebitAccount, m_random.Between(100000000, 999999999))
                .Put(Debit::MediaCircle, m_random.Pick({"0", "1", "2", " "}));
        } else if (product != Product::BahtNet) {
            d.Put(Debit::FeeAccount, Account()).Put(Debit::FeeAccountType, "01").Put(Debit::FeeBranchCode, "0001");
        }
        Emit(d);
        ++m_stats.debits;
        m_buffer += group;
        if (m_buffer.size() >= kFlushAt)
            Flush();
        return sum;
    }

    // A credit record with its payee, WHT and invoice records, appended to out; returns the credit amount.
    std::uint64_t CreditGroup(std::string_view product, std::string& out, int sequence)
    {
        const bool mcl = product == Product::MediaClearing;
        const bool media = Contains(kMediaClearingGroup, product);
        const bool cheque = Contains(kChequeProducts, product);
        const bool bnt = product == Product::BahtNet;
        const bool toHomeBank = Contains(kOrvaneAccountProducts, product) || cheque || (mcl && m_random.Chance(20));
        const std::string bank(toHomeBank ? kHomeBankCode : m_random.Pick(kOtherBanks));
        const std::string account = Account();
        // Media clearing to another bank is limited to 2,000,000.000 per credit.
        const std::uint64_t amount = Amount(100, mcl && !toHomeBank ? 1999999 : 900000);
        const int whtRecords = m_random.Chance(35) ? static_cast<int>(m_random.Between(1, 4)) : 0;
        const int invoiceRecords = m_random.Chance(40) ? static_cast<int>(m_random.Between(1, 5)) : 0;
        const bool advice = m_random.Chance(30);
        const char notify = m_random.Pick({' ', 'N', 'F', 'S', 'E'});

        // WHT records: distinct income types, at most four per credit.
        std::vector<std::string_view> types;
        std::vector<std::uint64_t> whtAmounts;
        std::uint64_t whtTotal = 0;
        while (static_cast<int>(types.size()) < whtRecords) {
            const std::string_view t = m_random.Pick(kIncomeTypes);
            bool seen = false;
            for (std::string_view u : types)
                seen = seen || u == t;
            if (seen)
                continue;
            types.push_back(t);
            whtAmounts.push_back(Amount(10, 20000));
            whtTotal += whtAmounts.back();
        }
        std::vector<std::uint64_t> invoiceAmounts;
        std::uint64_t invoiceTotal = 0;
        for (int i = 0; i < invoiceRecords; ++i) {
            invoiceAmounts.push_back(Amount(50, 300000));
            invoiceTotal += invoiceAmounts.back();
        }

        Line c(RecordCode::Credit);
        c.Digits(Credit::SequenceNumber, static_cast<std::uint64_t>(sequence))
            .Put(Credit::Account, account)
            .Digits(Credit::Amount, amount)
            .Put(Credit::Currency, "THB")
            .Put(Credit::InternalReference, Reference("C", m_stats.credits))
            .Put(Credit::WhtPresent, whtRecords > 0 ? "Y" : "N")
            .Put(Credit::InvoicePresent, invoiceRecords > 0 ? "Y" : "N")
            .Put(Credit::AdviceRequired, advice ? "Y" : "N")
            .Digits(Credit::WhtCount, static_cast<std::uint64_t>(whtRecords))
            .Digits(Credit::TotalWhtAmount, whtTotal)
            .Digits(Credit::InvoiceCount, static_cast<std::uint64_t>(invoiceRecords))
            .Digits(Credit::TotalInvoiceAmount, invoiceTotal)
            .Put(Credit::ReceivingBankCode, bank)
            .Put(Credit::ReceivingBankName, toHomeBank ? "ORVANE BANK" : "OTHER BANK PUBLIC COMPANY LIMITED")
            .Digits(Credit::ReceivingBranchCode, m_random.Between(1, 9999));
        if (whtRecords > 0 || invoiceRecords > 0 || advice) {
            const char* mode = cheque ? m_random.Pick({"M", "C", "P"}) : m_random.Pick({"M", "C", "P", "S"});
            c.Put(Credit::DeliveryMode, mode);
            if (mode[0] == 'C')
                c.Put(Credit::PickupLocation, m_random.Pick(kPickupLocations));
        }
        if (whtRecords > 0) {
            c.Put(Credit::WhtFormType, m_random.Pick(kWhtFormTypes))
                .Digits(Credit::WhtAttachNo, m_random.Between(1, 999999))
                .Put(Credit::WhtPayType, m_random.Pick({"1", "2", "3", "4"}))
                .Put(Credit::WhtRemark, "WITHHOLDING TAX DEDUCTED AT SOURCE")
                .Put(Credit::WhtDeductDate, PastDate())
                .Put(Credit::WhtSignatory, m_random.Chance(50) ? "B" : "C");
        }
        if (notify != ' ')
            c.Put(Credit::BeneficiaryNotification, std::string_view(&notify, 1));
        if (cheque) {
            c.Put(Credit::ChequeReference, Reference("CHQ", m_stats.credits))
                .Put(Credit::ChequeDocumentType, m_random.Pick(kChequeDocTypes));
        }
        if (bnt) {
            c.Put(Credit::PaymentTypeCode, m_random.Pick(kBahtNetPaymentTypes))
                .Digits(Credit::ServicesType, m_random.Between(0, 23));
        } else if (mcl) {
            c.Put(Credit::ServicesType, m_random.Pick(kMediaClearingServicesTypes));
        } else if (media) {
            c.Put(Credit::ServicesType, "01");
        }
        Append(out, c);
        ++m_stats.credits;

        Line p(RecordCode::Payee);
        const std::string nameTh = ThaiName();
        p.Put(Payee::InternalReference, Reference("P", m_stats.payees))
            .Digits(Payee::SequenceNumber, static_cast<std::uint64_t>(sequence))
            .Put(Payee::NameThai, nameTh)
            .Put(Payee::TaxId, std::to_string(m_random.Between(1000000000, 9999999999)))
            .Put(Payee::NameEnglish, m_random.Chance(90) ? PayeeNameEn() : std::string())
            .Put(Payee::Payee2NameThai, m_random.Chance(20) ? ThaiName() : std::string());
        if (notify == 'F')
            p.Put(Payee::FaxNumber, "02" + std::to_string(m_random.Between(10000000, 99999999)));
        Append(out, p);
        ++m_stats.payees;

        for (std::size_t i = 0; i < types.size(); ++i) {
            Line w(RecordCode::Wht);
            w.Put(Wht::InternalReference, Reference("W", m_stats.whts))
                .Digits(Wht::CreditSequenceNo, static_cast<std::uint64_t>(sequence))
                .Digits(Wht::SequenceNo, i + 1)
                .Digits(Wht::Amount, whtAmounts[i])
                .Put(Wht::IncomeType, types[i])
                .Put(Wht::DeductRate, m_random.Pick({"01", "02", "03", "05", "10", "15"}))
                .Digits(Wht::IncomeTypeAmount, whtAmounts[i] * 20);
            if (types[i] == "6" || m_random.Chance(30))
                w.Put(Wht::IncomeDescription, "PROFESSIONAL SERVICE FEE");
            Append(out, w);
            ++m_stats.whts;
        }
        for (std::size_t i = 0; i < invoiceAmounts.size(); ++i) {
            const std::uint64_t vat = invoiceAmounts[i] / 1000 * 70 / 10 * 10;
            Line v(RecordCode::Invoice);
            v.Put(Invoice::InternalReference, Reference("I", m_stats.invoices))
                .Digits(Invoice::CreditSequenceNo, static_cast<std::uint64_t>(sequence))
                .Digits(Invoice::SequenceNo, i + 1)
                .Put(Invoice::Number, "INV" + std::to_string(m_random.Between(1000000, 9999999)))
                .Digits(Invoice::Amount, invoiceAmounts[i])
                .Put(Invoice::Date, PastDate())
                .Digits(Invoice::VatAmount, vat)
                .Digits(Invoice::PayeeChargeAmount, 0)
                .Digits(Invoice::WhtAmount, 0)
                .Put(Invoice::PrintLanguage, m_random.Chance(50) ? "T" : "E");
            Append(out, v);
            ++m_stats.invoices;
        }
        return amount;
    }

    void Append(std::string& out, const Line& line)
    {
        out += line.Text();
        out += "\r\n";
        ++m_stats.lines;
    }

    GeneratorOptions m_options;
    Random m_random;
    std::FILE* m_file;
    std::string m_buffer;
    GeneratedFile m_stats;
};

} // namespace detail

// Writes a clean payment file of about options.targetBytes bytes to path.
inline GeneratedFile GeneratePaymentFile(const std::string& path, const GeneratorOptions& options)
{
    return detail::Writer(path, options).Run();
}

} // namespace tallivo::bench
