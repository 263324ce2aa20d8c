#include "core/exchange/kvtml.h"

#include "core/markup/markup.h"

#include <QHash>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

int priorityForGrade(int grade)
{
    if (grade <= 0)
        return 1;
    grade = std::min(grade, 7);
    return 5 - (4 * (grade - 1)) / 6;
}

int gradeForPriority(int priority)
{
    switch (priority) {
    case 1:
        return 0;
    case 2:
        return 6;
    case 3:
        return 4;
    case 4:
        return 3;
    default:
        return priority > 4 ? 1 : 0;
    }
}

const KvtmlTranslation *KvtmlEntry::translation(int identifier) const
{
    for (const auto &t : translations)
        if (t.first == identifier)
            return &t.second;
    return nullptr;
}

namespace
{

int idOf(const QXmlStreamReader &xml)
{
    return xml.attributes().value(QLatin1String("id")).toInt();
}

void readIdentifier(QXmlStreamReader &xml, KvtmlDocument &doc)
{
    KvtmlIdentifier ident;
    ident.id = idOf(xml);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("name"))
            ident.name = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (xml.name() == QLatin1String("locale"))
            ident.locale = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else
            xml.skipCurrentElement();
    }
    doc.identifiers.append(ident);
}

void readGrade(QXmlStreamReader &xml, KvtmlTranslation &t)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("currentgrade")) {
            const int g = xml.readElementText().trimmed().toInt();
            t.grade = std::max(t.grade, g);
        } else {
            xml.skipCurrentElement();
        }
    }
}

void readEntry(QXmlStreamReader &xml, KvtmlDocument &doc)
{
    KvtmlEntry entry;
    entry.id = idOf(xml);
    entry.line = int(xml.lineNumber());
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("translation")) {
            xml.skipCurrentElement();
            continue;
        }
        const int id = idOf(xml);
        KvtmlTranslation t;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("text"))
                t.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else if (xml.name() == QLatin1String("pronunciation"))
                t.pronunciation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else if (xml.name() == QLatin1String("grade"))
                readGrade(xml, t);
            else
                xml.skipCurrentElement();
        }
        entry.translations.append({id, t});
    }
    doc.entries.append(entry);
}

// Lessons are the containers that name entries; a nested one is called
// "Outer / Inner".
void readContainer(QXmlStreamReader &xml, KvtmlDocument &doc, const QString &outer,
                   QHash<int, QString> &lessonOf)
{
    QString name;
    QList<int> entries;
    auto fullName = [&] {
        const QString own = name.simplified();
        return outer.isEmpty() ? own : own.isEmpty() ? outer : outer + QStringLiteral(" / ") + own;
    };
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("name")) {
            name = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.name() == QLatin1String("entry")) {
            entries.append(idOf(xml));
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("container")) {
            readContainer(xml, doc, fullName(), lessonOf);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (entries.isEmpty())
        return;
    const QString lesson = fullName();
    if (!doc.lessons.contains(lesson))
        doc.lessons.append(lesson);
    for (int id : entries)
        if (!lessonOf.contains(id))
            lessonOf.insert(id, lesson);
}

} // namespace

KvtmlDocument readKvtml(const QByteArray &bytes)
{
    KvtmlDocument doc;
    QXmlStreamReader xml(bytes);
    QHash<int, QString> lessonOf;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("kvtml")) {
        doc.error = xml.hasError()
                        ? QStringLiteral("Файл не читается как XML: %1 (строка %2)")
                              .arg(xml.errorString())
                              .arg(xml.lineNumber())
                        : QStringLiteral("Это не файл KVTML: корневой элемент не <kvtml>");
        return doc;
    }
    const QStringView version = xml.attributes().value(QLatin1String("version"));
    if (!version.startsWith(u'2')) {
        doc.error = QStringLiteral("Поддерживается только KVTML 2.0, а в файле версия «%1»")
                        .arg(version.toString());
        return doc;
    }
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == QLatin1String("information")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("title"))
                    doc.title = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                else
                    xml.skipCurrentElement();
            }
        } else if (name == QLatin1String("identifiers")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("identifier"))
                    readIdentifier(xml, doc);
                else
                    xml.skipCurrentElement();
            }
        } else if (name == QLatin1String("entries")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("entry"))
                    readEntry(xml, doc);
                else
                    xml.skipCurrentElement();
            }
        } else if (name == QLatin1String("lessons")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("container"))
                    readContainer(xml, doc, QString(), lessonOf);
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) {
        doc.error = QStringLiteral("Файл не читается как XML: %1 (строка %2)")
                        .arg(xml.errorString())
                        .arg(xml.lineNumber());
        return doc;
    }
    for (KvtmlEntry &e : doc.entries)
        e.lesson = lessonOf.value(e.id);
    return doc;
}

ImportSource cardsFromKvtml(const KvtmlDocument &doc, int foreignId, int russianId,
                            const ImportDefaults &defaults)
{
    ImportSource source;
    source.fields = FieldForeign | FieldTranscription | FieldTranslations | FieldPriorities;
    source.cards.reserve(doc.entries.size());
    for (const KvtmlEntry &e : doc.entries) {
        const KvtmlTranslation *foreign = e.translation(foreignId);
        const KvtmlTranslation *russian = e.translation(russianId);
        const QString word = foreign ? foreign->text.trimmed() : QString();
        const QString meaning = russian ? russian->text.trimmed() : QString();
        if (word.isEmpty() && meaning.isEmpty())
            continue;
        ImportedCard item;
        item.line = e.line;
        Card &card = item.card;
        ForeignWord fw;
        fw.word = word;
        if (foreign) {
            const QString p = foreign->pronunciation.trimmed();
            fw.transcription = p.isEmpty() || p.startsWith(QLatin1Char('['))
                                   ? p
                                   : QLatin1Char('[') + p + QLatin1Char(']');
        }
        card.foreignWords.append(fw);
        card.translations = translationsFromText(meaning);
        card.lesson = e.lesson.isEmpty() ? defaults.lesson : e.lesson;
        if (!defaults.category.isEmpty())
            card.categories = {defaults.category};
        card.nPER = card.pER = priorityForGrade(russian ? russian->grade : 0);
        card.nPRE = card.pRE = priorityForGrade(foreign ? foreign->grade : 0);
        source.cards.append(std::move(item));
    }
    return source;
}

namespace
{

QString withoutBrackets(const QString &t)
{
    const QString s = t.trimmed();
    if (s.size() >= 2 && s.startsWith(QLatin1Char('[')) && s.endsWith(QLatin1Char(']')))
        return s.mid(1, s.size() - 2);
    return s;
}

void writeTranslation(QXmlStreamWriter &xml, int id, const QString &text,
                      const QString &pronunciation, int grade)
{
    xml.writeStartElement(QStringLiteral("translation"));
    xml.writeAttribute(QStringLiteral("id"), QString::number(id));
    xml.writeTextElement(QStringLiteral("text"), text);
    if (!pronunciation.isEmpty())
        xml.writeTextElement(QStringLiteral("pronunciation"), pronunciation);
    if (grade > 0) {
        xml.writeStartElement(QStringLiteral("grade"));
        xml.writeAttribute(QStringLiteral("fromid"), QString::number(1 - id));
        xml.writeTextElement(QStringLiteral("currentgrade"), QString::number(grade));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// XML 1.0 cannot hold most control characters, not even as references.
QString xmlSafe(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

} // namespace

QByteArray kvtmlBytes(const QList<Card> &cards, const QString &title, const QString &foreignName)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral(
        "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">"));
    xml.writeStartElement(QStringLiteral("kvtml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("information"));
    xml.writeTextElement(QStringLiteral("generator"), QStringLiteral("Lexitor " LEXITOR_VERSION));
    xml.writeTextElement(QStringLiteral("title"), xmlSafe(title));
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("identifiers"));
    const QString names[2] = {foreignName, QStringLiteral("Русский")};
    for (int i = 0; i < 2; ++i) {
        xml.writeStartElement(QStringLiteral("identifier"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(i));
        xml.writeTextElement(QStringLiteral("name"), names[i]);
        if (i == 1)
            xml.writeTextElement(QStringLiteral("locale"), QStringLiteral("ru"));
        xml.writeEndElement();
    }
    xml.writeEndElement();

    QStringList lessons;
    QHash<QString, QList<int>> entriesOf;
    xml.writeStartElement(QStringLiteral("entries"));
    for (int i = 0; i < cards.size(); ++i) {
        const Card &c = cards[i];
        QStringList words;
        QStringList sounds;
        for (const ForeignWord &w : c.foreignWords) {
            words << w.word;
            if (!w.transcription.isEmpty())
                sounds << withoutBrackets(w.transcription);
        }
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(i));
        writeTranslation(xml, 0, xmlSafe(words.join(QStringLiteral(", "))),
                         xmlSafe(sounds.join(QStringLiteral(", "))), gradeForPriority(c.pRE));
        writeTranslation(xml, 1, xmlSafe(readableTranslation(c)), QString(),
                         gradeForPriority(c.pER));
        xml.writeEndElement();
        auto it = entriesOf.find(c.lesson);
        if (it == entriesOf.end()) {
            lessons << c.lesson;
            it = entriesOf.insert(c.lesson, {});
        }
        it->append(i);
    }
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("lessons"));
    for (const QString &lesson : lessons) {
        xml.writeStartElement(QStringLiteral("container"));
        xml.writeTextElement(QStringLiteral("name"), xmlSafe(lesson));
        xml.writeTextElement(QStringLiteral("inpractice"), QStringLiteral("true"));
        for (int id : entriesOf.value(lesson)) {
            xml.writeEmptyElement(QStringLiteral("entry"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(id));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}
