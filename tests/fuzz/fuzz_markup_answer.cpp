// The markup helpers and the answer check on any card and any typed answer:
// no crash, the check's items are clean, and typing the items back in their
// order is always right. The editor's translation parser reads any text.

#include "fuzz_support.h"

#include "core/editor/translation_parser.h"
#include "core/markup/markup.h"
#include "core/run/answer_check.h"

namespace
{

bool isClean(const QString &item)
{
    static const QString punctuation = QStringLiteral(",.:;!?\")(");
    if (item.isEmpty() || item != item.simplified())
        return false;
    for (const QChar c : item)
        if (punctuation.contains(c))
            return false;
    return true;
}

Card cardFrom(FuzzInput &in)
{
    static const QStringList codes = {QStringLiteral("N"),  QStringLiteral("S"),
                                      QStringLiteral("SS"), QStringLiteral("Применено"),
                                      QStringLiteral("V"),  QStringLiteral("*")};
    Card c;
    for (int n = in.byte() % 4; n > 0; --n) {
        const int flags = in.byte();
        c.foreignWords.append(ForeignWord{in.text(), in.text(), bool(flags & 1)});
    }
    for (int s = in.byte() % 3; s > 0; --s) {
        TranslationSection section;
        const int code = in.byte();
        section.code = code < 240 ? codes[code % codes.size()] : in.text();
        for (int g = in.byte() % 3; g > 0; --g) {
            TranslationGroup group;
            for (int v = in.byte() % 3; v > 0; --v)
                group.append(TranslationVariant{in.text(), in.text()});
            section.groups.append(group);
        }
        c.translations.append(section);
    }
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const Card card = cardFrom(in);
    const QString typed = in.text();
    const int display = in.byte();

    (void)firstLetter(typed);
    (void)hasLetterOrDigit(typed);
    (void)firstForeignWord(card);
    (void)firstRussianWord(card);
    const RenderedText foreign = foreignText(card);
    fuzzCheck(foreign.lineCount == card.foreignWords.size(), "foreign line count");
    (void)translationText(card);
    (void)translationText(card, TranslationDisplay{bool(display & 1), bool(display & 2)},
                          bool(display & 4));
    (void)timedCardSteps(card, display & 8);

    // The editor's text of the sections, and its parser on it and on any text.
    (void)parseTranslations(renderTranslations(card.translations));
    (void)parseTranslations(typed);

    const QStringList items = autocheckItems(card);
    for (const QString &item : items)
        fuzzCheck(isClean(item), "an item is not clean", item);
    const AutocheckResult typedBack = checkAnswerItems(items, items.join(QLatin1Char(' ')));
    fuzzCheck(typedBack.checkable == !items.isEmpty(), "checkable differs from the items");
    fuzzCheck(items.isEmpty() || typedBack.accepted(), "the items typed back were refused",
              items.join(QLatin1Char('|')));
    (void)checkAnswer(card, typed);
    return 0;
}
