#pragma once
// The warning box: a message box centred on the screen at the size it takes when shown. A box
// without a parent is placed before it finds its size, so by itself it stands off centre.

#include <QMessageBox>

class QScreen;

class TCentredMessageBox : public QMessageBox
{
public:
    // A box without an icon and with only an OK button, captioned with the application's name;
    // it centres on where, or on its own screen when where is null.
    TCentredMessageBox(const QString& text, const QScreen* where);

protected:
    void showEvent(QShowEvent* event) override;

private:
    const QScreen* m_screen;
};
