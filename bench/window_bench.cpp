// Times the window as a person meets it, offscreen: from the start of the program to the
// dictionary rows listed, and, with --list, from the ending row's button to the listing of every
// word with its ipm shown. bench/run.sh runs it beside the command-line program on the same
// dictionaries. Prints one "name value" line per figure.
//
// With --repeat N it lists every word of every row but the first N times in one window, in
// alphabetical and frequency order by turns, and prints the found count of each run:
// bench/stop_stress.sh stops and continues the process meanwhile and checks every count.
//
// With --panel WORD it opens the panel, waits for the rhyme index, then times from each of the
// panel's buttons to its listing shown: the rhymes to WORD, its anagrams, and the words made of
// its letters.
//
//   window_bench DIR [--list [--alpha] | --repeat N | --panel WORD]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <sys/resource.h>

#include "ui/Unit1.h"

namespace {

// The CPU time of the whole program so far, in milliseconds.
double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The peak resident memory of the program so far, in MiB.
double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

template <typename TWidget>
TWidget& Child(const TForm1& form, const char* name)
{
    auto* widget = form.findChild<TWidget*>(QString::fromLatin1(name));
    if (widget == nullptr) {
        std::fprintf(stderr, "window_bench: the window has no %s\n", name);
        std::exit(2);
    }
    return *widget;
}

}  // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    if (argc < 2) {
        std::fprintf(stderr, "Usage: window_bench DIR [--list [--alpha]]\n");
        return 2;
    }
    const bool list = argc > 2 && std::strcmp(argv[2], "--list") == 0;
    const bool alpha = argc > 3 && std::strcmp(argv[3], "--alpha") == 0;
    const int repeat = argc > 3 && std::strcmp(argv[2], "--repeat") == 0 ? std::atoi(argv[3]) : 0;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    TWindowHooks hooks;
    bool failed = false;
    hooks.Beep = [] {};
    hooks.ShowError = [&failed](const QString& text) {
        std::fprintf(stderr, "window_bench: error: %s\n", qPrintable(text));
        failed = true;
    };
    hooks.ShowWarning = [](const QString& text) {
        std::fprintf(stderr, "window_bench: warning: %s\n", qPrintable(text));
    };
    TForm1 form(argv[1], hooks);
    form.show();
    const double shownMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    // The rows are listed once the start-up timer has loaded the dictionaries.
    const QTimer& init = Child<QTimer>(form, "Timer_Init");
    while (init.isActive()) {
        app.processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    app.processEvents();
    const double rowsMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    QListWidget& rows = Child<QListWidget>(form, "dict_list");
    std::printf("shown_ms %.1f\nrows_ms %.1f\nrows %d\n", shownMs, rowsMs, rows.count());
    if (repeat > 0 && !failed) {
        // The first row unticked: the searched words then start past the store's first word.
        for (int row = 0; row < rows.count(); ++row) {
            rows.item(row)->setCheckState(row > 0 || rows.count() == 1 ? Qt::Checked
                                                                       : Qt::Unchecked);
        }
        Child<QCheckBox>(form, "ch_stat").setChecked(true);
        Child<QLineEdit>(form, "edit_MinIpm").setText(QStringLiteral("0"));
        Child<QLineEdit>(form, "srch4").clear();
        for (int run = 0; run < repeat; ++run) {
            Child<QRadioButton>(form, run % 2 == 0 ? "ch_alpha" : "ch_rel").setChecked(true);
            app.processEvents();
            Child<QAbstractButton>(form, "srch_btn4").click();
            app.processEvents();
            std::printf("found %s\n", qPrintable(Child<QLabel>(form, "Label_fnd").text()));
            std::fflush(stdout);
        }
        return failed ? 1 : 0;
    }
    if (argc > 3 && std::strcmp(argv[2], "--panel") == 0 && !failed) {
        Child<QAction>(form, "Action_more").trigger();
        while (Child<QTimer>(form, "Timer_Rhymes").isActive()) {
            app.processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        const QString word = QString::fromUtf8(argv[3]);
        // Each search: its name, its field, its button, and the letter search's choice.
        const struct
        {
            const char* Name;
            const char* Field;
            const char* Button;
            int Letters;
        } searches[] = {
            {"rhyme", "edit_Rhyme", "btn_Rhyme", -1},
            {"anagram", "edit_Letters", "btn_Letters", 0},
            {"letters", "edit_Letters", "btn_Letters", 1},
        };
        for (const auto& search : searches) {
            if (search.Letters >= 0) {
                Child<QComboBox>(form, "combo_letters").setCurrentIndex(search.Letters);
            }
            Child<QLineEdit>(form, search.Field).setText(word);
            app.processEvents();
            clock.restart();
            Child<QAbstractButton>(form, search.Button).click();
            app.processEvents();
            form.repaint();
            app.processEvents();
            std::printf("panel_%s_ms %.1f\nfound_%s %s\n", search.Name,
                        static_cast<double>(clock.nsecsElapsed()) / 1e6, search.Name,
                        qPrintable(Child<QLabel>(form, "Label_fnd").text()));
        }
        return failed ? 1 : 0;
    }
    if (!list || failed) {
        return failed ? 1 : 0;
    }

    // Every dictionary, every word, with its ipm.
    for (int row = 0; row < rows.count(); ++row) {
        rows.item(row)->setCheckState(Qt::Checked);
    }
    Child<QCheckBox>(form, "ch_stat").setChecked(true);
    Child<QLineEdit>(form, "edit_MinIpm").setText(QStringLiteral("0"));
    Child<QLineEdit>(form, "srch4").clear();
    Child<QRadioButton>(form, alpha ? "ch_alpha" : "ch_rel").setChecked(true);
    app.processEvents();
    const double cpuBefore = CpuMs();
    clock.restart();
    Child<QAbstractButton>(form, "srch_btn4").click();
    // The listing is shown once the events the run left are handled and the window is painted.
    app.processEvents();
    form.repaint();
    app.processEvents();
    const double listMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("list_ms %.1f\nlist_cpu_ms %.1f\npeak_mib %.1f\nfound %s\n", listMs,
                CpuMs() - cpuBefore, PeakMiB(),
                qPrintable(Child<QLabel>(form, "Label_fnd").text()));
    return failed ? 1 : 0;
}
