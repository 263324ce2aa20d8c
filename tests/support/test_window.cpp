#include "test_window.h"

#include "run/run_clock.h"
#include "scripted_interaction.h"

TestWindow::TestWindow(const QString &workDir, FrameColors *colors, ScriptedInteraction *ui)
    : TestSessionHolder{makeSession(workDir, colors, ui)}, Vmain_form(*heldSession)
{
}

std::unique_ptr<Session> TestSessionHolder::makeSession(const QString &workDir, FrameColors *colors,
                                                        ScriptedInteraction *ui)
{
    auto session = std::make_unique<Session>(workDir, colors, ui);
    session->setClock(new SteppedRunClock);
    return session;
}

SteppedRunClock &steppedClock(Vmain_form &window)
{
    return static_cast<SteppedRunClock &>(window.session().clock());
}
