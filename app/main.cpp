// The setup's entry point: component services, current folder, the window, the loop.
#include <windows.h>
#include <ole2.h>

#include "host/message_loop.h"
#include "host/program_folder.h"
#include "host/win32_host.h"
#include "wizard/wizard.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    OleInitialize(nullptr);
    host::EnterProgramFolder();

    host::Win32Host host;  // takes the environment as the program started with it
    wizard::Wizard setup(host);
    if (setup.Build()) {
        setup.RaiseCreated();
        setup.Show();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) host::DispatchMessageStep(msg);
    }
    return 0;
}
