// The undo history: what its commands cost beside the changes themselves.
#include "bench.h"
#include "card_generator.h"

#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_history.h"

#include <QTextStream>

#include <malloc.h>

namespace
{

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

} // namespace

void benchHistory(const QList<int> &sizes)
{
    QTextStream out(stdout);
    for (int n : sizes) {
        Dictionary dict;
        dict.reserve(n);
        for (const Card &c : generateCards(n, 4))
            dict.addCard(c);
        DictionaryHistory history(dict);

        // 1,000 single-card edits: what the stack keeps of them.
        const size_t before = heapInUse();
        for (int i = 0; i < 1000; ++i) {
            Card c = dict.cardAt(int((qint64(i) * 7919) % n));
            c.lesson = QStringLiteral("edited %1").arg(i);
            c.pER += 1;
            history.editCard(c);
        }
        const double editsMb = double(heapInUse() - before) / (1024.0 * 1024.0);
        history.clear();

        // The delete of every card as one command, against its undo.
        QList<int> ids;
        ids.reserve(n);
        for (int i = 0; i < dict.cardCount(); ++i)
            ids.append(dict.store().record(i).id);
        QElapsedTimer t;
        t.start();
        history.removeCards(ids);
        const double removeMs = msSince(t);
        t.restart();
        history.undo();
        const double undoMs = msSince(t);
        out << "history " << n << " cards: 1000 edits keep " << QString::number(editsMb, 'f', 2)
            << " MB; delete of all " << QString::number(removeMs, 'f', 1) << " ms, its undo "
            << QString::number(undoMs, 'f', 1) << " ms (ratio "
            << QString::number(undoMs / removeMs, 'f', 2) << ")"
            << (dict.cardCount() == n ? "" : " WRONG COUNT") << Qt::endl;
    }
}
