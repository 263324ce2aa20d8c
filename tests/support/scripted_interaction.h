#pragma once

#include "prompt_script.h"
#include "ui/common/interaction.h"

// A window's interaction for tests: every box, question and dialog answered
// from a script, which also records what was asked.
class ScriptedInteraction : public ScriptedPromptsOf<Interaction>
{
public:
    using PromptScript::AboutQt;
    using PromptScript::Color;
    using PromptScript::Dialog;
    using PromptScript::Font;

    ScriptedInteraction() : ScriptedPromptsOf<Interaction>(QStringLiteral("Словарь")) {}

    ScriptedInteraction &answerDialog(std::function<int(QDialog *)> run);
    // An invalid colour cancels the colour dialog.
    ScriptedInteraction &answerColor(const QColor &color);
    // Accepts the font dialog with `font`; expect(Font) alone cancels it.
    ScriptedInteraction &answerFont(const QFont &font);

    // What the last colour and font prompts started from.
    QColor lastColor;
    QFont lastFont;

    QColor getColor(const QColor &initial) override;
    QFont getFont(const QFont &initial, bool *ok) override;
    int runDialog(QDialog *dialog) override;
    void showAboutQt(const QString &title) override { take(AboutQt, title); }
};
