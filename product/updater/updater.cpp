// TarvelUP.exe: the product's updater. This release carries no update service, so it
// tells the user that the installed version is the newest. Its texts are GBK, shown in
// UTF-16 converted with code page 936 named, the same on a Windows of any ANSI code page.
#include <windows.h>

#include "host/system_text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxW(nullptr, host::WideFromText("当前的 Lumora v" LUMORA_VERSION " 已是最新版本，暂无可用的更新。").c_str(),
                host::WideFromText("Lumora 在线更新").c_str(), MB_OK | MB_ICONINFORMATION);
    return 0;
}
