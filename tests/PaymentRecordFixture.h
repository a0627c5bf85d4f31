#pragma once
// Valid default credit, payee, WHT and invoice records for the record check tests, an
// addAccBatchError row held in memory (MemoryAccountRow), and the findings as "columns|field|message".
#include "RecordBuilder.h"
#include "checking/AccountRowStore.h"
#include "format/CreditLayout.h"
#include "format/InvoiceLayout.h"
#include "format/PayeeLayout.h"
#include "format/WhtLayout.h"

#include <string>
#include <vector>

namespace tallivo::test {

using tallivo::MemoryAccountRow;

// A credit record that passes every rule for its product: flags "N", no WHT, no invoices.
inline Rec ValidCredit(std::string_view product = "DCP")
{
    Rec r(RecordCode::Credit);
    r.Set(Credit::SequenceNumber, "000001")
        .Set(Credit::Account, kGoodAccount)
        .Set(Credit::Amount, "0000000001000000")
        .Set(Credit::Currency, "THB")
        .Set(Credit::InternalReference, "INTREF01")
        .Set(Credit::WhtPresent, "N")
        .Set(Credit::InvoicePresent, "N")
        .Set(Credit::AdviceRequired, "N")
        .Set(Credit::DeliveryMode, "M")
        .Set(Credit::WhtCount, "00")
        .Set(Credit::TotalWhtAmount, "0000000000000000")
        .Set(Credit::InvoiceCount, "000000")
        .Set(Credit::TotalInvoiceAmount, "0000000000000000")
        .Set(Credit::ReceivingBankCode, kHomeBankCode);
    if (Contains(kBankCodeProducts, product))
        r.Set(Credit::ReceivingBankCode, "002")
            .Set(Credit::ReceivingBankName, "OTHER BANK")
            .Set(Credit::ReceivingBranchCode, "0001")
            .Set(Credit::ServicesType, "01");
    if (product == Product::BahtNet)
        r.Set(Credit::PaymentTypeCode, "CSH");
    if (Contains(kChequeProducts, product))
        r.Set(Credit::ReceivingBranchCode, "0001")
            .Set(Credit::ChequeReference, "CHEQUE REF")
            .Set(Credit::ChequeDocumentType, "1");
    return r;
}

// With withholding tax: a positive declared total and the certificate fields.
inline Rec WithWht(Rec r)
{
    return r.Set(Credit::WhtPresent, "Y")
        .Set(Credit::WhtFormType, "53")
        .Set(Credit::WhtAttachNo, "000001")
        .Set(Credit::WhtCount, "01")
        .Set(Credit::TotalWhtAmount, "0000000000010000")
        .Set(Credit::WhtPayType, "1")
        .Set(Credit::WhtDeductDate, "20250101")
        .Set(Credit::WhtSignatory, "B");
}

inline Rec ValidPayee()
{
    return Rec(RecordCode::Payee)
        .Set(Payee::InternalReference, "INTREF01")
        .Set(Payee::SequenceNumber, "000001")
        .Set(Payee::NameThai, "THAI NAME")
        .Set(Payee::TaxId, "1234567890")
        .Set(Payee::NameEnglish, "ENGLISH NAME")
        .Set(Payee::FaxNumber, "0212345678");
}

inline Rec ValidWht()
{
    return Rec(RecordCode::Wht)
        .Set(Wht::InternalReference, "INTREF01")
        .Set(Wht::CreditSequenceNo, "000001")
        .Set(Wht::SequenceNo, "01")
        .Set(Wht::Amount, "0000000000010000")
        .Set(Wht::IncomeType, "1")
        .Set(Wht::DeductRate, "03")
        .Set(Wht::IncomeTypeAmount, "0000000000100000");
}

inline Rec ValidInvoice()
{
    return Rec(RecordCode::Invoice)
        .Set(Invoice::InternalReference, "INTREF01")
        .Set(Invoice::CreditSequenceNo, "000001")
        .Set(Invoice::SequenceNo, "000001")
        .Set(Invoice::Number, "INV-1")
        .Set(Invoice::Amount, "0000000000100000")
        .Set(Invoice::Date, "20240229")
        .Set(Invoice::VatAmount, "0000000000000000")
        .Set(Invoice::PayeeChargeAmount, "0000000000000000")
        .Set(Invoice::WhtAmount, "0000000000000000")
        .Set(Invoice::PrintLanguage, "T");
}

// The findings of the grid as "columns|field name|message" (cells 3 to 5).
inline std::vector<std::string> Findings(const CheckSession& s)
{
    std::vector<std::string> rows;
    for (std::size_t r = 1; r + 1 < s.grid.RowCount(); ++r)
        rows.push_back(std::string(s.grid.Cell(3, r)) + "|" + std::string(s.grid.Cell(4, r)) + "|" + std::string(s.grid.Cell(5, r)));
    return rows;
}

// The Account and Payee Name cells of every finding, as "account|payee".
inline std::vector<std::string> RowNames(const CheckSession& s)
{
    std::vector<std::string> rows;
    for (std::size_t r = 1; r + 1 < s.grid.RowCount(); ++r)
        rows.push_back(std::string(s.grid.Cell(6, r)) + "|" + std::string(s.grid.Cell(7, r)));
    return rows;
}

} // namespace tallivo::test
