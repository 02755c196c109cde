// The fast result pane, headless: selection by mouse and by keyboard, copying, wrapping,
// scrolling, ten million lines, and agreement with QPlainTextEdit.

#include "ui/fast_result_pane.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "tests/ui/random_text.h"
#include "wordstore/encoding.h"

namespace {

QString Clipboard()
{
    return QGuiApplication::clipboard()->text();
}

// The character index of needle in the UTF-8 text: its byte offset once the text is Windows-1251.
std::uint64_t IndexOf(const char* text, const char* needle)
{
    const qsizetype index = QString::fromUtf8(text).indexOf(QString::fromUtf8(needle));
    EXPECT_GE(index, 0) << needle;
    return static_cast<std::uint64_t>(index);
}

class FastPane : public ::testing::Test
{
protected:
    // Shows the pane at size holding utf8 (converted to Windows-1251).
    void Show(const std::string& utf8, QSize size = QSize(300, 200))
    {
        m_pane.resize(size);
        m_pane.SetText(ToCp1251(utf8));
        m_pane.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_pane));
        m_firstRow = m_pane.CursorRect(0);
    }

    QWidget* Viewport() { return m_pane.viewport(); }
    // The point between the characters before and at position.
    QPoint At(std::uint64_t position) { return m_pane.CursorRect(position).center(); }
    // A point on the character at position.
    QPoint On(std::uint64_t position)
    {
        const QRect before = m_pane.CursorRect(position);
        const QRect after = m_pane.CursorRect(position + 1);
        return QPoint((before.x() + after.x()) / 2, before.center().y());
    }
    // The first position on row, counted from the top of the view.
    std::uint64_t RowStart(std::uint64_t row)
    {
        const int height = m_firstRow.height();
        return m_pane.PositionAt(
            QPoint(0, m_firstRow.top() + static_cast<int>(row) * height + height / 2));
    }
    std::string Selected() const { return ToUtf8(m_pane.SelectedText()); }

    TFastResultPane m_pane;
    // Where the first row of the view lies.
    QRect m_firstRow;
};

TEST_F(FastPane, TextGivenInPiecesIsTheTextGivenWhole)
{
    std::mt19937 random(20261212);
    std::string text;
    for (int line = 0; line < 300; ++line) {
        text += line == 0 ? "" : "\r\n";
        text += ToCp1251(line % 7 == 0 ? "длинная строка, что не уместится в узкой панели целиком"
                                       : "кот = 1,00000");
    }
    Show(ToUtf8(text), QSize(160, 200));
    TFastResultPane pieces;
    pieces.resize(QSize(160, 200));
    pieces.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pieces));
    // A first text, replaced; then pieces of up to 9 bytes, some ending inside a line break.
    pieces.SetText(ToCp1251("прежний текст"));
    pieces.BeginText(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = std::min<std::size_t>(random() % 10, text.size() - pos);
        pieces.AppendText(std::string_view(text).substr(pos, size));
        pos += size;
    }
    pieces.EndText();
    EXPECT_EQ(pieces.Text(), text);
    for (const std::uint64_t position : {0u, 5u, 60u, 500u, 2000u}) {
        SCOPED_TRACE(position);
        EXPECT_EQ(pieces.CursorRect(position), m_pane.CursorRect(position));
    }
}

TEST_F(FastPane, DragSelectsAcrossLinesAndShiftClickExtends)
{
    Show("кот пёс\r\nёж\r\nлиса");
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, At(4));
    QTest::mouseMove(Viewport(), At(11));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, At(11));
    EXPECT_EQ(Selected(), "пёс\r\nёж");

    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, At(15));
    EXPECT_EQ(Selected(), "пёс\r\nёж\r\nли");

    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, At(2));
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(m_pane.CursorPosition(), 2u);

    // Upwards, and past the end of a line.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, At(15));
    QTest::mouseMove(Viewport(), QPoint(Viewport()->width() - 10, At(5).y()));
    QTest::mouseRelease(Viewport(), Qt::LeftButton);
    EXPECT_EQ(Selected(), "\r\nёж\r\nли");
}

TEST_F(FastPane, DraggingBelowTheViewScrollsAndExtendsTheSelection)
{
    std::string text;
    for (int line = 0; line < 200; ++line) {
        text += "строка " + std::to_string(line) + "\r\n";
    }
    Show(text);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, At(0));
    QTest::mouseMove(Viewport(), QPoint(20, Viewport()->height() + 40));
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_pane.TopRow() >= 5; }, 3000));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(20, Viewport()->height() + 40));
    const std::uint64_t top = m_pane.TopRow();
    QTest::qWait(200);
    EXPECT_EQ(m_pane.TopRow(), top);  // released: the scrolling stops
    EXPECT_GT(m_pane.CursorPosition(), RowStart(0));
    EXPECT_EQ(Selected().rfind("строка 0\r\nстрока 1\r\n", 0), 0u);
}

TEST_F(FastPane, DoubleClickSelectsTheWordUnderThePointer)
{
    const char* text = "слово = 12,34567 д'Артаньян, т.е. AT&T";
    Show(text, QSize(600, 100));
    // What the pointer is on, then the selection.
    const std::pair<const char*, const char*> cases[] = {
        {"ово", "слово"},      {"2,", "12,34567"},  {",34", "12,34567"}, {"=", "="},
        {"Арт", "д'Артаньян"}, {"'", "д'Артаньян"}, {", т", ","},        {".е", "т.е"},
        {"T&", "AT"},          {"&", "&"},
    };
    for (const auto& [on, word] : cases) {
        SCOPED_TRACE(on);
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, On(IndexOf(text, on)));
        QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, On(IndexOf(text, on)));
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, On(IndexOf(text, on)));
        EXPECT_EQ(Selected(), word);
    }
    // Beyond the end of the line: its last word.
    const QPoint beyond(Viewport()->width() - 5, At(0).y());
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, beyond);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, beyond);
    EXPECT_EQ(Selected(), "T");
}

TEST_F(FastPane, KeysMoveTheCaretAndShiftedKeysSelect)
{
    // кот пёс: 0-7, CR LF, ёж: 9-11, CR LF, an empty line at 13, CR LF, лиса: 15-19.
    Show("кот пёс\r\nёж\r\n\r\nлиса");
    struct TCase
    {
        std::uint64_t Anchor;
        std::uint64_t Position;
        std::vector<QKeyCombination> Keys;
        const char* Selected;
        std::uint64_t Caret;
    };
    const QKeyCombination shiftRight = Qt::SHIFT | Qt::Key_Right;
    const QKeyCombination shiftDown = Qt::SHIFT | Qt::Key_Down;
    const TCase cases[] = {
        {0, 0, {shiftRight, shiftRight, shiftRight, shiftRight}, "кот ", 4},
        {4, 4, {Qt::SHIFT | Qt::Key_End}, "пёс", 7},
        {7, 7, {shiftRight}, "\r\n", 9},
        {9, 9, {Qt::SHIFT | Qt::Key_Left}, "\r\n", 7},
        {0, 0, {shiftDown}, "кот пёс\r\n", 9},
        {0, 0, {shiftDown, shiftDown, shiftDown}, "кот пёс\r\nёж\r\n\r\n", 15},
        // The caret keeps its column across shorter lines.
        {6, 6, {shiftDown, shiftDown, shiftDown}, "с\r\nёж\r\n\r\nлиса", 19},
        {15, 15, {Qt::SHIFT | Qt::Key_Up}, "\r\n", 13},
        {11, 11, {Qt::SHIFT | Qt::Key_Home}, "ёж", 9},
        {4, 4, {Qt::CTRL | Qt::SHIFT | Qt::Key_End}, "пёс\r\nёж\r\n\r\nлиса", 19},
        {11, 11, {Qt::CTRL | Qt::SHIFT | Qt::Key_Home}, "кот пёс\r\nёж", 0},
        {0, 0, {Qt::SHIFT | Qt::Key_PageDown}, "кот пёс\r\nёж\r\n\r\n", 15},
        {15, 15, {Qt::SHIFT | Qt::Key_PageUp}, "кот пёс\r\nёж\r\n\r\n", 0},
        {0, 0, {Qt::CTRL | Qt::SHIFT | Qt::Key_Right}, "кот ", 4},
        {7, 7, {Qt::CTRL | Qt::SHIFT | Qt::Key_Left}, "пёс", 4},
        {0, 0, {Qt::Key_Right, Qt::Key_Right, shiftRight}, "т", 3},
        // An unshifted arrow ends a selection at its side.
        {0, 4, {Qt::Key_Right, shiftRight}, "п", 5},
        {4, 0, {Qt::Key_Right, shiftRight}, "п", 5},
        {4, 7, {Qt::Key_Left, Qt::SHIFT | Qt::Key_Left}, " ", 3},
        {0, 0, {Qt::Key_End, Qt::Key_Down, shiftRight}, "\r\n", 13},
        {5, 5, {Qt::CTRL | Qt::Key_A}, "кот пёс\r\nёж\r\n\r\nлиса", 19},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Anchor << "-" << c.Position << " " << c.Selected);
        m_pane.SetSelection(c.Anchor, c.Position);
        for (const QKeyCombination key : c.Keys) {
            QTest::keyClick(&m_pane, key.key(), key.keyboardModifiers());
        }
        EXPECT_EQ(Selected(), c.Selected);
        EXPECT_EQ(m_pane.CursorPosition(), c.Caret);
    }
}

TEST_F(FastPane, CopyPutsTheSelectionOnTheClipboardWithLinuxLineBreaks)
{
    Show("полянка\r\nбанка\r\nянка");
    QGuiApplication::clipboard()->setText(QStringLiteral("прежнее"));
    m_pane.CopySelection();
    QTest::keyClick(&m_pane, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(),
              QStringLiteral("прежнее"));  // nothing selected: left alone

    m_pane.SetSelection(4, 17);
    m_pane.CopySelection();
    EXPECT_EQ(Clipboard(), QStringLiteral("нка\nбанка\nя"));
    EXPECT_EQ(Selected(), "нка\r\nбанка\r\nя");

    QTest::keyClick(&m_pane, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&m_pane, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("полянка\nбанка\nянка"));

    // Lone CRs and LFs are line breaks too, and every other byte keeps its character.
    m_pane.SetText(ToCp1251("№1\r«ё»\n€ —\r\n") + "\xA0" + "end");
    m_pane.SelectAll();
    m_pane.CopySelection();
    EXPECT_EQ(Clipboard(), QStringLiteral("№1\n«ё»\n€ —\n\u00A0end"));
    EXPECT_EQ(m_pane.Text(), ToCp1251("№1\r«ё»\n€ —\r\n") + "\xA0" + "end");
}

TEST_F(FastPane, RightClickLeavesTheSelectionAndTheWindowGetsItsMenuRequest)
{
    Show("кот пёс\r\nёж");
    m_pane.setContextMenuPolicy(Qt::CustomContextMenu);
    std::vector<QPoint> requests;
    QObject::connect(&m_pane, &QWidget::customContextMenuRequested,
                     [&requests](const QPoint& pos) { requests.push_back(pos); });
    m_pane.SetSelection(4, 11);
    QTest::mouseClick(Viewport(), Qt::RightButton, {}, At(1));
    QContextMenuEvent event(QContextMenuEvent::Mouse, At(1), Viewport()->mapToGlobal(At(1)));
    QCoreApplication::sendEvent(Viewport(), &event);
    EXPECT_EQ(requests, std::vector<QPoint>{At(1)});
    EXPECT_EQ(Selected(), "пёс\r\nёж");
}

TEST_F(FastPane, ALineWiderThanThePaneWrapsAtBlanksAndUnwrapsWhenWide)
{
    std::string line;
    for (int word = 0; word < 40; ++word) {
        line += "слово ";
    }
    line += "конец";
    Show(line, QSize(150, 300));
    const std::uint64_t rows = m_pane.RowCount();
    EXPECT_GT(rows, 5u);
    // Every row after the first starts a word: "слово " is six bytes.
    std::uint64_t previous = 0;
    for (std::uint64_t row = 1; row < rows; ++row) {
        SCOPED_TRACE(row);
        const std::uint64_t start = RowStart(row);
        EXPECT_GT(start, previous);
        EXPECT_EQ(start % 6, 0u);
        previous = start;
    }
    m_pane.SelectAll();
    EXPECT_EQ(Selected(), line);

    m_pane.resize(2000, 300);
    EXPECT_EQ(m_pane.RowCount(), 1u);
    m_pane.resize(150, 300);
    EXPECT_EQ(m_pane.RowCount(), rows);
}

TEST_F(FastPane, AWordWiderThanThePaneBreaksWhereItOverflows)
{
    std::string word;
    for (int letter = 0; letter < 30; ++letter) {
        word += "абвгд";
    }
    Show("кот\r\n" + word + "\r\nпёс", QSize(150, 300));
    EXPECT_GT(m_pane.RowCount(), 5u);
    // Rows of the long word are never empty and are given in order.
    for (std::uint64_t row = 2; row + 1 < m_pane.RowCount(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_GT(RowStart(row), RowStart(row - 1));
    }
    EXPECT_EQ(RowStart(m_pane.RowCount() - 1), 5u + 150u + 2u);
    m_pane.SelectAll();
    EXPECT_EQ(Selected(), "кот\r\n" + word + "\r\nпёс");
}

TEST_F(FastPane, OneVeryLongLineScrollsToItsEnd)
{
    // A listing shown linearly: one line of comma-separated words.
    std::string line;
    for (int word = 0; word < 20000; ++word) {
        line += "слово" + std::to_string(word) + ", ";
    }
    line += "последнее";
    Show(line);
    EXPECT_GT(m_pane.RowCount(), 1000u);
    QTest::keyClick(&m_pane, Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(Viewport()->rect().contains(m_pane.CursorRect(m_pane.CursorPosition())));
    QTest::keyClick(&m_pane, Qt::Key_Home, Qt::ShiftModifier);
    const std::string lastRow = Selected();
    ASSERT_FALSE(lastRow.empty());
    EXPECT_EQ(line.substr(line.size() - lastRow.size()), lastRow);
    EXPECT_EQ(line[line.size() - lastRow.size() - 1], ' ');
}

TEST_F(FastPane, ScrollingToTheEndShowsTheLastLine)
{
    std::string text;
    for (int line = 0; line < 1000; ++line) {
        text += "строка " + std::to_string(line) + "\r\n";
    }
    text += "последняя";
    Show(text);
    const std::uint64_t last = ToCp1251(text).size() - 9;
    QScrollBar* bar = m_pane.verticalScrollBar();
    const int pageRows = bar->pageStep();
    EXPECT_EQ(bar->maximum(), 1001 - pageRows);

    bar->setValue(500);
    EXPECT_EQ(m_pane.TopRow(), 500u);
    EXPECT_EQ(ToUtf8(m_pane.Text().substr(RowStart(0), 10)), "строка 500");

    bar->setValue(bar->maximum());
    const QRect lastLine = m_pane.CursorRect(last);
    EXPECT_TRUE(Viewport()->rect().contains(lastLine));
    EXPECT_EQ(RowStart(static_cast<std::uint64_t>(pageRows) - 1), last);

    // The last row is painted, and nothing below it.
    const QImage image = Viewport()->grab().toImage();
    const QRgb base = m_pane.palette().color(QPalette::Base).rgb();
    bool inked = false;
    for (int y = lastLine.top(); y <= lastLine.bottom(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            inked = inked || image.pixel(x, y) != base;
        }
    }
    EXPECT_TRUE(inked);
    for (int y = lastLine.bottom() + 1; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(image.pixel(x, y), base) << x << "," << y;
        }
    }
}

TEST_F(FastPane, TheWheelScrollsByRows)
{
    std::string text;
    for (int line = 0; line < 100; ++line) {
        text += "строка\r\n";
    }
    Show(text);
    const QPoint point(20, 20);
    QWheelEvent down(point, Viewport()->mapToGlobal(point), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Viewport(), &down);
    EXPECT_EQ(m_pane.TopRow(), static_cast<std::uint64_t>(QApplication::wheelScrollLines()));
    EXPECT_EQ(m_pane.verticalScrollBar()->value(), QApplication::wheelScrollLines());
    QWheelEvent up(point, Viewport()->mapToGlobal(point), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Viewport(), &up);
    EXPECT_EQ(m_pane.TopRow(), 0u);
}

TEST_F(FastPane, NewTextClearsTheSelectionAndScrollsToTheTop)
{
    std::string text;
    for (int line = 0; line < 100; ++line) {
        text += "строка\r\n";
    }
    Show(text);
    m_pane.SetSelection(10, 700);
    ASSERT_GT(m_pane.TopRow(), 0u);
    m_pane.SetText(ToCp1251("кот\r\nпёс"));
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(m_pane.CursorPosition(), 0u);
    EXPECT_EQ(m_pane.TopRow(), 0u);
    EXPECT_EQ(m_pane.verticalScrollBar()->value(), 0);
    EXPECT_EQ(m_pane.RowCount(), 2u);
}

// What the user sees of the pane and can act on: the text, the selection, the caret and where
// the view and its scroll bar stand.
struct TPaneState
{
    std::string Text;
    std::string Selected;
    std::uint64_t Caret = 0;
    std::uint64_t TopRow = 0;
    std::uint64_t Rows = 0;
    int Value = 0;
    int Maximum = 0;

    explicit TPaneState(TFastResultPane& pane)
        : Text(pane.Text())
        , Selected(pane.SelectedText())
        , Caret(pane.CursorPosition())
        , TopRow(pane.TopRow())
        , Rows(pane.RowCount())
        , Value(pane.verticalScrollBar()->value())
        , Maximum(pane.verticalScrollBar()->maximum())
    {}
    bool operator==(const TPaneState&) const = default;
};

std::string NumberedLines(int count)
{
    std::string text;
    for (int line = 0; line < count; ++line) {
        text += "строка " + std::to_string(line) + "\r\n";
    }
    return text + "последняя";
}

TEST_F(FastPane, RestoreKeptShowsTheReplacedTextWithItsSelectionAndScrollAgain)
{
    Show(NumberedLines(1000));
    m_pane.SetSelection(100, 1500);
    m_pane.verticalScrollBar()->setValue(600);
    ASSERT_EQ(m_pane.TopRow(), 600u);
    const TPaneState before(m_pane);

    m_pane.KeepOnReplace();
    EXPECT_EQ(TPaneState(m_pane), before);
    m_pane.SetText(ToCp1251("Поиск..."));
    m_pane.SetText(ToCp1251(NumberedLines(5)));
    ASSERT_EQ(m_pane.TopRow(), 0u);
    EXPECT_TRUE(m_pane.RestoreKept());
    EXPECT_EQ(TPaneState(m_pane), before);
    EXPECT_EQ(ToUtf8(m_pane.Text().substr(RowStart(0), 10)), "строка 600");
    // The caret moves on from where it was.
    QTest::keyClick(&m_pane, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(m_pane.CursorPosition(), 1501u);
    EXPECT_FALSE(m_pane.RestoreKept());
}

TEST_F(FastPane, RestoreKeptAtAnotherWidthWrapsAgainAndKeepsTheTopLine)
{
    std::string text;
    for (int line = 0; line < 200; ++line) {
        text += "строка " + std::to_string(line) + " и ещё несколько слов для переноса\r\n";
    }
    Show(text, QSize(400, 200));
    m_pane.verticalScrollBar()->setValue(100);
    const std::uint64_t topLine = RowStart(0);

    m_pane.KeepOnReplace();
    m_pane.SetText(ToCp1251("Поиск..."));
    m_pane.resize(150, 200);
    ASSERT_TRUE(m_pane.RestoreKept());
    // The same text shown afresh at this width wraps into as many rows.
    TFastResultPane fresh;
    fresh.resize(m_pane.size());
    fresh.SetText(ToCp1251(text));
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    EXPECT_GT(m_pane.RowCount(), 200u);
    EXPECT_EQ(m_pane.RowCount(), fresh.RowCount());
    EXPECT_EQ(RowStart(0), topLine);
}

TEST_F(FastPane, WithNothingReplacedOrAfterDropKeptRestoreKeptChangesNothing)
{
    Show(NumberedLines(300));
    m_pane.SetSelection(10, 900);
    const TPaneState shown(m_pane);
    m_pane.KeepOnReplace();
    EXPECT_FALSE(m_pane.RestoreKept());
    EXPECT_EQ(TPaneState(m_pane), shown);
    // A text that comes after the restore replaces the old one for good.
    m_pane.SetText(ToCp1251("кот"));
    EXPECT_FALSE(m_pane.RestoreKept());
    EXPECT_EQ(ToUtf8(m_pane.Text()), "кот");

    m_pane.KeepOnReplace();
    m_pane.SetText(ToCp1251("пёс"));
    m_pane.DropKept();
    EXPECT_FALSE(m_pane.RestoreKept());
    EXPECT_EQ(ToUtf8(m_pane.Text()), "пёс");

    // Keeping again keeps what shows then.
    m_pane.KeepOnReplace();
    m_pane.SetText(ToCp1251("ёж"));
    m_pane.KeepOnReplace();
    m_pane.SetText(ToCp1251("Поиск..."));
    EXPECT_TRUE(m_pane.RestoreKept());
    EXPECT_EQ(ToUtf8(m_pane.Text()), "ёж");
}

// Counts the paint events a widget receives.
class TPaintCounter : public QObject
{
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++Paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

TEST_F(FastPane, HeldRepaintsPaintNothingUntilReleased)
{
    Show("Поиск...");
    TPaintCounter counter;
    Viewport()->installEventFilter(&counter);
    m_pane.HoldRepaints();
    m_pane.SetText(ToCp1251("кот\r\nпёс"));
    QTest::qWait(50);
    EXPECT_EQ(counter.Paints, 0);
    m_pane.ReleaseRepaints();
    EXPECT_TRUE(QTest::qWaitFor([&counter] { return counter.Paints > 0; }, 2000));
}

TEST(FastPaneFocus, TakesFocusByTabAndByClick)
{
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* pane = new TFastResultPane(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(field);
    layout->addWidget(pane);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    field->setFocus();
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_TRUE(pane->hasFocus());

    field->setFocus();
    ASSERT_FALSE(pane->hasFocus());
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(pane->hasFocus());
}

TEST(FastPaneLarge, TenMillionLinesScrollAndSelectToTheEnd)
{
    constexpr std::uint64_t kLines = 10'000'000;
    std::string text;
    text.reserve(kLines * 3 + 16);
    for (std::uint64_t line = 0; line + 1 < kLines; ++line) {
        text += "w\r\n";
    }
    text += ToCp1251("последняя");
    TFastResultPane pane;
    pane.resize(300, 200);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    pane.SetText(text);
    text = std::string();
    EXPECT_EQ(pane.RowCount(), kLines);

    QScrollBar* bar = pane.verticalScrollBar();
    EXPECT_EQ(static_cast<std::uint64_t>(bar->maximum()),
              kLines - static_cast<std::uint64_t>(bar->pageStep()));
    bar->setValue(bar->maximum());
    EXPECT_EQ(pane.TopRow(), kLines - static_cast<std::uint64_t>(bar->pageStep()));
    const std::uint64_t last = (kLines - 1) * 3;
    EXPECT_TRUE(pane.viewport()->rect().contains(pane.CursorRect(last)));

    QTest::keyClick(&pane, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&pane, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(ToUtf8(pane.SelectedText()), "\r\nпоследняя");
    EXPECT_EQ(pane.CursorPosition(), last - 2);
    pane.SetSelection(3, 3);
    EXPECT_EQ(pane.TopRow(), 1u);
}

TEST(FastPaneGeometry, AClickWhereTheCaretIsDrawnPutsTheCaretThere)
{
    // Pieces that wrap in every way: words longer than the pane, runs of blanks that hang past
    // its edge, every kind of line break, wide and narrow characters.
    const std::string pieces[] = {
        "a",  "bb",          " ", "   ", "\r\n", "\r", "\n", ToCp1251("абв"), std::string(30, 'w'),
        ", ", ToCp1251("‰Щ")};
    std::mt19937 random(5);
    TFastResultPane pane;
    pane.show();
    for (int round = 0; round < 100; ++round) {
        const std::string text = RandomText(random, pieces, 60);
        pane.resize(40 + static_cast<int>(random() % 200), 400);
        pane.SetText(text);
        for (std::uint64_t position = 0; position <= text.size(); ++position) {
            if (position > 0 && text[position - 1] == '\r' && text[position] == '\n') {
                continue;  // inside a CR LF: no place for a caret
            }
            SCOPED_TRACE(testing::Message() << round << ": " << position << " of " << text.size()
                                            << " at width " << pane.width());
            EXPECT_EQ(pane.PositionAt(pane.CursorRect(position).center()), position);
        }
    }
}

// Same characters, same clipboard: QPlainTextEdit is the reference for what a selection copies.
TEST(FastPaneVersusEditor, CopiesWhatQPlainTextEditCopiesForTheSameCharacters)
{
    const QString alphabet =
        QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюяЁЖЯ abcXYZ019,.=-'№«»—€");
    std::mt19937 random(20240);
    TFastResultPane pane;
    pane.resize(200, 150);
    pane.show();
    QPlainTextEdit editor;
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (int round = 0; round < 60; ++round) {
        QString text;
        const int lines = 1 + static_cast<int>(random() % 12);
        for (int line = 0; line < lines; ++line) {
            if (line > 0) {
                text += QLatin1Char('\n');
            }
            const int length = static_cast<int>(random() % 40);
            for (int i = 0; i < length; ++i) {
                text += alphabet[static_cast<qsizetype>(random() % alphabet.size())];
            }
        }
        std::string listing = ToCp1251(text.toStdString());
        std::string withCrLf;
        for (const char c : listing) {
            withCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        pane.SetText(withCrLf);
        editor.setPlainText(text);
        // A character of the editor's text is one byte of the pane's, a line break two.
        const auto byteOf = [&text](int character) {
            return static_cast<std::uint64_t>(character + text.left(character).count('\n'));
        };
        for (int pick = 0; pick < 10; ++pick) {
            const int anchor = static_cast<int>(random() % (text.size() + 1));
            const int position = static_cast<int>(random() % (text.size() + 1));
            SCOPED_TRACE(testing::Message() << round << ": " << text.toStdString() << " [" << anchor
                                            << ", " << position << ")");
            QTextCursor cursor = editor.textCursor();
            cursor.setPosition(anchor);
            cursor.setPosition(position, QTextCursor::KeepAnchor);
            const QString expected =
                cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
            clipboard->setText(QStringLiteral("-"));
            pane.SetSelection(byteOf(anchor), byteOf(position));
            pane.CopySelection();
            EXPECT_EQ(clipboard->text(), anchor == position ? QStringLiteral("-") : expected);
            QString crLf = expected;
            crLf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            EXPECT_EQ(pane.SelectedText(), ToCp1251(crLf.toStdString()));
        }
    }
}

}  // namespace
