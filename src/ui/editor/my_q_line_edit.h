#pragma once

#include <QLineEdit>

class QMenu;

// A line edit whose context menu can offer "Вставить символ (ы)" at its top
// (the transcription fields of the card editor).
class MyQLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MyQLineEdit(QWidget *parent = nullptr);

    void setSymbolMenu(bool on) { m_symbolMenu = on; }
    bool hasSymbolMenu() const { return m_symbolMenu; }

    // The context menu as it pops up: the standard items, with the symbol
    // item (id 0) and a separator in front when the flag is set. The caller
    // owns it.
    QMenu *buildContextMenu();

signals:
    void sel_symbolActivated();

public slots:
    // Menu items report their id here; only id 0 (the symbol item) counts.
    void ppm_activated(int id);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool m_symbolMenu = false;
};
