#pragma once

#include "core/convert/text_file.h"
#include "core/dictionary/card.h"
#include "ui/convert/form_tools.h"
#include "ui/editor/v_button_symbol.h"

#include <QColor>
#include <QList>
#include <QString>

#include <memory>

class Interaction;
class QTextCursor;
class Session;

// "Инструменты": a plain-text editor with its own file actions (open, save,
// save under a name, clear), the conversion of its text into new cards and
// the reset of the dictionary's learning state, chosen in one box and run by
// "Выполнить". Besides: incremental search in the text, the encoding of the
// files, an on-screen keyboard of transcription signs and zoom.
//
// The dictionary page creates it once and keeps it, hidden, for the whole
// program run. New cards leave through cardsConverted(); the page adds them.
class VForm_tools : public Form_tools, private SymbolReceiver
{
    Q_OBJECT
public:
    // The actions of comboBox_selectWork, by index.
    enum Action { Open = 0, Save, SaveAs, Clear, Convert, ResetState, Import };

    // `ui` null: the window asks through boxes of its own, captioned
    // "Инструменты".
    VForm_tools(Session &session, Interaction *ui, QWidget *parent = nullptr);
    ~VForm_tools() override;

    // Shows a hidden window in the page background colour; a window already
    // open is brought to the front.
    void showTools();

    Interaction &interaction() { return *m_ui; }
    const QString &currentFile() const { return m_currentFile; }
    const QString &lastDirectory() const { return m_lastDirectory; }
    TextEncoding encoding() const;
    // Background of the search field while nothing is found.
    static QColor notFoundColor() { return QColor(255, 85, 127); }
    const QList<VButtonSymbol *> &symbolKeys() const { return m_keys; }

signals:
    // "Импорт карточек": the dictionary page's import dialog.
    void importRequested();
    // Cards made from the editor's text, to be added to the dictionary.
    void cardsConverted(const QList<Card> &cards);
    // The learning state of the cards was reset: the dictionary changed.
    void dictionaryStateChanged();
    // Shown or hidden: the main window refreshes its status.
    void visibilityChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private slots:
    void slot_apply_clicked();
    void slot_previous();
    void slot_next();
    void slot_plus();
    void slot_minus();
    void slot_findStr_changed(const QString &text);
    void slot_text_browser_changed();
    void slot_radioBtnKeyBoard();

private:
    void receiveSymbol(QChar symbol) override;

    void openFile();
    void saveFile();
    void saveFileAs();
    void clearText();
    void convertText();
    void resetState();
    // Writes the editor's text; reports a failure. True when written.
    bool writeEditorText(const QString &path, const QString &text);

    // The match of `text` from `from` on (backwards: before `from`); a null
    // cursor when there is none.
    QTextCursor find(const QString &text, int from, bool backward) const;
    // Selects the match and remembers where it is.
    void takeMatch(const QString &text, const QTextCursor &match);
    void forgetSearch();
    void setSearchFound(bool found);

    Session &m_session;
    std::unique_ptr<Interaction> m_ownUi;
    Interaction *m_ui = nullptr;
    QList<VButtonSymbol *> m_keys;
    QString m_lastDirectory;
    QString m_currentFile;
    QString m_lastSearchText;
    // Start of the last match; -1 searches from the top.
    int m_matchPosition = -1;
};
