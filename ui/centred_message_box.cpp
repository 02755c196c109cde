// The warning box, centred on the screen once it knows its size.

#include "ui/centred_message_box.h"

#include <QApplication>
#include <QScreen>

TCentredMessageBox::TCentredMessageBox(const QString& text, const QScreen* where)
    : QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                  QMessageBox::Ok)
    , m_screen(where)
{}

void TCentredMessageBox::showEvent(QShowEvent* event)
{
    QMessageBox::showEvent(event);
    const QScreen* where = m_screen != nullptr ? m_screen : screen();
    if (where != nullptr) {
        QRect place = frameGeometry();
        place.moveCenter(where->availableGeometry().center());
        move(place.topLeft());
    }
}
