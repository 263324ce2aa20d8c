#include "core/dictionary/text_arena.h"

#include <cstring>

TextArena::~TextArena()
{
    // The arena's own reference; strings still in the block keep it.
    if (m_block && !m_block->deref())
        QTypedArrayData<char16_t>::deallocate(m_block);
}

void TextArena::newBlock()
{
    if (m_block && !m_block->deref())
        QTypedArrayData<char16_t>::deallocate(m_block);
    auto [header, data] = QTypedArrayData<char16_t>::allocate(kBlockUnits);
    if (!header)
        qBadAlloc();
    m_block = header;
    m_next = data;
    m_end = data + kBlockUnits;
    ++m_blocks;
}

QString TextArena::string(QStringView text)
{
    const qsizetype n = text.size();
    if (n == 0 || n >= kOwnBlockFrom)
        return text.toString();
    if (!m_block || m_end - m_next < n + 1)
        newBlock();
    char16_t *at = m_next;
    std::memcpy(at, text.utf16(), size_t(n) * sizeof(char16_t));
    at[n] = u'\0';
    m_next = at + n + 1;
    // The string adopts one reference to the block, taken here.
    m_block->ref();
    return QString(QString::DataPointer(static_cast<QTypedArrayData<char16_t> *>(m_block), at, n));
}
