// The setup's entry point: component services, current folder, the window, the loop.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "host/message_loop.h"
#include "wizard/wizard.h"

namespace {

// The folder that holds this program, so that the programs it starts inherit it.
void EnterProgramFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD got = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return;
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.resize(path.size() * 2);
    }
    // The last backslash that is not the second byte of a two-byte character.
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            cut = i;
        }
    }
    if (cut == std::string::npos) return;
    path.resize(cut == 2 ? 3 : cut);  // keep the backslash of a drive root
    SetCurrentDirectoryA(path.c_str());
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    OleInitialize(nullptr);
    EnterProgramFolder();

    wizard::Wizard setup;
    if (setup.Build()) {
        setup.RaiseCreated();
        setup.Show();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) host::DispatchMessageStep(msg);
    }
    return 0;
}
