#pragma once
// The report's output devices: a paged report (render/PagedReport.h) painted onto a
// printer or written as a PDF file, a page at a time.
#include <functional>
#include <string>

class QPagedPaintDevice;

namespace tallivo {

class PagedReport;

// Called before each page is printed with the pages done and the number of pages; false
// stops the printing.
using PageProgress = std::function<bool(int done, int pages)>;

// Paints every page onto a paged device (a printer, a PDF writer) whose page layout is
// PagedReport::PageLayout(), laying out one page at a time. Without a page progress each
// page reports to the running command's progress and is a safe point. False when stopped.
bool PrintReport(const PagedReport& report, QPagedPaintDevice& device, const PageProgress& onPage = {});

// Writes the report as an A4 PDF file page by page, replacing the file only once it is
// complete; stopped, it leaves the file as it was. False when stopped.
bool WriteReportPdf(const PagedReport& report, const std::string& path, const PageProgress& onPage = {});

} // namespace tallivo
