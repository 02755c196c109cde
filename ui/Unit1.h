#pragma once
// The main window Form1: the search rows, the dictionary list, the listing options with the
// minimum frequency, the result pane with its actions, the start-up that loads the dictionaries
// behind the waiting picture, and the rhyme index it then builds in the background.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "phonetics/rhyme_index.h"
#include "search/hit_listing.h"
#include "search/search_run.h"
#include "wordstore/word_store.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QRadioButton;
class QTimer;
class QToolButton;
class QUrl;
class TClickLabel;
class TFastResultPane;
class TResultPane;
enum class TQueryMode;

// What the window hands to the desktop. An empty entry takes the desktop's own: a message box,
// the browser, the system beep. Tests replace them, so that nothing waits for a user.
struct TWindowHooks
{
    // A warning without an icon and with only an OK button; text is the whole message.
    std::function<void(const QString& text)> ShowWarning;
    // The error box: error icon, only an OK button.
    std::function<void(const QString& text)> ShowError;
    std::function<void(const QUrl& url)> OpenUrl;
    std::function<void()> Beep;
    // The clock that times the search runs (their limit, and when the window starts handling
    // events during one); empty for the system's steady clock.
    std::function<TSearchClock::time_point()> Clock;
};

class TForm1 : public QWidget, public TRunControl, public TLoadView
{
    Q_OBJECT

public:
    // The window as designed; dictionaryFolder is the folder its start-up loads (created when
    // missing). Loading starts on the event loop's first turn after creation.
    explicit TForm1(std::string dictionaryFolder, TWindowHooks hooks = {},
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // The pane that shows the listing.
    TResultPane& Pane();

    // Messages (Windows-1251) that loading reports as its load errors before it loads the first
    // dictionary: what went wrong making the dictionary folder.
    void ReportBeforeLoading(std::vector<std::string> messages);

    // What a search run reads.
    TSearchSettings Settings() const override;
    std::size_t RowCount() const override;
    bool RowTicked(std::size_t row) const override;
    // From half a second into a run on, handles the pending events every few dozen
    // milliseconds, holding back the user's input but Esc, which cancels the run. A request to
    // close the window during a run closes it after the run, and cancels the run from then on.
    // A rhyme search that waits for the index handles them in the same way from its start.
    bool KeepGoing(TSearchClock::duration elapsed) override;

    // What loading reports.
    void AddDictionaryRow(const TDictionaryRow& row) override;
    void WarnDamaged(const std::string& message) override;
    void ReportLoadError(const std::string& message) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Timer_InitTimer();
    void srch_btn1Click();
    void srch_btn2Click();
    void srch_btn3Click();
    void srch_btn4Click();
    void Image8Click();
    void Label7Click();
    void Label8Click();
    void Label9Click();
    void Image_sortClick();
    void N1Click();
    void N2Click();
    void N3Click();
    void N4Click();
    void N5Click();
    void Timer_RhymesTimer();
    void PrevContextMenu(const QPoint& pos);

private:
    void CreateControls();
    void CreatePanelLeft();
    void CreatePanel1();
    void CreateMenu();
    void ConnectSignals();
    void SetTabOrder();
    void FormCreate();
    void FormClose();
    void LoadPref();
    void SavePref();

    // Runs body; whatever it throws ends it and is shown in the error box. Returns whether body
    // ran to its end.
    bool RunGuarded(const std::function<void()>& body);
    void RunSearch(TQueryMode mode, const QLineEdit* field);
    // Runs body as a search row's run, with what a run needs around it: the listing and count
    // kept for a failure, Esc and closing during it.
    void RunSearch(const std::function<void()>& body);
    // Runs test, if any, and shows its listing: "Поиск..." in the pane while the words are
    // walked, then the listing, its count and a beep. The listing's hits are kept for
    // "Копировать таблицей". A bad minimum fails before anything changes.
    void ShowRun(const std::optional<TWordTest>& test);
    // Handles the pending events during a run, holding back the user's input but Esc; returns
    // whether the run goes on.
    bool HandleEventsInRun();
    // Starts building (or loading) the rhyme index of the loaded rows, its progress shown in the
    // status strip.
    void StartRhymeIndex();
    // What a rhyme search shows while it waits for the index; returns whether it goes on waiting.
    bool WaitForRhymeIndex(double fraction);
    void ShowRhymeProgress(double fraction);
    // The slot of the search button in field's row, which Ctrl+Enter in field runs; null when
    // field is not a query field.
    using TRowSearch = void (TForm1::*)();
    TRowSearch RowSearchOf(const QObject* field) const;
    void ShowErrorBox(const QString& text);
    void LayoutPanel1();

    const std::string m_dictionaryFolder;
    std::vector<std::string> m_folderErrors;
    TWindowHooks m_hooks;
    // How often start-up has waited for the window to reach the screen.
    int m_exposeWaits = 0;
    // Whether a search row is running; one clicked during its interim pass runs inside it.
    bool m_searching = false;
    // Whether Esc or a request to close cancels the running search, and whether the window
    // closes once the search has ended.
    bool m_cancelRequested = false;
    bool m_closeAfterSearch = false;
    // Whether the application's events pass through eventFilter() to hold back the user's input,
    // as they do from a running search's first event pass to its end.
    bool m_holdingInput = false;
    // The time into the running search of its last event pass.
    TSearchClock::duration m_lastEventPass{};
    // The hits of the listing the last successful search showed, for the table copy; the names of
    // the dictionary rows as the list shows them, Windows-1251, for its dictionary column.
    THitList m_hitList;
    std::vector<std::string> m_rowNames;
    // The word lists of the loaded rows, row i at i, that the rhyme index is made from.
    std::vector<std::string> m_rowPaths;
    TRhymeIndex m_rhymes;
    // Whether a build of the index was started that has neither ended nor failed; a rhyme search
    // starts one when not.
    bool m_rhymesStarted = false;
    // The word of the pane the rhyme item was last shown for, Windows-1251.
    std::string m_rhymeWord;
    // The index's warnings shown so far: a rebuild would give the same ones again.
    std::vector<std::string> m_rhymeWarnings;

    QWidget* Panel_left = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* panel_wait = nullptr;

    QLabel* Image5 = nullptr;
    QLabel* Image4 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* srch4 = nullptr;
    QToolButton* srch_btn4 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* srch1 = nullptr;
    QToolButton* srch_btn1 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* srch3 = nullptr;
    QToolButton* srch_btn3 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* srch2 = nullptr;
    QToolButton* srch_btn2 = nullptr;
    QLabel* Image6 = nullptr;
    QLabel* Label4 = nullptr;
    QListWidget* dict_list = nullptr;
    QRadioButton* ch_rel = nullptr;
    QRadioButton* ch_alpha = nullptr;
    QCheckBox* ch_stat = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* edit_MinIpm = nullptr;
    TClickLabel* Image8 = nullptr;
    QLabel* Label10 = nullptr;
    TClickLabel* Label7 = nullptr;
    TClickLabel* Label8 = nullptr;
    TClickLabel* Label9 = nullptr;

    TFastResultPane* Prev = nullptr;
    QLabel* Image7 = nullptr;
    QLabel* Label_fnd = nullptr;
    QProgressBar* Progress_rhymes = nullptr;
    TClickLabel* Image_sort = nullptr;

    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N5 = nullptr;

    QTimer* Timer_Init = nullptr;
    QTimer* Timer_Rhymes = nullptr;
};
