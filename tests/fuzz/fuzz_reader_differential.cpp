// The fast reader against QXmlStreamReader: whatever the fast one accepts it
// must read exactly as the general one does (cards field by field, lessons,
// warnings in order); anything else it must hand on. Read in pieces at
// once, it must give what it gives reading whole.

#include "fuzz_support.h"

#include "core/dictionary/dictionary_file.h"

namespace
{

const StringSet &categories()
{
    static const StringSet set = {QStringLiteral("Еда"), QStringLiteral("Дом"), QStringLiteral("a"),
                                  QStringLiteral("b")};
    return set;
}

bool sameCard(const Card &a, const Card &b)
{
    return a.sameContent(b) && a.filePath == b.filePath && a.id == b.id &&
           a.inFilter == b.inFilter && a.runMark == b.runMark;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Both ways in: as a file's bytes, and as UTF-8 text of any kind.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &text : {decodeDictionaryBytes(bytes), QString::fromUtf8(bytes)}) {
        const QString path = QStringLiteral("/f.xml");
        const DictionaryReadResult general = parseDictionaryTextGeneral(text, path, categories());
        DictionaryReadResult fast;
        const bool read = parseDictionaryTextFast(text, path, categories(), &fast);
        // Cut before every <lesson> tag and read in pieces at once, as a
        // large file is: the same answer as reading it whole.
        DictionaryReadResult parts;
        fuzzCheck(parseDictionaryTextFast(text, path, categories(), &parts, 0) == read,
                  "reading in pieces differs from reading whole");
        if (!read)
            continue;
        fuzzCheck(parts.warnings == fast.warnings && parts.lessons == fast.lessons &&
                      parts.cards.size() == fast.cards.size(),
                  "pieces read otherwise");
        for (qsizetype i = 0; i < fast.cards.size(); ++i)
            fuzzCheck(sameCard(parts.cards[i], fast.cards[i]), "pieces read a card otherwise");
        fuzzCheck(fast.refused == general.refused, "refusal differs");
        fuzzCheck(fast.warnings == general.warnings, "warnings differ",
                  fast.warnings.join(QStringLiteral("\n--\n")) +
                      QStringLiteral("\n==== but ====\n") +
                      general.warnings.join(QStringLiteral("\n--\n")));
        fuzzCheck(fast.lessons == general.lessons, "lessons differ");
        fuzzCheck(fast.cards.size() == general.cards.size(), "card counts differ");
        for (qsizetype i = 0; i < fast.cards.size(); ++i)
            fuzzCheck(sameCard(fast.cards[i], general.cards[i]), "cards differ",
                      describeCard(fast.cards[i]) + QStringLiteral("\n==== but ====\n") +
                          describeCard(general.cards[i]));
    }
    return 0;
}
