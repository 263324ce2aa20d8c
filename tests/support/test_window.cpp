#include "test_window.h"

#include "core/run/run_clock.h"
#include "recording_speaker.h"
#include "scripted_interaction.h"

#include <QDir>

TestWindow::TestWindow(const QString &workDir, FrameColors *colors, ScriptedInteraction *ui)
    : TestSessionHolder{makeSession(workDir, colors, ui)}, Vmain_form(*heldSession)
{
}

std::unique_ptr<Session> TestSessionHolder::makeSession(const QString &workDir, FrameColors *colors,
                                                        ScriptedInteraction *ui)
{
    auto session = std::make_unique<Session>(workDir, colors, ui);
    session->setClock(new SteppedRunClock);
    // Per-user options and the run journal stay in the test's folder, and
    // no speech engine is started.
    session->setUserFolders(QDir(workDir).filePath(QStringLiteral("user/options.ini")),
                            QDir(workDir).filePath(QStringLiteral("user/data")));
    session->setSpeaker(new RecordingSpeaker);
    return session;
}

SteppedRunClock &steppedClock(Vmain_form &window)
{
    return static_cast<SteppedRunClock &>(window.session().clock());
}
