// The setup's entry point: component services, current folder, the window, the loop.
#include <windows.h>
#include <ole2.h>

#include "host/message_loop.h"
#include "host/program_folder.h"
#include "wizard/wizard.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    OleInitialize(nullptr);
    host::EnterProgramFolder();

    wizard::Wizard setup;
    if (setup.Build()) {
        setup.RaiseCreated();
        setup.Show();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) host::DispatchMessageStep(msg);
    }
    return 0;
}
