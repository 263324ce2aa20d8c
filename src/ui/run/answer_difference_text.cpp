#include "ui/run/answer_difference_text.h"

#include "core/run/answer_diff.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace
{

// The marks bring their own light background and dark text, so they read
// the same on whatever contents colour the learner chose.
QTextCharFormat markFormat(const QTextCharFormat &base, DiffMark mark)
{
    QTextCharFormat f = base;
    const auto paint = [&f](const QColor &background, const QColor &text) {
        f.setBackground(background);
        f.setForeground(text);
    };
    switch (mark) {
    case DiffMark::Same:
        break;
    case DiffMark::Wrong:
        paint(QColor(255, 200, 200), QColor(150, 0, 0));
        f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        f.setUnderlineColor(QColor(150, 0, 0));
        break;
    case DiffMark::Missing:
        paint(QColor(200, 240, 200), QColor(0, 90, 0));
        f.setFontWeight(QFont::Bold);
        f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        break;
    case DiffMark::Extra:
        paint(QColor(225, 225, 225), QColor(70, 70, 70));
        f.setFontStrikeOut(true);
        break;
    }
    return f;
}

} // namespace

void appendAnswerDifference(QTextEdit *pane, const AnswerDifference &difference)
{
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    // The answer text ends with a line break; anything else gets one, so the
    // explanation always starts on a line of its own.
    if (!cursor.block().text().isEmpty())
        cursor.insertBlock();
    const QTextCharFormat base = cursor.charFormat();
    bool firstLine = true;
    const auto newLine = [&] {
        if (!firstLine)
            cursor.insertBlock();
        firstLine = false;
    };

    if (!difference.segments.isEmpty()) {
        newLine();
        for (const DiffSegment &s : difference.segments)
            cursor.insertText(s.text, markFormat(base, s.mark));
    }
    if (!difference.missingItems.isEmpty()) {
        newLine();
        cursor.insertText(difference.missingItemsLine(), base);
    }
    const QString line = difference.line();
    if (!line.isEmpty()) {
        newLine();
        QTextCharFormat italic = base;
        italic.setFontItalic(true);
        cursor.insertText(line, italic);
    }
}
