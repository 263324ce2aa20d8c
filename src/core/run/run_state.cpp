#include "core/run/run_state.h"

#include "core/common/russian_plural.h"

#include "core/dictionary/dictionary.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>

namespace
{

// The four counters of the run's direction.
struct Counters {
    int &n;
    int &p;
    int &r;
    int &a;
};

// A Card's or a stored record's.
template <class C> Counters countersOf(C &c, bool enRu)
{
    if (enRu)
        return {c.nPER, c.pER, c.rER, c.aER};
    return {c.nPRE, c.pRE, c.rRE, c.aRE};
}

int boundedRandom(const RunState::RandomSource &random)
{
    return std::clamp(random(), 0, RunState::randomMax);
}

} // namespace

RunState::RunState()
    : m_engine(std::uint32_t(std::chrono::system_clock::now().time_since_epoch().count()))
{
}

void RunState::setRandomSource(RandomSource source)
{
    m_random = std::move(source);
}

int RunState::nextRandom()
{
    if (m_random)
        return boundedRandom(m_random);
    std::uniform_int_distribution<int> dist(0, randomMax);
    return dist(m_engine);
}

int RunState::drawPosition(int k, const RandomSource &random)
{
    if (k <= 1)
        return 0;
    if (k < randomMax) {
        const qint64 r = boundedRandom(random);
        // r == randomMax would give k itself.
        return int(std::min<qint64>(r * k / randomMax, k - 1));
    }
    // One draw has only 32768 values: scaled over a larger list it could
    // never reach the positions beyond, so combine two into 30 bits.
    const qint64 high = boundedRandom(random);
    const qint64 low = boundedRandom(random);
    const qint64 wide = (high << 15) | low;
    return int(std::min<qint64>((wide * k) >> 30, k - 1));
}

FillResult RunState::fillLists(Dictionary &dict, const WorkSettings &settings)
{
    m_due.clear();
    m_done.clear();
    m_off.clear();
    m_recent.clear();
    m_currentIndex = -1;
    // Flags left over from the previous run must not act on the first card.
    mistakeMade = false;
    goingBack = false;
    m_training = settings.training;
    m_enRu = settings.en_ru;
    m_engine.seed(std::uint32_t(std::chrono::system_clock::now().time_since_epoch().count()));

    FillResult result;
    if (m_training) {
        m_due.reserve(dict.cardCount());
        const CardStore &store = dict.store();
        for (int i = 0; i < store.size(); ++i) {
            const CardRecord &c = store.record(i);
            const bool archiveOk = settings.use_archive || c.nAr;
            const bool filterOk = !settings.use_filter || c.inFilter;
            if (!archiveOk || !filterOk)
                continue;
            const bool due = m_enRu ? c.rER < c.pER : c.rRE < c.pRE;
            (due ? m_due : m_done).append(c.id);
        }
    } else {
        dict.updateMarks([&](MarkedCard &c) {
            if (c.lesson() != settings.lesson)
                return;
            if (c.nAr()) {
                c.setRunMark(0);
                m_due.append(c.id());
            } else {
                result.archivedInLesson = true;
            }
        });
    }
    result.count = int(m_due.size() + m_done.size());
    return result;
}

void RunState::startRunning(Dictionary &dict)
{
    running = true;
    answerShown = true;
    m_currentIndex = -1;
    dict.setModified(true);
}

void RunState::endRun()
{
    m_due.clear();
    m_done.clear();
    m_off.clear();
    running = false;
    answerShown = true;
    m_currentIndex = -1;
}

bool RunState::hasCurrentCard() const
{
    return m_currentIndex >= 0 && m_currentIndex < m_due.size();
}

int RunState::currentCardId() const
{
    return hasCurrentCard() ? m_due[m_currentIndex] : 0;
}

bool RunState::currentCardIn(const Dictionary &dict) const
{
    return hasCurrentCard() && dict.hasCard(m_due[m_currentIndex]);
}

std::optional<Card> RunState::currentCard(const Dictionary &dict) const
{
    return hasCurrentCard() ? dict.cardById(m_due[m_currentIndex]) : std::nullopt;
}

void RunState::accountLeftCard(Dictionary &dict)
{
    if (goingBack || !hasCurrentCard())
        return;
    const int id = m_due[m_currentIndex];
    if (!dict.hasCard(id)) {
        // Cannot happen while deleting is refused during runs; drop the
        // dangling id rather than keep drawing it.
        m_due.removeAt(m_currentIndex);
        mistakeMade = false;
        return;
    }

    if (m_recent.size() >= recentLimit)
        m_recent.removeFirst();
    m_recent.append(id);

    bool leaves = true;
    if (m_training) {
        dict.updateCounters({id}, [&](CardRecord &card) {
            const Counters k = countersOf(card, m_enRu);
            if (mistakeMade) {
                k.r = 0;
                k.a = 0;
                if (k.p < maxRaisedPriority)
                    ++k.p;
                leaves = false;
            } else if (k.p == k.n) {
                k.a = 0;
                ++k.r;
                leaves = k.r >= k.p;
            } else if (k.p > k.n) {
                if (++k.a >= rightAnswersToLower) {
                    k.a = 0;
                    --k.p;
                }
                leaves = false;
            }
            // p < n (only from a hand-edited file): shown once per cycle, unchanged.
        });
    } else {
        dict.updateMarksOf(id, [](MarkedCard &card) { card.setRunMark(card.runMark() + 1); });
    }
    mistakeMade = false;
    if (leaves) {
        m_due.removeAt(m_currentIndex);
        m_done.append(id);
    }
}

void RunState::markChoice(Dictionary &dict, int numRightLearn, ChooseOutcome &outcome) const
{
    outcome.result = ChooseResult::CardChosen;
    if (m_training)
        return;
    const int pos = dict.indexOfId(m_due[m_currentIndex]);
    outcome.offButton = pos >= 0 && dict.store().record(pos).runMark < numRightLearn
                            ? OffButtonPaint::Alert
                            : OffButtonPaint::Normal;
}

ChooseOutcome RunState::chooseNextCard(Dictionary &dict, int numRightLearn)
{
    ChooseOutcome outcome;
    accountLeftCard(dict);
    m_currentIndex = -1;

    for (;;) {
        if (m_due.isEmpty()) {
            if (m_done.isEmpty()) {
                outcome.result = ChooseResult::NothingToShow;
                outcome.allCardsOff = !m_training && !m_off.isEmpty();
                return outcome;
            }
            // A new cycle: every finished card is due again from zero.
            if (m_training)
                dict.updateCounters(m_done, [this](CardRecord &c) { countersOf(c, m_enRu).r = 0; });
            m_due = std::move(m_done);
            m_done.clear();
        }

        if (goingBack) {
            goingBack = false;
            if (m_recent.isEmpty()) {
                outcome.result = ChooseResult::NoPreviousCard;
                return outcome;
            }
            // The lists are searched only here, on a key press, and hold
            // each id at most once.
            const int id = m_recent.takeLast();
            const qsizetype due = m_due.indexOf(id);
            if (due >= 0) {
                m_currentIndex = int(due);
                markChoice(dict, numRightLearn, outcome);
                return outcome;
            }
            const qsizetype done = m_done.indexOf(id);
            if (done >= 0) {
                m_done.removeAt(done);
                m_due.append(id);
                m_currentIndex = int(m_due.size() - 1);
                markChoice(dict, numRightLearn, outcome);
                return outcome;
            }
            // Turned off meanwhile: draw instead.
        }

        const int k = int(m_due.size());
        m_currentIndex = k == 1 ? 0 : drawPosition(k, [this] { return nextRandom(); });
        if (!dict.hasCard(m_due[m_currentIndex])) {
            m_due.removeAt(m_currentIndex);
            m_currentIndex = -1;
            continue;
        }
        if (k == 1) {
            // Taken without a draw, and the button keeps its colour.
            outcome.result = ChooseResult::CardChosen;
            return outcome;
        }
        markChoice(dict, numRightLearn, outcome);
        return outcome;
    }
}

bool RunState::makeMistake(Dictionary &dict, int numRightLearn)
{
    if (!running)
        return false;
    if (!currentCardIn(dict))
        return false;
    if (m_training) {
        mistakeMade = true;
        return true;
    }
    dict.updateMarksOf(currentCardId(), [](MarkedCard &card) { card.setRunMark(0); });
    return numRightLearn > 0;
}

bool RunState::requestPrevious()
{
    if (!running || m_recent.isEmpty())
        return false;
    goingBack = true;
    answerShown = true;
    return true;
}

bool RunState::turnOffCurrentCard()
{
    if (!running || m_training || !hasCurrentCard())
        return false;
    m_off.append(m_due.takeAt(m_currentIndex));
    m_currentIndex = -1;
    answerShown = true;
    return true;
}

bool RunState::turnOnAllCards()
{
    if (m_off.isEmpty())
        return true;
    m_due.append(m_off);
    m_off.clear();
    return false;
}

void RunState::countShownQuestion()
{
    if (m_enRu)
        ++shownER;
    else
        ++shownRE;
}

bool lessonHasCards(const Dictionary &dict, const QString &lesson)
{
    if (dict.lessons().find(lesson) == dict.lessons().end())
        return false;
    const CardStore &store = dict.store();
    for (int i = 0; i < store.size(); ++i)
        if (store.view(i).lesson() == lesson)
            return true;
    return false;
}

QString startWarning(const FillResult &fill)
{
    if (fill.count > 0)
        return QString();
    return fill.archivedInLesson ? RunText::allLessonCardsArchived() : RunText::noCardsToStart();
}

bool needsFewCardsQuestion(const FillResult &fill)
{
    return fill.count > 0 && fill.count < RunState::fewCardsLimit;
}

bool addToArchive(Dictionary &dict, int id)
{
    if (id <= 0)
        return false;
    const std::optional<Card> card = dict.cardById(id);
    if (!card || !card->nAr)
        return false;
    dict.updateCard(id, [](Card &c) { c.nAr = false; });
    return true;
}

int resetDictionaryState(Dictionary &dict)
{
    int lowered = 0;
    QList<int> ids;
    ids.reserve(dict.cardCount());
    for (int i = 0; i < dict.cardCount(); ++i)
        ids.append(dict.store().record(i).id);
    dict.updateCounters(ids, [&](CardRecord &c) {
        if (c.nPER < c.pER || c.nPRE < c.pRE)
            ++lowered;
        resetCardLearningState(c);
    });
    return lowered;
}

QString resetBlockedMessage(bool running, const Dictionary &dict)
{
    if (running)
        return RunText::finishRunFirst();
    if (dict.cardCount() == 0)
        return RunText::dictionaryEmpty();
    return QString();
}

QString resetDoneMessage(int loweredCount)
{
    return QStringLiteral("<nobr>Карточки приведены в исходное состояние</nobr><br><nobr>У ") +
           QString::number(loweredCount) + QLatin1Char(' ') +
           russianPlural(loweredCount, QStringLiteral("карточки"), QStringLiteral("карточек"),
                         QStringLiteral("карточек")) +
           QStringLiteral(" снижен приоритет второго уровня</nobr><br><br>") +
           QStringLiteral("<nobr>Не забудьте сохранить словарь</nobr>");
}

QString priorityLabel(const Card *card, bool enRu)
{
    QString label = QStringLiteral("Приоритет: ");
    if (card) {
        label += enRu ? QStringLiteral("%1/%2").arg(card->nPER).arg(card->pER)
                      : QStringLiteral("%1/%2").arg(card->nPRE).arg(card->pRE);
    }
    return label;
}

QString runStatusLine(const RunState &run, const WorkSettings &settings, bool dictionaryEmpty,
                      MainTab currentTab, bool autocheckPossible, const QString &priorityLabel)
{
    if (dictionaryEmpty)
        return QStringLiteral("Для начала работы откройте файл словаря или создайте словарь");
    if (currentTab == MainTab::Dictionary)
        return QStringLiteral("Работа со словарем");
    if (!run.running)
        return QStringLiteral("Для начала работы нажмите \"Старт\"");

    QString s;
    if (settings.training) {
        s = QStringLiteral("Повторение слов");
        if (settings.use_filter)
            s += QStringLiteral(", фильтр");
    } else {
        s = QStringLiteral("Изучение слов урока \"") + settings.lesson + QLatin1Char('"');
    }
    s += settings.en_ru ? QStringLiteral(", с иностранного на русский.")
                        : QStringLiteral(", с русского на иностранный.");
    if (settings.training) {
        s += QStringLiteral(" Повторено слов: ") +
             QStringLiteral("%1.").arg(settings.en_ru ? run.shownER : run.shownRE);
    }
    if (settings.use_autocheck && autocheckPossible)
        s += QStringLiteral(" (Автопроверка включена)");
    if (!settings.training) {
        if (run.offCards().isEmpty())
            s += QStringLiteral(" (Все карточки урока включены)");
        else {
            const qsizetype off = run.offCards().size();
            s += QStringLiteral(" (") +
                 russianPlural(off, QStringLiteral("Выключена"), QStringLiteral("Выключено"),
                               QStringLiteral("Выключено")) +
                 QLatin1Char(' ') + cardCount(off) + QStringLiteral(" урока)");
        }
    }
    s += QLatin1Char(' ') + priorityLabel;
    return s;
}

namespace RunText
{

QString noCard()
{
    return QStringLiteral("Нет карточки");
}

QString allCardsOff()
{
    return QStringLiteral("Все карточки выключены");
}

QString allCardsAlreadyOn()
{
    return QStringLiteral("Все карточки уже включены");
}

QString lessonMissing(const QString &lesson)
{
    return QStringLiteral("В словаре нет урока ") + lesson;
}

QString allLessonCardsArchived()
{
    return QStringLiteral("<nobr>Все слова выбранного урока архивные</nobr><br>"
                          "<nobr>Выберите другой урок для изучения</nobr>");
}

QString noCardsToStart()
{
    return QStringLiteral("<nobr>Нет ни одной карточки для начала работы</nobr><br>"
                          "<nobr>Используйте менее строгий фильтр или проверьте наличие "
                          "карточек в выбранном уроке</nobr>");
}

QString fewCardsQuestion()
{
    return QStringLiteral("<nobr>Для работы имеется менее 10 карточек</nobr><br>Начать?");
}

QString filterResetQuestion()
{
    return QStringLiteral("Выбран режим работы без фильтра, но фильтр установлен\n"
                          "Переход к карточке в словаре будет доступен только для карточек, "
                          "соответствующих фильтру\n\n"
                          "Сбросить фильтр?");
}

QString endRunQuestion(bool training)
{
    return QStringLiteral("Завершить") +
           (training ? QStringLiteral(" повторение ") : QStringLiteral(" изучение ")) +
           QStringLiteral("слов?");
}

QString finishRunFirst()
{
    return QStringLiteral("<nobr>Сначала завершите учебу</nobr>");
}

QString dictionaryEmpty()
{
    return QStringLiteral("<nobr>Словарь пуст</nobr>");
}

QString resetQuestion()
{
    return QStringLiteral("<nobr>Приоритеты второго уровня всех карточек будут приведены в "
                          "исходное состояние</nobr><br>Выполнить?");
}

QString toolsCaption()
{
    return QStringLiteral("Инструменты");
}

} // namespace RunText
