#pragma once

#include "core/dictionary/prompts.h"
#include "prompt_script.h"

// Prompts for core tests: every prompt of a core service answered from a script.
class ScriptedPrompts : public ScriptedPromptsOf<Prompts>
{
public:
    ScriptedPrompts() : ScriptedPromptsOf<Prompts>(QStringLiteral("Словарь")) {}
};
