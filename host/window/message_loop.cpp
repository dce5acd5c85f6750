#include "host/window/message_loop.h"

#include "host/system/barrier.h"
#include "host/window/wizard_window.h"

namespace host {

int RunWindow(WizardWindow& window, WindowEvents& events) {
    // The created event runs here, outside any window procedure and its barrier.
    const bool ran = Barrier(false, [&] {
        if (!window.Build(&events, true)) return true;
        window.RaiseCreated();
        window.Show();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageStep(msg);
        return true;
    });
    if (!ran) OutputDebugStringA("Lumora Setup: stopped by an unexpected failure\n");
    return 0;
}

}  // namespace host
