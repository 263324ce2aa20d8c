#pragma once

#include "app/main_window.h"
#include "app/session.h"

#include <memory>

class ScriptedInteraction;

// Holds the session so it outlives the window built on it.
struct TestSessionHolder {
    std::unique_ptr<Session> heldSession;
};

// The program's window on its own session in `workDir`, answering prompts
// from `ui` (owned by the session).
class TestWindow : private TestSessionHolder, public Vmain_form
{
public:
    TestWindow(const QString &workDir, FrameColors *colors, ScriptedInteraction *ui);
};
