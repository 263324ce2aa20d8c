#include "core/settings/ini_reader.h"

#include "core/settings/settings_keys.h"
#include "core/settings/syst_func.h"

#include <cstdio>

namespace
{

const QLatin1Char sectionSeparator(':');

bool startsWithTrueChar(const QString &value)
{
    static const QString trueChars = QStringLiteral("yYtTдД1");
    return !value.isEmpty() && trueChars.contains(value.at(0));
}

int numberOr(const QString &value, int def)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    return ok ? number : def;
}

bool boolOr(const QString &value, bool def)
{
    // "--" is what a missing key reads as internally; stored, it means the default too.
    if (value == QLatin1String("--"))
        return def;
    return startsWithTrueChar(value);
}

} // namespace

bool iniReader::isValidName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

bool iniReader::load(const QString &fileName)
{
    clear();
    QString text;
    SYST_FUNC::TextEncoding encoding = SYST_FUNC::TextEncoding::Windows1251;
    if (!SYST_FUNC::openTxtFile(fileName, text, nullptr, false, &encoding)) {
        m_fileEncoding = SYST_FUNC::TextEncoding::Windows1251;
        return false;
    }
    return loadText(text, encoding);
}

bool iniReader::loadText(const QString &text, SYST_FUNC::TextEncoding readAs)
{
    clear();
    m_fileEncoding = readAs;
    QString parseSection;
    // Windows editors end lines with CR LF, old Mac ones with CR alone.
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && text.at(i) != QLatin1Char('\n') && text.at(i) != QLatin1Char('\r'))
            continue;
        parseLine(text.mid(start, i - start), parseSection);
        if (i + 1 < n && text.at(i) == QLatin1Char('\r') && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    return true;
}

void iniReader::parseLine(const QString &line, QString &parseSection)
{
    if (line.isEmpty())
        return;
    QString s = line.simplified();

    if (s.startsWith(QLatin1Char('['))) {
        const qsizetype close = s.indexOf(QLatin1Char(']'));
        if (close < 2)
            return;
        const QString name = s.mid(1, close - 1);
        if (!isValidName(name))
            return;
        IniEntry e;
        e.kind = IniEntry::Header;
        e.section = name;
        m_entries.append(e);
        parseSection = name;
        return;
    }

    IniEntry e;
    qsizetype marker = s.indexOf(QLatin1Char('#'));
    const qsizetype semicolon = s.indexOf(QLatin1Char(';'));
    if (semicolon >= 0 && (marker < 0 || semicolon < marker))
        marker = semicolon;
    if (marker >= 0) {
        e.comment = s.mid(marker + 1);
        s = s.left(marker).simplified();
    }

    if (s.isEmpty()) {
        e.kind = IniEntry::Comment;
        m_entries.append(e);
        return;
    }

    const qsizetype eq = s.indexOf(QLatin1Char('='));
    if (eq < 0)
        return;
    e.key = s.left(eq).trimmed();
    e.value = s.mid(eq + 1).trimmed();
    if (!isValidName(e.key) || e.value.isEmpty())
        return;
    e.kind = IniEntry::Key;
    e.section = parseSection;
    e.fileValue = e.value;
    m_entries.append(e);
}

QString iniReader::unstorableReason(const QString &value, bool unicode)
{
    // An empty value is dropped on load: the key then reads as its default.
    if (value.isEmpty())
        return QString();
    if (value.contains(QLatin1Char('#')) || value.contains(QLatin1Char(';')))
        return QStringLiteral("знаки «#» и «;» начинают в файле настроек комментарий");
    if (value != value.simplified())
        return QStringLiteral("переводы строк, табуляции и лишние пробелы в файле настроек "
                              "не сохраняются");
    if (!unicode && !SYST_FUNC::fitsWindows1251(value))
        return QStringLiteral("в кодировке Windows-1251 нет некоторых его символов");
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return QStringLiteral("в нём есть половина суррогатной пары, которую нельзя записать");
    }
    return QString();
}

void iniReader::addSaveNote(const QString &note)
{
    if (!m_pendingNotes.contains(note))
        m_pendingNotes.append(note);
}

QString iniReader::fileText(SYST_FUNC::TextEncoding *encoding, QStringList *notes) const
{
    using SYST_FUNC::TextEncoding;
    // Text that came from a Unicode file and has no Windows-1251 form is the
    // user's own: the file stays Unicode rather than lose it.
    bool unicode = false;
    if (m_fileEncoding != TextEncoding::Windows1251) {
        for (const IniEntry &e : m_entries) {
            const bool fromFile = e.kind == IniEntry::Key && e.value == e.fileValue;
            if (!SYST_FUNC::fitsWindows1251(e.section) || !SYST_FUNC::fitsWindows1251(e.key) ||
                !SYST_FUNC::fitsWindows1251(e.comment) ||
                (fromFile && !SYST_FUNC::fitsWindows1251(e.value))) {
                unicode = true;
                break;
            }
        }
    }

    const QString out = composeText([&](const IniEntry &e, QString *value) {
        const QString why = unstorableReason(e.value, unicode);
        if (why.isEmpty())
            return true;
        const QString name = e.section.isEmpty() ? e.key : e.section + QLatin1Char(':') + e.key;
        QString note = QStringLiteral("Значение «") + e.value + QStringLiteral("» параметра ") +
                       name + QStringLiteral(" не сохранено: ") + why;
        const bool keepOld =
            !e.fileValue.isNull() && unstorableReason(e.fileValue, unicode).isEmpty();
        if (keepOld) {
            note += QStringLiteral(". Оставлено прежнее значение «") + e.fileValue +
                    QStringLiteral("»");
            *value = e.fileValue;
        }
        if (notes)
            notes->append(note);
        return keepOld;
    });

    TextEncoding chosen = unicode ? TextEncoding::Utf8 : TextEncoding::Windows1251;
    if (!unicode) {
        // A rare Windows-1251 text is also valid UTF-8 and would be read back
        // as such; with a byte-order mark it cannot be mistaken.
        TextEncoding readAs = TextEncoding::Windows1251;
        SYST_FUNC::decodeSettingsBytes(SYST_FUNC::encodeSettingsText(out, chosen), &readAs);
        if (readAs != TextEncoding::Windows1251)
            chosen = TextEncoding::Utf8;
    }
    if (encoding)
        *encoding = chosen;
    return out;
}

bool iniReader::save(const QString &fileName, QString *error)
{
    SYST_FUNC::TextEncoding encoding = SYST_FUNC::TextEncoding::Windows1251;
    QStringList notes;
    const QString text = fileText(&encoding, &notes);
    m_notes = m_pendingNotes;
    m_pendingNotes.clear();
    for (const QString &n : std::as_const(notes))
        if (!m_notes.contains(n))
            m_notes.append(n);
    return SYST_FUNC::saveTxtFile(fileName, text, nullptr, false, error, encoding);
}

QString iniReader::toText() const
{
    return composeText([](const IniEntry &, QString *) { return true; });
}

QString
iniReader::composeText(const std::function<bool(const IniEntry &, QString *)> &valueOf) const
{
    QString out;
    QString lastSection;
    for (const IniEntry &e : m_entries) {
        switch (e.kind) {
        case IniEntry::Comment:
            if (!e.comment.isEmpty())
                out += QLatin1Char('#') + e.comment;
            out += QLatin1Char('\n');
            break;
        case IniEntry::Header:
            out += QLatin1String("\n[") + e.section + QLatin1String("]\n");
            lastSection = e.section;
            break;
        case IniEntry::Key: {
            QString value = e.value;
            if (e.key.isEmpty() || !valueOf(e, &value))
                break;
            if (!e.section.isEmpty() && e.section != lastSection) {
                out += QLatin1String("\n[") + e.section + QLatin1String("]\n");
                lastSection = e.section;
            }
            out += e.key + QLatin1Char('=') + value;
            if (!e.comment.isEmpty())
                out += QLatin1String(" #") + e.comment;
            out += QLatin1Char('\n');
            break;
        }
        default:
            break;
        }
    }
    return out;
}

void iniReader::print() const
{
    std::printf("iniReader::print()\n%s\n", toText().toLocal8Bit().constData());
    std::fflush(stdout);
}

void iniReader::clear()
{
    m_entries.clear();
    m_group.clear();
}

bool iniReader::setGroup(const QString &name)
{
    if (name.isEmpty()) {
        m_group.clear();
        return true;
    }
    if (!isValidName(name))
        return false;
    m_group = name;
    return true;
}

bool iniReader::endGroup()
{
    m_group.clear();
    return true;
}

iniReader::ResolvedKey iniReader::resolve(const QString &key) const
{
    const qsizetype colon = key.indexOf(sectionSeparator);
    if (colon < 0)
        return {m_group, key};
    return {key.left(colon), key.mid(colon + 1)};
}

int iniReader::findKey(const QString &section, const QString &key) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        const IniEntry &e = m_entries.at(i);
        if (e.kind == IniEntry::Key && e.key == key && e.section == section)
            return i;
    }
    return -1;
}

QString iniReader::readEntry(const QString &key, const QString &def, bool writeDefault)
{
    const ResolvedKey r = resolve(key);
    if (r.key.isEmpty())
        return def;
    const int i = findKey(r.section, r.key);
    if (i >= 0)
        return m_entries.at(i).value;
    if (writeDefault)
        writeEntry(key, def);
    return def;
}

int iniReader::readNumEntry(const QString &key, int def, bool writeDefault)
{
    const ResolvedKey r = resolve(key);
    const int i = r.key.isEmpty() ? -1 : findKey(r.section, r.key);
    if (i < 0) {
        // The default itself is written, so the file shows a usable number.
        if (writeDefault && !r.key.isEmpty())
            writeEntry(key, def);
        return def;
    }
    return numberOr(m_entries.at(i).value, def);
}

bool iniReader::readBoolEntry(const QString &key, bool def, bool writeDefault)
{
    const ResolvedKey r = resolve(key);
    const int i = r.key.isEmpty() ? -1 : findKey(r.section, r.key);
    if (i < 0) {
        if (writeDefault && !r.key.isEmpty())
            writeEntry(key, def);
        return def;
    }
    return boolOr(m_entries.at(i).value, def);
}

void iniReader::writeEntry(const QString &key, const QString &value)
{
    ResolvedKey r = resolve(key);
    if (key.contains(sectionSeparator) && !isValidName(r.section))
        r.section = m_group;
    if (!isValidName(r.key))
        return;
    store(r, value);
}

void iniReader::store(const ResolvedKey &r, const QString &value)
{
    const int existing = findKey(r.section, r.key);
    if (existing >= 0) {
        m_entries[existing].value = value;
        return;
    }

    IniEntry e;
    e.kind = IniEntry::Key;
    e.section = r.section;
    e.key = r.key;
    e.value = value;

    if (r.section.isEmpty()) {
        m_entries.prepend(e);
        return;
    }
    for (int i = 0; i < m_entries.size(); ++i) {
        const IniEntry &h = m_entries.at(i);
        if (h.kind == IniEntry::Header && h.section == r.section) {
            m_entries.insert(i + 1, e);
            return;
        }
    }
    IniEntry header;
    header.kind = IniEntry::Header;
    header.section = r.section;
    m_entries.append(header);
    m_entries.append(e);
}

void iniReader::writeEntry(const QString &key, const char *value)
{
    writeEntry(key, QString::fromUtf8(value));
}

void iniReader::writeEntry(const QString &key, bool value)
{
    writeEntry(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void iniReader::writeEntry(const QString &key, int value)
{
    writeEntry(key, QString::number(value));
}

bool iniReader::isUsable(const SettingsKey &key)
{
    return isValidName(key.name.toString()) &&
           (key.section.isEmpty() || isValidName(key.section.toString()));
}

int iniReader::findKey(const SettingsKey &key) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        const IniEntry &e = m_entries.at(i);
        if (e.kind == IniEntry::Key && e.key == key.name && e.section == key.section)
            return i;
    }
    return -1;
}

QString iniReader::readEntry(const SettingsKey &key, const QString &def, bool writeDefault)
{
    const int i = findKey(key);
    if (i >= 0)
        return m_entries.at(i).value;
    if (writeDefault)
        writeEntry(key, def);
    return def;
}

int iniReader::readNumEntry(const SettingsKey &key, int def, bool writeDefault)
{
    const int i = findKey(key);
    if (i >= 0)
        return numberOr(m_entries.at(i).value, def);
    if (writeDefault)
        writeEntry(key, def);
    return def;
}

bool iniReader::readBoolEntry(const SettingsKey &key, bool def, bool writeDefault)
{
    const int i = findKey(key);
    if (i >= 0)
        return boolOr(m_entries.at(i).value, def);
    if (writeDefault)
        writeEntry(key, def);
    return def;
}

void iniReader::writeEntry(const SettingsKey &key, const QString &value)
{
    if (isUsable(key))
        store({key.section.toString(), key.name.toString()}, value);
}

void iniReader::writeEntry(const SettingsKey &key, const char *value)
{
    writeEntry(key, QString::fromUtf8(value));
}

void iniReader::writeEntry(const SettingsKey &key, bool value)
{
    writeEntry(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void iniReader::writeEntry(const SettingsKey &key, int value)
{
    writeEntry(key, QString::number(value));
}
