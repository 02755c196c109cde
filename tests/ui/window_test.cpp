// The main window: start-up over different dictionary folders, the controls with their captions,
// a layout that shows them all, the search rows end to end, the presets, the error box, and the
// size rules.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "slovosito_version.h"
#include "tests/ui/form_fixture.h"
#include "ui/fast_result_pane.h"
#include "wordstore/encoding.h"

namespace {

// The title every window and message box of the program carries.
const QString kTitle = QStringLiteral("Словосито ") + QLatin1String(kSlovositoVersion);

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Counts that add up to a million, so that each word's ipm is its count.
void WriteSample(const TTempFolder& folder, const std::string& name = "a")
{
    folder.WritePair(name, {"янка", "полянка", "банка", "кот", "ёлка"},
                     {100000, 300000, 200000, 350000, 50000});
}

// The style option a button paints with: its state, font and caption.
QStyleOptionButton ButtonOption(const QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    return option;
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

TEST_F(StartUp, FolderErrorsAreShownAsLoadErrorsBeforeLoadingWhichGoesOn)
{
    m_folder.WritePair("a", {"кот"}, {1});
    // How many rows the list had when each box came.
    std::vector<int> rowsWhenShown;
    TWindowHooks hooks = RecordingHooks();
    hooks.ShowError = [this, &rowsWhenShown](const QString& text) {
        m_errors.append(text);
        rowsWhenShown.push_back(static_cast<int>(Rows().size()));
    };
    Create(hooks).ReportBeforeLoading(
        {ToCp1251("Cannot create folder \"/дом/Словари\". Not a directory"),
         "Cannot copy file \"/s/a.txt\" to \"/u\". Permission denied"});
    m_form->show();
    WaitForStartUp();

    EXPECT_THAT(m_errors, ElementsAre(QStringLiteral("Cannot create folder \"/дом/Словари\". Not "
                                                     "a directory."),
                                      QStringLiteral("Cannot copy file \"/s/a.txt\" to \"/u\". "
                                                     "Permission denied.")));
    EXPECT_THAT(rowsWhenShown, ElementsAre(0, 0));
    EXPECT_THAT(Rows(), ElementsAre(QStringLiteral("a (1 слов)")));
    EXPECT_THAT(Ticks(), ElementsAre(true));
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
    EXPECT_EQ(seen[0].Title, kTitle);
    EXPECT_EQ(seen[0].Icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen[0].Buttons, QMessageBox::Ok);
    EXPECT_EQ(seen[1].Title, kTitle);
    EXPECT_EQ(seen[1].Icon, QMessageBox::Critical);
    EXPECT_EQ(seen[1].Buttons, QMessageBox::Ok);
    EXPECT_EQ(m_form->windowTitle(), kTitle);
    EXPECT_FALSE(m_form->windowIcon().isNull());
    EXPECT_EQ(QApplication::applicationDisplayName(), kTitle);
}

class Controls : public FormTest
{
protected:
    // What the user can see of the window: the visible widgets placed on its panels, the panels
    // inside the right one included.
    std::vector<QWidget*> VisibleControls() const
    {
        std::vector<QWidget*> controls;
        for (const char* panel : {"Panel_left", "Panel1", "Panel2"}) {
            for (QObject* child : Find(panel)->children()) {
                auto* widget = qobject_cast<QWidget*>(child);
                if (widget != nullptr && widget->isVisibleTo(m_form.get())) {
                    controls.push_back(widget);
                }
            }
        }
        return controls;
    }

    QRect InWindow(const QWidget* widget) const
    {
        return QRect(widget->mapTo(m_form.get(), QPoint(0, 0)), widget->size());
    }

    // Every control lies inside the window and inside its panel, no two overlap unless one holds
    // the other, and every caption fits its control.
    void ExpectALayoutThatShowsEverything()
    {
        const std::vector<QWidget*> controls = VisibleControls();
        ASSERT_GT(controls.size(), 25u);
        const QRect window = m_form->rect();
        for (const QWidget* control : controls) {
            SCOPED_TRACE(control->objectName().toStdString());
            QRect place = InWindow(control);
            if (control->objectName() == QStringLiteral("Image5")) {
                // The logo's top rows lie above the window's edge on purpose; the rest must not.
                place.setTop(std::max(place.top(), 0));
            }
            EXPECT_TRUE(window.contains(place))
                << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
            if (control->objectName() != QStringLiteral("Image5")) {
                EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()));
            }
            ExpectCaptionFits(*control);
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                const QWidget* a = controls[i];
                const QWidget* b = controls[j];
                if (a->isAncestorOf(b) || b->isAncestorOf(a)) {
                    continue;
                }
                SCOPED_TRACE(a->objectName().toStdString() + " and " +
                             b->objectName().toStdString());
                // Neighbours may share an edge row (the two sort switches do), but no more.
                const QRect overlap = InWindow(a) & InWindow(b);
                EXPECT_TRUE(overlap.isEmpty() || overlap.width() <= 1 || overlap.height() <= 1)
                    << overlap.width() << "x" << overlap.height();
            }
        }
    }

    // The control's text is drawn whole: as wide as the widget wants for it (its box or circle
    // included) and as high as a line of its font.
    static void ExpectCaptionFits(const QWidget& control)
    {
        const QString text = control.property("text").toString();
        if (text.isEmpty()) {
            return;
        }
        const QFontMetrics metrics = control.fontMetrics();
        const QRect room = control.contentsRect();
        EXPECT_LE(metrics.height(), room.height());
        EXPECT_LE(metrics.horizontalAdvance(text), room.width());
        if (qobject_cast<const QAbstractButton*>(&control) != nullptr) {
            EXPECT_LE(control.sizeHint().width(), control.width());
        }
    }
};

// WCAG's relative luminance and contrast ratio of two colours.
double Luminance(const QColor& colour)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double light = std::max(Luminance(a), Luminance(b));
    const double dark = std::min(Luminance(a), Luminance(b));
    return (light + 0.05) / (dark + 0.05);
}

TEST_F(Controls, ShowTheirCaptionsAndHints)
{
    struct TCase
    {
        const char* Name;
        const char* Text;
        const char* Hint;
        bool Visible;
    };
    const TCase cases[] = {
        {"Image5", "", "", true},
        {"Label3", "Поиск по окончанию (быстрый)", "", true},
        {"srch4", "янка", "Ctrl+Enter — искать", true},
        {"srch_btn4", "Поиск ", "", true},
        {"Label1", "Поиск по маске", "", true},
        {"srch1", "*янка",
         "* любые буквы, ? одна буква, - дефис, @ гласная, # согласная,\n"
         "[кг] одна из букв, [!кг] любая другая, [а-е] от а до е.\n"
         "Например: к@р#а, [кг]?р?а\n"
         "Ctrl+Enter — искать",
         true},
        {"srch_btn1", "Поиск ", "", true},
        {"Label2", "Поиск по regexp", "", true},
        {"srch3", "/^.*янка$/", "Ctrl+Enter — искать", true},
        {"srch_btn3", "Поиск ", "", true},
        {"Image1", "", "", false},
        {"Label5", "Неточная маска (медленно!!)", "", false},
        {"srch2", "*янка", "Ctrl+Enter — искать", false},
        {"srch_btn2", "Поиск ", "", false},
        {"Label4", "Искать в указанных словарях:", "", true},
        {"ch_rel", "Сортировать по релевантности", "", true},
        {"ch_alpha", "Сортировать по алфавиту", "", true},
        {"ch_stat", "Показывать ЧМС", "Частота на миллион словоформ (ipm)", true},
        {"Label6", "Минимальный ЧМС:", "Частота на миллион словоформ (ipm)", true},
        {"edit_MinIpm", "0,0", "", true},
        {"Image8", "", "Сбросить в ноль", true},
        {"Label10", "Словарь:", "", true},
        {"Label7", "Средний", "ЧМС = 0,07", true},
        {"Label8", "Богатый", "ЧМС = 0,005", true},
        {"Label9", "Эрудитов", "ЧМС = 0,0", true},
        {"Label_fnd", "Найдено: 0", "", true},
        {"Image_sort", "", "Показать линейно", true},
    };
    TForm1& form = Open();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QWidget* widget = Find(c.Name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(c.Text));
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(c.Hint));
        EXPECT_EQ(widget->isVisibleTo(&form), c.Visible);
    }
    EXPECT_TRUE(Find<QRadioButton>("ch_rel")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>("ch_alpha")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("ch_stat")->isChecked());
}

TEST_F(Controls, LieInsideTheWindowApartWithWholeCaptionsAtEveryWidth)
{
    WriteSample(m_folder);
    TForm1& form = Open();
    {
        SCOPED_TRACE("as opened");
        ExpectALayoutThatShowsEverything();
    }
    for (const int width : {form.minimumWidth(), form.width() + 300}) {
        SCOPED_TRACE(width);
        form.resize(width, form.height());
        QTest::qWait(20);
        ASSERT_EQ(form.width(), width);
        ExpectALayoutThatShowsEverything();
    }
    // The longest presets and a long count fit too.
    Click("Label8");
    Find<QLineEdit>("srch4")->setText(QString());
    Click("srch_btn4");
    SCOPED_TRACE("after a search");
    ExpectALayoutThatShowsEverything();
}

TEST_F(Controls, DrawTheirTextReadablyAndShowTheHandWhereTheyAct)
{
    Open();
    // Text against what lies behind it: the field's own base, or the nearest filled panel.
    for (const QWidget* control : VisibleControls()) {
        if (control->property("text").toString().isEmpty()) {
            continue;
        }
        SCOPED_TRACE(control->objectName().toStdString());
        const QWidget* behind = control;
        while (!behind->autoFillBackground() && qobject_cast<const QLineEdit*>(behind) == nullptr &&
               behind->parentWidget() != nullptr) {
            behind = behind->parentWidget();
        }
        const QColor text = control->palette().color(control->foregroundRole());
        const QColor back = behind->palette().color(behind->backgroundRole());
        EXPECT_GE(Contrast(text, back), 3.0)
            << text.name().toStdString() << " on " << back.name().toStdString();
    }
    for (const char* link : {"Label7", "Label8", "Label9"}) {
        SCOPED_TRACE(link);
        EXPECT_TRUE(Find(link)->font().underline());
    }
    for (const char* hand : {"srch_btn1", "srch_btn3", "srch_btn4", "ch_stat", "Image8", "Label7",
                             "Label8", "Label9", "Image_sort"}) {
        SCOPED_TRACE(hand);
        EXPECT_EQ(Find(hand)->cursor().shape(), Qt::PointingHandCursor);
    }
}

TEST_F(Controls, AClickAnywhereInASwitchsBoxTogglesIt)
{
    // Was wrong: a click inside a switch's box but right of its caption did nothing.
    struct TCase
    {
        const char* Name;
        QRect Box;  // the design's, in the left panel
    };
    const TCase cases[] = {
        {"ch_alpha", QRect(4, 464, 193, 21)},
        {"ch_rel", QRect(4, 448, 193, 17)},
        {"ch_stat", QRect(4, 486, 193, 13)},
    };
    Open();
    QWidget* panel = Find("Panel_left");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* button = Find<QAbstractButton>(c.Name);
        EXPECT_EQ(button->geometry(), c.Box);
        const QStyleOptionButton option = ButtonOption(*button);
        const QRect caption = button->style()->subElementRect(
            qobject_cast<QCheckBox*>(button) != nullptr ? QStyle::SE_CheckBoxContents
                                                        : QStyle::SE_RadioButtonContents,
            &option, button);
        const int pastCaption =
            caption.left() + button->fontMetrics().horizontalAdvance(button->text()) + 2;
        // Right of the caption, and the box's far corners.
        const QPoint points[] = {
            {std::min(pastCaption, c.Box.width() - 1), c.Box.height() / 2},
            {c.Box.width() - 1, 0},
            {c.Box.width() - 1, c.Box.height() - 1},
        };
        for (const QPoint& point : points) {
            SCOPED_TRACE(std::to_string(point.x()) + "," + std::to_string(point.y()));
            ASSERT_LT(point.x(), c.Box.width());
            // The sort switches share an edge row by design; there the later one lies on top.
            const bool shared = c.Name == std::string("ch_rel") && point.y() == c.Box.height() - 1;
            EXPECT_EQ(panel->childAt(c.Box.topLeft() + point), shared ? Find("ch_alpha") : button);
            const bool before = button->isChecked();
            QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, point);
            EXPECT_EQ(button->isChecked(), button->autoExclusive() || !before);
            if (!button->autoExclusive()) {
                QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, point);
                EXPECT_EQ(button->isChecked(), before);
            }
        }
    }
    EXPECT_TRUE(Find<QAbstractButton>("ch_rel")->isChecked());
    EXPECT_FALSE(Find<QAbstractButton>("ch_alpha")->isChecked());
}

TEST_F(Controls, TheRhymeIndexsBarLiesUnderTheCountWhileTheIndexIsBuiltAndThenGoes)
{
    // Words enough that the build is still under way when start-up has run.
    std::vector<std::string> words;
    for (int i = 0; i < 5000; ++i) {
        words.push_back("ко" + std::string(static_cast<std::size_t>(1 + i % 7), 'a') +
                        std::to_string(i));
    }
    m_folder.WritePair("a", words, std::vector<std::int32_t>(words.size(), 1));
    Open();
    const auto* bar = Find<QProgressBar>("Progress_rhymes");
    ASSERT_TRUE(bar->isVisible());
    ExpectALayoutThatShowsEverything();
    EXPECT_TRUE(QTest::qWaitFor([bar] { return !bar->isVisible(); }, 60000));
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено: 0"));
    // The index went into the user's cache folder, which the fixture names.
    EXPECT_FALSE(QDir(QString::fromStdString(m_cache.Path() + "/slovosito"))
                     .entryList(QDir::Files)
                     .isEmpty());
}

TEST_F(Controls, NoTickBoxIsCutAndTheListsTickBoxesHaveAGapBetweenThem)
{
    // Was wrong: the ЧМС tick box was cut at its bottom edge, and the list's tick boxes touched
    // (and were cut) in its 13-pixel rows.
    for (const char* name : {"a", "b", "c"}) {
        m_folder.WritePair(name, {"кот"}, {1});
    }
    Open();
    for (const char* name : {"ch_rel", "ch_alpha", "ch_stat"}) {
        SCOPED_TRACE(name);
        const auto* button = Find<QAbstractButton>(name);
        const QStyleOptionButton option = ButtonOption(*button);
        const QRect tick = button->style()->subElementRect(
            qobject_cast<const QCheckBox*>(button) != nullptr ? QStyle::SE_CheckBoxIndicator
                                                              : QStyle::SE_RadioButtonIndicator,
            &option, button);
        EXPECT_FALSE(tick.isEmpty());
        EXPECT_TRUE(button->rect().contains(tick)) << tick.y() << " " << tick.height();
    }

    auto* list = Find<QListWidget>("dict_list");
    ASSERT_EQ(list->count(), 3);
    QRect above;
    for (int row = 0; row < list->count(); ++row) {
        SCOPED_TRACE(row);
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.widget = list;
        option.rect = list->visualItemRect(list->item(row));
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.checkState = list->item(row)->checkState();
        option.text = list->item(row)->text();
        const QRect tick =
            list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        EXPECT_FALSE(tick.isEmpty());
        EXPECT_TRUE(option.rect.contains(tick)) << tick.y() << " " << tick.height();
        EXPECT_TRUE(list->viewport()->rect().contains(option.rect));
        EXPECT_LE(list->fontMetrics().height(), option.rect.height());
        if (row > 0) {
            // At least one row of pixels free between two tick boxes.
            EXPECT_GE(tick.top() - above.bottom(), 2);
        }
        above = tick;
    }
}

TEST_F(Controls, ADictionaryRowTooLongForTheListShowsItsWholeTextAsItsTooltip)
{
    // Was wrong: a row cut with "…" hid its word count and offered no tooltip.
    m_folder.WritePair("a", {"кот"}, {1});
    m_folder.WritePair("b-очень-длинное-название-частотного-словаря", {"кот", "пёс"}, {1, 1});
    Open();
    auto* list = Find<QListWidget>("dict_list");
    ASSERT_EQ(list->count(), 2);
    const QString longRow = list->item(1)->text();
    ASSERT_EQ(longRow, QStringLiteral("b-очень-длинное-название-частотного-словаря (2 слов)"));
    ASSERT_GT(list->fontMetrics().horizontalAdvance(longRow), list->viewport()->width());

    // The tooltip the list shows when the pointer rests on row, or an empty text for none.
    const auto tooltipOf = [list](int row) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        const QPoint point = list->visualItemRect(list->item(row)).center();
        QHelpEvent event(QEvent::ToolTip, point, list->viewport()->mapToGlobal(point));
        QCoreApplication::sendEvent(list->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltipOf(0), QString());
    EXPECT_EQ(tooltipOf(1), longRow);
    EXPECT_EQ(tooltipOf(0), QString());
    // Wide enough for the whole row, the list shows it whole and needs no tooltip.
    list->resize(list->fontMetrics().horizontalAdvance(longRow) + 100, list->height());
    EXPECT_EQ(tooltipOf(1), QString());
    QToolTip::hideText();
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

TEST_F(Searches, CtrlEnterInAQueryFieldRunsWhatItsRowsButtonRuns)
{
    // What a search leaves behind: the listing, the count, the error boxes and the beeps.
    struct TOutcome
    {
        std::string Listing;
        QString Found;
        QStringList Errors;
        int Beeps = 0;
        bool operator==(const TOutcome&) const = default;
    };
    struct TCase
    {
        const char* Field;
        const char* Button;
        const char* Query;
    };
    const TCase cases[] = {
        {"srch4", "srch_btn4", "нка"},     {"srch4", "srch_btn4", "щука"},
        {"srch1", "srch_btn1", "*нка"},    {"srch1", "srch_btn1", "?о?"},
        {"srch3", "srch_btn3", "/КА$/"},   {"srch3", "srch_btn3", "/^к/"},
        {"srch3", "srch_btn3", "/ко[тд/"},  // the error box, and the listing from before
    };
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Return, Qt::ControlModifier},
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier},
    };
    WriteSample(m_folder);
    Open();
    // Each route starts from the same listing, one that no case gives.
    const auto runFromTheSameStart = [this](const TCase& c, const std::function<void()>& route) {
        Find<QLineEdit>("srch4")->setText(QStringLiteral("ёлка"));
        Click("srch_btn4");
        m_errors.clear();
        const int beeps = m_beeps;
        Find<QLineEdit>(c.Field)->setText(QString::fromUtf8(c.Query));
        route();
        return TOutcome{PaneText(), FoundCaption(), m_errors, m_beeps - beeps};
    };
    for (const TCase& c : cases) {
        const TOutcome clicked = runFromTheSameStart(c, [&] { Click(c.Button); });
        // The case has to show something that the start does not, or it proves nothing.
        ASSERT_NE(clicked, (TOutcome{"ёлка", QStringLiteral("Найдено:1"), {}, 0})) << c.Query;
        for (const auto& [key, modifiers] : keys) {
            SCOPED_TRACE(c.Field + std::string(" ") + c.Query + " key " + std::to_string(key));
            const TOutcome pressed =
                runFromTheSameStart(c, [&] { QTest::keyClick(Find(c.Field), key, modifiers); });
            EXPECT_EQ(pressed.Listing, clicked.Listing);
            EXPECT_EQ(pressed.Found, clicked.Found);
            EXPECT_EQ(pressed.Errors, clicked.Errors);
            EXPECT_EQ(pressed.Beeps, clicked.Beeps);
            EXPECT_EQ(Find<QLineEdit>(c.Field)->text(), QString::fromUtf8(c.Query));
        }
    }
}

TEST_F(Searches, OnlyCtrlEnterInAShownQueryFieldStartsASearch)
{
    struct TCase
    {
        const char* Field;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
    };
    const TCase cases[] = {
        {"srch4", Qt::Key_Return, Qt::NoModifier},
        {"srch4", Qt::Key_Enter, Qt::KeypadModifier},
        {"srch1", Qt::Key_Return, Qt::NoModifier},
        {"srch1", Qt::Key_Enter, Qt::KeypadModifier},
        {"srch3", Qt::Key_Return, Qt::NoModifier},
        {"srch3", Qt::Key_Enter, Qt::KeypadModifier},
        {"srch4", Qt::Key_Return, Qt::ShiftModifier},
        {"srch4", Qt::Key_Return, Qt::AltModifier},
        {"srch4", Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier},
        {"srch1", Qt::Key_Space, Qt::ControlModifier},
        // The hidden row: the keyboard cannot reach it, so nothing sent to it runs.
        {"srch2", Qt::Key_Return, Qt::ControlModifier},
        {"srch2", Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier},
        // Not a query field.
        {"edit_MinIpm", Qt::Key_Return, Qt::ControlModifier},
    };
    WriteSample(m_folder);
    Open();
    Find<QLineEdit>("srch4")->setText(QStringLiteral("ёлка"));
    Click("srch_btn4");
    ASSERT_EQ(PaneText(), "ёлка");
    // Each query, run, would change the listing and the count.
    Find<QLineEdit>("srch4")->setText(QString());
    Find<QLineEdit>("srch1")->setText(QStringLiteral("*"));
    Find<QLineEdit>("srch2")->setText(QStringLiteral("*"));
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/./"));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Field + std::string(" key ") + std::to_string(c.Key) + " modifiers " +
                     std::to_string(c.Modifiers.toInt()));
        QTest::keyClick(Find(c.Field), c.Key, c.Modifiers);
        EXPECT_EQ(PaneText(), "ёлка");
        EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:1"));
        EXPECT_EQ(m_beeps, 1);
    }
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(Controls, EveryQueryFieldTellsOfCtrlEnter)
{
    TForm1& form = Open();
    int fields = 0;
    for (const QLineEdit* field : form.findChildren<QLineEdit*>()) {
        if (!field->objectName().startsWith(QStringLiteral("srch"))) {
            continue;
        }
        SCOPED_TRACE(field->objectName().toStdString());
        ++fields;
        EXPECT_TRUE(field->toolTip()
                        .split(QLatin1Char('\n'))
                        .contains(QStringLiteral("Ctrl+Enter — искать")));
    }
    EXPECT_EQ(fields, 4);
    EXPECT_FALSE(Find("edit_MinIpm")->toolTip().contains(QStringLiteral("Ctrl+Enter")));
}

TEST_F(Searches, AnErrorIsShownAndTheListingAndTheCountFromBeforeStay)
{
    // Was wrong: after an engine error the pane kept "Поиск..." beside the old count.
    struct TCase
    {
        const char* Field;
        const char* Button;
        const char* Query;
        const char* MinIpm;
        const char* Message;
    };
    const TCase cases[] = {
        {"srch4", "srch_btn4", "нка", "1,5.3", "'1,5.3' is not a valid floating point value."},
        {"srch3", "srch_btn3", "/ко[тд/", "0,0", "TRegExpr(comp): Unmatched [] (pos 5)"},
        {"srch3", "srch_btn3", "/кот", "0,0", "Unknown error."},
        {"srch3", "srch_btn3", "//", "0,0", "TRegExpr(exec): Not Assigned Expression Property."},
        {"srch4", "srch_btn4", "янка✓", "0,0",
         "The character \"✓\" (U+2713) has no Windows-1251 form."},
        {"srch4", "srch_btn4", "нка", "½",
         "The character \"½\" (U+00BD) has no Windows-1251 form."},
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
        EXPECT_EQ(PaneText(), "полянка\r\nбанка\r\nянка");
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

TEST_F(Searches, AFailedSearchShowsTheEarlierListingWithItsSelectionAndScrollAgain)
{
    // Was wrong: a failed search left "Поиск..." in the pane, losing the listing, its selection
    // and its scroll position, while the count still told the listing's size.
    std::vector<std::string> words;
    for (const char* first : {"б", "в", "г", "д", "ж", "з", "к", "л", "м", "н"}) {
        for (const char* second : {"а", "е", "и", "о", "у", "ы", "я", "ю", "э", "ё"}) {
            words.push_back(std::string(first) + second + "нка");
        }
    }
    m_folder.WritePair("a", words, std::vector<int>(words.size(), 1));
    struct TSeen
    {
        QString Message;
        std::string Pane;  // what the pane showed under the error box
    };
    std::vector<TSeen> seen;
    TWindowHooks hooks = RecordingHooks();
    hooks.ShowError = [this, &seen](const QString& text) { seen.push_back({text, PaneText()}); };
    Create(hooks).show();
    WaitForStartUp();
    auto* pane = Find<TFastResultPane>("Prev");
    QScrollBar* bar = pane->verticalScrollBar();

    struct TCase
    {
        const char* Field;
        const char* Query;
        const char* MinIpm;
        const char* Message;  // empty when the row starts no run
        const char* PaneUnderBox;
    };
    const TCase cases[] = {
        {"srch3", "/ко[тд/", "0,0", "TRegExpr(comp): Unmatched [] (pos 5)", "Поиск..."},
        {"srch3", "/кот", "0,0", "Unknown error.", "Поиск..."},
        {"srch1", "*нка", "1,5.3", "'1,5.3' is not a valid floating point value.", ""},
        {"srch3", "  ", "0,0", "", ""},
        {"srch1", "abc", "0,0", "", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Query) + " " + c.MinIpm);
        Find<QLineEdit>("edit_MinIpm")->setText(QStringLiteral("0,0"));
        Find<QLineEdit>("srch4")->setText(QStringLiteral("нка"));
        Click("srch_btn4");
        ASSERT_EQ(FoundCaption(), QStringLiteral("Найдено:100"));
        const std::string listing = PaneText();
        pane->SetSelection(200, 260);
        bar->setValue(bar->maximum() / 2);
        ASSERT_GT(pane->TopRow(), 0u);
        const std::string selected = ToUtf8(pane->SelectedText());
        const std::uint64_t caret = pane->CursorPosition();
        const std::uint64_t top = pane->TopRow();
        const int value = bar->value();
        const int maximum = bar->maximum();
        seen.clear();

        Find<QLineEdit>(c.Field)->setText(QString::fromUtf8(c.Query));
        Find<QLineEdit>("edit_MinIpm")->setText(QString::fromUtf8(c.MinIpm));
        Click(c.Field == std::string("srch3") ? "srch_btn3" : "srch_btn1");
        if (*c.Message == '\0') {
            EXPECT_TRUE(seen.empty());
        } else {
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_EQ(seen[0].Message, QString::fromUtf8(c.Message));
            EXPECT_EQ(seen[0].Pane, *c.PaneUnderBox == '\0' ? listing : c.PaneUnderBox);
        }
        EXPECT_EQ(PaneText(), listing);
        EXPECT_EQ(ToUtf8(pane->SelectedText()), selected);
        EXPECT_EQ(pane->CursorPosition(), caret);
        EXPECT_EQ(pane->TopRow(), top);
        EXPECT_EQ(bar->value(), value);
        EXPECT_EQ(bar->maximum(), maximum);
        EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:100"));
    }
}

TEST_F(Searches, ASearchClickedDuringAFailingSearchsInterimPassKeepsItsListing)
{
    WriteSample(m_folder);
    TForm1& form = Open();
    Find<QLineEdit>("srch4")->setText(QStringLiteral("ка"));
    Click("srch_btn4");
    ASSERT_EQ(FoundCaption(), QStringLiteral("Найдено:4"));
    Find<QLineEdit>("srch4")->setText(QStringLiteral("нка"));
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/ко[тд/"));
    // The ending search runs to its end inside the failing one's interim pass: its listing is
    // the one the failed search leaves.
    QMetaObject::invokeMethod(
        &form, [this] { Find<QAbstractButton>("srch_btn4")->click(); }, Qt::QueuedConnection);
    Find<QAbstractButton>("srch_btn3")->click();
    EXPECT_THAT(m_errors, ElementsAre(QStringLiteral("TRegExpr(comp): Unmatched [] (pos 5)")));
    EXPECT_EQ(PaneText(), "полянка\r\nбанка\r\nянка");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:3"));
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

// Window tests of searches that run long: a clock that the tests move, and what the user can do
// while such a search runs.
class LongSearches : public FormTest
{
protected:
    // Opens the window over 300 words starting with к, under a clock that reads the real time
    // until Slow() and then moves step at each reading, calling m_action at reading
    // m_actionReading.
    TForm1& OpenWithClock(TSearchClock::duration step)
    {
        std::vector<std::string> words;
        std::vector<std::int32_t> counts;
        for (int i = 0; i < 300; ++i) {
            words.push_back("к" + std::string(static_cast<std::size_t>(1 + i % 9), 'a') +
                            std::to_string(i));
            counts.push_back(1000 - i);
        }
        m_folder.WritePair("a", words, counts);
        m_slow = false;
        TWindowHooks hooks = RecordingHooks();
        hooks.Clock = [this, step] {
            if (!m_slow) {
                return TSearchClock::now();
            }
            ++m_slowReadings;
            m_now += step;
            if (m_slowReadings == m_actionReading && m_action) {
                m_action();
            }
            return m_now;
        };
        Create(hooks).show();
        WaitForStartUp();
        // A listing for the searches to come back to.
        Type("srch4", QStringLiteral("1"));
        Click("srch_btn4");
        EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:30"));
        m_listing = PaneText();
        return *m_form;
    }

    void Slow()
    {
        m_slow = true;
        m_now = TSearchClock::now();
        m_slowReadings = 0;
    }

    void Post(QObject* receiver, QEvent* event) { QCoreApplication::postEvent(receiver, event); }

    bool m_slow = false;
    TSearchClock::time_point m_now;
    int m_slowReadings = 0;
    int m_actionReading = 10;
    std::function<void()> m_action;
    std::string m_listing;
};

TEST_F(LongSearches, EscEndsTheSearchAtOnceWithoutABoxAndHoldsBackOtherInput)
{
    OpenWithClock(std::chrono::milliseconds(100));
    auto* field = Find<QLineEdit>("srch4");
    m_action = [&] {
        Post(field,
             new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
        Post(Find("srch_btn4"),
             new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                             Qt::LeftButton, Qt::NoModifier));
        Post(field, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    Slow();
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/^к/"));
    Click("srch_btn3");
    // The search looks at the clock no more after the events a second into it.
    EXPECT_EQ(m_slowReadings, m_actionReading);
    EXPECT_THAT(m_errors, IsEmpty());
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(PaneText(), m_listing);
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:30"));
    EXPECT_EQ(field->text(), QStringLiteral("1"));
    EXPECT_FALSE(Find<QAbstractButton>("srch_btn4")->isDown());
    // Once the search has ended, the keyboard reaches the controls again.
    QTest::keyClick(field, Qt::Key_2);
    EXPECT_EQ(field->text(), QStringLiteral("12"));
}

TEST_F(LongSearches, ClosingTheWindowEndsTheSearchAndThenTheWindow)
{
    TForm1& form = OpenWithClock(std::chrono::milliseconds(100));
    m_action = [&] { QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection); };
    Slow();
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/^к/"));
    Click("srch_btn3");
    EXPECT_EQ(m_slowReadings, m_actionReading);
    EXPECT_FALSE(form.isVisible());
    EXPECT_THAT(m_errors, IsEmpty());
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(PaneText(), m_listing);
}

TEST_F(LongSearches, TheTimeLimitEndsTheSearchWithTheErrorBox)
{
    OpenWithClock(std::chrono::seconds(1));
    Slow();
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/^к/"));
    Click("srch_btn3");
    EXPECT_THAT(m_errors, ElementsAre(QStringLiteral(
                              "Search stopped after 10 s: the expression is too costly. Simplify "
                              "it or search fewer dictionaries.")));
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(PaneText(), m_listing);
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:30"));
}

TEST_F(LongSearches, OnlyASearchPastHalfASecondHandlesEventsOnTheWay)
{
    // Queued at the 50th reading of the clock: 5 s into a search at 100 ms a reading, 50 ms
    // into one at 1 ms a reading, which ends after 0.3 s.
    for (const auto step : {std::chrono::milliseconds(100), std::chrono::milliseconds(1)}) {
        SCOPED_TRACE(step.count());
        TearDown();
        SetUp();
        TForm1& form = OpenWithClock(step);
        std::string seen;
        m_actionReading = 50;
        m_action = [&] {
            QMetaObject::invokeMethod(
                &form, [&] { seen = PaneText(); }, Qt::QueuedConnection);
        };
        Slow();
        Find<QLineEdit>("srch4")->clear();
        Click("srch_btn4");
        const std::string after = PaneText();
        QCoreApplication::processEvents();
        EXPECT_EQ(seen, step == std::chrono::milliseconds(100) ? "Поиск..." : after);
        EXPECT_NE(seen, "");
    }
}

using Geometry = FormTest;

TEST_F(Geometry, TheWindowOpensCentredOnTheScreen)
{
    TForm1& form = Open();
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form.geometry()));
    EXPECT_GE(form.width(), form.minimumWidth());
    EXPECT_EQ(form.pos(), screen.topLeft() + QPoint((screen.width() - form.width()) / 2,
                                                    (screen.height() - form.height()) / 2));
}

TEST_F(Geometry, TheDamagedDictionaryWarningStandsCentredOnTheScreen)
{
    // Was wrong: the box was placed before it took its final size, so it stood off centre.
    // A long name, so that the box's text wraps onto several lines.
    const std::string name = "повреждённый словарь частот слов русского языка из сети";
    m_folder.Write(name + ".txt", ToCp1251("кот\r\nпёс\r\n"));
    m_folder.Write(name + ".txt.cnt", Counts({1}));
    QRect placed;
    QPoint centre;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            placed = box->frameGeometry();
            centre = m_form->screen()->availableGeometry().center();
            box->accept();
        }
    });
    answerer.start(20);
    TWindowHooks hooks = RecordingHooks();
    hooks.ShowWarning = nullptr;
    Create(hooks).show();
    WaitForStartUp();
    ASSERT_FALSE(placed.isEmpty());
    EXPECT_EQ(placed.center(), centre)
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
}

TEST_F(Geometry, OnlyTheWidthChangesAndTheRightSideStretches)
{
    TForm1& form = Open();
    const int height = form.height();
    const int leftWidth = Find("Panel_left")->width();
    const QRect wait = Find("panel_wait")->geometry();
    const QRect sort = Find("Image_sort")->geometry();
    const int sortGap = Find("Panel2")->width() - sort.right();
    EXPECT_EQ(form.maximumHeight(), height);
    EXPECT_GT(form.minimumWidth(), leftWidth);

    for (const int width : {form.width() + 302, 300}) {
        SCOPED_TRACE(width);
        form.resize(width, height + 144);
        QTest::qWait(20);
        const int expected = std::max(width, form.minimumWidth());
        EXPECT_EQ(form.size(), QSize(expected, height));
        // The left panel keeps its width; the right one, the pane above the status strip and the
        // strip take the rest, and the sort picture stays at the strip's right end.
        EXPECT_EQ(Find("Panel_left")->geometry(), QRect(0, 0, leftWidth, height));
        const QWidget* right = Find("Panel1");
        EXPECT_EQ(right->geometry(), QRect(leftWidth, 0, expected - leftWidth, height));
        const QRect pane = Find("Prev")->geometry();
        const QRect strip = Find("Panel2")->geometry();
        EXPECT_EQ(pane.topLeft(), QPoint(0, 0));
        EXPECT_EQ(pane.width(), right->width());
        EXPECT_EQ(strip.top(), pane.bottom() + 1);
        EXPECT_EQ(strip.bottom(), right->height() - 1);
        EXPECT_EQ(strip.width(), right->width());
        const QRect found = Find("Label_fnd")->geometry();
        const QRect sortNow = Find("Image_sort")->geometry();
        EXPECT_EQ(sortNow.size(), sort.size());
        EXPECT_EQ(sortNow.top(), sort.top());
        EXPECT_EQ(strip.width() - sortNow.right(), sortGap);
        EXPECT_LT(found.right(), sortNow.left());
        EXPECT_EQ(Find("panel_wait")->geometry(), wait);
    }
}
