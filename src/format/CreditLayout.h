#pragma once
// The credit record (RecordCode::Credit): one payment to one beneficiary, with what it
// declares about the payee, WHT and invoice records that follow it.
#include "format/Layout.h"

namespace tallivo::Credit {

inline constexpr Field SequenceNumber          {"4-9",     "Credit Sequence Number"};
inline constexpr Field Account                 {"10-34",   "Credit Account No"};
inline constexpr Field Amount                  {"35-50",   "Credit Amount"};
inline constexpr Field Currency                {"51-53",   "Credit Currency"};
inline constexpr Field InternalReference       {"54-61",   "Internal Reference"};
inline constexpr Field WhtPresent              {"62-62",   "WHT Present"};
inline constexpr Field InvoicePresent          {"63-63",   "Invoice Details Present"};
inline constexpr Field AdviceRequired          {"64-64",   "Credit Advice Required"};
inline constexpr Field DeliveryMode            {"65-65",   "Delivery Mode"};
inline constexpr Field PickupLocation          {"66-69",   "Pickup Location"};
inline constexpr Field WhtFormType             {"70-71",   "WHT Form Type"};
inline constexpr Field WhtAttachNo             {"86-91",   "WHT Attach No."};
inline constexpr Field WhtCount                {"92-93",   "No. of WHT Details"};
inline constexpr Field TotalWhtAmount          {"94-109",  "Total WHT Amount"};
inline constexpr Field InvoiceCount            {"110-115", "No. of Invoice Details"};
inline constexpr Field TotalInvoiceAmount      {"116-131", "Total Invoice Amount"};
inline constexpr Field WhtPayType              {"132-132", "WHT Pay Type"};
inline constexpr Field WhtRemark               {"133-172", "WHT Remark"};
inline constexpr Field WhtDeductDate           {"173-180", "WHT Deduct Date"}; // yyyymmdd
inline constexpr Field ReceivingBankCode       {"181-183", "Receiving Bank Code"};
inline constexpr Field ReceivingBankName       {"184-218", "Receiving Bank Name"};
inline constexpr Field ReceivingBranchCode     {"219-222", "Receiving Branch Code"};
inline constexpr Field WhtSignatory            {"258-258", "WHT Signatory"};
inline constexpr Field BeneficiaryNotification {"259-259", "Beneficiary Notification"};
inline constexpr Field ChequeReference         {"260-279", "Cheque Reference Number"};
inline constexpr Field ChequeDocumentType      {"280-280", "Cheque Reference Document Type"};
inline constexpr Field PaymentTypeCode         {"281-283", "Payment Type Code"};
inline constexpr Field ServicesType            {"284-285", "ServicesType"};
// Blank in the sealed output.
inline constexpr Field Filler                  {"336-353", "Filler"};
// "B" in its first column: the beneficiary bears the charges ("B " in the sealed output).
inline constexpr Field BeneCharge              {"354-355", "Bene Charge"};

// The declared counts as the pass's comparisons with the records that follow print them.
inline constexpr Field WhtCountCompared     = WhtCount.PrintedAs("No of WHT Detail");
inline constexpr Field InvoiceCountCompared = InvoiceCount.PrintedAs("No of Invoice Detail");
// The bank code as the two rules on paying to the home bank print it.
inline constexpr Field ReceivingBankCodeLowerCase = ReceivingBankCode.PrintedAs("Receiving Bank code");

// In column order within the record.
static_assert(LaysOut(RecordCode::Credit, {SequenceNumber, Account, Amount, Currency, InternalReference, WhtPresent,
                                           InvoicePresent, AdviceRequired, DeliveryMode, PickupLocation, WhtFormType,
                                           WhtAttachNo, WhtCount, TotalWhtAmount, InvoiceCount, TotalInvoiceAmount,
                                           WhtPayType, WhtRemark, WhtDeductDate, ReceivingBankCode, ReceivingBankName,
                                           ReceivingBranchCode, WhtSignatory, BeneficiaryNotification,
                                           ChequeReference, ChequeDocumentType, PaymentTypeCode, ServicesType, Filler,
                                           BeneCharge}));
static_assert(IsAmount(Amount) && IsAmount(TotalWhtAmount) && IsAmount(TotalInvoiceAmount));
static_assert(IsDate(WhtDeductDate));

} // namespace tallivo::Credit
