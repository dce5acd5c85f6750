#include "host/window/message_loop.h"

#include "host/window/wizard_window.h"

namespace host {

int RunWindow(WizardWindow& window, WindowEvents& events) {
    // The created event runs here, outside any window procedure and its barrier.
    try {
        if (!window.Build(&events, true)) return 0;
        window.RaiseCreated();
        window.Show();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageStep(msg);
    } catch (...) {
        OutputDebugStringA("Lumora Setup: stopped by an unexpected failure\n");
    }
    return 0;
}

}  // namespace host
