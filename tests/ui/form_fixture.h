#pragma once
// What the window tests share: a dictionary folder, a window over it whose boxes, browser and beep
// are recorded instead of shown, and readers of what the window shows.

#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QUrl>
#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "ui/Unit1.h"

class QWidget;

class FormTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window over m_folder, shows it and waits until start-up has run.
    TForm1& Open();
    // Opens the window over m_folder without showing it or waiting, with hooks that record.
    TForm1& Create();
    TForm1& Create(const TWindowHooks& hooks);
    // Hooks that record every box, request and beep in the members below.
    TWindowHooks RecordingHooks();
    // Waits until the one-shot start-up has run.
    void WaitForStartUp();

    template <typename T = QWidget>
    T* Find(const char* name) const
    {
        T* widget = m_form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // The dictionary list's rows and which of them are ticked.
    QStringList Rows() const;
    std::vector<bool> Ticks() const;
    // The pane's text as UTF-8, CR LF between lines.
    std::string PaneText() const;
    QString FoundCaption() const;
    // Sets a field's text, as typing it would.
    void Type(const char* field, const QString& text);
    // Clicks a button, a link or a picture with the left mouse button.
    void Click(const char* name);

    TTempFolder m_folder;
    // The user's cache folder for the test's run: the window writes its rhyme index there.
    TTempFolder m_cache;
    // The user's configuration folder: the window remembers its panel there.
    TTempFolder m_config;
    std::unique_ptr<TForm1> m_form;
    QStringList m_warnings;
    QStringList m_errors;
    std::vector<QUrl> m_urls;
    int m_beeps = 0;
};
