#pragma once
// The report renderer: turns a ReportDocument (templates, variables, rows) into
// pages. Each template is HTML with mustache tags; the parts of a document follow
// one another, each from a new page, and every page carries "Page n of m".
//
// What a template can print:
//   {{comId}}, {{hashValue}}, ...   the report's variables (their evaluated text), and
//                                   for numeric ones {{<name>_fmt}} and {{<name>_money}}
//   {{#rows}} ... {{/rows}}         once per table row; inside it each column by its
//                                   name ({{Product}}), names with blanks also without
//                                   them ({{CreditAmount}}), {{rowNumber}} (1, 2, ...),
//                                   and for numeric columns {{<name>_fmt}}: the number
//                                   with thousands separators (two decimals when the
//                                   value has a point), {{<name>_money}}: always two
//                                   decimals
//   {{^rows}} ... {{/rows}}         when the table has no rows
//   {{rowCount}}                    number of rows
//   {{total_<name>}}                the sum of a numeric column, formatted like _fmt;
//   {{total_<name>_money}}          the same with two decimals
//   {{printDate}}                   the date and time the report was prepared
#include "reports/ReportDocument.h"

#include <memory>
#include <string>

class QTextDocument;

namespace tallivo {

// One report's HTML (UTF-8): its template rendered with its variables and rows.
// Raises an error for a variable that is not a string constant or a template that
// does not parse.
std::string RenderReportHtml(const PreparedReport& report);

// The date and time a report is prepared, as {{printDate}} prints it.
std::string PrintDate();

// The whole document as one text document, each part after the first from a new page.
std::unique_ptr<QTextDocument> BuildTextDocument(const ReportDocument& document);

// Writes the document as an A4 PDF file, a page at a time (render/PagedReport.h),
// replacing the file only once it is complete.
void WriteReportPdf(const ReportDocument& document, const std::string& path);

} // namespace tallivo
