#pragma once

#include "core/dictionary/dictionary.h"
#include "core/exchange/exchange_file.h"
#include "ui/exchange/export_form.h"

// The choices of an export: which cards, the format and its settings. The
// file name is asked for after the dialog (see ExchangeActions).
class ExportDialog : public ExportForm
{
    Q_OBJECT
public:
    enum class Scope { Selected, Table, File };

    // `selected`: how many cards are selected in the table (0: that choice
    // is off); `files`: the open files, and whether new cards exist.
    ExportDialog(int selected, int tableCards, const StringSet &files, bool withNew,
                 QWidget *parent = nullptr);

    Scope scope() const;
    // The file chosen for Scope::File ("" = the new cards).
    QString file() const;
    ExportOptions options() const;

    static QString newCardsText(); // "Новые карточки"

private slots:
    void slot_format_changed();

private:
    ExchangeFormat format() const;
};
