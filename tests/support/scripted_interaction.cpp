#include "scripted_interaction.h"

#include <QDialog>

ScriptedInteraction &ScriptedInteraction::answerDialog(std::function<int(QDialog *)> run)
{
    with(Dialog, QString(), [&run](Step &s) { s.run = std::move(run); });
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerColor(const QColor &color)
{
    with(Color, QString(), [&color](Step &s) {
        s.hasColor = true;
        s.color = color;
    });
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerFont(const QFont &font)
{
    with(Font, QString(), [&font](Step &s) {
        s.hasFont = true;
        s.font = font;
    });
    return *this;
}

QColor ScriptedInteraction::getColor(const QColor &initial)
{
    lastColor = initial;
    const Step s = take(Color, QString());
    return s.hasColor ? s.color : initial;
}

QFont ScriptedInteraction::getFont(const QFont &initial, bool *ok)
{
    lastFont = initial;
    const Step s = take(Font, QString());
    if (ok)
        *ok = s.hasFont;
    return s.hasFont ? s.font : initial;
}

int ScriptedInteraction::runDialog(QDialog *dialog)
{
    Step s = take(Dialog, dialog->objectName());
    return s.run ? s.run(dialog) : QDialog::Rejected;
}
