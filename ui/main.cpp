// slovosito: reads its few options, opens the main window and runs it until it is closed.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include "slovosito_version.h"
#include "ui/Unit1.h"
#include "wordstore/dictionary_folder.h"
#include "wordstore/path_utils.h"

namespace {

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

int UsageError(const QString& message)
{
    std::cerr << "slovosito: " << message.toStdString() << " (see --help)\n";
    return 2;
}

// An unknown option as it was most likely typed: "-x" for one letter, "--name" otherwise.
QString TypedOption(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

}  // namespace

int main(int argc, char** argv)
{
    InitExeDir();
    // Parsed before the application exists: --help, --version and a wrong argument need no
    // display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Opens the window for finding Russian words in the frequency dictionaries of DIR, else of\n"
        "the folder \"Словари\" beside the program, else of the user's folder\n"
        "~/.local/share/slovosito/Словари (slovosito-cli --list --verbose tells which)."));
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("load the dictionaries of DIR instead"),
                                       QStringLiteral("DIR"));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("show this text"));
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("show the version"));
    parser.addOption(dirOption);
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    const bool parsed = parser.parse(arguments);

    if (parser.isSet(helpOption)) {
        // The parser takes the usage line's program name from a running application; a core
        // one needs no display. It is given the bare name, whatever path the program ran from.
        int nameCount = 1;
        char name[] = "slovosito";
        char* nameOnly[] = {name, nullptr};
        const QCoreApplication named(nameCount, nameOnly);
        std::cout << parser.helpText().toStdString();
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::cout << "slovosito " << kSlovositoVersion << '\n';
        return 0;
    }
    if (!parser.unknownOptionNames().isEmpty()) {
        return UsageError(QStringLiteral("unknown argument ") +
                          TypedOption(parser.unknownOptionNames().constFirst()));
    }
    if (!parsed) {
        // The one other way parsing fails: --dir last, without its value.
        return UsageError(QStringLiteral("option --dir needs a value"));
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(QStringLiteral("unknown argument ") +
                          parser.positionalArguments().constFirst());
    }
    TDictionaryFolder folder;
    try {
        std::string dir;
        for (const QString& value : parser.values(dirOption)) {
            dir = value.toLocal8Bit().toStdString();
            RequireFolder(dir);
        }
        folder = ChooseDictionaryFolder(SystemFolderSetting(dir));
    } catch (const ENoSuchFolder& e) {
        std::cerr << "slovosito: " << e.what() << '\n';
        return 2;
    }
    if (!HasDisplay()) {
        std::cerr << "slovosito: no display to open the window on "
                     "(neither DISPLAY nor WAYLAND_DISPLAY is set)\n";
        return 1;
    }

    qInstallMessageHandler(StartupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    // Desktops match the window to its menu entry and icon by this name.
    QApplication::setDesktopFileName(QString::fromLatin1(kSlovositoAppId));

    TForm1 Form1(folder.Path);
    Form1.ReportBeforeLoading(folder.Errors);
    Form1.show();
    return QApplication::exec();
}
