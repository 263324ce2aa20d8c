#include "core/statistics/run_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace
{
const QString kKind = QStringLiteral("kind");
const QString kRepetition = QStringLiteral("repetition");
const QString kLearning = QStringLiteral("learning");
const QString kDirection = QStringLiteral("direction");
const QString kEnRu = QStringLiteral("en_ru");
const QString kRuEn = QStringLiteral("ru_en");
} // namespace

QByteArray runRecordToJson(const RunRecord &record)
{
    QJsonObject o;
    o.insert(QStringLiteral("started"), record.started.toString(Qt::ISODate));
    o.insert(kKind, record.training ? kRepetition : kLearning);
    o.insert(kDirection, record.enRu ? kEnRu : kRuEn);
    o.insert(QStringLiteral("timed"), record.timed);
    o.insert(QStringLiteral("shown"), record.shown);
    o.insert(QStringLiteral("right"), record.right);
    o.insert(QStringLiteral("wrong"), record.wrong);
    o.insert(QStringLiteral("forgotten"), record.forgotten);
    o.insert(QStringLiteral("durationMs"), double(record.durationMs));
    o.insert(QStringLiteral("files"), QJsonArray::fromStringList(record.files));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool runRecordFromJson(const QByteArray &line, RunRecord *record)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    RunRecord r;
    r.started = QDateTime::fromString(o.value(QStringLiteral("started")).toString(), Qt::ISODate);
    const QString kind = o.value(kKind).toString();
    const QString direction = o.value(kDirection).toString();
    if (!r.started.isValid() || (kind != kRepetition && kind != kLearning) ||
        (direction != kEnRu && direction != kRuEn))
        return false;
    r.training = kind == kRepetition;
    r.enRu = direction == kEnRu;
    r.timed = o.value(QStringLiteral("timed")).toBool();
    // A count that is no whole number within range can only come from a
    // damaged or made-up line; the line is skipped rather than converted,
    // which for such numbers is undefined.
    auto count = [&o](const char *key, int *out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isDouble())
            return false;
        const double d = v.toDouble();
        if (!(d >= 0 && d <= kMaxRunCount) || d != std::floor(d))
            return false;
        *out = int(d);
        return true;
    };
    if (!count("shown", &r.shown) || !count("right", &r.right) || !count("wrong", &r.wrong) ||
        !count("forgotten", &r.forgotten))
        return false;
    // The duration only adds to the figures: out of range, it is clamped.
    const double duration = o.value(QStringLiteral("durationMs")).toDouble();
    r.durationMs = duration > 0 ? qint64(std::min(duration, double(kMaxRunDurationMs))) : 0;
    for (const QJsonValue &f : o.value(QStringLiteral("files")).toArray())
        r.files << f.toString();
    *record = r;
    return true;
}

void FileRunJournal::append(const RunRecord &record)
{
    m_lastError.clear();
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        m_lastError = QStringLiteral("Невозможно создать папку журнала\n") + info.absolutePath();
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        m_lastError = QStringLiteral("Невозможно открыть журнал\n") + m_path;
        return;
    }
    QByteArray line;
    // A torn last line from a crash gets its own line end, so this record
    // does not run into it.
    if (file.size() > 0 && file.seek(file.size() - 1)) {
        char last = 0;
        if (file.getChar(&last) && last != '\n')
            line += '\n';
    }
    line += runRecordToJson(record);
    line += '\n';
    if (file.write(line) != line.size() || !file.flush())
        m_lastError = QStringLiteral("Невозможно записать журнал\n") + m_path;
}

JournalContents readRunJournal(const QString &path)
{
    JournalContents contents;
    QFile file(path);
    if (!file.exists())
        return contents;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = QStringLiteral("Невозможно прочитать журнал\n") + path;
        return contents;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        RunRecord r;
        if (runRecordFromJson(line, &r))
            contents.records << r;
        else
            ++contents.skippedLines;
    }
    return contents;
}
