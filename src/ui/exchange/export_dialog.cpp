#include "ui/exchange/export_dialog.h"

#include <QIcon>

ExportDialog::ExportDialog(int selected, int tableCards, const StringSet &files, bool withNew,
                           QWidget *parent)
    : ExportForm(parent)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    radioButton_selected->setText(QStringLiteral("Выделенные в таблице (%1)").arg(selected));
    radioButton_selected->setEnabled(selected > 0);
    if (selected > 1)
        radioButton_selected->setChecked(true);
    radioButton_table->setText(
        QStringLiteral("Все карточки таблицы с учётом фильтра (%1)").arg(tableCards));
    if (withNew)
        comboBox_file->addItem(newCardsText(), QString());
    for (const QString &f : files)
        comboBox_file->addItem(f, f);
    radioButton_file->setEnabled(comboBox_file->count() > 0);
    comboBox_file->setEnabled(comboBox_file->count() > 0);
    connect(comboBox_file, &QComboBox::activated, this,
            [this] { radioButton_file->setChecked(true); });

    const std::pair<QString, ExchangeFormat> formats[] = {
        {QStringLiteral("Таблица с табуляцией (TSV)"), ExchangeFormat::Tsv},
        {QStringLiteral("Таблица CSV"), ExchangeFormat::Csv},
        {QStringLiteral("KVTML 2.0 (Parley, KWordQuiz)"), ExchangeFormat::Kvtml},
        {QStringLiteral("Список для печати (HTML)"), ExchangeFormat::Html},
        {QStringLiteral("Список для печати (PDF)"), ExchangeFormat::Pdf}};
    for (const auto &f : formats)
        comboBox_format->addItem(f.first, int(f.second));
    comboBox_separator->addItem(QStringLiteral("Табуляция"), QStringLiteral("\t"));
    comboBox_separator->addItem(QStringLiteral("Точка с запятой"), QStringLiteral(";"));
    comboBox_separator->addItem(QStringLiteral("Запятая"), QStringLiteral(","));
    comboBox_encoding->addItem(QStringLiteral("UTF-8 с меткой (для таблиц)"),
                               int(ExchangeEncoding::Utf8Bom));
    comboBox_encoding->addItem(QStringLiteral("Windows-1251"), int(ExchangeEncoding::Windows1251));
    comboBox_hide->addItem(QStringLiteral("Ничего"), int(HiddenSide::None));
    comboBox_hide->addItem(QStringLiteral("Иностранные слова"), int(HiddenSide::Foreign));
    comboBox_hide->addItem(QStringLiteral("Перевод"), int(HiddenSide::Russian));
    connect(comboBox_format, &QComboBox::currentIndexChanged, this,
            &ExportDialog::slot_format_changed);
    connect(pushButton_export, &QPushButton::clicked, this, &QDialog::accept);
    connect(pushButton_cancel, &QPushButton::clicked, this, &QDialog::reject);
    slot_format_changed();
}

QString ExportDialog::newCardsText()
{
    return QStringLiteral("Новые карточки");
}

ExchangeFormat ExportDialog::format() const
{
    return ExchangeFormat(comboBox_format->currentData().toInt());
}

void ExportDialog::slot_format_changed()
{
    const ExchangeFormat f = format();
    const bool table = f == ExchangeFormat::Tsv || f == ExchangeFormat::Csv;
    const bool print = f == ExchangeFormat::Html || f == ExchangeFormat::Pdf;
    // A CSV file is read by spreadsheets with ";" in a Russian locale.
    if (f == ExchangeFormat::Csv && comboBox_separator->currentIndex() == 0)
        comboBox_separator->setCurrentIndex(1);
    if (f == ExchangeFormat::Tsv)
        comboBox_separator->setCurrentIndex(0);
    comboBox_separator->setEnabled(table);
    comboBox_encoding->setEnabled(table);
    checkBox_exact->setEnabled(table);
    comboBox_hide->setEnabled(print);
}

ExportDialog::Scope ExportDialog::scope() const
{
    if (radioButton_selected->isChecked())
        return Scope::Selected;
    if (radioButton_file->isChecked())
        return Scope::File;
    return Scope::Table;
}

QString ExportDialog::file() const
{
    return comboBox_file->currentData().toString();
}

ExportOptions ExportDialog::options() const
{
    ExportOptions o;
    o.format = format();
    o.separator = comboBox_separator->currentData().toString().at(0);
    o.encoding = ExchangeEncoding(comboBox_encoding->currentData().toInt());
    o.exact = checkBox_exact->isChecked();
    o.hidden = HiddenSide(comboBox_hide->currentData().toInt());
    return o;
}
