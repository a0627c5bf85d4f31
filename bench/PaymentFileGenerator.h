#pragma once
// Generates large, realistic, varied payment files that pass every check: a file
// header, thousands of debit batches of the various products, each with its credit
// records and their payee, WHT and invoice records, and a trailer whose totals match.
// Names are random, accounts carry valid check digits, and every amount adds up
// (credit amounts to their debit, WHT amounts to the credit's declared total, debit
// amounts to the trailer's total). Written streaming; memory does not grow with the size.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
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

// One record being filled: blanks, then fields set by column.
class Line
{
public:
    Line(std::string_view code, std::size_t length) : m_text(length, ' ') { Put(1, code); }
    // Text at column first (from 1); must fit within the record.
    Line& Put(std::size_t first, std::string_view text)
    {
        if (first - 1 + text.size() > m_text.size())
            throw std::logic_error("field past the record's end");
        std::memcpy(m_text.data() + first - 1, text.data(), text.size());
        return *this;
    }
    // A number right-aligned with leading zeros in width columns.
    Line& Digits(std::size_t first, std::uint64_t value, std::size_t width)
    {
        char buf[24];
        for (std::size_t i = width; i-- > 0;) {
            buf[i] = static_cast<char>('0' + value % 10);
            value /= 10;
        }
        if (value != 0)
            throw std::logic_error("number does not fit its field");
        return Put(first, std::string_view(buf, width));
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
inline constexpr std::string_view kPickupLocations[] = {"C001", "C007", "0886", "0633", "0537", "0501", "0669",
                                                        "0106", "0274", "5108", "5051", "0355"};
inline constexpr std::string_view kBahtNetPaymentTypes[] = {"CSH", "BCQ", "HCQ", "DCA", "DSA", "BCA", "BSA",
                                                            "FCA", "FSA", "SPD", "SPC", "UST", "OFA", "FWD"};
inline constexpr std::string_view kMediaServicesTypes[] = {"01", "02", "03", "04", "05", "06", "07", "59"};
inline constexpr std::string_view kChequeDocTypes[] = {"1", "2", "5", "9", "A", "C", "H", "K", "Q"};
inline constexpr std::string_view kOtherBanks[] = {"002", "004", "006", "011", "022", "025", "030", "065", "069"};
inline constexpr std::string_view kWhtFormTypes[] = {"01", "02", "03", "53"};

// The products of the batches, weighted by how often payment files carry them.
inline constexpr std::string_view kBatchProducts[] = {"DCP", "DCP", "DCP", "PAY", "PAY", "PA2", "PA3", "MCL", "MCL",
                                                      "PA4", "PA5", "PA6", "BNT", "BNT", "MCP", "CCP", "DDP"};

inline bool In(std::string_view p, std::initializer_list<std::string_view> set)
{
    for (std::string_view s : set)
        if (s == p)
            return true;
    return false;
}
inline bool IsMediaClearing(std::string_view p) { return In(p, {"MCL", "PA4", "PA5", "PA6"}); }
inline bool IsCheque(std::string_view p) { return In(p, {"MCP", "DDP", "CCP", "XMQ", "XDQ"}); }
inline bool IsOrvaneAccountProduct(std::string_view p) { return In(p, {"DCP", "PAY", "PA2", "PA3"}); }

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
                product = "XMQ";
            else if (m_stats.debits == 7 && expressBatches == 1)
                product = "XDQ";
            if (product == "XMQ" || product == "XDQ")
                ++expressBatches;
            const int credits = product == "XMQ" || product == "XDQ"
                                    ? static_cast<int>(m_random.Between(1, 20))
                                    : static_cast<int>(m_random.Between(1, static_cast<std::uint64_t>(m_options.maxCreditsPerBatch)));
            debitTotal += Batch(product, credits);
        }
        if (m_stats.debits > 999999 || m_stats.credits > 999999)
            throw std::runtime_error("too many records for the trailer's counts: ask for a smaller file");
        Line t("999", 31);
        t.Digits(4, m_stats.debits, 6).Digits(10, m_stats.credits, 6).Digits(16, debitTotal, 16);
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
        static constexpr int kWeights[9] = {4, 3, 2, 7, 6, 5, 4, 3, 2};
        char d[10];
        int sum = 0;
        for (int i = 0; i < 9; ++i) {
            d[i] = static_cast<char>('0' + m_random.Between(i == 0 ? 1 : 0, 9));
            sum += kWeights[i] * (d[i] - '0');
        }
        d[9] = static_cast<char>('0' + (sum % 10 == 0 ? 0 : 10 - sum % 10));
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
        Line h("001", 96);
        h.Put(4, "CORP" + std::to_string(m_random.Between(10000000, 99999999)))
            .Put(16, "PAYROLL AND SUPPLIERS " + std::to_string(m_options.seed))
            .Put(48, "20250115")
            .Put(56, "093000")
            .Put(62, m_random.Chance(50) ? "VYN" : "CNC");
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

        Line d("002", 109);
        d.Put(4, product)
            .Put(7, FutureDate())
            .Put(15, Account())
            .Put(40, m_random.Chance(70) ? "01" : "11")
            .Put(42, m_random.Chance(50) ? "0001" : "    ")
            .Put(46, "THB")
            .Digits(49, sum, 16)
            .Put(65, Reference("D", m_stats.debits))
            .Digits(73, static_cast<std::uint64_t>(credits), 6);
        if (IsMediaClearing(product)) {
            d.Digits(79, m_random.Between(100000000, 999999999), 15).Put(103, m_random.Pick({"0", "1", "2", " "}));
        } else if (product != "BNT") {
            d.Put(79, Account()).Put(104, "01").Put(106, "0001");
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
        const bool mcl = product == "MCL";
        const bool media = IsMediaClearing(product);
        const bool cheque = IsCheque(product);
        const bool bnt = product == "BNT";
        const bool toHomeBank = IsOrvaneAccountProduct(product) || cheque || (mcl && m_random.Chance(20));
        const std::string bank = toHomeBank ? "014" : std::string(m_random.Pick(kOtherBanks));
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

        Line c("003", 355);
        c.Digits(4, static_cast<std::uint64_t>(sequence), 6)
            .Put(10, account)
            .Digits(35, amount, 16)
            .Put(51, "THB")
            .Put(54, Reference("C", m_stats.credits))
            .Put(62, whtRecords > 0 ? "Y" : "N")
            .Put(63, invoiceRecords > 0 ? "Y" : "N")
            .Put(64, advice ? "Y" : "N")
            .Digits(92, static_cast<std::uint64_t>(whtRecords), 2)
            .Digits(94, whtTotal, 16)
            .Digits(110, static_cast<std::uint64_t>(invoiceRecords), 6)
            .Digits(116, invoiceTotal, 16)
            .Put(181, bank)
            .Put(184, toHomeBank ? "ORVANE BANK" : "OTHER BANK PUBLIC COMPANY LIMITED")
            .Digits(219, m_random.Between(1, 9999), 4);
        if (whtRecords > 0 || invoiceRecords > 0 || advice) {
            const char* mode = cheque ? m_random.Pick({"M", "C", "P"}) : m_random.Pick({"M", "C", "P", "S"});
            c.Put(65, mode);
            if (mode[0] == 'C')
                c.Put(66, m_random.Pick(kPickupLocations));
        }
        if (whtRecords > 0) {
            c.Put(70, m_random.Pick(kWhtFormTypes))
                .Digits(86, m_random.Between(1, 999999), 6)
                .Put(132, m_random.Pick({"1", "2", "3", "4"}))
                .Put(133, "WITHHOLDING TAX DEDUCTED AT SOURCE")
                .Put(173, PastDate())
                .Put(258, m_random.Chance(50) ? "B" : "C");
        }
        if (notify != ' ')
            c.Put(259, std::string_view(&notify, 1));
        if (cheque) {
            c.Put(260, Reference("CHQ", m_stats.credits)).Put(280, m_random.Pick(kChequeDocTypes));
        }
        if (bnt) {
            c.Put(281, m_random.Pick(kBahtNetPaymentTypes)).Digits(284, m_random.Between(0, 23), 2);
        } else if (mcl) {
            c.Put(284, m_random.Pick(kMediaServicesTypes));
        } else if (media) {
            c.Put(284, "01");
        }
        Append(out, c);
        ++m_stats.credits;

        Line p("004", 816);
        const std::string nameTh = ThaiName();
        p.Put(4, Reference("P", m_stats.payees))
            .Digits(12, static_cast<std::uint64_t>(sequence), 6)
            .Put(33, nameTh)
            .Put(343, std::to_string(m_random.Between(1000000000, 9999999999)))
            .Put(353, m_random.Chance(90) ? PayeeNameEn() : std::string())
            .Put(507, m_random.Chance(20) ? ThaiName() : std::string());
        if (notify == 'F')
            p.Put(423, "02" + std::to_string(m_random.Between(10000000, 99999999)));
        Append(out, p);
        ++m_stats.payees;

        for (std::size_t i = 0; i < types.size(); ++i) {
            Line w("005", 138);
            w.Put(4, Reference("W", m_stats.whts))
                .Digits(12, static_cast<std::uint64_t>(sequence), 6)
                .Digits(18, i + 1, 2)
                .Digits(20, whtAmounts[i], 16)
                .Put(36, types[i])
                .Put(121, m_random.Pick({"01", "02", "03", "05", "10", "15"}))
                .Digits(123, whtAmounts[i] * 20, 16);
            if (types[i] == "6" || m_random.Chance(30))
                w.Put(41, "PROFESSIONAL SERVICE FEE");
            Append(out, w);
            ++m_stats.whts;
        }
        for (std::size_t i = 0; i < invoiceAmounts.size(); ++i) {
            const std::uint64_t vat = invoiceAmounts[i] / 1000 * 70 / 10 * 10;
            Line v("006", 196);
            v.Put(4, Reference("I", m_stats.invoices))
                .Digits(12, static_cast<std::uint64_t>(sequence), 6)
                .Digits(18, i + 1, 6)
                .Put(24, "INV" + std::to_string(m_random.Between(1000000, 9999999)))
                .Digits(39, invoiceAmounts[i], 16)
                .Put(55, PastDate())
                .Digits(148, vat, 16)
                .Digits(164, 0, 16)
                .Digits(180, 0, 16)
                .Put(196, m_random.Chance(50) ? "T" : "E");
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
