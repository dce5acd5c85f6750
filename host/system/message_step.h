#pragma once
// One step of the program's message loop, shared by the main loop and by the waiting loop of
// the host operations, so that a message handled while waiting is handled exactly as usual.
#include <windows.h>

namespace host {

// Keyboard handling that the window does before translation (Tab moves the focus in the
// wizard's own tab order). Returns true when the message was consumed.
using PreTranslateHook = bool (*)(MSG& msg);
void SetPreTranslateHook(PreTranslateHook hook);

// Pre-translation, TranslateMessage, DispatchMessageW.
void DispatchMessageStep(MSG& msg);

}  // namespace host
