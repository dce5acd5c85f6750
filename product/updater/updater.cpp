// TarvelUP.exe: the product's updater. This release carries no update service, so it
// tells the user that the installed version is the newest. Its texts are GBK, shown in
// UTF-16 converted with code page 936 named, the same on a Windows of any ANSI code page.
#include <windows.h>

namespace {

// A GBK literal in UTF-16. A GBK text never has fewer bytes than its UTF-16 form has units,
// so a buffer of its byte count holds it; without the string class the updater stays small.
template <int N>
struct Wide {
    explicit Wide(const char (&text)[N]) {
        if (MultiByteToWideChar(936, 0, text, N, units, N) <= 0) units[0] = L'\0';
    }
    wchar_t units[N] = {};
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const Wide text("当前的 Lumora v" LUMORA_VERSION " 已是最新版本，暂无可用的更新。");
    const Wide caption("Lumora 在线更新");
    MessageBoxW(nullptr, text.units, caption.units, MB_OK | MB_ICONINFORMATION);
    return 0;
}
