// The main window: start-up and shutdown, the preset links, the search buttons, the result pane's
// actions with the rhyme search, the rhyme index built in the background, and the view the core
// reads and writes through. Its controls are made in Unit1_controls.cpp.

#include "ui/Unit1.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <utility>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
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
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "phonetics/listed_records.h"
#include "phonetics/rhyme_cache.h"
#include "search/hit_listing.h"
#include "search/letter_search.h"
#include "search/number_text.h"
#include "search/query.h"
#include "search/table_text.h"
#include "search/word_filter.h"
#include "ui/centred_message_box.h"
#include "ui/fast_result_pane.h"
#include "ui/pane_actions.h"
#include "ui/qt_text.h"
#include "ui/result_pane.h"
#include "ui/selection_mime_data.h"
#include "wordstore/encoding.h"
#include "wordstore/path_utils.h"

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

// The window's own settings file under the user's configuration folder; empty when there is no
// such folder.
QString SettingsPath()
{
    const std::string base = XdgBaseFolder(TXdgFolder::Config, SystemUserEnvironment());
    if (base.empty()) {
        return {};
    }
    return QFile::decodeName(JoinPath(JoinPath(base, "slovosito"), "window.ini").c_str());
}

// The range typed into field; none when it is blank. Throws EConvertError, naming the field by
// caption, for any other text.
std::optional<TCountRange> RangeOf(const QLineEdit& field, const QString& caption)
{
    const QString text = field.text().trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    std::optional<TCountRange> range = ParseCountRange(text.toStdString());
    if (!range) {
        throw EConvertError(Cp1251FromQString(
            QStringLiteral("%1: «%2» — не диапазон. Пишите 5, 4-6, 7- или -3").arg(caption, text)));
    }
    return range;
}

// A word as typed into the rhyme field, Windows-1251: a combining acute accent (U+0301), which
// the code page lacks, becomes the "'" that marks the stress just as well.
std::string RhymeWordOf(const QString& typed)
{
    QString word = typed.trimmed();
    word.replace(QChar(0x0301), QLatin1Char('\''));
    return Cp1251FromQString(word);
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
    LoadPanelPref();

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

void TForm1::SavePref()
{
    const QString path = SettingsPath();
    if (path.isEmpty()) {
        return;
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("more"));
    settings.setValue(QStringLiteral("open"), PanelOpen());
    for (const auto& [key, control] : PanelPrefControls()) {
        if (const auto* field = qobject_cast<const QLineEdit*>(control)) {
            settings.setValue(key, field->text());
        } else if (const auto* tick = qobject_cast<const QCheckBox*>(control)) {
            settings.setValue(key, tick->isChecked());
        } else if (const auto* choice = qobject_cast<const QComboBox*>(control)) {
            settings.setValue(key, choice->currentIndex());
        }
    }
}

void TForm1::LoadPanelPref()
{
    const QString path = SettingsPath();
    if (path.isEmpty()) {
        return;
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("more"));
    for (const auto& [key, control] : PanelPrefControls()) {
        const QVariant value = settings.value(key);
        if (auto* field = qobject_cast<QLineEdit*>(control)) {
            field->setText(value.toString());
        } else if (auto* tick = qobject_cast<QCheckBox*>(control)) {
            tick->setChecked(value.toBool());
        } else if (auto* choice = qobject_cast<QComboBox*>(control)) {
            choice->setCurrentIndex(std::clamp(value.toInt(), 0, choice->count() - 1));
        }
    }
    if (settings.value(QStringLiteral("open")).toBool()) {
        ShowPanelMore(true);
    }
}

std::vector<std::pair<QString, QWidget*>> TForm1::PanelPrefControls() const
{
    return {
        {QStringLiteral("rhyme"), edit_Rhyme},
        {QStringLiteral("near"), ch_near},
        {QStringLiteral("stress"), ch_stress},
        {QStringLiteral("letterMode"), combo_letters},
        {QStringLiteral("letters"), edit_Letters},
        {QStringLiteral("length"), edit_Length},
        {QStringLiteral("syllables"), edit_Syllables},
        {QStringLiteral("stressPlace"), edit_StressPlace},
        {QStringLiteral("headwords"), ch_headwords},
        {QStringLiteral("nouns"), ch_nouns},
        {QStringLiteral("noNames"), ch_noNames},
        {QStringLiteral("known"), ch_known},
        {QStringLiteral("compare"), ch_compare},
    };
}

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
    SelectExampleOnFocus(watched, *event);
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

void TForm1::SelectExampleOnFocus(QObject* watched, const QEvent& event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field == nullptr) {
        return;
    }
    if (event.type() == QEvent::MouseButtonRelease && watched == m_selectOnRelease) {
        // The press put the caret where it fell; the example goes whole at the first key.
        m_selectOnRelease = nullptr;
        field->selectAll();
        return;
    }
    if (event.type() != QEvent::FocusIn) {
        return;
    }
    m_selectOnRelease = nullptr;
    const QString example = field->property("example").toString();
    if (example.isEmpty() || field->text() != example) {
        return;
    }
    if (static_cast<const QFocusEvent&>(event).reason() == Qt::MouseFocusReason) {
        m_selectOnRelease = field;
    } else {
        // After the field's own focus handling, which may place the caret.
        QMetaObject::invokeMethod(field, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
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
        {srch1, &TForm1::srch_btn1Click},      {srch2, &TForm1::srch_btn2Click},
        {srch3, &TForm1::srch_btn3Click},      {srch4, &TForm1::srch_btn4Click},
        {edit_Rhyme, &TForm1::btn_RhymeClick}, {edit_Letters, &TForm1::btn_LettersClick},
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
    // copies put text on the clipboard: one "\n" per line break; beside it the same table in
    // HTML, which a spreadsheet pastes into cells.
    if (m_tableText) {
        QGuiApplication::clipboard()->setMimeData(
            NewTableMimeData(PaneTextFromCp1251(m_tableText())));
    }
}

void TForm1::N5Click()
{
    const std::string word = m_rhymeWord;
    if (word.empty()) {
        return;
    }
    RunSearch([this, &word] {
        if (ReadyRhymeIndex()) {
            ShowRun(RhymeTest(word, m_rhymes));
        }
    });
}

bool TForm1::ReadyRhymeIndex()
{
    if (!m_rhymesStarted) {
        StartRhymeIndex();
    }
    if (m_rhymes.Ready()) {
        return true;
    }
    const QString count = Label_fnd->text();
    bool ready = false;
    try {
        ready = m_rhymes.Wait([this](double fraction) { return WaitForRhymeIndex(fraction); });
    } catch (...) {
        // What stopped the build ended it; the next rhyme search starts another.
        m_rhymesStarted = false;
        Label_fnd->setText(count);
        Progress_rhymes->hide();
        throw;
    }
    Label_fnd->setText(count);
    if (!ready) {
        // Esc or closing cancelled the build with the wait; it starts again in the background
        // unless the window is closing.
        m_rhymesStarted = false;
        Progress_rhymes->hide();
        if (!m_closeAfterSearch) {
            StartRhymeIndex();
        }
    }
    return ready;
}

void TForm1::btn_RhymeClick()
{
    const QString typed = edit_Rhyme->text().trimmed();
    RunSearch([this, &typed] {
        const std::string word = RhymeWordOf(typed);
        if (word.empty() || !ReadyRhymeIndex()) {
            return;
        }
        const TRhymeSearch search(word, m_rhymes, ch_near->isChecked());
        ShowRun(search.Test(), QStringLiteral("Рифмы к «%1»: ").arg(typed), &search);
    });
}

void TForm1::btn_LettersClick()
{
    const TLetterMode mode =
        combo_letters->currentIndex() == 0 ? TLetterMode::Anagram : TLetterMode::FromLetters;
    const QString typed = edit_Letters->text().trimmed();
    const QString caption = QStringLiteral("%1 «%2»: ").arg(combo_letters->currentText(), typed);
    RunSearch([&] { ShowRun(LetterTest(mode, Cp1251FromQString(typed)), caption); });
}

void TForm1::Label_moreClick()
{
    ShowPanelMore(!PanelOpen());
}

bool TForm1::PanelOpen() const
{
    return !Panel_more->isHidden();
}

bool TForm1::NeedsRhymeIndex() const
{
    return PanelOpen() && (ch_headwords->isChecked() || ch_stress->isChecked() ||
                           ch_nouns->isChecked() || ch_noNames->isChecked() ||
                           ch_known->isChecked() || !edit_StressPlace->text().trimmed().isEmpty());
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

void TForm1::ShowRun(const std::optional<TWordTest>& test, const QString& countCaption,
                     const TRhymeSearch* rhymes)
{
    if (!test) {
        return;
    }
    // The panel's headword, stress and stress place read the index, as a rhyme search does.
    if (NeedsRhymeIndex() && !ReadyRhymeIndex()) {
        return;
    }
    const bool stressed = PanelOpen() && ch_stress->isChecked();
    const bool compared = PanelOpen() && ch_compare->isChecked();
    // Side by side, the minimum and the order apply to the words' lines, not to the run.
    const double minIpm = compared ? StrToFloat(Cp1251FromQString(edit_MinIpm->text())) : 0.0;
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
        std::size_t lines = 0;
        if (rhymes == nullptr && !stressed && !compared) {
            // The pieces go straight into the pane's memory: a long listing never stands twice.
            Prev->BeginText(ListingSizeBound(hits, settings.ShowIpm));
            auto list = std::make_shared<THitList>();
            lines = WriteHitListing(
                hits, settings.Alphabetical, settings.ShowIpm,
                [this](std::string_view block) { Prev->AppendText(block); }, list.get());
            Prev->EndText();
            // Comes right after the listing, so a search that fails before it keeps the earlier
            // table along with the earlier listing. The records are made when the table is
            // copied: the store only changes at start-up, before any search.
            m_tableText = [this, list] {
                return HitTableText(list->Records(), m_rowNames, TTableFormat::Tsv, "\n");
            };
        } else {
            std::vector<THitRecord> records =
                ListedRecords(hits, settings.Alphabetical, rhymes, stressed ? &m_rhymes : nullptr);
            lines = compared ? ShowCompared(records, minIpm)
                             : ShowRecords(std::move(records), settings, rhymes != nullptr);
        }
        N4->setEnabled(true);
        Label_fnd->setText(countCaption + QString::number(lines));
    }
    m_hooks.Beep();
}

std::size_t TForm1::ShowRecords(std::vector<THitRecord> records, const TSearchSettings& settings,
                                bool tiers)
{
    Prev->BeginText(0);
    WriteRecordListing(records, settings.ShowIpm,
                       [this](std::string_view block) { Prev->AppendText(block); });
    Prev->EndText();
    const std::size_t lines = records.size();
    auto kept = std::make_shared<std::vector<THitRecord>>(std::move(records));
    m_tableText = [this, kept, tiers] {
        return HitTableText(*kept, m_rowNames, TTableFormat::Tsv, "\n", tiers ? "tier" : "");
    };
    return lines;
}

std::size_t TForm1::ShowCompared(const std::vector<THitRecord>& records, double minIpm)
{
    std::vector<std::size_t> columns;
    std::vector<std::string> names;
    for (std::size_t row = 0; row < RowCount(); ++row) {
        if (RowTicked(row)) {
            columns.push_back(row);
            names.push_back(m_rowNames[row]);
        }
    }
    auto rows = std::make_shared<const std::vector<TCompareRow>>(
        CompareRows(records, columns, minIpm, ch_alpha->isChecked()));
    Prev->SetText(CompareTableText(*rows, names, TTableFormat::Text, "\r\n"));
    m_tableText = [rows, names] { return CompareTableText(*rows, names, TTableFormat::Tsv, "\n"); };
    return rows->size();
}

TSearchSettings TForm1::Settings() const
{
    TSearchSettings settings;
    settings.Alphabetical = ch_alpha->isChecked();
    settings.ShowIpm = ch_stat->isChecked();
    settings.MinIpmText = Cp1251FromQString(edit_MinIpm->text());
    settings.Clock = m_hooks.Clock;
    if (!PanelOpen()) {
        return settings;
    }
    settings.Filter.Length = RangeOf(*edit_Length, QStringLiteral("Длина"));
    settings.Filter.Syllables = RangeOf(*edit_Syllables, QStringLiteral("Слогов"));
    std::vector<std::function<bool(std::size_t, std::size_t)>> keep;
    if (ch_headwords->isChecked()) {
        keep.push_back(HeadwordTest(m_rhymes));
    }
    if (ch_nouns->isChecked() || ch_noNames->isChecked() || ch_known->isChecked()) {
        // With "Только словарные формы", the nouns' dictionary forms.
        TClassFilter classes;
        classes.Parts = ch_nouns->isChecked() ? TWordClass::Part(TPartOfSpeech::Noun) : 0;
        classes.Headwords = ch_headwords->isChecked();
        classes.NoNames = ch_noNames->isChecked();
        classes.Known = ch_known->isChecked();
        keep.push_back(ClassTest(m_rhymes, classes));
    }
    if (const std::optional<TCountRange> places =
            RangeOf(*edit_StressPlace, QStringLiteral("Ударный слог с конца"))) {
        keep.push_back(StressPlaceTest(m_rhymes, *places));
    }
    settings.Filter.KeepAll(std::move(keep));
    if (ch_compare->isChecked()) {
        // Side by side, a word is kept when its largest ipm reaches the minimum, so the run
        // gives every hit, in every dictionary.
        settings.Alphabetical = false;
        settings.MinIpmText = std::string("0");
    }
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
