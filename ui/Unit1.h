#pragma once
// The main window Form1: the search rows, the dictionary list, the listing options with the
// minimum frequency, the result pane with its actions, the start-up that loads the dictionaries
// behind the waiting picture, and the rhyme index it then builds in the background.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QWidget>

#include "phonetics/rhyme_index.h"
#include "search/hit_listing.h"
#include "search/search_run.h"
#include "wordstore/word_store.h"

class QAction;
class QCheckBox;
class QComboBox;
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
    void btn_RhymeClick();
    void btn_LettersClick();
    // Opens the panel of the newer searches, or closes it.
    void Label_moreClick();

private:
    void CreateControls();
    void CreatePanelLeft();
    void CreatePanel1();
    void CreatePanelMore();
    void CreateMenu();
    void ConnectSignals();
    void SetTabOrder();
    void FormCreate();
    void FormClose();
    void LoadPref();
    void SavePref();
    // The panel of the newer searches as the user left it: whether it is open and its fields.
    void LoadPanelPref();
    // The panel's fields, ticks and choice under their keys in the settings file.
    std::vector<std::pair<QString, QWidget*>> PanelPrefControls() const;
    // Shows or hides the panel, the window growing or shrinking by its height.
    void ShowPanelMore(bool open);
    // Whether the panel is open: its filters, the stress and the side-by-side listing apply only
    // then.
    bool PanelOpen() const;
    // Whether a run with the panel's settings reads the rhyme index.
    bool NeedsRhymeIndex() const;
    // Starts the index when none is under way and waits for it, as a search that reads it does.
    // Returns false when Esc or closing cancelled the wait (the build starts again unless the
    // window closes); throws what ended the build.
    bool ReadyRhymeIndex();
    // Selects all of a query field that still shows its example, as it gets the focus.
    void SelectExampleOnFocus(QObject* watched, const QEvent& event);

    // Runs body; whatever it throws ends it and is shown in the error box. Returns whether body
    // ran to its end.
    bool RunGuarded(const std::function<void()>& body);
    void RunSearch(TQueryMode mode, const QLineEdit* field);
    // Runs body as a search row's run, with what a run needs around it: the listing and count
    // kept for a failure, Esc and closing during it.
    void RunSearch(const std::function<void()>& body);
    // Runs test, if any, and shows its listing: "Поиск..." in the pane while the words are
    // walked, then the listing, its count after countCaption and a beep. The listing's hits are
    // kept for "Копировать таблицей". A bad minimum or range fails before anything changes. With
    // rhymes, the hits are listed tier by tier; with the panel open, its stress tick and its
    // side-by-side tick change the listing.
    void ShowRun(const std::optional<TWordTest>& test,
                 const QString& countCaption = QStringLiteral("Найдено:"),
                 const TRhymeSearch* rhymes = nullptr);
    // Shows the records of a run as the listing; returns its number of lines.
    std::size_t ShowRecords(std::vector<THitRecord> records, const TSearchSettings& settings,
                            bool tiers);
    // Shows the records side by side, one line per word with its ipm in each ticked row, the
    // lines whose largest ipm reaches minIpm; returns their number.
    std::size_t ShowCompared(const std::vector<THitRecord>& records, double minIpm);
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
    // The names of the dictionary rows as the list shows them, Windows-1251, for the tables'
    // dictionary columns.
    // The table copy of that listing, tab-separated, "\n" between lines, Windows-1251.
    std::function<std::string()> m_tableText;
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
    // The query field clicked into while it showed its example: the click's release selects it.
    QObject* m_selectOnRelease = nullptr;

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
    TClickLabel* Label_more = nullptr;

    QWidget* Panel_more = nullptr;
    QLabel* Image9 = nullptr;
    QLabel* Label_rhyme = nullptr;
    QLineEdit* edit_Rhyme = nullptr;
    QToolButton* btn_Rhyme = nullptr;
    QCheckBox* ch_near = nullptr;
    QCheckBox* ch_stress = nullptr;
    QLabel* Image10 = nullptr;
    QComboBox* combo_letters = nullptr;
    QLineEdit* edit_Letters = nullptr;
    QToolButton* btn_Letters = nullptr;
    QLabel* Label_length = nullptr;
    QLineEdit* edit_Length = nullptr;
    QLabel* Label_syllables = nullptr;
    QLineEdit* edit_Syllables = nullptr;
    QLabel* Label_stressPlace = nullptr;
    QLineEdit* edit_StressPlace = nullptr;
    QCheckBox* ch_headwords = nullptr;
    QCheckBox* ch_nouns = nullptr;
    QCheckBox* ch_noNames = nullptr;
    QCheckBox* ch_known = nullptr;
    QCheckBox* ch_compare = nullptr;

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
    QAction* Action_more = nullptr;

    QTimer* Timer_Init = nullptr;
    QTimer* Timer_Rhymes = nullptr;
};
