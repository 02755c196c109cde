#pragma once
// A label that reports a click of the left mouse button: the window's links and pictures.

#include <QLabel>

class TClickLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    // The left button was pressed and released over the label.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
