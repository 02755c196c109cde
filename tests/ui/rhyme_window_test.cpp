// The rhyme search in the window: the pane menu's item for the word at hand, its run against the
// rhyme search driven directly, the wait for an index still being built, and the index's warnings.

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "phonetics/rhyme_index.h"
#include "tests/support/recording_control.h"
#include "tests/ui/form_fixture.h"
#include "ui/fast_result_pane.h"
#include "wordstore/encoding.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Long enough that a build is still under way when a test asks for rhymes at once.
constexpr int kIndexTimeout = 60000;

class RhymeItem : public FormTest
{
protected:
    // Opens the pane's menu where the user would and closes it again; returns the rhyme item.
    QAction* OpenMenu()
    {
        QWidget* viewport = Find<TFastResultPane>("Prev")->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                viewport->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(viewport, &event);
        Find<QMenu>("PopupMenu1")->hide();
        return Find<QAction>("N5");
    }

    // Lists words ending in ending through the ending search.
    void ListEnding(const char* ending)
    {
        Find<QLineEdit>("srch4")->setText(QString::fromUtf8(ending));
        Click("srch_btn4");
    }

    // Some 29 000 made-up words, so that indexing them takes a while.
    void WriteManyWords()
    {
        const char* const consonants[] = {"б", "в", "г", "д", "к", "л", "м", "н", "п", "р"};
        const char* const vowels[] = {"а", "о", "у", "и", "е", "я"};
        const char* const endings[] = {"", "ка", "но", "ть", "ла", "ми", "ой", "ах"};
        std::vector<std::string> syllables;
        for (const char* consonant : consonants) {
            for (const char* vowel : vowels) {
                syllables.push_back(std::string(consonant) + vowel);
            }
        }
        std::vector<std::string> words;
        for (const std::string& first : syllables) {
            for (const std::string& second : syllables) {
                for (const char* ending : endings) {
                    words.push_back(first + second + ending);
                }
            }
        }
        m_folder.WritePair("a", words, std::vector<std::int32_t>(words.size(), 1));
    }

    bool BarShown() const { return Find<QProgressBar>("Progress_rhymes")->isVisible(); }
};

}  // namespace

TEST_F(RhymeItem, NamesTheSelectedWordOrTheWordAtTheCaretAndIsDisabledWithoutOne)
{
    m_folder.WritePair("a", {"окно", "кино", "вино"}, {3, 2, 1});
    Open();
    Click("ch_stat");
    ListEnding("но");
    ASSERT_EQ(PaneText(), "окно = 500000,00000\r\nкино = 333333,30000\r\nвино = 166666,70000");
    // The selection's anchor and caret as byte offsets of the pane, then the item's caption.
    struct TCase
    {
        std::uint64_t Anchor;
        std::uint64_t Caret;
        const char* Caption;
    };
    const TCase cases[] = {
        {0, 0, "Рифмы к «окно»"},
        {23, 23, "Рифмы к «кино»"},  // inside кино
        {25, 25, "Рифмы к «кино»"},  // just after it
        {28, 28, ""},                // in its number
        {6, 46, "Рифмы к «кино»"},   // from the first number into the third line
        {30, 11, "Рифмы к «кино»"},  // the same dragged backwards
        {7, 19, ""},                 // a number alone
        {43, 46, "Рифмы к «ино»"},   // part of a word, as selected
    };
    auto* pane = Find<TFastResultPane>("Prev");
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Anchor << ".." << c.Caret);
        pane->SetSelection(c.Anchor, c.Caret);
        const QAction* item = OpenMenu();
        const bool word = *c.Caption != '\0';
        EXPECT_EQ(item->isEnabled(), word);
        EXPECT_EQ(item->text(),
                  word ? QString::fromUtf8(c.Caption) : QStringLiteral("Рифмы к «…»"));
    }
}

TEST_F(RhymeItem, ShortensALongWordInTheMiddleAndGivesItWholeAsTheTooltip)
{
    std::string longWord;
    for (int i = 0; i < 200; ++i) {
        longWord += "ра";
    }
    longWord += "но";
    m_folder.WritePair("a", {longWord, "окно"}, {2, 1});
    Open();
    ListEnding("но");
    // The caret's byte offset in the pane, the word there, whether its caption is shortened.
    const std::tuple<std::uint64_t, std::string, bool> cases[] = {
        {0, longWord, true},
        {ToCp1251(longWord).size() + 2, "окно", false},
    };
    EXPECT_TRUE(Find<QMenu>("PopupMenu1")->toolTipsVisible());
    for (const auto& [caret, word, shortened] : cases) {
        SCOPED_TRACE(word.size());
        Find<TFastResultPane>("Prev")->SetSelection(caret, caret);
        const QAction* item = OpenMenu();
        const QString whole = QString::fromUtf8(word);
        EXPECT_EQ(item->toolTip(), whole);
        if (!shortened) {
            EXPECT_EQ(item->text(), "Рифмы к «" + whole + "»");
            continue;
        }
        // Its start and end stay, "…" between.
        EXPECT_TRUE(item->text().startsWith("Рифмы к «рара"));
        EXPECT_TRUE(item->text().endsWith("рано»"));
        EXPECT_TRUE(item->text().contains("…"));
        EXPECT_LT(item->text().size(), 80);
    }
}

TEST_F(RhymeItem, ListsWhatTheRhymeSearchGivesForTheWindowsSettings)
{
    // Counts of a million in all, so that each word's ipm is its count.
    m_folder.WritePair("a", {"окно", "кино", "вино", "давно", "можно", "нужно", "одно", "равно"},
                       {100000, 50000, 40000, 30000, 200000, 150000, 1, 429999});
    m_folder.WritePair("b", {"кино", "дно", "смешно", "любовь", "вино", "окно"},
                       {600000, 100000, 200000, 50000, 49999, 1});
    Open();
    Find<QListWidget>("dict_list")->item(1)->setCheckState(Qt::Checked);
    Click("ch_alpha");
    Click("ch_stat");
    Find<QLineEdit>("edit_MinIpm")->setText(QStringLiteral("45000"));
    ListEnding("окно");
    ASSERT_EQ(OpenMenu()->text(), QStringLiteral("Рифмы к «окно»"));
    Find<QAction>("N5")->trigger();

    TRecordingControl control;
    control.Given.Alphabetical = true;
    control.Given.ShowIpm = true;
    control.Given.MinIpmText = "45000";
    control.Ticked = {true, true};
    TRhymeIndex index;
    index.Start({m_folder.Path() + "/a.txt", m_folder.Path() + "/b.txt"});
    ASSERT_TRUE(index.Wait());
    const TRunListing listed = ListRun(RhymeTest(ToCp1251("окно"), index), control);

    EXPECT_THAT(m_errors, IsEmpty());
    EXPECT_EQ(m_beeps, 2);
    EXPECT_THAT(PaneText(), HasSubstr("кино = "));
    EXPECT_EQ(PaneText(), listed.Text);
    EXPECT_EQ(FoundCaption().toStdString(), "Найдено:" + std::to_string(listed.Lines));
}

TEST_F(RhymeItem, EscDuringTheWaitForTheIndexEndsItQuietlyAndTheIndexIsBuiltAgain)
{
    WriteManyWords();
    Open();
    ASSERT_TRUE(BarShown());
    ListEnding("бабано");
    ASSERT_EQ(PaneText(), "бабано");
    OpenMenu();
    QCoreApplication::postEvent(Find("Prev"),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    Find<QAction>("N5")->trigger();
    EXPECT_THAT(m_errors, IsEmpty());
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(PaneText(), "бабано");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:1"));
    EXPECT_TRUE(BarShown());

    // The next rhyme search waits for the new build to its end.
    Find<QAction>("N5")->trigger();
    EXPECT_EQ(m_beeps, 2);
    EXPECT_THAT(PaneText(), HasSubstr("вабано"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !BarShown(); }, kIndexTimeout));
}

TEST_F(RhymeItem, ClosingTheWindowDuringTheWaitClosesItWithoutARun)
{
    WriteManyWords();
    TForm1& form = Open();
    ListEnding("бабано");
    OpenMenu();
    QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
    Find<QAction>("N5")->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(BarShown());
    EXPECT_THAT(m_errors, IsEmpty());
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(PaneText(), "бабано");
}

TEST_F(RhymeItem, ACacheThatCannotBeWrittenIsWarnedAboutOnce)
{
    const std::string notAFolder = m_cache.Write("file", "x");
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(notAFolder));
    m_folder.WritePair("a", {"окно", "кино"}, {1, 1});
    m_folder.WritePair("b", {"вино", "окно"}, {1, 1});
    Open();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !BarShown(); }, kIndexTimeout));
    EXPECT_THAT(m_warnings,
                ElementsAre(QString::fromStdString(
                    "Cannot create folder \"" + notAFolder +
                    "/slovosito\". Not a directory. The rhyme index is kept in memory only")));
    // The index is there all the same.
    ListEnding("окно");
    OpenMenu()->trigger();
    EXPECT_EQ(PaneText(), "кино");
}

TEST_F(RhymeItem, APairWithTheExtensionInCapitalsIsIndexedAnewWhenItChanges)
{
    // The same size each time: only the files' own times can tell the lists apart.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"окно", "кино", "вино"}, "кино\r\nвино"},
        {{"окно", "кино", "сено"}, "кино"},
    };
    for (const auto& [words, pane] : cases) {
        SCOPED_TRACE(pane);
        m_form.reset();
        const std::string path = m_folder.WritePair("a", words, {3, 2, 1});
        std::filesystem::rename(path, m_folder.Path() + "/a.TXT");
        std::filesystem::rename(path + ".cnt", m_folder.Path() + "/a.TXT.cnt");
        Open();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !BarShown(); }, kIndexTimeout));
        ListEnding("окно");
        OpenMenu()->trigger();
        EXPECT_EQ(PaneText(), pane);
    }
}
