#include "cli/DiffOutput.h"

#include "cli/TextForms.h"

namespace tallivo::cli {

namespace {

std::string Shown(std::string_view fileBytes)
{
    return Visible(FileTextUtf8(fileBytes));
}

std::string JsonText(std::string_view fileBytes)
{
    return JsonString(FileTextUtf8(fileBytes));
}

std::string JsonLineNumber(std::uint64_t line)
{
    return line == 0 ? "null" : std::to_string(line);
}

std::string SignedCount(std::int64_t n)
{
    return (n > 0 ? "+" : "") + std::to_string(n);
}

std::string SignedAmount(std::int64_t thousandths)
{
    return (thousandths > 0 ? "+" : "") + AmountText(thousandths);
}

std::string JsonTotals(std::int64_t credits, std::int64_t thousandths)
{
    return "{\"credits\":" + std::to_string(credits) + ",\"amount\":" + AmountText(thousandths) + "}";
}

} // namespace

DiffWriter::DiffWriter(DiffFormat format, std::string oldName, std::string newName,
                       std::function<void(std::string_view)> sink)
    : m_format(format), m_oldName(std::move(oldName)), m_newName(std::move(newName)), m_sink(std::move(sink))
{
}

void DiffWriter::Start()
{
    if (m_started)
        return;
    m_started = true;
    if (m_format == DiffFormat::Json)
        m_sink("{\"schema\":1,\"command\":\"diff\",\"old\":" + JsonString(MessageUtf8(m_oldName)) +
               ",\"new\":" + JsonString(MessageUtf8(m_newName)) + ",\"changes\":[");
}

void DiffWriter::Change(const RecordChange& change)
{
    Start();
    std::string out;
    if (m_format == DiffFormat::Json) {
        out = m_firstChange ? "" : ",";
        out += "{\"kind\":\"" + std::string(KindName(change.kind)) + "\",\"recordType\":" +
               JsonText(change.recordType) + ",\"oldLine\":" + JsonLineNumber(change.oldLine) +
               ",\"newLine\":" + JsonLineNumber(change.newLine) + ",\"fields\":[";
        for (std::size_t i = 0; i < change.fields.size(); ++i) {
            const FieldChange& f = change.fields[i];
            out += (i == 0 ? "{\"field\":" : ",{\"field\":") + JsonString(f.field) +
                   ",\"columns\":" + JsonString(f.columns) + ",\"old\":" + JsonText(f.oldText) +
                   ",\"new\":" + JsonText(f.newText) + "}";
        }
        out += "]}";
    } else {
        out = std::string(KindName(change.kind)) + " " + Shown(change.recordType);
        if (change.oldLine != 0)
            out += " old line " + std::to_string(change.oldLine);
        if (change.newLine != 0)
            out += " new line " + std::to_string(change.newLine);
        for (std::size_t i = 0; i < change.fields.size(); ++i) {
            const FieldChange& f = change.fields[i];
            out += i == 0 ? ": " : "; ";
            out += (f.field.empty() ? std::string("columns") : f.field) + " (" + f.columns + ") \"" +
                   Shown(f.oldText) + "\" -> \"" + Shown(f.newText) + "\"";
        }
        out += "\n";
    }
    m_firstChange = false;
    m_sink(out);
}

void DiffWriter::Finish(const DiffOutcome& outcome)
{
    Start();
    std::string out;
    if (m_format == DiffFormat::Json) {
        out = "],\"equal\":" + std::string(outcome.Equal() ? "true" : "false") + ",\"totals\":[";
        for (std::size_t i = 0; i < outcome.totals.size(); ++i) {
            const CreditTotals& t = outcome.totals[i];
            const auto oldCredits = static_cast<std::int64_t>(t.oldCredits);
            const auto newCredits = static_cast<std::int64_t>(t.newCredits);
            out += (i == 0 ? "{\"product\":" : ",{\"product\":") + JsonText(t.product) +
                   ",\"valueDate\":" + JsonText(t.valueDate) + ",\"old\":" + JsonTotals(oldCredits, t.oldAmount) +
                   ",\"new\":" + JsonTotals(newCredits, t.newAmount) +
                   ",\"difference\":" + JsonTotals(newCredits - oldCredits, t.newAmount - t.oldAmount) + "}";
        }
        out += "]}\n";
    } else {
        out = outcome.Equal() ? "The files are equal.\n"
                              : std::to_string(outcome.changes) + (outcome.changes == 1 ? " change.\n" : " changes.\n");
        if (!outcome.totals.empty())
            out += "Credits by product and value date: old -> new (difference)\n";
        for (const CreditTotals& t : outcome.totals) {
            const auto oldCredits = static_cast<std::int64_t>(t.oldCredits);
            const auto newCredits = static_cast<std::int64_t>(t.newCredits);
            out += Shown(t.product) + " " + Shown(t.valueDate) + ": " + std::to_string(oldCredits) + " credits " +
                   AmountText(t.oldAmount) + " -> " + std::to_string(newCredits) + " credits " +
                   AmountText(t.newAmount) + " (" + SignedCount(newCredits - oldCredits) + " credits, " +
                   SignedAmount(t.newAmount - t.oldAmount) + ")\n";
        }
    }
    m_sink(out);
}

} // namespace tallivo::cli
