// The window tests' fixture: a window over a temporary dictionary folder with recording hooks.

#include "tests/ui/form_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "ui/result_pane.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

void FormTest::SetUp()
{
    ClearWordStore();
    // The window indexes the rhymes of what it loads, into the cache folder this names.
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(m_cache.Path()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config.Path()));
}

void FormTest::TearDown()
{
    m_form.reset();
    ClearWordStore();
}

TWindowHooks FormTest::RecordingHooks()
{
    TWindowHooks hooks;
    hooks.ShowWarning = [this](const QString& text) { m_warnings.append(text); };
    hooks.ShowError = [this](const QString& text) { m_errors.append(text); };
    hooks.OpenUrl = [this](const QUrl& url) { m_urls.push_back(url); };
    hooks.Beep = [this] { ++m_beeps; };
    return hooks;
}

TForm1& FormTest::Create()
{
    return Create(RecordingHooks());
}

TForm1& FormTest::Create(const TWindowHooks& hooks)
{
    m_form = std::make_unique<TForm1>(m_folder.Path(), hooks);
    return *m_form;
}

TForm1& FormTest::Open()
{
    Create();
    m_form->show();
    WaitForStartUp();
    return *m_form;
}

void FormTest::WaitForStartUp()
{
    auto* timer = m_form->findChild<QTimer*>(QStringLiteral("Timer_Init"));
    EXPECT_NE(timer, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }, 5000));
}

QStringList FormTest::Rows() const
{
    QStringList rows;
    const auto* list = Find<QListWidget>("dict_list");
    for (int row = 0; row < list->count(); ++row) {
        rows.append(list->item(row)->text());
    }
    return rows;
}

std::vector<bool> FormTest::Ticks() const
{
    std::vector<bool> ticks;
    const auto* list = Find<QListWidget>("dict_list");
    for (int row = 0; row < list->count(); ++row) {
        ticks.push_back(list->item(row)->checkState() == Qt::Checked);
    }
    return ticks;
}

std::string FormTest::PaneText() const
{
    return ToUtf8(m_form->Pane().Text());
}

QString FormTest::FoundCaption() const
{
    return Find<QLabel>("Label_fnd")->text();
}

void FormTest::Type(const char* field, const QString& text)
{
    auto* edit = Find<QLineEdit>(field);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    ASSERT_EQ(edit->text(), text);
}

void FormTest::Click(const char* name)
{
    QWidget* widget = Find(name);
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !button->isVisible()) {
        // A hidden button cannot be reached by the mouse; click() runs its handler all the same.
        button->click();
        return;
    }
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}
