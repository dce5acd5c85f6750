#pragma once
// The program's message-loop step, shared by the main loop and by the waiting loop of the
// host operations, so that a message handled while waiting is handled exactly as usual.
#include <windows.h>

namespace host {

// Keyboard handling that the window does before translation (Tab moves the focus in the
// wizard's own tab order). Returns true when the message was consumed.
using PreTranslateHook = bool (*)(MSG& msg);
void SetPreTranslateHook(PreTranslateHook hook);

// Pre-translation, TranslateMessage, DispatchMessageA.
void DispatchMessageStep(MSG& msg);

class WizardWindow;
class WindowEvents;

// The program's life on its one window: builds it hidden, raises its created event, shows it
// and dispatches messages until the window is gone. Whatever fails on the way, the answer is
// the program's exit code, 0.
int RunWindow(WizardWindow& window, WindowEvents& events);

}  // namespace host
