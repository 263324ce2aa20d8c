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
// receiver. The character is drawn in black or white, whichever reads
// better on the face it stands on (the raised or the pressed picture over
// the page colour), never in the palette's button text colour, which is
// made for the page and not for the key.
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
    // The colour the character is drawn in now.
    QColor signColor() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const QPixmap &face() const;
    QRect signRect() const;

    QPixmap m_up;
    QPixmap m_down;
    QChar m_symbol;
    SymbolReceiver *m_receiver = nullptr;
    bool m_pressed = false;
    bool m_inside = false;
};
