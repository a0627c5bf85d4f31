#include "app/CompareCommand.h"

#include "app/PaymentInput.h"
#include "common/CommandProgress.h"
#include "comparing/PaymentFileDiff.h"

namespace tallivo {

namespace {

std::string LineText(std::uint64_t line)
{
    return line == 0 ? std::string() : std::to_string(line);
}

std::string SignedCount(std::int64_t n)
{
    return (n > 0 ? "+" : "") + std::to_string(n);
}

std::string SignedAmount(std::int64_t thousandths)
{
    return (thousandths > 0 ? "+" : "") + AmountText(thousandths);
}

void AddRows(const RecordChange& change, std::vector<ComparisonRow>& rows)
{
    ComparisonRow row{std::string(KindName(change.kind)),
                      change.recordType,
                      LineText(change.oldLine),
                      LineText(change.newLine),
                      {},
                      {},
                      {},
                      {}};
    if (change.fields.empty()) {
        rows.push_back(std::move(row));
        return;
    }
    for (const FieldChange& f : change.fields) {
        row.field = f.field;
        row.columns = f.columns;
        row.oldText = f.oldText;
        row.newText = f.newText;
        rows.push_back(row);
    }
}

} // namespace

std::string PaymentComparison::SummaryText() const
{
    if (Equal())
        return "The files are equal.";
    return std::to_string(changes) + (changes == 1 ? " change." : " changes.");
}

CommandOutcome ComparePaymentFile(const AppState& app, Dialogs& dialogs, const std::string& newPath,
                                  PaymentComparison& comparison)
{
    for (const auto& [path, isPaymentFile] : {std::pair{app.inputPath, true}, std::pair{newPath, false}})
        if (const std::string refusal = UnreadablePaymentFile(path, isPaymentFile); !refusal.empty()) {
            dialogs.ShowMessage(refusal);
            return CommandOutcome::Refused;
        }
    progress::Stage("Comparing");
    PaymentComparison result;
    result.oldPath = app.inputPath;
    result.newPath = newPath;
    const DiffOutcome outcome = DiffPaymentFiles(
        app.inputPath, newPath, [&result](const RecordChange& change) { AddRows(change, result.rows); });
    result.changes = outcome.changes;
    for (const CreditTotals& t : outcome.totals) {
        const auto oldCredits = static_cast<std::int64_t>(t.oldCredits);
        const auto newCredits = static_cast<std::int64_t>(t.newCredits);
        result.totals.push_back({t.product, t.valueDate, std::to_string(oldCredits), AmountText(t.oldAmount),
                                 std::to_string(newCredits), AmountText(t.newAmount),
                                 SignedCount(newCredits - oldCredits), SignedAmount(t.newAmount - t.oldAmount)});
    }
    comparison = std::move(result);
    return CommandOutcome::Completed;
}

} // namespace tallivo
