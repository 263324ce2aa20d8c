#pragma once

#include <QString>
#include <QStringView>

// Makes the many short strings of cards read from a file without a heap
// block each: their characters are packed one after the other into shared
// blocks of a few dozen kilobytes, and each string holds a reference to its
// block, as every QString holds one to its own. Copies, changes and
// threads behave as with any QString (a change copies the string out unless
// it is the block's last holder, whose neighbours are then gone); a block is
// freed with the last string in it. Each string is followed by a '\0', as
// Qt's own strings are.
//
// Measured on 100,000 cards: a heap block per string was two thirds of a
// card's blocks and most of the time to free a dictionary.
class TextArena
{
public:
    TextArena() = default;
    ~TextArena();
    TextArena(const TextArena &) = delete;
    TextArena &operator=(const TextArena &) = delete;

    // The text as a string in the arena (empty and null texts as
    // QStringView::toString() makes them).
    QString string(QStringView text);

    // Blocks this arena has begun, for the tests.
    qsizetype blockCount() const { return m_blocks; }

private:
    // Longer texts get a block of their own, like any string.
    static constexpr qsizetype kBlockUnits = 16 * 1024 - 16;
    static constexpr qsizetype kOwnBlockFrom = 256;

    void newBlock();

    QArrayData *m_block = nullptr;
    char16_t *m_next = nullptr;
    char16_t *m_end = nullptr;
    qsizetype m_blocks = 0;
};
