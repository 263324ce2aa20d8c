#include "ui/exchange/import_dialog.h"

#include "core/convert/text_conversion.h"
#include "ui/common/interaction.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>

namespace
{

const ExchangeEncoding kEncodings[] = {ExchangeEncoding::Utf8Bom, ExchangeEncoding::Utf8,
                                       ExchangeEncoding::Utf16LE, ExchangeEncoding::Utf16BE,
                                       ExchangeEncoding::Windows1251};

} // namespace

ImportDialog::ImportDialog(Interaction &ui, const Dictionary &dict, QWidget *parent)
    : ImportForm(parent), m_ui(ui), m_dict(dict)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    for (const QString &s : {QStringLiteral("\t"), QStringLiteral(";"), QStringLiteral(","),
                             QStringLiteral("|"), QStringLiteral(":"), QStringLiteral(" ")})
        comboBox_separator->addItem(separatorName(s.at(0)), s);
    for (ExchangeEncoding e : kEncodings)
        comboBox_encoding->addItem(exchangeEncodingName(e), int(e));

    if (dict.hasNewCards() || dict.openFiles().empty())
        comboBox_target->addItem(QStringLiteral("Новые карточки"), QString());
    for (const QString &f : dict.openFiles())
        comboBox_target->addItem(f, f);
    if (comboBox_target->findData(QString()) < 0)
        comboBox_target->insertItem(0, QStringLiteral("Новые карточки"), QString());
    comboBox_target->setCurrentIndex(0);
    for (const QString &l : dict.lessons())
        comboBox_lesson->addItem(l);
    comboBox_lesson->setEditText(QString());
    for (const QString &c : dict.categoryList())
        comboBox_category->addItem(c);
    const int other = comboBox_category->findText(ConversionText::categoryName());
    comboBox_category->setCurrentIndex(std::max(0, other));
    comboBox_duplicates->addItem(QStringLiteral("Пропустить"), int(DuplicatePolicy::Skip));
    comboBox_duplicates->addItem(QStringLiteral("Добавить ещё одну карточку"),
                                 int(DuplicatePolicy::Add));
    comboBox_duplicates->addItem(QStringLiteral("Обновить имеющуюся карточку"),
                                 int(DuplicatePolicy::Update));

    tableWidget_preview->verticalHeader()->setVisible(false);
    connect(pushButton_browse, &QPushButton::clicked, this, &ImportDialog::slot_browse);
    connect(comboBox_separator, &QComboBox::currentIndexChanged, this,
            &ImportDialog::slot_separator_changed);
    connect(comboBox_encoding, &QComboBox::currentIndexChanged, this,
            &ImportDialog::slot_encoding_changed);
    connect(checkBox_header, &QCheckBox::toggled, this, [this] {
        if (!m_filling)
            fillPreview();
    });
    connect(pushButton_import, &QPushButton::clicked, this, &ImportDialog::slot_accept);
    connect(pushButton_cancel, &QPushButton::clicked, this, &QDialog::reject);
    showFile();
}

void ImportDialog::slot_browse()
{
    const QString path = m_ui.getOpenFileName(
        QStringLiteral("Какой файл импортировать"),
        m_path.isEmpty() ? QString() : QFileInfo(m_path).absolutePath(), importFileFilter());
    if (!path.isEmpty())
        loadFile(path);
}

bool ImportDialog::loadFile(const QString &path)
{
    m_path = path;
    lineEdit_file->setText(path);
    {
        WaitCursor wait;
        m_file = loadImportFile(path);
    }
    if (m_file.error.isEmpty() && comboBox_lesson->currentText().trimmed().isEmpty())
        comboBox_lesson->setEditText(QFileInfo(path).completeBaseName());
    showFile();
    return m_file.error.isEmpty();
}

void ImportDialog::showFile()
{
    const bool loaded = !m_path.isEmpty() && m_file.error.isEmpty();
    const bool kvtml = loaded && m_file.format == ExchangeFormat::Kvtml;
    groupBox_table->setVisible(!kvtml);
    groupBox_kvtml->setVisible(kvtml);
    groupBox_table->setEnabled(loaded);
    pushButton_import->setEnabled(loaded);
    if (kvtml) {
        comboBox_foreignId->clear();
        comboBox_russianId->clear();
        for (const KvtmlIdentifier &id : m_file.kvtml.identifiers) {
            const QString name = id.name.isEmpty() ? QString::number(id.id) : id.name;
            comboBox_foreignId->addItem(name, id.id);
            comboBox_russianId->addItem(name, id.id);
        }
        // Russian is the translation when the file names it; else the second.
        int russian = -1;
        for (int i = 0; i < m_file.kvtml.identifiers.size(); ++i) {
            const KvtmlIdentifier &id = m_file.kvtml.identifiers[i];
            if (id.locale.startsWith(QLatin1String("ru")) ||
                id.name.contains(QStringLiteral("Рус")) ||
                id.name.contains(QLatin1String("Russian"), Qt::CaseInsensitive))
                russian = i;
        }
        if (russian < 0)
            russian = std::min(1, int(comboBox_russianId->count()) - 1);
        comboBox_russianId->setCurrentIndex(russian);
        comboBox_foreignId->setCurrentIndex(russian == 0 && comboBox_foreignId->count() > 1 ? 1
                                                                                            : 0);
    } else if (loaded) {
        m_filling = true;
        comboBox_separator->setCurrentIndex(
            std::max(0, comboBox_separator->findData(QString(m_file.layout.separator))));
        comboBox_encoding->setCurrentIndex(
            std::max(0, comboBox_encoding->findData(int(m_file.encoding))));
        m_filling = false;
        fillPreview();
    } else {
        tableWidget_preview->clear();
        tableWidget_preview->setRowCount(0);
        tableWidget_preview->setColumnCount(0);
        m_columnBoxes.clear();
    }
    showDetected();
}

void ImportDialog::showDetected()
{
    if (m_path.isEmpty()) {
        label_detected->setText(QStringLiteral("Выберите таблицу (TSV, CSV) или словарь KVTML."));
        return;
    }
    if (!m_file.error.isEmpty()) {
        label_detected->setText(m_file.error);
        return;
    }
    if (m_file.format == ExchangeFormat::Kvtml) {
        label_detected->setText(QStringLiteral("Словарь KVTML «%1»: записей %2, уроков %3.")
                                    .arg(m_file.kvtml.title)
                                    .arg(m_file.kvtml.entries.size())
                                    .arg(m_file.kvtml.lessons.size()));
        return;
    }
    QString text = QStringLiteral("Таблица: кодировка %1, разделитель «%2»")
                       .arg(exchangeEncodingName(m_file.encoding), separatorName(separator()));
    if (m_file.layout.separatorFromHeader || m_file.layout.html ||
        !m_file.layout.columnNames.isEmpty())
        text += QStringLiteral(" (заголовок Anki)");
    label_detected->setText(text + QLatin1Char('.'));
}

QChar ImportDialog::separator() const
{
    const QString s = comboBox_separator->currentData().toString();
    return s.isEmpty() ? QLatin1Char('\t') : s.at(0);
}

void ImportDialog::slot_separator_changed()
{
    if (m_filling || m_file.format == ExchangeFormat::Kvtml || m_path.isEmpty())
        return;
    fillPreview();
    showDetected();
}

void ImportDialog::slot_encoding_changed()
{
    if (m_filling || m_file.format == ExchangeFormat::Kvtml || m_path.isEmpty())
        return;
    redecodeImportFile(m_file, ExchangeEncoding(comboBox_encoding->currentData().toInt()));
    fillPreview();
    showDetected();
}

void ImportDialog::fillPreview()
{
    // A change of separator or encoding suggests again; the check box is
    // the user's once the file is shown.
    const bool fromBox = sender() == checkBox_header;
    const DelimitedImport preview =
        previewRecords(m_file, separator(), kPreviewRows, fromBox ? int(headerRow()) : -1);
    if (!fromBox) {
        m_filling = true;
        checkBox_header->setChecked(preview.header);
        m_filling = false;
    }
    const int count = preview.columnCount;
    const QList<ExchangeColumn> &suggested = preview.columns;
    const QList<DelimitedRecord> &rows = preview.records;
    QStringList names = m_file.layout.columnNames;
    if (names.isEmpty() && preview.header)
        names = parseDelimited(m_file.text, separator(), m_file.layout.bodyStart,
                               m_file.layout.bodyLine, 1)
                    .value(0)
                    .fields;

    QList<ExchangeColumn> kept;
    if (m_columnBoxes.size() == count)
        kept = columns();
    tableWidget_preview->clear();
    tableWidget_preview->setColumnCount(count);
    tableWidget_preview->setRowCount(1 + int(rows.size()));
    m_columnBoxes.clear();
    QStringList headers;
    for (int c = 0; c < count; ++c) {
        headers << (c < names.size() ? names[c] : QString::number(c + 1));
        auto *box = new QComboBox(tableWidget_preview);
        box->setObjectName(QStringLiteral("columnRole%1").arg(c + 1));
        box->setAccessibleName(QStringLiteral("Что в столбце %1").arg(c + 1));
        for (int role = 0; role < kExchangeColumnCount; ++role)
            box->addItem(exchangeColumnName(ExchangeColumn(role)), role);
        const ExchangeColumn role = kept.isEmpty() ? suggested.value(c) : kept.value(c);
        box->setCurrentIndex(box->findData(int(role)));
        tableWidget_preview->setCellWidget(0, c, box);
        m_columnBoxes << box;
    }
    tableWidget_preview->setHorizontalHeaderLabels(headers);
    for (int r = 0; r + 1 < tableWidget_preview->rowCount(); ++r) {
        const DelimitedRecord &record = rows[r];
        for (int c = 0; c < record.fields.size() && c < count; ++c) {
            QString text = record.fields[c];
            if (m_file.layout.html)
                text = htmlFieldToText(text);
            tableWidget_preview->setItem(r + 1, c, new QTableWidgetItem(text.simplified()));
        }
    }
    tableWidget_preview->resizeColumnsToContents();
    for (int c = 0; c < count; ++c)
        tableWidget_preview->setColumnWidth(
            c, std::clamp(tableWidget_preview->columnWidth(c), 150, 300));
}

QList<ExchangeColumn> ImportDialog::columns() const
{
    QList<ExchangeColumn> out;
    for (QComboBox *box : m_columnBoxes)
        out << ExchangeColumn(box->currentData().toInt());
    return out;
}

int ImportDialog::foreignId() const
{
    return comboBox_foreignId->currentData().toInt();
}

int ImportDialog::russianId() const
{
    return comboBox_russianId->currentData().toInt();
}

ImportDefaults ImportDialog::defaults() const
{
    return {comboBox_lesson->currentText().simplified(), comboBox_category->currentText()};
}

ImportOptions ImportDialog::options() const
{
    ImportOptions o;
    o.targetFile = comboBox_target->currentData().toString();
    o.duplicates = DuplicatePolicy(comboBox_duplicates->currentData().toInt());
    return o;
}

void ImportDialog::slot_accept()
{
    if (m_path.isEmpty() || !m_file.error.isEmpty()) {
        m_ui.showWarning(m_path.isEmpty() ? QStringLiteral("Выберите файл для импорта")
                                          : m_file.error);
        return;
    }
    if (m_file.format == ExchangeFormat::Kvtml) {
        if (comboBox_foreignId->count() < 2 || foreignId() == russianId()) {
            m_ui.showWarning(QStringLiteral("Выберите два разных языка: иностранного слова и "
                                            "перевода"));
            return;
        }
    } else if (!columns().contains(ExchangeColumn::Foreign)) {
        m_ui.showWarning(QStringLiteral("Укажите, в каком столбце иностранное слово"));
        return;
    }
    if (defaults().lesson.isEmpty()) {
        m_ui.showWarning(QStringLiteral("Укажите урок для строк, в которых его нет"));
        return;
    }
    accept();
}
