// The result pane's actions in the window: show linearly, the context menu, copy, copy all and
// copy as a table through the clipboard, and the web search request.

#include "ui/result_pane.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/ui/form_fixture.h"
#include "ui/fast_result_pane.h"
#include "wordstore/encoding.h"

namespace {

class PaneActions : public FormTest
{
protected:
    // A window whose pane lists "полянка", "банка" and "янка" after an ending search.
    void OpenWithListing()
    {
        m_folder.WritePair("a", {"янка", "полянка", "банка", "кот"}, {1, 3, 2, 4});
        Open();
        Find<QLineEdit>("srch4")->setText(QStringLiteral("нка"));
        Click("srch_btn4");
        ASSERT_EQ(PaneText(), "полянка\r\nбанка\r\nянка");
    }

    // Selects bytes [from, to) of the pane's text, as a drag of the mouse would.
    void Select(std::size_t from, std::size_t to)
    {
        Find<TFastResultPane>("Prev")->SetSelection(from, to);
    }

    void Trigger(const char* item) { Find<QAction>(item)->trigger(); }

    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
};

}  // namespace

TEST_F(PaneActions, ShowLinearlyJoinsTheLinesAndASecondClickAppendsAComma)
{
    OpenWithListing();
    Click("Image_sort");
    EXPECT_EQ(PaneText(), "полянка, банка, янка\r\n");
    Click("Image_sort");
    EXPECT_EQ(PaneText(), "полянка, банка, янка, \r\n");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено:3"));
}

TEST_F(PaneActions, ShowLinearlyKeepsEachWordsIpm)
{
    m_folder.WritePair("a", {"кот", "пёс"}, {3, 1});
    Open();
    Click("ch_stat");
    Find<QLineEdit>("srch4")->setText(QString());
    Click("srch_btn4");
    Click("Image_sort");
    EXPECT_EQ(PaneText(), "кот = 750000,00000, пёс = 250000,00000\r\n");
}

TEST_F(PaneActions, ShowLinearlyOnAnEmptyPaneLeavesOneLineBreak)
{
    Open();
    Click("Image_sort");
    EXPECT_EQ(PaneText(), "\r\n");
    EXPECT_EQ(FoundCaption(), QStringLiteral("Найдено: 0"));
}

TEST_F(PaneActions, TheContextMenuOpensOnThePaneWithItsFiveItems)
{
    OpenWithListing();
    auto* menu = Find<QMenu>("PopupMenu1");
    QWidget* viewport = Find<TFastResultPane>("Prev")->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            viewport->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(viewport, &event);
    EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
    menu->hide();

    QStringList captions;
    for (const QAction* action : menu->actions()) {
        captions.append(action->text());
    }
    // The caret stands at the start of the listing, in its first word.
    EXPECT_EQ(captions, QStringList({"Копировать", "Копировать всё", "WTF ?!",
                                     "Копировать таблицей", "Рифмы к «полянка»"}));
    EXPECT_EQ(menu->actions().at(3), Find<QAction>("N4"));
    EXPECT_EQ(menu->actions().last(), Find<QAction>("N5"));
    EXPECT_EQ(menu->defaultAction(), Find<QAction>("N3"));
    EXPECT_FALSE(Find<QAction>("N3")->icon().isNull());
}

TEST_F(PaneActions, CopyPutsTheSelectionOnTheClipboardWithLinuxLineBreaks)
{
    OpenWithListing();
    QGuiApplication::clipboard()->setText(QStringLiteral("прежнее"));
    Trigger("N1");
    EXPECT_EQ(Clipboard(), QStringLiteral("прежнее"));  // nothing selected: left alone

    Select(3, 11);  // "янка", the line break, "ба"
    Trigger("N1");
    EXPECT_EQ(Clipboard(), QStringLiteral("янка\nба"));
    EXPECT_EQ(ToUtf8(m_form->Pane().SelectedText()), "янка\r\nба");
}

TEST_F(PaneActions, CopyAllSelectsEverythingAndCopiesIt)
{
    OpenWithListing();
    Trigger("N2");
    EXPECT_EQ(Clipboard(), QStringLiteral("полянка\nбанка\nянка"));
    EXPECT_EQ(ToUtf8(m_form->Pane().SelectedText()), "полянка\r\nбанка\r\nянка");
}

TEST_F(PaneActions, CopyAllOfAnEmptyPaneLeavesTheClipboardAlone)
{
    Open();
    QGuiApplication::clipboard()->setText(QStringLiteral("прежнее"));
    Trigger("N2");
    EXPECT_EQ(Clipboard(), QStringLiteral("прежнее"));
}

TEST_F(PaneActions, WebSearchOpensTheRequestForTheSelection)
{
    OpenWithListing();
    Select(3, 11);
    Trigger("N3");
    Select(0, 0);
    Trigger("N3");
    ASSERT_EQ(m_urls.size(), 2u);
    EXPECT_EQ(m_urls[0].toEncoded(),
              "https://yandex.ru/yandsearch?text=%D1%8F%D0%BD%D0%BA%D0%B0++%D0%B1%D0%B0"
              "&msg=Viva%20la%20Yandex!");
    EXPECT_EQ(m_urls[1].toEncoded(), "https://yandex.ru/yandsearch?text=&msg=Viva%20la%20Yandex!");
    EXPECT_TRUE(m_urls[0].isValid());
    EXPECT_EQ(PaneText(), "полянка\r\nбанка\r\nянка");
}

TEST_F(PaneActions, WebSearchOfAnIpmLineKeepsItsSigns)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Open();
    Click("ch_stat");
    Find<QLineEdit>("srch4")->setText(QStringLiteral("кот"));
    Click("srch_btn4");
    ASSERT_EQ(PaneText(), "кот = 1000000,00000");
    Trigger("N2");
    Trigger("N3");
    ASSERT_EQ(m_urls.size(), 1u);
    EXPECT_EQ(m_urls[0].toEncoded(),
              "https://yandex.ru/yandsearch?text=%D0%BA%D0%BE%D1%82+=+1000000,00000"
              "&msg=Viva%20la%20Yandex!");
}

TEST_F(PaneActions, WebSearchEscapesWhatAUrlCannotHoldRaw)
{
    m_folder.WritePair("a", {"<кот>|\"ёж\""}, {1});
    Open();
    Find<QLineEdit>("srch4")->setText(QString());
    Click("srch_btn4");
    Trigger("N2");
    Trigger("N3");
    ASSERT_EQ(m_urls.size(), 1u);
    EXPECT_TRUE(m_urls[0].isValid());
    EXPECT_EQ(m_urls[0].toEncoded(),
              "https://yandex.ru/yandsearch?text=%3C%D0%BA%D0%BE%D1%82%3E%7C%22%D1%91%D0%B6%22"
              "&msg=Viva%20la%20Yandex!");
}

TEST_F(PaneActions, CopyAsTableIsDisabledUntilASearchSucceeds)
{
    m_folder.WritePair("a", {"кот"}, {1});
    Open();
    QGuiApplication::clipboard()->setText(QStringLiteral("прежнее"));
    EXPECT_FALSE(Find<QAction>("N4")->isEnabled());
    Trigger("N4");
    EXPECT_EQ(Clipboard(), QStringLiteral("прежнее"));

    Find<QLineEdit>("srch3")->setText(QStringLiteral("/ко[тд/"));
    Click("srch_btn3");
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_FALSE(Find<QAction>("N4")->isEnabled());

    Find<QLineEdit>("srch4")->setText(QStringLiteral("щука"));
    Click("srch_btn4");
    EXPECT_TRUE(Find<QAction>("N4")->isEnabled());
    Trigger("N4");
    EXPECT_EQ(Clipboard(), QStringLiteral("word\tipm\tcount\tdictionary"));
}

TEST_F(PaneActions, CopyAsTablePutsTheLastSearchsHitsInTheListingsOrder)
{
    // Seven words in all, so the ipm has more digits than it shows; "стихи" adds a second
    // "банка".
    m_folder.WritePair("проза", {"янка", "полянка", "банка", "кот"}, {1, 3, 2, 1});
    m_folder.WritePair("стихи", {"банка", "ванька"}, {1, 3});
    Open();
    Find<QListWidget>("dict_list")->item(1)->setCheckState(Qt::Checked);
    Find<QLineEdit>("srch4")->setText(QStringLiteral("нка"));
    Click("srch_btn4");
    ASSERT_EQ(PaneText(), "полянка\r\nбанка\r\nбанка\r\nянка");
    const QString table = QStringLiteral(
        "word\tipm\tcount\tdictionary\n"
        "полянка\t428571,40000\t3\tпроза\n"
        "банка\t285714,30000\t2\tпроза\n"
        "банка\t250000,00000\t1\tстихи\n"
        "янка\t142857,10000\t1\tпроза");
    Trigger("N4");
    EXPECT_EQ(Clipboard(), table);
    EXPECT_EQ(PaneText(), "полянка\r\nбанка\r\nбанка\r\nянка");

    // A failed search keeps the table with the listing; the next search replaces both.
    QGuiApplication::clipboard()->setText(QStringLiteral("прежнее"));
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/ко[тд/"));
    Click("srch_btn3");
    ASSERT_EQ(m_errors.size(), 1);
    Trigger("N4");
    EXPECT_EQ(Clipboard(), table);

    Click("ch_alpha");
    Click("ch_stat");
    Find<QLineEdit>("srch3")->setText(QStringLiteral("/^[кя]/"));
    Click("srch_btn3");
    ASSERT_EQ(PaneText(), "кот = 142857,10000\r\nянка = 142857,10000");
    Trigger("N4");
    EXPECT_EQ(Clipboard(), QStringLiteral("word\tipm\tcount\tdictionary\n"
                                          "кот\t142857,10000\t1\tпроза\n"
                                          "янка\t142857,10000\t1\tпроза"));
}
