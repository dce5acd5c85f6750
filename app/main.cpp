// The setup's entry point: the DLL search, the current folder, the carried files checked,
// the window, the loop. The component services start when the folder dialog or a shell link
// first needs them.
#include <windows.h>

#include "host/system/barrier.h"
#include "host/system/dll_search.h"
#include "host/window/message_loop.h"
#include "host/system/program_folder.h"
#include "host/system/program_image.h"
#include "host/system/single_instance.h"
#include "host/system/win32_host.h"
#include "host/window/wizard_window.h"
#include "payload/catalog.h"
#include "payload/checksum.h"
#include "wizard/bindings.h"
#include "wizard/lumora_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    host::RestrictDllSearchToSystem();
    // A second start shows nothing of its own: the wizard already up comes to the front.
    if (!host::ClaimSoleInstance(L"Lumora.Setup.Wizard")) return 0;
    return host::Barrier(0, [] {
        host::EnterProgramFolder();

        host::Win32Host host;  // takes the environment as the program started with it
        // A damaged download must not install damaged files, nor read past the program's own
        // image when a block's length field is what was damaged.
        if (!payload::BlocksIntact(payload::kCatalog, payload::kBlockChecksums, host::ProgramImage())) {
            host.ShowMessageBox("安装程序已损坏，请重新下载。", MB_OK | MB_ICONWARNING, host::Text("错误："));
            return 0;
        }
        host::WizardWindow window(wizard::WizardWindowDescription());
        wizard::WizardContext context{wizard::Controls(window, wizard::kWizardWindowId), host, payload::kCatalog};
        wizard::EventRouter events(context, wizard::EventBindings());
        return host::RunWindow(window, events);
    });  // every way out ends with 0
}
