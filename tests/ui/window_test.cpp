// The main window: start-up over different dictionary folders, the controls as designed, the
// search rows end to end, the presets, the error box, and the size rules.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/ui/form_fixture.h"
#include "ui/result_pane.h"
#include "wordstore/encoding.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Counts that add up to a million, so that each word's ipm is its count.
void WriteSample(const TTempFolder& folder, const std::string& name = "a")
{
    folder.WritePair(name, {"янка", "полянка", "банка", "кот", "ёлка"},
                     {100000, 300000, 200000, 350000, 50000});
}

}  // namespace

using StartUp = FormTest;

TEST_F(StartUp, WithoutDictionariesTheListStaysEmptyAndThePictureGoes)
{
    TForm1& form = Open();
    EXPECT_THAT(Rows(), IsEmpty());
    EXPECT_FALSE(Find("panel_wait")->isVisibleTo(&form));
    EXPECT_THAT(m_warnings, IsEmpty());
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(StartUp, OneDictionaryIsListedAndTicked)
{
    m_folder.WritePair("частотный", {"кот", "пёс", "ёж"}, {5, 7, 9});
    TForm1& form = Open();
    EXPECT_THAT(Rows(), ElementsAre(QStringLiteral("частотный (3 слов)")));
    EXPECT_THAT(Ticks(), ElementsAre(true));
    const auto* list = Find<QListWidget>("dict_list");
    EXPECT_EQ(list->visualItemRect(list->item(0)).height(), 13);
    EXPECT_FALSE(Find("panel_wait")->isVisibleTo(&form));
}

TEST_F(StartUp, OfSeveralDictionariesOnlyTheFirstInByteOrderIsTicked)
{
    m_folder.WritePair("c", {"кот"}, {1});
    m_folder.WritePair("a", {"кот", "пёс"}, {1, 2});
    m_folder.WritePair("b", {"кот", "пёс", "ёж", "ёлка"}, {1, 2, 3, 4});
    Open();
    EXPECT_THAT(Rows(), ElementsAre(QStringLiteral("a (2 слов)"), QStringLiteral("b (4 слов)"),
                                    QStringLiteral("c (1 слов)")));
    EXPECT_THAT(Ticks(), ElementsAre(true, false, false));
}

TEST_F(StartUp, ADamagedPairIsWarnedAboutWhileThePictureShowsAndLoadingGoesOn)
{
    m_folder.WritePair("a", {"кот"}, {1});
    m_folder.Write("b.txt", ToCp1251("кот\r\nпёс\r\n"));
    m_folder.Write("b.txt.cnt", Counts({1}));
    m_folder.WritePair("c", {"ёж"}, {1});
    std::vector<bool> pictureShown;
    TWindowHooks hooks = RecordingHooks();
    // The warning comes while the waiting picture still covers the pane.
    hooks.ShowWarning = [this, &pictureShown](const QString& text) {
        m_warnings.append(text);
        pictureShown.push_back(Find("panel_wait")->isVisibleTo(m_form.get()));
    };
    Create(hooks).show();
    WaitForStartUp();

    EXPECT_THAT(m_warnings, ElementsAre(QStringLiteral(
                                "Внимание! Словарь \"b\" был изменён вручную или повреждён и не "
                                "может более использоваться.")));
    EXPECT_THAT(pictureShown, ElementsAre(true));
    EXPECT_THAT(Rows(), ElementsAre(QStringLiteral("a (1 слов)"), QStringLiteral("c (1 слов)")));
    EXPECT_THAT(Ticks(), ElementsAre(true, false));
    EXPECT_FALSE(Find("panel_wait")->isVisibleTo(m_form.get()));
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(StartUp, AnUnreadableFileIsShownInTheErrorBoxAndStartUpCompletes)
{
    m_folder.WritePair("a", {"кот"}, {1});
    const std::string unreadable = m_folder.WritePair("b", {"пёс"}, {1});
    m_folder.WritePair("c", {"ёж"}, {1});
    ASSERT_EQ(chmod(unreadable.c_str(), 0), 0);
    TWithoutOverrideOfFileRights heldToRights;
    TForm1& form = Open();

    EXPECT_THAT(m_errors,
                ElementsAre(QString::fromStdString("Cannot open file \"" + m_folder.Path() +
                                                   "/b.txt\". Permission denied.")));
    EXPECT_THAT(Rows(), ElementsAre(QStringLiteral("a (1 слов)"), QStringLiteral("c (1 слов)")));
    EXPECT_THAT(Ticks(), ElementsAre(true, false));
    EXPECT_FALSE(Find("panel_wait")->isVisibleTo(&form));
}

TEST_F(StartUp, TheWaitingPictureCoversThePaneUntilTheTimerHasRun)
{
    WriteSample(m_folder);
    TForm1& form = Create();
    form.show();
    EXPECT_TRUE(Find("panel_wait")->isVisible());
    EXPECT_THAT(Rows(), IsEmpty());
    WaitForStartUp();
    EXPECT_FALSE(Find("panel_wait")->isVisible());
    EXPECT_THAT(Rows(), ElementsAre(QStringLiteral("a (5 слов)")));
}

TEST_F(StartUp, TheBoxesHaveTheirIconsButtonsAndTheProgramsTitle)
{
    m_folder.Write("b.txt", ToCp1251("кот\r\n"));
    m_folder.Write("b.txt.cnt", Counts({1, 2}));
    const std::string unreadable = m_folder.WritePair("c", {"пёс"}, {1});
    ASSERT_EQ(chmod(unreadable.c_str(), 0), 0);
    TWithoutOverrideOfFileRights heldToRights;

    // The window's own boxes, answered as soon as they are up.
    struct TSeenBox
    {
        QString Title;
        QMessageBox::Icon Icon;
        QMessageBox::StandardButtons Buttons;
    };
    std::vector<TSeenBox> seen;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.push_back({box->windowTitle(), box->icon(), box->standardButtons()});
            box->accept();
        }
    });
    answerer.start(20);
    m_form = std::make_unique<TForm1>(m_folder.Path());
    m_form->show();
    WaitForStartUp();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Title, QStringLiteral("Словосито 0.002"));
    EXPECT_EQ(seen[0].Icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen[0].Buttons, QMessageBox::Ok);
    EXPECT_EQ(seen[1].Title, QStringLiteral("Словосито 0.002"));
    EXPECT_EQ(seen[1].Icon, QMessageBox::Critical);
    EXPECT_EQ(seen[1].Buttons, QMessageBox::Ok);
    EXPECT_EQ(m_form->windowTitle(), QStringLiteral("Словосито 0.002"));
    EXPECT_FALSE(m_form->windowIcon().isNull());
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Словосито 0.002"));
}

using Controls = FormTest;

TEST_F(Controls, StandWhereTheDesignPutsThemWithTheirCaptionsAndHints)
{
    struct TCase
    {
        const char* Name;
        QRect Place;  // an empty size: the control sizes itself to its caption
        const char* Text;
        const char* Hint;
        bool Visible;
    };
    const TCase cases[] = {
        {"Image5", {6, -20, 199, 162}, "", "", true},
        {"Image4", {4, 146, 16, 16}, "", "", true},
        {"Label3", {24, 148, 0, 0}, "Поиск по окончанию (быстрый)", "", true},
        {"srch4", {4, 164, 137, 21}, "янка", "", true},
        {"srch_btn4", {144, 164, 61, 21}, "Поиск ", "", true},
        {"Image2", {4, 190, 16, 16}, "", "", true},
        {"Label1", {24, 192, 0, 0}, "Поиск по маске", "", true},
        {"srch1", {4, 208, 137, 21}, "*янка", "", true},
        {"srch_btn1", {144, 208, 61, 21}, "Поиск ", "", true},
        {"Image3", {4, 234, 16, 16}, "", "", true},
        {"Label2", {24, 236, 0, 0}, "Поиск по regexp", "", true},
        {"srch3", {4, 252, 137, 21}, "/^.*янка$/", "", true},
        {"srch_btn3", {144, 252, 61, 21}, "Поиск ", "", true},
        {"Image1", {4, 278, 16, 16}, "", "", false},
        {"Label5", {24, 280, 0, 0}, "Неточная маска (медленно!!)", "", false},
        {"srch2", {4, 296, 137, 21}, "*янка", "", false},
        {"srch_btn2", {144, 296, 61, 21}, "Поиск ", "", false},
        {"Image6", {6, 322, 16, 16}, "", "", true},
        {"Label4", {28, 324, 0, 0}, "Искать в указанных словарях:", "", true},
        {"dict_list", {4, 340, 201, 105}, "", "", true},
        {"ch_rel", {4, 448, 193, 17}, "Сортировать по релевантности", "", true},
        {"ch_alpha", {4, 464, 193, 21}, "Сортировать по алфавиту", "", true},
        {"ch_stat",
         {4, 486, 193, 13},
         "Показывать ЧМС",
         "Частота на миллион словоформ (ipm)",
         true},
        {"Label6", {4, 513, 0, 0}, "Минимальный ЧМС:", "Частота на миллион словоформ (ipm)", true},
        {"edit_MinIpm", {117, 512, 56, 13}, "0,0", "", true},
        {"Image8", {187, 512, 16, 16}, "", "Сбросить в ноль", true},
        {"Label10", {4, 532, 0, 0}, "Словарь:", "", true},
        {"Label7", {52, 532, 0, 0}, "Средний", "ЧМС = 0,07", true},
        {"Label8", {100, 532, 0, 0}, "Богатый", "ЧМС = 0,005", true},
        {"Label9", {148, 532, 0, 0}, "Эрудитов", "ЧМС = 0,0", true},
        {"Prev", {0, 0, 389, 536}, "", "", true},
        {"Panel2", {0, 536, 389, 20}, "", "", true},
        {"Label_fnd", {7, 4, 333, 13}, "Найдено: 0", "", true},
        {"Image_sort", {346, 3, 38, 15}, "", "Показать линейно", true},
    };
    TForm1& form = Open();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QWidget* widget = Find(c.Name);
        ASSERT_NE(widget, nullptr);
        if (c.Place.isEmpty()) {
            EXPECT_EQ(widget->pos(), c.Place.topLeft());
        } else {
            EXPECT_EQ(widget->geometry(), c.Place);
        }
        EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(c.Text));
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(c.Hint));
        EXPECT_EQ(widget->isVisibleTo(&form), c.Visible);
    }
    EXPECT_EQ(Find("Panel_left")->geometry(), QRect(0, 0, 209, 556));
    EXPECT_EQ(Find("Panel1")->geometry(), QRect(209, 0, 389, 556));
    EXPECT_TRUE(Find<QRadioButton>("ch_rel")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>("ch_alpha")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("ch_stat")->isChecked());
}

TEST_F(Controls, DrawInTheirColoursAndShowTheHandWhereTheyAct)
{
    Open();
    for (const char* field : {"srch1", "srch2", "srch3", "srch4"}) {
        SCOPED_TRACE(field);
        EXPECT_EQ(Find(field)->palette().color(QPalette::Text), QColor(0x80, 0x80, 0x80));
    }
    const QWidget* minIpm = Find("edit_MinIpm");
    EXPECT_EQ(minIpm->palette().color(QPalette::Base), QColor(0xFD, 0xF2, 0xB5));
    EXPECT_EQ(minIpm->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_TRUE(minIpm->font().bold());
    EXPECT_FALSE(Find<QLineEdit>("edit_MinIpm")->hasFrame());
    const QWidget* found = Find("Label_fnd");
    EXPECT_EQ(found->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x80));
    EXPECT_EQ(found->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
    EXPECT_TRUE(found->font().bold());
    EXPECT_EQ(Find<QLabel>("Label_fnd")->alignment(), Qt::AlignCenter);
    EXPECT_EQ(Find("Panel2")->palette().color(QPalette::Window), QColor(0xE4, 0xE4, 0xE4));
    for (const char* panel : {"Panel_left", "Panel1"}) {
        SCOPED_TRACE(panel);
        EXPECT_EQ(Find(panel)->palette().color(QPalette::Window), QColor(Qt::white));
    }
    for (const char* link : {"Label7", "Label8", "Label9"}) {
        SCOPED_TRACE(link);
        EXPECT_EQ(Find(link)->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
        EXPECT_TRUE(Find(link)->font().underline());
    }
    for (const char* hand : {"srch_btn1", "srch_btn3", "srch_btn4", "ch_stat", "Image8", "Label7",
                             "Label8", "Label9", "Image_sort"}) {
        SCOPED_TRACE(hand);
        EXPECT_EQ(Find(hand)->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(Find("Label3")->font().pointSize(), 8);
}

TEST_F(Controls, TabVisitsTheDesignsOrderAndNeverTheHiddenRow)
{
    WriteSample(m_folder);
    TForm1& form = Open();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Find("srch4")->setFocus();
    QStringList visited;
    for (int step = 0; step < 9; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, QStringList({"srch1", "srch3", "dict_list", "ch_rel", "ch_stat",
                                    "edit_MinIpm", "Prev", "srch4", "srch1"}));
}

TEST_F(Controls, PresetLinksAndTheCrossSetTheMinimum)
{
    Open();
    const std::pair<const char*, const char*> cases[] = {
        {"Label7", "0,07"},
        {"Label8", "0,005"},
        {"Label9", "0,0"},
        {"Image8", "0,0"},
    };
    for (const auto& [control, minimum] : cases) {
        SCOPED_TRACE(control);
        Type("edit_MinIpm", QStringLiteral("12,5"));
        Click(control);
        EXPECT_EQ(Find<QLineEdit>("edit_MinIpm")->text(), QString::fromUtf8(minimum));
    }
}

using Searches = FormTest;

TEST_F(Searches, EachRowRunsItsSearchThroughItsButton)
{
    struct TCase
    {
        const char* Field;
        const char* Button;
        const char* Query;
        const char* Listing;
        const char* Found;
    };
    const TCase cases[] = {
        {"srch4", "srch_btn4", "ЯНКА", "полянка\r\nянка", "Найдено:2"},
        {"srch1", "srch_btn1", "*нка", "полянка\r\nбанка\r\nянка", "Найдено:3"},
        {"srch3", "srch_btn3", "/КА$/", "полянка\r\nбанка\r\nянка\r\nёлка", "Найдено:4"},
        // The hidden inexact row: "б" stands in for "я" through the look-alike "а".
        {"srch2", "srch_btn2", "*янка", "полянка\r\nбанка\r\nянка", "Найдено:3"},
        {"srch4", "srch_btn4", "", "кот\r\nполянка\r\nбанка\r\nянка\r\nёлка", "Найдено:5"},
        {"srch4", "srch_btn4", "щука", "", "Найдено:0"},
    };
    WriteSample(m_folder);
    Open();
    int beeps = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Button + std::string(" ") + c.Query);
        Find<QLineEdit>(c.Field)->setText(QString::fromUtf8(c.Query));
        Click(c.Button);
        EXPECT_EQ(PaneText(), c.Listing);
        EXPECT_EQ(FoundCaption(), QString::fromUtf8(c.Found));
        EXPECT_EQ(m_beeps, ++beeps);
        EXPECT_EQ(Find<QLineEdit>(c.Field)->text(), QString::fromUtf8(c.Query));
    }
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(Searches, FollowTheSortSwitchTheIpmSwitchAndTheTickedRows)
{
    WriteSample(m_folder);
    m_folder.WritePair("b", {"ванька", "банка"}, {1, 3});  // ipm 250 000 and 750 000
    Open();
    Find<QLineEdit>("srch4")->setText(QStringLiteral("нка"));

    Click("ch_alpha");
    Click("srch_btn4");
    EXPECT_EQ(PaneText(), "банка\r\nполянка\r\nянка");

    Click("ch_stat");
    Click("srch_btn4");
    EXPECT_EQ(PaneText(), "банка = 200000,00000\r\nполянка = 300000,00000\r\nянка = 100000,00000");

    Click("ch_rel");
    Click("ch_stat");
    Find<QListWidget>("dict_list")->item(1)->setCheckState(Qt::Checked);
    Click("srch_btn4");
    EXPECT_EQ(PaneText(), "банка\r\nполянка\r\nбанка\r\nянка");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:4"));

    Find<QListWidget>("dict_list")->item(0)->setCheckState(Qt::Unchecked);
    Type("edit_MinIpm", QStringLiteral("500000"));
    Click("srch_btn4");
    EXPECT_EQ(PaneText(), "банка");
}

TEST_F(Searches, EnterInAQueryFieldStartsNothing)
{
    WriteSample(m_folder);
    Open();
    for (const char* field : {"srch1", "srch3", "srch4"}) {
        SCOPED_TRACE(field);
        QTest::keyClick(Find(field), Qt::Key_Return);
        QTest::keyClick(Find(field), Qt::Key_Enter);
    }
    EXPECT_EQ(PaneText(), "");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено: 0"));
    EXPECT_EQ(m_beeps, 0);
}

TEST_F(Searches, AnErrorIsShownAndLeavesThePaneAndTheCountAsTheRunLeftThem)
{
    struct TCase
    {
        const char* Field;
        const char* Button;
        const char* Query;
        const char* MinIpm;
        const char* Message;
        const char* Pane;  // the earlier listing, or the interim text when the run had begun
    };
    const TCase cases[] = {
        {"srch4", "srch_btn4", "нка", "0;5", "'0;5' is not a valid floating point value.",
         "полянка\r\nбанка\r\nянка"},
        {"srch3", "srch_btn3", "/ко[тд/", "0,0", "TRegExpr(comp): Unmatched [] (pos 5)",
         "Поиск..."},
        {"srch3", "srch_btn3", "/кот", "0,0", "Unknown error.", "Поиск..."},
        {"srch3", "srch_btn3", "//", "0,0", "TRegExpr(exec): Not Assigned Expression Property.",
         "Поиск..."},
        {"srch4", "srch_btn4", "янка✓", "0,0",
         "The character \"✓\" (U+2713) has no Windows-1251 form.", "полянка\r\nбанка\r\nянка"},
        {"srch4", "srch_btn4", "нка", "½", "The character \"½\" (U+00BD) has no Windows-1251 form.",
         "полянка\r\nбанка\r\nянка"},
    };
    WriteSample(m_folder);
    Open();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Message);
        Find<QLineEdit>("srch4")->setText(QStringLiteral("нка"));
        Find<QLineEdit>("edit_MinIpm")->setText(QStringLiteral("0,0"));
        Click("srch_btn4");
        ASSERT_EQ(FoundCaption(), QStringLiteral("Найдено:3"));
        const int beeps = m_beeps;
        m_errors.clear();

        Find<QLineEdit>(c.Field)->setText(QString::fromUtf8(c.Query));
        Find<QLineEdit>("edit_MinIpm")->setText(QString::fromUtf8(c.MinIpm));
        Click(c.Button);
        EXPECT_THAT(m_errors, ElementsAre(QString::fromUtf8(c.Message)));
        EXPECT_EQ(PaneText(), c.Pane);
        EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:3"));
        EXPECT_EQ(m_beeps, beeps);
        EXPECT_TRUE(Find("Prev")->updatesEnabled());
    }
    // After the errors the next search fills the pane as usual.
    Find<QLineEdit>("edit_MinIpm")->setText(QStringLiteral("0,0"));
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/^к/"));
    Click("srch_btn3");
    EXPECT_EQ(PaneText(), "кот");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:1"));
}

TEST_F(Searches, TheInterimTextShowsDuringTheOnePassOfTheEventLoop)
{
    WriteSample(m_folder);
    TForm1& form = Open();
    std::vector<std::string> seen;
    // Runs in the one pass of the event loop the search allows.
    QMetaObject::invokeMethod(
        &form,
        [this, &seen] {
            seen.push_back(PaneText());
            seen.push_back(Find("Prev")->updatesEnabled() ? "repaints" : "held");
        },
        Qt::QueuedConnection);
    Find<QAbstractButton>("srch_btn4")->click();
    EXPECT_THAT(seen, ElementsAre("Поиск...", "repaints"));
    EXPECT_EQ(PaneText(), "полянка\r\nянка");
    EXPECT_TRUE(Find("Prev")->updatesEnabled());
}

TEST_F(Searches, ClosingTheWindowDuringTheInterimPassLetsTheSearchEnd)
{
    WriteSample(m_folder);
    TForm1& form = Open();
    QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
    Find<QAbstractButton>("srch_btn4")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(PaneText(), "полянка\r\nянка");
    EXPECT_EQ(m_beeps, 1);
}

using Geometry = FormTest;

TEST_F(Geometry, TheWindowOpensCentredAtItsDesignSize)
{
    TForm1& form = Open();
    EXPECT_EQ(form.size(), QSize(598, 556));
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_EQ(form.pos(),
              screen.topLeft() + QPoint((screen.width() - 598) / 2, (screen.height() - 556) / 2));
}

TEST_F(Geometry, OnlyTheWidthChangesAndTheRightSideStretches)
{
    TForm1& form = Open();
    EXPECT_EQ(form.minimumSize(), QSize(442, 556));
    EXPECT_EQ(form.maximumHeight(), 556);

    form.resize(900, 700);
    QTest::qWait(20);
    EXPECT_EQ(form.size(), QSize(900, 556));
    EXPECT_EQ(Find("Panel_left")->geometry(), QRect(0, 0, 209, 556));
    EXPECT_EQ(Find("Panel1")->geometry(), QRect(209, 0, 691, 556));
    EXPECT_EQ(Find("Prev")->geometry(), QRect(0, 0, 691, 536));
    EXPECT_EQ(Find("Panel2")->geometry(), QRect(0, 536, 691, 20));
    EXPECT_EQ(Find("Label_fnd")->geometry(), QRect(7, 4, 635, 13));
    EXPECT_EQ(Find("Image_sort")->geometry(), QRect(648, 3, 38, 15));
    EXPECT_EQ(Find("panel_wait")->geometry(), QRect(10, 236, 383, 286));

    form.resize(300, 300);
    QTest::qWait(20);
    EXPECT_EQ(form.size(), QSize(442, 556));
    EXPECT_EQ(Find("Panel_left")->width(), 209);
    EXPECT_EQ(Find("Image_sort")->geometry(), QRect(190, 3, 38, 15));
}
