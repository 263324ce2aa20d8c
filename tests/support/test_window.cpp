#include "test_window.h"

#include "scripted_interaction.h"

TestWindow::TestWindow(const QString &workDir, FrameColors *colors, ScriptedInteraction *ui)
    : TestSessionHolder{std::make_unique<Session>(workDir, colors, ui)}, Vmain_form(*heldSession)
{
}
