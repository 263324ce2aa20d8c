#pragma once

#include <QChar>
#include <QPixmap>
#include <QWidget>

// Whoever takes the characters of symbol keys (the tools window's editor).
class SymbolReceiver
{
public:
    virtual ~SymbolReceiver() = default;
    virtual void receiveSymbol(QChar symbol) = 0;
};

// One key of an on-screen keyboard: a picture with a character on it. A
// click (press and release within the key) hands the character to the
// receiver.
class VButtonSymbol : public QWidget
{
    Q_OBJECT
public:
    explicit VButtonSymbol(QWidget *parent = nullptr);

    // The key shows nothing until it has both.
    void setSymbol(QChar symbol, SymbolReceiver *receiver);
    QChar symbol() const { return m_symbol; }
    SymbolReceiver *receiver() const { return m_receiver; }
    bool isPressed() const { return m_pressed; }
    bool isInside() const { return m_inside; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_up;
    QPixmap m_down;
    QChar m_symbol;
    SymbolReceiver *m_receiver = nullptr;
    bool m_pressed = false;
    bool m_inside = false;
};
