// tallivo: the window. `tallivo FILE` opens with FILE in the payment file box;
// --version and --help are answered before any window, or display, is needed.
#include "common/SignalCleanup.h"
#include "common/Version.h"
#include "gui/TForm1.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <string_view>

namespace {

const char* const kUsage = "Usage: tallivo [FILE]\n"
                           "\n"
                           "Opens the Tallivo window, with FILE (a payment file) in its File Name box.\n"
                           "\n"
                           "  --version   Print the version and exit.\n"
                           "  -h, --help  Print this help and exit.\n"
                           "\n"
                           "Scripted checks and seals: tallivo-cli --help.\n";

int UsageError(const char* text)
{
    std::fprintf(stderr, "tallivo: %s\nTry 'tallivo --help'.\n", text);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            std::printf("tallivo %s\n", tallivo::kVersion);
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }

    // A signal that ends the window (a logout, kill) removes the files a command was
    // writing under temporary names.
    tallivo::CleanUpOnSignals();

    QApplication app(argc, argv);
    QApplication::setApplicationName("Tallivo");
    QApplication::setOrganizationName("tallivo");
    QApplication::setApplicationVersion(tallivo::kVersion);
    QGuiApplication::setDesktopFileName("io.tallivo.Tallivo"); // the desktop entry, for Wayland docks
    QApplication::setWindowIcon(tallivo::TForm1::ProgramIcon());

    // What Qt left of the arguments: at most one payment file.
    QStringList files;
    bool options = true;
    for (const QString& arg : QApplication::arguments().mid(1)) {
        if (options && arg == "--")
            options = false;
        else if (options && arg.startsWith('-') && arg != "-")
            return UsageError(qPrintable("unknown option " + arg));
        else
            files << arg;
    }
    if (files.size() > 1)
        return UsageError("one payment file at most");

    tallivo::TForm1 window;
    if (!files.isEmpty())
        window.SetInputFile(files.front());
    if (window.RestoreGeometry())
        window.show();
    else
        window.showMaximized();
    return app.exec();
}
