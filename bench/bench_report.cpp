// Preparing the payment reports (the Report command up to the first page on screen) of
// large sealed payment files: the time and the peak memory of a process that does only
// that, beside the targets (10 s and 200 MB for 100,000 credit records). Each case
// generates a payment file with at least as many credit records, seals it as the window
// does (report tables filled), keeps that many detail rows, then runs in a child process
// of its own: the Report command's document read from the tables, its pages measured and
// dealt, and the first page laid out and painted as the preview shows it, then the
// slowest of a few pages further on (the second, the middle one, near the end, the last).
// With --pdf it also writes the whole report as PDF, page by page, in another child.
//
// With --cli it times the command line instead, on a generated file of at least that many
// credit records: "tallivo-cli seal" alone and with --report-pdf, the report's share
// being the difference, with the peak memory of the whole command and the PDF's pages
// and bytes per page, beside the targets (100,000 credit records: 10 s and 200 MB;
// 1,000,000: 100 s and 400 MB).
//
// Usage: bench_report [--pdf | --cli] [credit records ...]   (default: 41884 100000)
#include "PaymentFileGenerator.h"
#include "app/AppState.h"
#include "app/Dialogs.h"
#include "app/ErrorHandler.h"
#include "app/ReportCommands.h"
#include "app/SealCommand.h"
#include "render/PagedReport.h"
#include "render/ReportOutput.h"
#include "store/TableStore.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tallivo;
using WallClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr double kTargetSeconds = 10;
constexpr double kTargetMegabytes = 200;
constexpr std::size_t kTargetRecords = 100000;

// The seal's questions answered as a clean file needs; messages printed.
struct BenchDialogs : Dialogs
{
    void ShowMessage(const std::string&) override {}
    MsgButton MessageDlg(const std::string& text, MsgKind, const std::vector<MsgButton>&) override
    {
        std::fprintf(stderr, "asked: %s\n", text.c_str());
        return MsgButton::None;
    }
    std::optional<std::string> RunFileDialog(FileDialogKind) override { return std::nullopt; }
    void ShowError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
};

struct Measure
{
    double seconds = 0;
    double cpuSeconds = 0; // user and system time: the work, whatever else the machine runs
    double peakMb = 0;
    int status = -1;
};

// Runs work in a child process: its wall time, peak resident memory and exit status.
Measure InChild(const std::function<int()>& work)
{
    std::fflush(stdout);
    const auto start = WallClock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int status = work();
        std::fflush(stdout);
        ::_exit(status);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    Measure m;
    m.seconds = std::chrono::duration<double>(WallClock::now() - start).count();
    m.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    m.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

// A program folder with its tables and the report templates, and a sealed payment file
// whose detail table holds exactly `records` rows.
bool PrepareFolder(const fs::path& folder, std::size_t records)
{
    fs::remove_all(folder);
    fs::create_directories(folder / "Data");
    fs::create_directories(folder / "Report");
    CreateTableFiles((folder / "Data").string() + "/");
    for (const char* name : {"Payment.html", "PaymentDetail.html", "DirectDebit.html", "DeductFee.html"})
        fs::copy_file(fs::path(TALLIVO_SOURCE_DIR) / "report" / name, folder / "Report" / name);

    const std::string payment = (folder / "payment.txt").string();
    bench::GeneratorOptions options;
    options.targetBytes = static_cast<std::uint64_t>(records) * 1400;
    for (;;) {
        const bench::GeneratedFile file = bench::GeneratePaymentFile(payment, options);
        if (file.credits >= records)
            break;
        options.targetBytes = options.targetBytes * records / std::max<std::uint64_t>(file.credits, 1) + (1 << 20);
    }

    AppState app;
    app.programFolder = folder.string() + "/";
    app.inputPath = payment;
    app.zipName = (folder / "payment.zip").string();
    BenchDialogs dialogs;
    bool sealed = false;
    RunCommand(dialogs, [&] { sealed = SealPaymentFile(app, dialogs) == CommandOutcome::Completed; });
    if (!sealed)
        return false;
    TableStore store(app.DataFolder());
    store.TableExec("ReportTableDetail", "Delete From ReportTableDetail Where rowid > " + std::to_string(records));
    return store.TableQuery("ReportTableDetail", "Select Count(*) As n From ReportTableDetail")[0].at("n") ==
           std::to_string(records);
}

// The Report command as the window runs it, with the report's pages prepared as its
// preview needs them.
class PreparingViewer : public ReportViewer
{
public:
    void Show(const ReportDocument& document) override { report = std::make_unique<PagedReport>(document); }
    std::unique_ptr<PagedReport> report;
};

std::unique_ptr<PagedReport> RunReportCommand(const fs::path& folder)
{
    AppState app;
    app.programFolder = folder.string() + "/";
    app.summaryBuilt = true;
    app.session.ctx.currentProduct = "PAY";
    app.session.ctx.companyId = "BENCHMARK";
    app.hashValue = "0123456789ABCDEF0123456789ABCDEF01234567";
    PreparingViewer viewer;
    BenchDialogs dialogs;
    RunCommand(dialogs, [&] { ShowPaymentReports(app, viewer); });
    return std::move(viewer.report);
}

// Runs a program with its arguments, its output dropped: its wall time, peak memory and
// exit status.
Measure RunProgram(const std::vector<std::string>& args)
{
    return InChild([&] {
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (std::freopen("/dev/null", "w", stdout) == nullptr)
            return 127;
        ::execv(argv[0], argv.data());
        return 127;
    });
}

// The number of pages of a PDF file, from its page tree's count.
int PdfPages(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int pages = 0;
    for (std::size_t at = bytes.find("/Count "); at != std::string::npos; at = bytes.find("/Count ", at + 1))
        pages = std::max(pages, std::atoi(bytes.c_str() + at + 7));
    return pages;
}

// The command line's seal with and without the report as PDF, on a generated file.
bool TimeCommandLine(std::size_t records)
{
    const fs::path folder = fs::temp_directory_path() / ("tallivo-bench-cli-" + std::to_string(records));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string payment = (folder / "payment.txt").string();
    bench::GeneratorOptions options;
    options.targetBytes = static_cast<std::uint64_t>(records) * 1400;
    bench::GeneratedFile file;
    for (;;) {
        file = bench::GeneratePaymentFile(payment, options);
        if (file.credits >= records)
            break;
        options.targetBytes = options.targetBytes * records / std::max<std::uint64_t>(file.credits, 1) + (1 << 20);
    }
    const std::string pdf = (folder / "report.pdf").string();
    const auto seal = [&](bool withPdf) {
        const std::string input = (folder / "input.txt").string();
        fs::copy_file(payment, input, fs::copy_options::overwrite_existing);
        fs::remove(folder / "out.zip");
        fs::remove(folder / "sealed.txt");
        std::vector<std::string> args = {TALLIVO_CLI,
                                         "seal",
                                         "-q",
                                         "--zip",
                                         (folder / "out.zip").string(),
                                         "--new-file",
                                         (folder / "sealed.txt").string()};
        if (withPdf) {
            args.push_back("--report-pdf");
            args.push_back(pdf);
        }
        args.push_back(input);
        return RunProgram(args);
    };
    const Measure alone = seal(false);
    const Measure withReport = seal(true);
    const int pages = PdfPages(pdf);
    const double pdfBytes = fs::exists(pdf) ? static_cast<double>(fs::file_size(pdf)) : 0;
    const bool large = records > kTargetRecords;
    const double targetSeconds = large ? 10 * kTargetSeconds : kTargetSeconds;
    const double targetMb = large ? 2 * kTargetMegabytes : kTargetMegabytes;
    const double share = withReport.seconds - alone.seconds;
    const bool ok = alone.status == 0 && withReport.status == 0;
    const bool met = ok && share <= targetSeconds && withReport.peakMb <= targetMb;
    std::printf("%-16llu %10d %8.2f %12.2f %10.2f %12.2f %10.1f %10.1f %10s\n",
                static_cast<unsigned long long>(file.credits), pages, alone.seconds, withReport.seconds, share,
                withReport.cpuSeconds - alone.cpuSeconds, withReport.peakMb, pages > 0 ? pdfBytes / pages / 1024 : 0.0,
                !ok   ? "FAILED"
                : met ? "met"
                      : "MISSED");
    std::printf("  targets: report share within %.0f s, whole command within %.0f MB\n", targetSeconds, targetMb);
    fs::remove_all(folder);
    return met;
}

int WithGuiApplication(const std::function<int()>& work)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "bench_report";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    return work();
}

} // namespace

int main(int argc, char** argv)
{
    bool pdf = false;
    bool cli = false;
    std::vector<std::size_t> cases;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--pdf")
            pdf = true;
        else if (std::string(argv[i]) == "--cli")
            cli = true;
        else
            cases.push_back(std::strtoul(argv[i], nullptr, 10));
    }
    if (cases.empty())
        cases = {41884, kTargetRecords};

    if (cli) {
        std::printf("%-16s %10s %8s %12s %10s %12s %10s %10s %10s\n", "credit records", "pages", "seal s", "seal+PDF s",
                    "report s", "report CPU s", "peak MB", "KB/page", "targets");
        bool met = true;
        for (const std::size_t records : cases)
            met = TimeCommandLine(records) && met;
        return met ? 0 : 1;
    }

    bool met = true;
    std::printf("%-16s %10s %8s %12s %12s %14s %10s %10s\n", "credit records", "pages", "prepare s", "first page s",
                "page on s", "peak RSS MB", "CPU s", "targets");
    for (const std::size_t records : cases) {
        const fs::path folder = fs::temp_directory_path() / ("tallivo-bench-report-" + std::to_string(records));
        if (!PrepareFolder(folder, records)) {
            std::printf("%-16zu could not seal the generated file\n", records);
            met = false;
            continue;
        }
        const std::string timesFile = (folder / "times.txt").string();
        const Measure report = InChild([&] {
            return WithGuiApplication([&] {
                const auto start = WallClock::now();
                const std::unique_ptr<PagedReport> paged = RunReportCommand(folder);
                if (!paged)
                    return 2;
                const auto prepared = WallClock::now();
                // The preview's first page, at the width of a wide screen.
                const double zoom = 1200.0 / PagedReport::PaintArea().width();
                QImage page((PagedReport::PaintArea() * zoom).toSize(), QImage::Format_ARGB32_Premultiplied);
                page.fill(Qt::white);
                QPainter painter(&page);
                painter.scale(zoom, zoom);
                paged->PaintPage(painter, 0);
                painter.end();
                const auto shown = WallClock::now();
                // Pages further on, as the preview shows them when scrolled or jumped to:
                // the slowest of them.
                double slowest = 0;
                for (const int at : {1, paged->PageCount() / 2, paged->PageCount() * 9 / 10, paged->PageCount() - 1}) {
                    const auto begin = WallClock::now();
                    page.fill(Qt::white);
                    QPainter other(&page);
                    other.scale(zoom, zoom);
                    paged->PaintPage(other, std::max(0, at));
                    other.end();
                    slowest = std::max(slowest, std::chrono::duration<double>(WallClock::now() - begin).count());
                }
                if (FILE* out = std::fopen(timesFile.c_str(), "w")) {
                    std::fprintf(out, "%d %.3f %.3f %.3f\n", paged->PageCount(),
                                 std::chrono::duration<double>(prepared - start).count(),
                                 std::chrono::duration<double>(shown - prepared).count(), slowest);
                    std::fclose(out);
                }
                return 0;
            });
        });
        int pages = 0;
        double prepareSeconds = 0;
        double firstPageSeconds = 0;
        double otherPageSeconds = 0;
        if (FILE* in = std::fopen(timesFile.c_str(), "r")) {
            if (std::fscanf(in, "%d %lf %lf %lf", &pages, &prepareSeconds, &firstPageSeconds, &otherPageSeconds) != 4)
                pages = 0;
            std::fclose(in);
        }
        const bool withinTargets = report.status == 0 && prepareSeconds + firstPageSeconds <= kTargetSeconds &&
                                   report.peakMb <= kTargetMegabytes;
        met = met && (records > kTargetRecords || withinTargets);
        std::printf("%-16zu %10d %8.2f %12.3f %12.3f %14.1f %10.2f %10s\n", records, pages, prepareSeconds,
                    firstPageSeconds, otherPageSeconds, report.peakMb, report.cpuSeconds,
                    report.status != 0 ? "FAILED" : withinTargets ? "met" : "MISSED");

        if (pdf) {
            const std::string pdfPath = (folder / "report.pdf").string();
            const Measure written = InChild([&] {
                return WithGuiApplication([&] {
                    const std::unique_ptr<PagedReport> paged = RunReportCommand(folder);
                    return paged && WriteReportPdf(*paged, pdfPath) ? 0 : 2;
                });
            });
            std::printf("  whole report as PDF: %.1f s, peak RSS %.1f MB, %.1f MB file%s\n", written.seconds,
                        written.peakMb, fs::exists(pdfPath) ? static_cast<double>(fs::file_size(pdfPath)) / 1048576.0 : 0.0,
                        written.status == 0 ? "" : " (FAILED)");
        }
        fs::remove_all(folder);
    }
    std::printf("targets for %zu credit records: prepared and first page shown within %.0f s, peak %.0f MB: %s\n",
                kTargetRecords, kTargetSeconds, kTargetMegabytes, met ? "met" : "NOT MET");
    return met ? 0 : 1;
}
