#pragma once

#include "core/dictionary/dictionary.h"
#include "core/exchange/exchange_file.h"
#include "ui/exchange/import_form.h"

class Interaction;
class QComboBox;

// The choices of an import: the file (its separator and encoding as found,
// changeable), the meaning of each column over a preview of the first rows
// (or, for KVTML, which two languages), the target file and lesson, and
// what to do with duplicates. The cards are read after the dialog (see
// ExchangeActions), behind a progress window.
class ImportDialog : public ImportForm
{
    Q_OBJECT
public:
    ImportDialog(Interaction &ui, const Dictionary &dict, QWidget *parent = nullptr);

    // Loads a file as if chosen with the button; false when it cannot be imported.
    bool loadFile(const QString &path);
    const ImportFile &importFile() const { return m_file; }
    QChar separator() const;
    bool headerRow() const { return checkBox_header->isChecked(); }
    QList<ExchangeColumn> columns() const;
    int foreignId() const;
    int russianId() const;
    ImportDefaults defaults() const;
    ImportOptions options() const;

    static constexpr int kPreviewRows = 10;

private slots:
    void slot_browse();
    void slot_separator_changed();
    void slot_encoding_changed();
    void slot_accept();

private:
    void showFile();
    void fillPreview();
    void showDetected();

    Interaction &m_ui;
    const Dictionary &m_dict;
    ImportFile m_file;
    QString m_path;
    QList<QComboBox *> m_columnBoxes;
    bool m_filling = false;
};
