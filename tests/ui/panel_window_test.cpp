// The panel of the newer searches and the window's keyboard and screen reader paths: the designed
// window kept while the panel is closed, the panel's searches and filters, what a screen reader
// reads, and the keys that reach the pane's menu and the rows.

#include <map>
#include <string>
#include <tuple>
#include <utility>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/ui/form_fixture.h"
#include "ui/fast_result_pane.h"

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Where each visible control lies in the window, by name.
std::map<QString, QRect> Places(const QWidget& form)
{
    std::map<QString, QRect> places;
    for (const QWidget* control : form.findChildren<QWidget*>()) {
        if (!control->objectName().isEmpty() && control->isVisibleTo(&form)) {
            places[control->objectName()] =
                QRect(control->mapTo(&form, QPoint(0, 0)), control->size());
        }
    }
    return places;
}

class Panel : public FormTest
{
protected:
    void OpenWithWords()
    {
        // Counts of a million in all, so that each word's ipm is its count.
        m_folder.WritePair("a", {"окно", "кино", "вино", "можно", "соль", "лось", "слон", "курса"},
                           {400000, 250000, 200000, 100000, 20000, 15000, 10000, 5000});
        m_folder.WritePair("b", {"кино", "дно"}, {500000, 500000});
        Open();
        Click("Label_more");
    }
    // Runs a field's row with Ctrl+Enter.
    void Run(const char* field, const QString& text)
    {
        Find<QLineEdit>(field)->setText(text);
        QTest::keyClick(Find(field), Qt::Key_Return, Qt::ControlModifier);
    }
};

// Types text into widget a character at a time, as a keyboard layout that has its letters would.
void TypeKeys(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
    }
}

}  // namespace

using Geometry = FormTest;

TEST_F(Geometry, WithThePanelClosedTheWindowIsTheDesignedOneAndOpeningGrowsOnlyItsHeight)
{
    TForm1& form = Open();
    // The design's places of the rows and the window's size on a fresh profile.
    const std::tuple<const char*, QRect> design[] = {
        {"srch4", {4, 164, 137, 21}},      {"srch_btn4", {144, 164, 61, 21}},
        {"srch1", {4, 208, 137, 21}},      {"srch3", {4, 252, 137, 21}},
        {"dict_list", {4, 340, 201, 105}}, {"edit_MinIpm", {117, 512, 56, 13}},
        {"Panel_left", {0, 0, 209, 556}},
    };
    EXPECT_EQ(form.size(), QSize(598, 556));
    for (const auto& [name, place] : design) {
        EXPECT_EQ(Places(form)[QString::fromLatin1(name)], place) << name;
    }
    std::map<QString, QRect> closed = Places(form);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Click("Label_more");
    // An X server takes the new size a moment later.
    ASSERT_TRUE(QTest::qWaitFor([&form] { return form.height() > 556; }));
    const std::map<QString, QRect> open = Places(form);
    const QRect panel = open.at(QStringLiteral("Panel_more"));
    EXPECT_EQ(panel.topLeft(), QPoint(0, 556));
    EXPECT_EQ(form.height(), 556 + panel.height());
    EXPECT_EQ(open.at(QStringLiteral("Prev")).height(),
              closed.at(QStringLiteral("Prev")).height() + panel.height());
    EXPECT_EQ(open.at(QStringLiteral("Panel_left")), closed.at(QStringLiteral("Panel_left")));
    QTest::keyClick(&form, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&form] { return form.size() == QSize(598, 556); }));
    // The link's caption changes its size with its arrow and back; all else is as designed.
    closed.erase(QStringLiteral("Label_more"));
    std::map<QString, QRect> again = Places(form);
    again.erase(QStringLiteral("Label_more"));
    EXPECT_EQ(again, closed);
}

TEST_F(Panel, IsRememberedWithItsFieldsAndAFreshProfileStartsClosed)
{
    OpenWithWords();
    Find<QLineEdit>("edit_Length")->setText(QStringLiteral("4-"));
    Find<QComboBox>("combo_letters")->setCurrentIndex(1);
    m_form->close();
    m_form.reset();
    Open();
    EXPECT_TRUE(Find("Panel_more")->isVisible());
    EXPECT_EQ(Find<QLineEdit>("edit_Length")->text(), QStringLiteral("4-"));
    EXPECT_EQ(Find<QComboBox>("combo_letters")->currentIndex(), 1);
    EXPECT_EQ(m_form->height(), 556 + Find("Panel_more")->height());
}

TEST_F(Panel, SearchesRunThroughTheRowsPathAndSayWhatWasSearched)
{
    OpenWithWords();
    struct TCase
    {
        const char* Field;
        int LetterMode;
        const char* Query;
        const char* Listing;
        const char* Found;
    };
    const TCase cases[] = {
        {"edit_Rhyme", 0, "окно", "кино\r\nвино", "Рифмы к «окно»: 2"},
        // The typed word itself is no anagram of it.
        {"edit_Letters", 0, "сОль", "лось", "Анаграммы «сОль»: 1"},
        {"edit_Letters", 1, "нолсь", "соль\r\nлось\r\nслон", "Слова из букв «нолсь»: 3"},
    };
    int beeps = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Query);
        Find<QComboBox>("combo_letters")->setCurrentIndex(c.LetterMode);
        Run(c.Field, QString::fromUtf8(c.Query));
        EXPECT_EQ(PaneText(), c.Listing);
        EXPECT_EQ(FoundCaption(), QString::fromUtf8(c.Found));
        EXPECT_EQ(m_beeps, ++beeps);
    }
    // A bad range fails before anything changes.
    Find<QLineEdit>("edit_Length")->setText(QStringLiteral("5-3"));
    Run("edit_Rhyme", QStringLiteral("окно"));
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_EQ(FoundCaption(), QString::fromUtf8("Слова из букв «нолсь»: 3"));
    EXPECT_EQ(PaneText(), "соль\r\nлось\r\nслон");
}

TEST_F(Panel, FiltersTheDesignedRowsWhileOpenAndOnlyThen)
{
    OpenWithWords();
    // Ticks a tick for a non-empty value, or types the value into a field.
    const auto set = [this](const char* control, const char* value) {
        if (auto* tick = qobject_cast<QCheckBox*>(Find(control))) {
            tick->setChecked(*value != '\0');
        } else {
            Find<QLineEdit>(control)->setText(QString::fromUtf8(value));
        }
    };
    // The field or tick, what it is set to, and the ending search's listing then.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"edit_Length", "5", "можно"},
        {"edit_Syllables", "-1", ""},
        {"edit_StressPlace", "2", "можно"},
        {"ch_stress", "1", "окно'\r\nкино'\r\nвино'\r\nмо'жно"},
        {"ch_headwords", "1", "окно\r\nкино\r\nвино\r\nможно"},
        {"ch_nouns", "1", "окно\r\nвино"},  // кино does not change: "other"
        {"ch_known", "1", "окно\r\nкино\r\nвино\r\nможно"},
        {"ch_noNames", "1", "окно\r\nкино\r\nвино\r\nможно"},
    };
    for (const auto& [control, value, listing] : cases) {
        SCOPED_TRACE(control);
        set(control, value);
        Run("srch4", QStringLiteral("но"));
        EXPECT_EQ(PaneText(), listing);
        set(control, "");
    }
    set("ch_headwords", "1");
    Run("srch4", QStringLiteral("са"));
    EXPECT_EQ(PaneText(), "");
    Click("Label_more");
    Run("srch4", QStringLiteral("са"));
    EXPECT_EQ(PaneText(), "курса");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:1"));
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(Panel, ComparedDictionariesGiveOneLinePerWordAndTheTableCopyHasHtmlCells)
{
    OpenWithWords();
    Find<QListWidget>("dict_list")->item(1)->setCheckState(Qt::Checked);
    Find<QCheckBox>("ch_compare")->setChecked(true);
    Run("srch4", QStringLiteral("но"));
    EXPECT_EQ(PaneText(),
              "дно = - | 500000,00000\r\nкино = 250000,00000 | 500000,00000\r\n"
              "окно = 400000,00000 | -\r\nвино = 200000,00000 | -\r\nможно = 100000,00000 | -");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:5"));
    Find<QAction>("N4")->trigger();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(copied->text().startsWith(QStringLiteral("word\ta\tb\nдно\t\t500000,00000\n")));
    EXPECT_THAT(copied->html().toStdString(),
                HasSubstr("<tr><th>word</th><th>a</th><th>b</th></tr><tr><td>дно</td><td></td>"));
}

using Keys = FormTest;

TEST_F(Keys, EveryFieldAndTickIsNamedByItsCaptionForScreenReaders)
{
    TForm1& form = Open();
    for (QWidget* control : form.findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractButton*>(control) ||
            qobject_cast<QComboBox*>(control) || qobject_cast<QListWidget*>(control)) {
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << control->objectName().toStdString();
        }
    }
    EXPECT_EQ(Find("srch1")->accessibleName(), QStringLiteral("Поиск по маске"));
    EXPECT_EQ(Find<QLineEdit>("srch1")->text(), QStringLiteral("*янка"));
}

TEST_F(Keys, ShiftF10AndTheMenuKeyOpenThePanesMenuAndAReaderReadsThePane)
{
    m_folder.WritePair("a", {"окно", "кино"}, {2, 1});
    Open();
    Find<QLineEdit>("srch4")->setText(QStringLiteral("но"));
    Click("srch_btn4");
    auto* pane = Find<TFastResultPane>("Prev");
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
        // QTest has no text for the Menu key; the pane takes the press alone.
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(pane, &press);
        EXPECT_TRUE(Find<QMenu>("PopupMenu1")->isVisible()) << key;
        Find<QMenu>("PopupMenu1")->hide();
    }
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(pane);
    ASSERT_NE(reader, nullptr);
    QAccessibleTextInterface* text = reader->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("окно\r\nкино"));
    int start = 0;
    int end = 0;
    EXPECT_EQ(text->textAtOffset(7, QAccessible::LineBoundary, &start, &end),
              QStringLiteral("кино"));
    EXPECT_EQ(std::pair(start, end), std::pair(6, 10));
    pane->SetSelection(6, 10);
    EXPECT_EQ(text->cursorPosition(), 10);
}

TEST_F(Keys, TypingIntoAFieldClickedWhileItShowsItsExampleReplacesTheExample)
{
    TForm1& form = Open();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (const char* field : {"srch1", "srch3"}) {
        SCOPED_TRACE(field);
        QTest::mouseClick(Find(field), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        TypeKeys(Find(field), QStringLiteral("ка"));
        EXPECT_EQ(Find<QLineEdit>(field)->text(), QStringLiteral("ка"));
    }
    // What the user typed stays when the field gets the focus again.
    QTest::mouseClick(Find("srch1"), Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    TypeKeys(Find("srch1"), QStringLiteral("т"));
    EXPECT_EQ(Find<QLineEdit>("srch1")->text(), QStringLiteral("кат"));
}
