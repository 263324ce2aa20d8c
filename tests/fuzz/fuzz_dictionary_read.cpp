// Reading a dictionary file from any bytes: the fast reader or the general
// one behind it must never crash, every card it accepts must be one the
// writer can save, and writing the cards and reading them again must give
// the very same cards without a word of warning.

#include "fuzz_support.h"

#include "core/dictionary/card_check.h"
#include "core/dictionary/dictionary_file.h"

namespace
{

const StringSet &categories()
{
    static const StringSet set = {QStringLiteral("Еда"),    QStringLiteral("Дом"),
                                  QStringLiteral("Город"),  QStringLiteral("Общение"),
                                  QStringLiteral("Прочие"), QStringLiteral("a"),
                                  QStringLiteral("b"),      QStringLiteral("<&\">")};
    return set;
}

const QString kPath = QStringLiteral("/fuzz/d.xml");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const DictionaryReadResult first =
        parseDictionaryText(decodeDictionaryBytes(bytes), kPath, categories());
    if (first.refused) {
        fuzzCheck(first.cards.isEmpty() && first.warnings.size() == 1, "refused file kept cards");
        return 0;
    }
    if (first.cards.isEmpty())
        return 0;
    for (const Card &c : first.cards) {
        const QString problem = cardFileProblem(c, categories());
        fuzzCheck(problem.isEmpty(), "a card read from a file cannot be saved",
                  problem + QLatin1Char('\n') + describeCard(c));
        fuzzCheck(first.lessons.count(c.lesson) == 1, "lesson of a card not among the lessons");
    }

    // The cards in the order read: a new <lesson> element whenever the
    // lesson changes, so interleaved lessons come back in the same order.
    const QByteArray written = dictionaryFileBytes(first.cards);
    const DictionaryReadResult second =
        parseDictionaryText(decodeDictionaryBytes(written), kPath, categories());
    fuzzCheck(!second.refused && second.warnings.isEmpty(), "written file read with warnings",
              second.warnings.join(QStringLiteral("\n--\n")));
    fuzzCheck(second.cards.size() == first.cards.size(), "written file lost cards");
    for (qsizetype i = 0; i < first.cards.size(); ++i)
        fuzzCheck(second.cards[i].sameContent(first.cards[i]), "card changed by a round trip",
                  describeCard(first.cards[i]) + QStringLiteral("\n---- became ----\n") +
                      describeCard(second.cards[i]));
    fuzzCheck(dictionaryFileBytes(second.cards) == written, "second write differs");
    return 0;
}
