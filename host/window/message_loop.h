#pragma once
// The program's message loop on its one window.
#include "host/system/message_step.h"

namespace host {

class WizardWindow;
class WindowEvents;

// The program's life on its one window: builds it hidden, raises its created event, shows it
// and dispatches messages until the window is gone. Whatever fails on the way, the answer is
// the program's exit code, 0.
int RunWindow(WizardWindow& window, WindowEvents& events);

}  // namespace host
