#include "core/convert/text_file.h"

#include "core/dictionary/safe_save.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace
{

QStringConverter::Encoding converterFor(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Locale:
        return QStringConverter::System;
    case TextEncoding::Unicode:
        return QStringConverter::Utf16;
    case TextEncoding::UnicodeUTF8:
        return QStringConverter::Utf8;
    case TextEncoding::Latin1:
        break;
    }
    return QStringConverter::Latin1;
}

} // namespace

TextEncoding textEncodingForIndex(int index)
{
    switch (index) {
    case 0:
        return TextEncoding::Locale;
    case 1:
        return TextEncoding::Unicode;
    case 2:
        return TextEncoding::UnicodeUTF8;
    default:
        return TextEncoding::Latin1;
    }
}

QStringList textEncodingNames()
{
    return {QStringLiteral("Locale"), QStringLiteral("Unicode"), QStringLiteral("UnicodeUTF8")};
}

QStringList textEncodingLabels()
{
    return {QStringLiteral("Системная (UTF-8)"), QStringLiteral("UTF-16"), QStringLiteral("UTF-8")};
}

QString decodeTextFile(const QByteArray &bytes, TextEncoding encoding)
{
    const std::optional<QStringConverter::Encoding> marked =
        QStringConverter::encodingForData(bytes);
    QStringDecoder decoder(marked ? *marked : converterFor(encoding));
    QString text = decoder.decode(bytes);
    if (text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
    }
    return text;
}

QByteArray encodeTextFile(const QString &text, TextEncoding encoding)
{
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    const QStringConverter::Encoding enc = converterFor(encoding);
    QStringEncoder encoder(enc, enc == QStringConverter::Utf16 ? QStringConverter::Flag::WriteBom
                                                               : QStringConverter::Flag::Default);
    return encoder.encode(crlf);
}

QString textFileSaveName(const QString &chosen)
{
    if (chosen.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ||
        chosen.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return chosen;
    if (chosen.endsWith(u'.'))
        return chosen + QStringLiteral("txt");
    return chosen + QStringLiteral(".txt");
}

bool readTextFile(const QString &path, TextEncoding encoding, QString *text, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    *text = decodeTextFile(bytes, encoding);
    return true;
}

bool writeTextFile(const QString &path, const QString &text, TextEncoding encoding, QString *error)
{
    return saveFileAtomically(path, encodeTextFile(text, encoding), error);
}

namespace ToolsText
{

QString fileFilter()
{
    return QStringLiteral("Файлы (*.xml *.txt);;Все(*.*)");
}

QString openTitle()
{
    return QStringLiteral("Какой файл открыть");
}

QString saveAsTitle()
{
    return QStringLiteral("Сохранить как");
}

QString emptyEditor()
{
    return QStringLiteral("Окно просмотра пустое");
}

QString neverSaved()
{
    return QStringLiteral(
        "Файл не сохранялся и не был открыт.\nВыберите \"Сохранить файл указав имя\"");
}

QString saveQuestion(const QString &file)
{
    return QStringLiteral("Сохранить текст в файл ") + file + QStringLiteral("?");
}

QString saveFailed(const QString &file)
{
    return QStringLiteral("Не удалось сохранить файл (") + file + QStringLiteral(")");
}

QString openFailed(const QString &file)
{
    return QStringLiteral("Не удалось открыть файл (") + file + QStringLiteral(")");
}

QString replaceQuestion(const QString &file)
{
    return QStringLiteral("Файл ") + file + QStringLiteral(" уже существует.\nЗаменить его?");
}

QString clearQuestion()
{
    return QStringLiteral("<nobr>Удалить текст из редактора?</nobr>");
}

QString searchFromTopQuestion()
{
    return QStringLiteral("Продолжить поиск с начала?");
}

QString initialText()
{
    return QStringLiteral("\nЛучше день потерять, потом за пять минут долететь!");
}

} // namespace ToolsText
