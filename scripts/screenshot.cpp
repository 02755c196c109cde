// Draws the README's pictures of the window: the window over the dictionaries beside the program,
// after an ending search with the ipm shown, saved as PNG to the file named on the command line;
// with a second file, also the window with its panel open after a rhyme search.
// Meant to run under a virtual X display (scripts/screenshot.sh).

#include <iostream>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include "ui/Unit1.h"
#include "wordstore/dictionary_folder.h"
#include "wordstore/path_utils.h"

int main(int argc, char** argv)
{
    InitExeDir();
    if (argc != 2 && argc != 3) {
        std::cerr << "Usage: ui_screenshot FILE.png [PANEL.png]\n";
        return 2;
    }
    QApplication app(argc, argv);
    TWindowHooks hooks;
    hooks.Beep = [] {};
    // The folder the window itself would take without --dir.
    TForm1 form(ChooseDictionaryFolder(SystemFolderSetting("")).Path, hooks);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::cerr << "ui_screenshot: the window did not appear\n";
        return 1;
    }
    const auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer_Init"));
    if (!QTest::qWaitFor([timer] { return !timer->isActive(); }, 10000)) {
        std::cerr << "ui_screenshot: the dictionaries did not load\n";
        return 1;
    }
    form.findChild<QLineEdit*>(QStringLiteral("srch4"))->setText(QStringLiteral("ость"));
    form.findChild<QCheckBox*>(QStringLiteral("ch_stat"))->setChecked(true);
    form.findChild<QAbstractButton*>(QStringLiteral("srch_btn4"))->click();
    QTest::qWait(200);
    if (!form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::cerr << "ui_screenshot: cannot write " << argv[1] << '\n';
        return 1;
    }
    if (argc == 3) {
        form.findChild<QCheckBox*>(QStringLiteral("ch_stat"))->setChecked(false);
        form.findChild<QAction*>(QStringLiteral("Action_more"))->trigger();
        form.findChild<QLineEdit*>(QStringLiteral("edit_Rhyme"))->setText(QStringLiteral("окно"));
        form.findChild<QCheckBox*>(QStringLiteral("ch_near"))->setChecked(true);
        form.findChild<QCheckBox*>(QStringLiteral("ch_stress"))->setChecked(true);
        form.findChild<QAbstractButton*>(QStringLiteral("btn_Rhyme"))->click();
        QTest::qWait(200);
        if (!form.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
            std::cerr << "ui_screenshot: cannot write " << argv[2] << '\n';
            return 1;
        }
    }
    return 0;
}
