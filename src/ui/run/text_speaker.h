#pragma once

#include "core/run/speech.h"

#include <memory>

// The program's speaker, on Qt TextToSpeech (speech-dispatcher with
// espeak-ng on Linux). Unavailable, with the reason, when no engine loads or
// it has no voice.
std::unique_ptr<Speaker> createTextSpeaker();
