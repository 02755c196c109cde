// slovosito: reads its few options, opens the main window and runs it until it is closed.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>

#include "ui/Unit1.h"
#include "wordstore/path_utils.h"

namespace {

constexpr const char* kUsage =
    "Usage: slovosito [--dir DIR]\n"
    "\n"
    "Opens the window for finding Russian words in the frequency dictionaries of the folder\n"
    "\"Словари\" beside the program (or DIR).\n"
    "\n"
    "  --dir DIR   load the dictionaries of DIR instead\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Whether there is a display for Qt to open the window on. Without one Qt would abort.
bool HasDisplay()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') {
        const std::string_view name(platform);
        if (name.starts_with("xcb")) {
            return IsSet("DISPLAY");
        }
        if (name.starts_with("wayland")) {
            return IsSet("WAYLAND_DISPLAY");
        }
        return true;
    }
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

// While the application starts: a display that cannot be opened ends the program with a message
// instead of Qt's abort.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message)
{
    std::fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')), stderr);
    if (type == QtFatalMsg) {
        std::fputs("slovosito: cannot open the window on this display\n", stderr);
        std::_Exit(1);
    }
}

int UsageError(const std::string& message)
{
    std::cerr << "slovosito: " << message << " (see --help)\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    InitExeDir();
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string folder = DictionaryFolder();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "slovosito 0.002\n";
            return 0;
        }
        if (arg == "--dir" || arg.starts_with("--dir=")) {
            if (arg == "--dir" && i + 1 >= args.size()) {
                return UsageError("option --dir needs a value");
            }
            folder = arg == "--dir" ? args[++i] : arg.substr(6);
            std::error_code error;
            if (!std::filesystem::is_directory(folder, error)) {
                std::cerr << "slovosito: no such folder \"" << folder << "\"\n";
                return 2;
            }
            continue;
        }
        return UsageError("unknown argument " + arg);
    }
    if (!HasDisplay()) {
        std::cerr << "slovosito: no display to open the window on "
                     "(neither DISPLAY nor WAYLAND_DISPLAY is set)\n";
        return 1;
    }

    qInstallMessageHandler(StartupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);

    TForm1 Form1(folder);
    Form1.show();
    return QApplication::exec();
}
