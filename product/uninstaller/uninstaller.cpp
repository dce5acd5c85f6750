// 卸载.exe: the product's uninstaller. Removing the files is not offered yet; it tells the
// user how to remove Lumora by hand.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr,
                "Lumora v" LUMORA_VERSION " 卸载程序\r\n\r\n"
                "请先关闭 Lumora，然后删除它的安装文件夹以及开始菜单和桌面上的 Lumora 快捷方式。",
                "卸载 Lumora", MB_OK | MB_ICONINFORMATION);
    return 0;
}
