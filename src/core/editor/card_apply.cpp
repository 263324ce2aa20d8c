#include "core/editor/card_apply.h"

#include "core/dictionary/card_check.h"
#include "core/editor/translation_parser.h"
#include "core/markup/markup.h"

#include <algorithm>

namespace CardEditorText
{

QString caption()
{
    return QStringLiteral("Редактирование \"слова\"");
}

QString addCaption()
{
    return QStringLiteral("Добавление карточки");
}

QString editCaption()
{
    return QStringLiteral("Редактирование карточки");
}

QString lessonMissing()
{
    return QStringLiteral("Введите наименование урока для \"слова\"");
}

QString transcriptionAlone()
{
    return QStringLiteral("В одной из связок слово-транскрипция отсутствует слово.\n"
                          "Транскрипция добавлена не будет");
}

QString noForeignWord()
{
    return QStringLiteral("Нет ни одной записи для иностранных слов\n"
                          "Должна присутствовать хотя бы одна буква или цифра");
}

QString noRussianWord()
{
    return QStringLiteral(
        "Нет ни одной записи для русских слов\n"
        "Должна присутствовать хотя бы одна буква или цифра\n"
        "Внимание: цифра с точкой в слово не \"входит\" - интерпретируется как номер подраздела");
}

QString noCategory()
{
    return QStringLiteral("Выберите хотя бы одну категорию для \"слова\"");
}

QString noLessonsYet()
{
    return QStringLiteral("Пока нет ни одного названия для уроков");
}

QString lessonPickLabel()
{
    return QStringLiteral("Выберите наименование урока");
}

QString notStorable(const QString &problem)
{
    return QStringLiteral("Карточку нельзя сохранить в файл словаря: ") + problem;
}

} // namespace CardEditorText

CardEditorInput editorInputFromCard(const Card &card)
{
    CardEditorInput in;
    in.lesson = card.lesson;
    for (const ForeignWord &w : card.foreignWords)
        in.lines.append(ForeignLineInput{w.word, w.transcription, w.autoCheck});
    while (in.lines.size() < kMinForeignLines)
        in.lines.append(ForeignLineInput());
    in.translations = renderTranslations(card.translations);
    in.priorityER = card.nPER;
    in.priorityRE = card.nPRE;
    in.archived = !card.nAr;
    in.categories = QStringList(card.categories.cbegin(), card.categories.cend());
    in.soundFiles = card.soundPath;
    return in;
}

CardApplyResult applyCardEditor(const Card &edited, const CardEditorInput &input,
                                const StringSet &categoryList)
{
    CardApplyResult r;
    Card c;
    c.id = edited.id;
    c.filePath = edited.filePath;
    c.lesson = edited.lesson;
    c.nAr = !input.archived;

    // A lesson of blanks only would give the card a lesson no file can hold.
    const QString lesson = input.lesson.simplified();
    if (lesson.isEmpty()) {
        r.error = CardEditorText::lessonMissing();
        return r;
    }
    c.lesson = lesson;

    for (const ForeignLineInput &line : input.lines) {
        const QString word = line.word.simplified();
        const QString transcription = line.transcription.simplified();
        if (hasLetterOrDigit(word))
            c.foreignWords.append(ForeignWord{word, transcription, line.autoCheck});
        else if (!transcription.isEmpty())
            r.warnings.append(CardEditorText::transcriptionAlone());
    }
    if (c.foreignWords.isEmpty()) {
        r.error = CardEditorText::noForeignWord();
        return r;
    }

    TranslationParse parsed = parseTranslations(input.translations.trimmed());
    r.warnings += parsed.warnings;
    if (!parsed.ok()) {
        r.error = parsed.error;
        return r;
    }
    if (parsed.variantCount() == 0) {
        r.error = CardEditorText::noRussianWord();
        return r;
    }
    c.translations = std::move(parsed.sections);

    c.nPER = c.pER = input.priorityER;
    c.nPRE = c.pRE = input.priorityRE;
    c.rER = c.aER = c.rRE = c.aRE = 0;

    if (input.categories.isEmpty()) {
        r.error = CardEditorText::noCategory();
        return r;
    }
    c.categories = QList<QString>(input.categories.cbegin(), input.categories.cend());

    c.soundPath = input.soundFiles.simplified();
    // A section typed without a word, say, would vanish on the next open.
    normalizeCardForFile(c);
    const QString problem = cardFileProblem(c, categoryList);
    if (!problem.isEmpty()) {
        r.error = CardEditorText::notStorable(problem);
        return r;
    }
    r.card = std::move(c);
    return r;
}

QStringList initialChosenCategories(const QList<QString> &cardCategories)
{
    QStringList chosen;
    for (const QString &c : cardCategories) {
        if (chosen.size() >= kMaxCardCategories)
            break;
        if (!chosen.contains(c))
            chosen.append(c);
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

QStringList availableCategories(const StringSet &categoryList)
{
    // The set is already in code-unit order and holds no repeats.
    QStringList out;
    out.reserve(qsizetype(categoryList.size()));
    for (const QString &c : categoryList)
        out.append(c);
    return out;
}

bool canChooseCategory(const QStringList &chosen, const QString &candidate)
{
    return chosen.size() < kMaxCardCategories && !candidate.isEmpty() &&
           !chosen.contains(candidate);
}
