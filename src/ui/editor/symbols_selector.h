#pragma once

#include "ui/editor/symbols_selector_form.h"

#include <QDialog>

// The contents of the symbol selector: the grid of transcription signs and
// the line that collects the clicked ones.
class _symbols_selector_Form : public symbols_selector_Form
{
    Q_OBJECT
public:
    explicit _symbols_selector_Form(QWidget *parent = nullptr);

signals:
    void accept_clicked(const QString &text);
    void cancel_clicked();

public slots:
    // Appends a clicked symbol, so several can be collected.
    void hasText(const QString &text);
    void pushButton1_clicked();
    void pushButton2_clicked();
};

// "Выбор символа": a modal dialog made once per editor and reused; the
// collected text is empty each time it opens.
class symbolsSelector : public QDialog
{
    Q_OBJECT
public:
    explicit symbolsSelector(QWidget *parent = nullptr);

    const QString &result() const { return m_result; }
    _symbols_selector_Form *form() const { return m_form; }

public slots:
    void slot_accept(const QString &text);
    void slot_reject();
    void reject() override;

private:
    _symbols_selector_Form *m_form;
    QString m_result;
};
