#pragma once

#include <QList>
#include <QObject>
#include <QString>

class DictionaryPage;
class QToolButton;
class Session;
struct Card;

// Export and import of the dictionary page: the dialogs, the long steps
// behind the page's progress window, the messages, and the import as one
// undoable command. The page gives it a button and two menu entries.
class ExchangeActions : public QObject
{
    Q_OBJECT
public:
    ExchangeActions(Session &session, DictionaryPage &page);

    // The page's button with the menu "Экспорт…" / "Импорт…".
    QToolButton *makeButton(QWidget *parent);

public slots:
    // Both refuse while a file job runs; import also while a run is going.
    void exportCards();
    // With a path, the dialog opens with that file loaded.
    void importCards(const QString &path = QString());

private:
    QList<int> selectedIds() const;
    QList<int> tableIds() const;
    bool allowed(bool forImport);

    Session &m_session;
    DictionaryPage &m_page;
};
