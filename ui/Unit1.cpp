// The main window: start-up and shutdown, the preset links, the search buttons, the result pane's
// actions with the rhyme search, the rhyme index built in the background, and the view the core
// reads and writes through. Its controls are made in Unit1_controls.cpp.

#include "ui/Unit1.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "phonetics/rhyme_cache.h"
#include "search/hit_listing.h"
#include "search/number_text.h"
#include "search/query.h"
#include "search/table_text.h"
#include "ui/centred_message_box.h"
#include "ui/fast_result_pane.h"
#include "ui/pane_actions.h"
#include "ui/qt_text.h"
#include "ui/result_pane.h"
#include "wordstore/encoding.h"

namespace {

// A search that runs longer than kEventPassDelay handles the window's events every
// kEventPassInterval, so that it repaints and can be cancelled.
constexpr auto kEventPassDelay = std::chrono::milliseconds(500);
constexpr auto kEventPassInterval = std::chrono::milliseconds(40);
// Start-up waits up to this many timer periods for the window to reach the screen, so that the
// waiting picture is seen before loading blocks the event loop.
constexpr int kMaxExposeWaits = 100;
// The rhyme item's caption gives at most about this many average characters of its word.
constexpr int kRhymeCaptionChars = 40;

// Whether a key press asks a query field to run its row's search: Ctrl with Return or with the
// keypad's Enter. Plain Enter starts nothing.
bool IsRunKey(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::ControlModifier &&
           (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter);
}

// The events through which the user acts on the controls.
bool IsUserInput(QEvent::Type type)
{
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

}  // namespace

TForm1::TForm1(std::string dictionaryFolder, TWindowHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_dictionaryFolder(std::move(dictionaryFolder))
    , m_hooks(std::move(hooks))
{
    Q_INIT_RESOURCE(resources);
    setObjectName(QStringLiteral("Form1"));
    CreateControls();
    CreateMenu();
    ConnectSignals();
    SetTabOrder();
    FormCreate();
}

TForm1::~TForm1() = default;

TResultPane& TForm1::Pane()
{
    return *Prev;
}

void TForm1::ReportBeforeLoading(std::vector<std::string> messages)
{
    m_folderErrors = std::move(messages);
}

void TForm1::FormCreate()
{
    // Message boxes take their caption from the application.
    QApplication::setApplicationName(windowTitle());
    QApplication::setApplicationDisplayName(windowTitle());

    QRect place(QPoint(0, 0), size());
    if (const QScreen* where = screen()) {
        place.moveCenter(where->availableGeometry().center());
    }
    move(place.topLeft());

    if (!m_hooks.ShowWarning) {
        m_hooks.ShowWarning = [this](const QString& text) {
            // No parent: the box stands centred on the screen, the window's.
            TCentredMessageBox box(text, screen());
            box.exec();
        };
    }
    if (!m_hooks.ShowError) {
        m_hooks.ShowError = [this](const QString& text) {
            QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                            QMessageBox::Ok, isVisible() ? this : nullptr);
            box.exec();
        };
    }
    if (!m_hooks.OpenUrl) {
        m_hooks.OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    }
    if (!m_hooks.Beep) {
        m_hooks.Beep = [] { QApplication::beep(); };
    }

    Timer_Init->start();
}

void TForm1::FormClose()
{
    // The build would keep a core busy, and the program from ending, for nothing.
    m_rhymes.Cancel();
    m_rhymesStarted = false;
    Timer_Rhymes->stop();
    Progress_rhymes->hide();
    SavePref();
}

void TForm1::LoadPref() {}

void TForm1::SavePref() {}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_searching) {
        // The search is on the stack below this event: the window closes once it has ended, and
        // KeepGoing() cancels it should it run on.
        m_closeAfterSearch = true;
        event->ignore();
        return;
    }
    FormClose();
    QWidget::closeEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (m_holdingInput && IsUserInput(event->type())) {
        // Input would start other actions in the middle of the search; only Esc is taken.
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_cancelRequested = true;
        }
        return true;
    }
    if (watched == Panel1 && event->type() == QEvent::Resize) {
        LayoutPanel1();
    }
    if (event->type() == QEvent::KeyPress && IsRunKey(*static_cast<QKeyEvent*>(event))) {
        // A hidden row runs nothing: only keys sent to it past the focus could reach its field.
        const TRowSearch run = RowSearchOf(watched);
        if (run != nullptr && static_cast<QWidget*>(watched)->isVisible()) {
            (this->*run)();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::Timer_InitTimer()
{
    Timer_Init->stop();
    if (isVisible()) {
        // Loading blocks the event loop, so the waiting picture has to be on the screen first.
        const QWindow* window = windowHandle();
        if (window != nullptr && !window->isExposed() && m_exposeWaits < kMaxExposeWaits) {
            ++m_exposeWaits;
            Timer_Init->start();
            return;
        }
        repaint();
    }
    RunGuarded([this] {
        for (const std::string& message : m_folderErrors) {
            ReportLoadError(message);
        }
        ClearWordStore();
        ScanDictionaryFolder(m_dictionaryFolder, *this);
        if (dict_list->count() > 0) {
            dict_list->item(0)->setCheckState(Qt::Checked);
        }
        panel_wait->hide();
        LoadPref();
    });
    if (!m_rowPaths.empty()) {
        StartRhymeIndex();
    }
}

void TForm1::StartRhymeIndex()
{
    m_rhymes.Start(m_rowPaths, RhymeCacheFolder(), TBuildPriority::Background);
    m_rhymesStarted = true;
    ShowRhymeProgress(0.0);
    Progress_rhymes->show();
    Timer_Rhymes->start();
}

void TForm1::ShowRhymeProgress(double fraction)
{
    Progress_rhymes->setValue(static_cast<int>(fraction * Progress_rhymes->maximum()));
}

void TForm1::Timer_RhymesTimer()
{
    if (m_searching) {
        // A rhyme search that waits shows the progress itself, and a warning box now would meet
        // the run's held-back input.
        return;
    }
    if (!m_rhymes.Ready() && m_rhymes.Progress() < 1.0) {
        ShowRhymeProgress(m_rhymes.Progress());
        return;
    }
    // Every word is indexed: what is left is writing the cache, or the failure that ended the
    // build, which the next rhyme search, building anew, shows.
    try {
        m_rhymes.Wait();
    } catch (const std::exception&) {
        m_rhymesStarted = false;
    }
    Timer_Rhymes->stop();
    Progress_rhymes->hide();
    for (std::string& warning : m_rhymes.TakeWarnings()) {
        if (std::find(m_rhymeWarnings.begin(), m_rhymeWarnings.end(), warning) ==
            m_rhymeWarnings.end()) {
            m_rhymeWarnings.push_back(warning);
            m_hooks.ShowWarning(QStringFromCp1251(warning));
        }
    }
}

bool TForm1::WaitForRhymeIndex(double fraction)
{
    ShowRhymeProgress(fraction);
    Label_fnd->setText(QStringLiteral("Индекс рифм: %1 %").arg(static_cast<int>(fraction * 100)));
    return HandleEventsInRun();
}

bool TForm1::RunGuarded(const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const ESearchCancelled&) {
        // The user asked for it: no box.
    } catch (const EEncodingError& e) {
        // Its message is UTF-8 already: it may quote a character that Windows-1251 lacks.
        ShowErrorBox(QString::fromStdString(UserErrorText(e.what())));
    } catch (const std::exception& e) {
        ShowErrorBox(QStringFromCp1251(UserErrorText(e.what())));
    }
    return false;
}

void TForm1::ShowErrorBox(const QString& text)
{
    m_hooks.ShowError(text);
}

void TForm1::RunSearch(TQueryMode mode, const QLineEdit* field)
{
    RunSearch([&] { ShowRun(RowTest(mode, Cp1251FromQString(field->text()))); });
}

void TForm1::RunSearch(const std::function<void()>& run)
{
    if (m_searching) {
        // Clicked during another run's interim pass. Its listing, once shown, is what the other
        // run goes back to should that one fail.
        if (RunGuarded(run)) {
            Prev->DropKept();
        }
        return;
    }
    // A run that fails after "Поиск..." must not leave the window looking busy or counting a
    // listing it no longer shows: the listing from before comes back after the error box, and
    // the count that goes with it.
    const QString count = Label_fnd->text();
    Prev->KeepOnReplace();
    m_searching = true;
    m_cancelRequested = false;
    m_lastEventPass = {};
    const bool done = RunGuarded(run);
    m_searching = false;
    if (m_holdingInput) {
        qApp->removeEventFilter(this);
        m_holdingInput = false;
    }
    if (done) {
        Prev->DropKept();
    } else if (Prev->RestoreKept()) {
        Label_fnd->setText(count);
    }
    if (m_closeAfterSearch) {
        m_closeAfterSearch = false;
        close();
    }
}

TForm1::TRowSearch TForm1::RowSearchOf(const QObject* field) const
{
    const std::pair<const QObject*, TRowSearch> rows[] = {
        {srch1, &TForm1::srch_btn1Click},
        {srch2, &TForm1::srch_btn2Click},
        {srch3, &TForm1::srch_btn3Click},
        {srch4, &TForm1::srch_btn4Click},
    };
    for (const auto& [rowField, search] : rows) {
        if (rowField == field) {
            return search;
        }
    }
    return nullptr;
}

void TForm1::srch_btn1Click()
{
    RunSearch(TQueryMode::Mask, srch1);
}

void TForm1::srch_btn2Click()
{
    RunSearch(TQueryMode::Inexact, srch2);
}

void TForm1::srch_btn3Click()
{
    RunSearch(TQueryMode::Regexp, srch3);
}

void TForm1::srch_btn4Click()
{
    RunSearch(TQueryMode::Ending, srch4);
}

void TForm1::Image8Click()
{
    edit_MinIpm->setText(QStringLiteral("0,0"));
}

void TForm1::Label7Click()
{
    edit_MinIpm->setText(QStringLiteral("0,07"));
}

void TForm1::Label8Click()
{
    edit_MinIpm->setText(QStringLiteral("0,005"));
}

void TForm1::Label9Click()
{
    edit_MinIpm->setText(QStringLiteral("0,0"));
}

void TForm1::Image_sortClick()
{
    RunGuarded([this] { Prev->SetText(LinearText(Prev->Text())); });
}

void TForm1::N1Click()
{
    Prev->CopySelection();
}

void TForm1::N2Click()
{
    Prev->SelectAll();
    Prev->CopySelection();
}

void TForm1::N3Click()
{
    RunGuarded([this] {
        const QByteArray request =
            QByteArray::fromStdString(WebSearchRequest(Prev->SelectedText()));
        QUrl url = QUrl::fromEncoded(request, QUrl::StrictMode);
        if (!url.isValid()) {
            // The request keeps a few characters raw that a URL may not hold, such as '"' or '|';
            // the tolerant reading escapes them.
            url = QUrl::fromEncoded(request, QUrl::TolerantMode);
        }
        m_hooks.OpenUrl(url);
    });
}

void TForm1::N4Click()
{
    // The table the command line writes with --format tsv, with the list's names, as the other
    // copies put text on the clipboard: one "\n" per line break.
    const std::string table =
        HitTableText(m_hitList.Records(), m_rowNames, TTableFormat::Tsv, "\n");
    QGuiApplication::clipboard()->setText(PaneTextFromCp1251(table));
}

void TForm1::N5Click()
{
    const std::string word = m_rhymeWord;
    if (word.empty()) {
        return;
    }
    RunSearch([this, &word] {
        if (!m_rhymesStarted) {
            StartRhymeIndex();
        }
        if (!m_rhymes.Ready()) {
            const QString count = Label_fnd->text();
            bool ready = false;
            try {
                ready =
                    m_rhymes.Wait([this](double fraction) { return WaitForRhymeIndex(fraction); });
            } catch (...) {
                // What stopped the build ended it; the next rhyme search starts another.
                m_rhymesStarted = false;
                Label_fnd->setText(count);
                Progress_rhymes->hide();
                throw;
            }
            Label_fnd->setText(count);
            if (!ready) {
                // Esc or closing cancelled the build with the wait; it starts again in the
                // background unless the window is closing.
                m_rhymesStarted = false;
                Progress_rhymes->hide();
                if (!m_closeAfterSearch) {
                    StartRhymeIndex();
                }
                return;
            }
        }
        ShowRun(RhymeTest(word, m_rhymes));
    });
}

void TForm1::PrevContextMenu(const QPoint& pos)
{
    const auto [line, caret] = Prev->CaretLine();
    m_rhymeWord = RhymeWordOf(Prev->SelectedText(), line, caret);
    const QString word = QStringFromCp1251(m_rhymeWord);
    // A long word is shortened in the middle, so that the menu stays narrower than the screen;
    // the tooltip gives it whole.
    const QFontMetrics metrics(PopupMenu1->font());
    const QString shown =
        metrics.elidedText(word, Qt::ElideMiddle, kRhymeCaptionChars * metrics.averageCharWidth());
    N5->setText(QStringLiteral("Рифмы к «%1»").arg(word.isEmpty() ? QStringLiteral("…") : shown));
    N5->setToolTip(word);
    N5->setEnabled(!m_rhymeWord.empty());

    // A scroll area reports the position in its viewport's coordinates.
    QWidget* origin = Prev->Widget();
    if (const auto* area = qobject_cast<QAbstractScrollArea*>(origin)) {
        origin = area->viewport();
    }
    PopupMenu1->popup(origin->mapToGlobal(pos));
}

void TForm1::ShowRun(const std::optional<TWordTest>& test)
{
    if (!test) {
        return;
    }
    TSearchRun run(*this);
    Prev->SetText(ToCp1251("Поиск..."));
    // One pass, so that the pane shows the text before the search blocks the event loop.
    QCoreApplication::processEvents();
    {
        Prev->HoldRepaints();
        // An error on the way still lets the pane repaint.
        const auto releaseRepaints = qScopeGuard([this] { Prev->ReleaseRepaints(); });
        const THitSet hits = run.Collect(*test);
        const TSearchSettings& settings = run.Settings();
        // The pieces go straight into the pane's memory: a long listing never stands twice.
        Prev->BeginText(ListingSizeBound(hits, settings.ShowIpm));
        THitList list;
        const std::size_t lines = WriteHitListing(
            hits, settings.Alphabetical, settings.ShowIpm,
            [this](std::string_view block) { Prev->AppendText(block); }, &list);
        Prev->EndText();
        // Comes right after the listing, so a search that fails before it keeps the earlier
        // table along with the earlier listing. The records are made when the table is copied:
        // the store only changes at start-up, before any search.
        m_hitList = std::move(list);
        N4->setEnabled(true);
        Label_fnd->setText(QStringLiteral("Найдено:%1").arg(lines));
    }
    m_hooks.Beep();
}

TSearchSettings TForm1::Settings() const
{
    TSearchSettings settings;
    settings.Alphabetical = ch_alpha->isChecked();
    settings.ShowIpm = ch_stat->isChecked();
    settings.MinIpmText = Cp1251FromQString(edit_MinIpm->text());
    settings.Clock = m_hooks.Clock;
    return settings;
}

std::size_t TForm1::RowCount() const
{
    return static_cast<std::size_t>(dict_list->count());
}

bool TForm1::RowTicked(std::size_t row) const
{
    return dict_list->item(static_cast<int>(row))->checkState() == Qt::Checked;
}

bool TForm1::KeepGoing(TSearchClock::duration elapsed)
{
    if (elapsed < m_lastEventPass) {
        // A run started from the interim pass of another has ended; this is the other's time.
        m_lastEventPass = {};
    }
    if (elapsed >= kEventPassDelay && elapsed - m_lastEventPass >= kEventPassInterval) {
        m_lastEventPass = elapsed;
        return HandleEventsInRun();
    }
    return !m_cancelRequested;
}

bool TForm1::HandleEventsInRun()
{
    if (!m_holdingInput) {
        qApp->installEventFilter(this);
        m_holdingInput = true;
    }
    QCoreApplication::processEvents();
    m_cancelRequested = m_cancelRequested || m_closeAfterSearch;
    return !m_cancelRequested;
}

void TForm1::AddDictionaryRow(const TDictionaryRow& row)
{
    m_rowNames.push_back(DictionaryName(row.Stem));
    m_rowPaths.push_back(row.WordListPath);
    auto* item = new QListWidgetItem(QStringFromCp1251(row.RowText), dict_list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
}

void TForm1::WarnDamaged(const std::string& message)
{
    m_hooks.ShowWarning(QStringFromCp1251(message));
}

void TForm1::ReportLoadError(const std::string& message)
{
    ShowErrorBox(QStringFromCp1251(UserErrorText(message)));
}
