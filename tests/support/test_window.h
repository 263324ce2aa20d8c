#pragma once

#include "app/main_window.h"
#include "app/session.h"

#include <memory>

class ScriptedInteraction;

// Holds the session so it outlives the window built on it.
struct TestSessionHolder {
    static std::unique_ptr<Session> makeSession(const QString &workDir, FrameColors *colors,
                                                ScriptedInteraction *ui);
    std::unique_ptr<Session> heldSession;
};

// The program's window on its own session in `workDir`, answering prompts
// from `ui` (owned by the session). Its run timers are a stepped clock: tests
// fire them, never wait for them.
class TestWindow : private TestSessionHolder, public Vmain_form
{
public:
    TestWindow(const QString &workDir, FrameColors *colors, ScriptedInteraction *ui);
};

class SteppedRunClock;
// The stepped clock of a TestWindow.
SteppedRunClock &steppedClock(Vmain_form &window);
