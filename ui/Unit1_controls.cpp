// The main window's controls as designed: the left panel with the search rows, the dictionary
// list and the listing options; the right one with the result pane, its status strip and its
// menu; the timers, the signals and the tab order.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolButton>

#include "slovosito_version.h"
#include "ui/Unit1.h"
#include "ui/box_switch.h"
#include "ui/click_label.h"
#include "ui/dict_row_delegate.h"
#include "ui/fast_result_pane.h"
#include "ui/tick_size_style.h"

namespace {

const QString kTitle = QStringLiteral("Словосито ") + QLatin1String(kSlovositoVersion);
const QString kSearchCaption = QStringLiteral("Поиск ");
const QString kIpmHint = QStringLiteral("Частота на миллион словоформ (ipm)");
const QString kRunHint = QStringLiteral("Ctrl+Enter — искать");
const QString kRunName = QStringLiteral("Искать: ");
const QString kMoreCaption = QStringLiteral("Рифмы, анаграммы, фильтры");
const QString kRangeHint = QStringLiteral("Например: 5, 4-6, 7- или -3; пусто — любое");
// The property that holds the grey example a query field shows until the user types.
const char* const kExampleProperty = "example";

constexpr int kClientWidth = 598;
constexpr int kClientHeight = 556;
constexpr int kMinClientWidth = 442;
constexpr int kPanelLeftWidth = 209;
constexpr int kStatusHeight = 20;
// The panel of the newer searches, under the left column while it is open.
constexpr int kMoreHeight = 254;
// Tick boxes that fit the design's 13-pixel switch box and leave a gap in 13-pixel list rows.
constexpr int kSwitchTickSize = 13;
constexpr int kDictTickSize = 11;
// How often the status strip's bar follows the rhyme index's build.
constexpr int kRhymePollInterval = 100;
// The bar's height, under the found count; it takes no room from the strip's controls.
constexpr int kRhymeBarHeight = 3;

const QColor kQueryText(0x80, 0x80, 0x80);
const QColor kMinIpmBack(0xFD, 0xF2, 0xB5);
const QColor kLinkText(0x00, 0x00, 0xFF);
const QColor kFoundText(0x00, 0x80, 0x00);
const QColor kFoundBack(0xFF, 0xFF, 0x80);
const QColor kStatusBack(0xE4, 0xE4, 0xE4);
const QString kRhymeBarStyle = QStringLiteral(
    "QProgressBar { border: none; background: #CFCFCF; }"
    "QProgressBar::chunk { background: #008000; }");

// One of the window's drawings, rendered at size.
QPixmap Picture(const QString& name, QSize size)
{
    QSvgRenderer renderer(QStringLiteral(":/resources/") + name);
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    return pixmap;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void SetBold(QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

QWidget* NewPanel(const char* name, const QColor& colour, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setAutoFillBackground(true);
    SetColour(panel, QPalette::Window, colour);
    return panel;
}

QLabel* NewLabel(const char* name, const QString& caption, int left, int top, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel* NewPicture(const char* name, const QString& file, const QRect& place, QWidget* parent)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(place);
    picture->setPixmap(Picture(file, place.size()));
    return picture;
}

TClickLabel* NewLink(const char* name, const QString& caption, const QString& hint, int left,
                     int top, QWidget* parent)
{
    auto* link = new TClickLabel(caption, parent);
    link->setObjectName(QLatin1String(name));
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    SetColour(link, QPalette::WindowText, kLinkText);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(hint);
    link->move(left, top);
    link->adjustSize();
    return link;
}

QLineEdit* NewQueryField(const char* name, const QString& text, int top, QWidget* parent)
{
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(4, top, 137, 21);
    SetColour(field, QPalette::Text, kQueryText);
    field->setToolTip(kRunHint);
    field->setProperty(kExampleProperty, text);
    return field;
}

QToolButton* NewSearchButton(const char* name, int top, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(kSearchCaption);
    // Flat: no bevel, a thin outline that lights up under the pointer.
    button->setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid #C9CED6; border-radius: 2px; background: #F5F6F8; }"
        "QToolButton:hover { border-color: #6F9BD1; background: #E8F0FA; }"
        "QToolButton:pressed { background: #D2E0F2; }"));
    button->setCursor(Qt::PointingHandCursor);
    // A flat button takes no focus: a search starts from a click, or from Ctrl+Enter in its field.
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(144, top, 61, 21);
    return button;
}

}  // namespace

void TForm1::CreateControls()
{
    setWindowTitle(kTitle);
    setWindowIcon(QIcon(QStringLiteral(":/resources/app.svg")));
    // The desktop's sans-serif at 8 points; narrowed a little, as the captions were laid out for
    // a narrower face and their places are fixed.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    font.setStretch(QFont::SemiCondensed);
    setFont(font);

    resize(kClientWidth, kClientHeight);
    setMinimumSize(kMinClientWidth, kClientHeight);
    setMaximumSize(QWIDGETSIZE_MAX, kClientHeight);

    CreatePanelLeft();
    CreatePanel1();
    CreatePanelMore();
    // The left panel keeps its size, the panel of the newer searches under it when open; the
    // right one takes the rest, as high as the window.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel_left->setFixedSize(kPanelLeftWidth, kClientHeight);
    Panel_more->setFixedSize(kPanelLeftWidth, kMoreHeight);
    layout->addWidget(Panel_left, 0, 0);
    layout->addWidget(Panel_more, 1, 0);
    layout->addWidget(Panel1, 0, 1, 2, 1);
    layout->setColumnStretch(1, 1);
    LayoutPanel1();
    Panel1->installEventFilter(this);
}

void TForm1::CreatePanelLeft()
{
    Panel_left = NewPanel("Panel_left", Qt::white, this);
    Panel_left->setGeometry(0, 0, kPanelLeftWidth, kClientHeight);
    QWidget* panel = Panel_left;

    // The logo's top rows lie above the panel's edge and are cut off.
    Image5 = NewPicture("Image5", QStringLiteral("logo.svg"), QRect(6, -20, 199, 162), panel);

    const QString bullet = QStringLiteral("bullet.svg");
    Image4 = NewPicture("Image4", bullet, QRect(4, 146, 16, 16), panel);
    Label3 = NewLabel("Label3", QStringLiteral("Поиск по окончанию (быстрый)"), 24, 148, panel);
    srch4 = NewQueryField("srch4", QStringLiteral("янка"), 164, panel);
    srch_btn4 = NewSearchButton("srch_btn4", 164, panel);

    Image2 = NewPicture("Image2", bullet, QRect(4, 190, 16, 16), panel);
    Label1 = NewLabel("Label1", QStringLiteral("Поиск по маске"), 24, 192, panel);
    srch1 = NewQueryField("srch1", QStringLiteral("*янка"), 208, panel);
    srch1->setToolTip(
        QStringLiteral("* любые буквы, ? одна буква, - дефис, @ гласная, # согласная,\n"
                       "[кг] одна из букв, [!кг] любая другая, [а-е] от а до е.\n"
                       "Например: к@р#а, [кг]?р?а\n") +
        kRunHint);
    srch_btn1 = NewSearchButton("srch_btn1", 208, panel);

    Image3 = NewPicture("Image3", bullet, QRect(4, 234, 16, 16), panel);
    Label2 = NewLabel("Label2", QStringLiteral("Поиск по regexp"), 24, 236, panel);
    srch3 = NewQueryField("srch3", QStringLiteral("/^.*янка$/"), 252, panel);
    srch_btn3 = NewSearchButton("srch_btn3", 252, panel);

    // The inexact-mask row is built but never shown, and the keyboard cannot reach it.
    Image1 = NewPicture("Image1", bullet, QRect(4, 278, 16, 16), panel);
    Label5 = NewLabel("Label5", QStringLiteral("Неточная маска (медленно!!)"), 24, 280, panel);
    srch2 = NewQueryField("srch2", QStringLiteral("*янка"), 296, panel);
    srch_btn2 = NewSearchButton("srch_btn2", 296, panel);
    for (QWidget* hidden : {static_cast<QWidget*>(Image1), static_cast<QWidget*>(Label5),
                            static_cast<QWidget*>(srch2), static_cast<QWidget*>(srch_btn2)}) {
        hidden->setFocusPolicy(Qt::NoFocus);
        hidden->hide();
    }

    // In the hidden row's blank band: the link that opens the panel of the newer searches.
    Label_more = NewLink("Label_more", kMoreCaption + QStringLiteral(" ▾"),
                         QStringLiteral("Рифмы, анаграммы, слова из букв, фильтры (Ctrl+R)"), 24,
                         290, panel);
    Label_more->setAccessibleName(kMoreCaption);

    Image6 = NewPicture("Image6", QStringLiteral("tick.svg"), QRect(6, 322, 16, 16), panel);
    Label4 = NewLabel("Label4", QStringLiteral("Искать в указанных словарях:"), 28, 324, panel);
    dict_list = new QListWidget(panel);
    dict_list->setObjectName(QStringLiteral("dict_list"));
    dict_list->setGeometry(4, 340, 201, 105);
    dict_list->setItemDelegate(new TDictRowDelegate(dict_list));
    new TTickSizeStyle(kDictTickSize, dict_list);
    dict_list->setUniformItemSizes(true);
    dict_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    ch_rel = new TBoxSwitch<QRadioButton>(QStringLiteral("Сортировать по релевантности"), panel);
    ch_rel->setObjectName(QStringLiteral("ch_rel"));
    ch_rel->setGeometry(4, 448, 193, 17);
    ch_rel->setChecked(true);
    ch_alpha = new TBoxSwitch<QRadioButton>(QStringLiteral("Сортировать по алфавиту"), panel);
    ch_alpha->setObjectName(QStringLiteral("ch_alpha"));
    ch_alpha->setGeometry(4, 464, 193, 21);
    ch_stat = new TBoxSwitch<QCheckBox>(QStringLiteral("Показывать ЧМС"), panel);
    new TTickSizeStyle(kSwitchTickSize, ch_stat);
    ch_stat->setObjectName(QStringLiteral("ch_stat"));
    ch_stat->setGeometry(4, 486, 193, 13);
    ch_stat->setCursor(Qt::PointingHandCursor);
    ch_stat->setToolTip(kIpmHint);

    Label6 = NewLabel("Label6", QStringLiteral("Минимальный ЧМС:"), 4, 513, panel);
    Label6->setToolTip(kIpmHint);
    edit_MinIpm = new QLineEdit(QStringLiteral("0,0"), panel);
    edit_MinIpm->setObjectName(QStringLiteral("edit_MinIpm"));
    edit_MinIpm->setGeometry(117, 512, 56, 13);
    edit_MinIpm->setFrame(false);
    edit_MinIpm->setTextMargins(0, 0, 0, 0);
    SetBold(edit_MinIpm);
    SetColour(edit_MinIpm, QPalette::Base, kMinIpmBack);
    SetColour(edit_MinIpm, QPalette::Text, Qt::black);
    Image8 = new TClickLabel(panel);
    Image8->setObjectName(QStringLiteral("Image8"));
    Image8->setGeometry(187, 512, 16, 16);
    Image8->setAlignment(Qt::AlignCenter);
    Image8->setPixmap(Picture(QStringLiteral("cross.svg"), QSize(10, 10)));
    Image8->setCursor(Qt::PointingHandCursor);
    Image8->setToolTip(QStringLiteral("Сбросить в ноль"));

    Label10 = NewLabel("Label10", QStringLiteral("Словарь:"), 4, 532, panel);
    Label7 =
        NewLink("Label7", QStringLiteral("Средний"), QStringLiteral("ЧМС = 0,07"), 52, 532, panel);
    Label8 = NewLink("Label8", QStringLiteral("Богатый"), QStringLiteral("ЧМС = 0,005"), 100, 532,
                     panel);
    Label9 =
        NewLink("Label9", QStringLiteral("Эрудитов"), QStringLiteral("ЧМС = 0,0"), 148, 532, panel);

    // Screen readers name each field and switch by its caption; the captions stay as they are.
    const std::pair<QWidget*, QString> names[] = {
        {srch4, Label3->text()},
        {srch1, Label1->text()},
        {srch3, Label2->text()},
        {srch2, Label5->text()},
        {srch_btn4, kRunName + Label3->text()},
        {srch_btn1, kRunName + Label1->text()},
        {srch_btn3, kRunName + Label2->text()},
        {srch_btn2, kRunName + Label5->text()},
        {dict_list, QStringLiteral("Искать в указанных словарях")},
        {ch_rel, ch_rel->text()},
        {ch_alpha, ch_alpha->text()},
        {ch_stat, ch_stat->text()},
        {edit_MinIpm, QStringLiteral("Минимальный ЧМС")},
        {Image8, Image8->toolTip()},
    };
    for (const auto& [control, name] : names) {
        control->setAccessibleName(name);
    }
}

void TForm1::CreatePanelMore()
{
    Panel_more = NewPanel("Panel_more", Qt::white, this);
    Panel_more->hide();
    QWidget* panel = Panel_more;
    const QString bullet = QStringLiteral("bullet.svg");
    const auto newTick = [panel](const char* name, const QString& caption, const QRect& place) {
        auto* tick = new TBoxSwitch<QCheckBox>(caption, panel);
        new TTickSizeStyle(kSwitchTickSize, tick);
        tick->setObjectName(QLatin1String(name));
        tick->setGeometry(place);
        tick->setCursor(Qt::PointingHandCursor);
        tick->setAccessibleName(caption);
        return tick;
    };
    const auto newRange = [panel](const char* name, const QRect& place, const QString& caption) {
        auto* field = new QLineEdit(panel);
        field->setObjectName(QLatin1String(name));
        field->setGeometry(place);
        field->setToolTip(kRangeHint);
        field->setAccessibleName(caption);
        return field;
    };

    Image9 = NewPicture("Image9", bullet, QRect(4, 4, 16, 16), panel);
    Label_rhyme = NewLabel("Label_rhyme", QStringLiteral("Рифмы к"), 24, 6, panel);
    edit_Rhyme = NewQueryField("edit_Rhyme", QString(), 22, panel);
    edit_Rhyme->setToolTip(QStringLiteral("Слово; ударение можно указать: замо'к\n") + kRunHint);
    SetColour(edit_Rhyme, QPalette::Text, Qt::black);
    edit_Rhyme->setAccessibleName(Label_rhyme->text());
    btn_Rhyme = NewSearchButton("btn_Rhyme", 22, panel);
    btn_Rhyme->setAccessibleName(kRunName + Label_rhyme->text());
    ch_near = newTick("ch_near", QStringLiteral("Неточные"), QRect(4, 47, 95, 15));
    ch_near->setToolTip(QStringLiteral("И неточные рифмы, после точных"));
    ch_stress = newTick("ch_stress", QStringLiteral("Ударение"), QRect(104, 47, 100, 15));
    ch_stress->setToolTip(QStringLiteral("Показывать ударение в словах: окно'"));

    Image10 = NewPicture("Image10", bullet, QRect(4, 68, 16, 16), panel);
    combo_letters = new QComboBox(panel);
    combo_letters->setObjectName(QStringLiteral("combo_letters"));
    combo_letters->addItems({QStringLiteral("Анаграммы"), QStringLiteral("Слова из букв")});
    combo_letters->setGeometry(24, 66, 117, 20);
    combo_letters->setAccessibleName(QStringLiteral("Поиск по буквам"));
    edit_Letters = NewQueryField("edit_Letters", QString(), 89, panel);
    edit_Letters->setToolTip(QStringLiteral("Буквы; ? — любая буква\n") + kRunHint);
    SetColour(edit_Letters, QPalette::Text, Qt::black);
    edit_Letters->setAccessibleName(QStringLiteral("Буквы"));
    btn_Letters = NewSearchButton("btn_Letters", 89, panel);
    btn_Letters->setAccessibleName(kRunName + QStringLiteral("по буквам"));

    Label_length = NewLabel("Label_length", QStringLiteral("Длина:"), 4, 119, panel);
    edit_Length = newRange("edit_Length", QRect(52, 116, 48, 19), QStringLiteral("Длина"));
    Label_syllables = NewLabel("Label_syllables", QStringLiteral("Слогов:"), 108, 119, panel);
    edit_Syllables = newRange("edit_Syllables", QRect(157, 116, 48, 19), QStringLiteral("Слогов"));
    Label_stressPlace =
        NewLabel("Label_stressPlace", QStringLiteral("Ударный слог с конца:"), 4, 142, panel);
    edit_StressPlace = newRange("edit_StressPlace", QRect(157, 139, 48, 19),
                                QStringLiteral("Ударный слог с конца"));
    edit_StressPlace->setToolTip(QStringLiteral("1 — последний слог, 2 — предпоследний; ") +
                                 kRangeHint);
    ch_headwords =
        newTick("ch_headwords", QStringLiteral("Только словарные формы"), QRect(4, 163, 200, 15));
    ch_headwords->setToolTip(QStringLiteral("Только начальные формы слов: кот, но не кота"));
    ch_nouns =
        newTick("ch_nouns", QStringLiteral("Только существительные"), QRect(4, 181, 200, 15));
    ch_nouns->setToolTip(QStringLiteral("Только существительные, по словарю Hunspell"));
    ch_noNames =
        newTick("ch_noNames", QStringLiteral("Без имён собственных"), QRect(4, 199, 200, 15));
    ch_noNames->setToolTip(QStringLiteral("Без имён и названий и их форм: берлина, мартина"));
    ch_known =
        newTick("ch_known", QStringLiteral("Только известные слова"), QRect(4, 217, 200, 15));
    ch_known->setToolTip(QStringLiteral("Только слова, которые знает словарь Hunspell"));
    ch_compare = newTick("ch_compare", QStringLiteral("Сравнить словари"), QRect(4, 235, 200, 15));
    ch_compare->setToolTip(QStringLiteral("Одна строка на слово: ЧМС в каждом отмеченном словаре"));
}

void TForm1::CreatePanel1()
{
    Panel1 = NewPanel("Panel1", Qt::white, this);
    Panel1->setGeometry(kPanelLeftWidth, 0, kClientWidth - kPanelLeftWidth, kClientHeight);

    auto* pane = new TFastResultPane(Panel1);
    pane->setObjectName(QStringLiteral("Prev"));
    Prev = pane;

    Panel2 = NewPanel("Panel2", kStatusBack, Panel1);
    Label_fnd = new QLabel(QStringLiteral("Найдено: 0"), Panel2);
    Label_fnd->setObjectName(QStringLiteral("Label_fnd"));
    Label_fnd->setAlignment(Qt::AlignCenter);
    Label_fnd->setAutoFillBackground(true);
    SetColour(Label_fnd, QPalette::Window, kFoundBack);
    SetColour(Label_fnd, QPalette::WindowText, kFoundText);
    SetBold(Label_fnd);
    Image_sort = new TClickLabel(Panel2);
    Image_sort->setObjectName(QStringLiteral("Image_sort"));
    Image_sort->setPixmap(Picture(QStringLiteral("sort.svg"), QSize(38, 15)));
    Image_sort->setCursor(Qt::PointingHandCursor);
    Image_sort->setToolTip(QStringLiteral("Показать линейно"));
    // Shown only while the rhyme index is built.
    Progress_rhymes = new QProgressBar(Panel2);
    Progress_rhymes->setObjectName(QStringLiteral("Progress_rhymes"));
    Progress_rhymes->setRange(0, 1000);
    Progress_rhymes->setTextVisible(false);
    Progress_rhymes->setFormat(QString());
    Progress_rhymes->setAccessibleName(QStringLiteral("Индекс рифм"));
    Progress_rhymes->setStyleSheet(kRhymeBarStyle);
    Progress_rhymes->hide();

    // The waiting picture lies over the pane, at a fixed place, until loading is done.
    panel_wait = new QWidget(Panel1);
    panel_wait->setObjectName(QStringLiteral("panel_wait"));
    panel_wait->setGeometry(10, 236, 383, 286);
    Image7 = NewPicture("Image7", QStringLiteral("wait.svg"), QRect(0, 0, 383, 286), panel_wait);
    panel_wait->raise();
}

void TForm1::CreateMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("Копировать"));
    N1->setObjectName(QStringLiteral("N1"));
    N2 = PopupMenu1->addAction(QStringLiteral("Копировать всё"));
    N2->setObjectName(QStringLiteral("N2"));
    N3 = PopupMenu1->addAction(QIcon(Picture(QStringLiteral("web.svg"), QSize(16, 16))),
                               QStringLiteral("WTF ?!"));
    N3->setObjectName(QStringLiteral("N3"));
    PopupMenu1->setDefaultAction(N3);
    N4 = PopupMenu1->addAction(QStringLiteral("Копировать таблицей"));
    N4->setObjectName(QStringLiteral("N4"));
    // No search, no table.
    N4->setEnabled(false);
    // Disabled rather than hidden without a word, so that the menu keeps its shape.
    N5 = PopupMenu1->addAction(QStringLiteral("Рифмы к «…»"));
    N5->setObjectName(QStringLiteral("N5"));
    N5->setEnabled(false);
    // The rhyme item's tooltip holds the word its caption may shorten.
    PopupMenu1->setToolTipsVisible(true);
    Prev->Widget()->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TForm1::ConnectSignals()
{
    Timer_Init = new QTimer(this);
    Timer_Init->setObjectName(QStringLiteral("Timer_Init"));
    Timer_Init->setSingleShot(true);
    Timer_Init->setInterval(10);
    connect(Timer_Init, &QTimer::timeout, this, &TForm1::Timer_InitTimer);
    Timer_Rhymes = new QTimer(this);
    Timer_Rhymes->setObjectName(QStringLiteral("Timer_Rhymes"));
    Timer_Rhymes->setInterval(kRhymePollInterval);
    connect(Timer_Rhymes, &QTimer::timeout, this, &TForm1::Timer_RhymesTimer);

    connect(srch_btn1, &QToolButton::clicked, this, &TForm1::srch_btn1Click);
    connect(srch_btn2, &QToolButton::clicked, this, &TForm1::srch_btn2Click);
    connect(srch_btn3, &QToolButton::clicked, this, &TForm1::srch_btn3Click);
    connect(srch_btn4, &QToolButton::clicked, this, &TForm1::srch_btn4Click);
    connect(btn_Rhyme, &QToolButton::clicked, this, &TForm1::btn_RhymeClick);
    connect(btn_Letters, &QToolButton::clicked, this, &TForm1::btn_LettersClick);
    connect(Label_more, &TClickLabel::clicked, this, &TForm1::Label_moreClick);
    Action_more = new QAction(this);
    Action_more->setObjectName(QStringLiteral("Action_more"));
    Action_more->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    addAction(Action_more);
    connect(Action_more, &QAction::triggered, this, &TForm1::Label_moreClick);
    for (QLineEdit* field : {srch1, srch2, srch3, srch4, edit_Rhyme, edit_Letters}) {
        field->installEventFilter(this);
    }
    connect(Image8, &TClickLabel::clicked, this, &TForm1::Image8Click);
    connect(Label7, &TClickLabel::clicked, this, &TForm1::Label7Click);
    connect(Label8, &TClickLabel::clicked, this, &TForm1::Label8Click);
    connect(Label9, &TClickLabel::clicked, this, &TForm1::Label9Click);
    connect(Image_sort, &TClickLabel::clicked, this, &TForm1::Image_sortClick);
    connect(N1, &QAction::triggered, this, &TForm1::N1Click);
    connect(N2, &QAction::triggered, this, &TForm1::N2Click);
    connect(N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(N4, &QAction::triggered, this, &TForm1::N4Click);
    connect(N5, &QAction::triggered, this, &TForm1::N5Click);
    connect(Prev->Widget(), &QWidget::customContextMenuRequested, this, &TForm1::PrevContextMenu);
}

void TForm1::SetTabOrder()
{
    // The left panel first, then the result pane; the flat buttons, the pictures and the hidden
    // row take no focus.
    // The panel of the newer searches, while it is shown, comes before the pane.
    const QList<QWidget*> order = {
        srch4,        srch1,       srch3,          dict_list,        ch_rel,       ch_alpha,
        ch_stat,      edit_MinIpm, edit_Rhyme,     ch_near,          ch_stress,    combo_letters,
        edit_Letters, edit_Length, edit_Syllables, edit_StressPlace, ch_headwords, ch_nouns,
        ch_noNames,   ch_known,    ch_compare,     Prev->Widget()};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void TForm1::LayoutPanel1()
{
    // The pane and the status strip stretch with the window; the waiting picture keeps its place.
    const int width = Panel1->width();
    const int height = Panel1->height();
    Prev->Widget()->setGeometry(0, 0, width, height - kStatusHeight);
    Panel2->setGeometry(0, height - kStatusHeight, width, kStatusHeight);
    Label_fnd->setGeometry(7, 4, width - 56, 13);
    Image_sort->setGeometry(width - 43, 3, 38, 15);
    Progress_rhymes->setGeometry(7, kStatusHeight - kRhymeBarHeight, width - 56, kRhymeBarHeight);
}

void TForm1::ShowPanelMore(bool open)
{
    const int height = kClientHeight + (open ? kMoreHeight : 0);
    if (!open && Panel_more->isAncestorOf(QApplication::focusWidget())) {
        srch4->setFocus();
    }
    Panel_more->setVisible(open);
    Label_more->setText(kMoreCaption + (open ? QStringLiteral(" ▴") : QStringLiteral(" ▾")));
    Label_more->adjustSize();
    setMinimumHeight(0);
    setMaximumHeight(height);
    setMinimumHeight(height);
    resize(width(), height);
    if (open && isVisible()) {
        edit_Rhyme->setFocus();
    }
}
