#pragma once

#include "core/run/speech.h"

#include <memory>

// The program's speaker, on Qt TextToSpeech (speech-dispatcher with
// espeak-ng on Linux). Unavailable, with the reason, when no engine loads or
// it has no voice. May run on any thread: the engine is handed to `home`,
// the thread that uses it.
class QThread;
std::unique_ptr<Speaker> createTextSpeaker(QThread *home);
