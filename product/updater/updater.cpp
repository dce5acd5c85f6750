// TarvelUP.exe: the product's updater. This release carries no update service, so it
// tells the user that the installed version is the newest.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "当前的 Lumora v" LUMORA_VERSION " 已是最新版本，暂无可用的更新。",
                "Lumora 在线更新", MB_OK | MB_ICONINFORMATION);
    return 0;
}
