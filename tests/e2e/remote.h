#pragma once
// Working the setup from another process, as a user would: find its window and controls,
// click, answer its message boxes, read texts. Texts are GBK on this side, as the setup
// holds them; the system is spoken to in UTF-16, converted with code page 936, so that the
// same expectations hold whatever the system's ANSI code page is.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace remote {

// Unix path of the build as a Windows path on Wine's Z: drive.
std::string WindowsPath(const std::string& unixPath);

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

// Starts a program with the given folder as its current folder (empty: ours).
Process Start(const std::string& exe, const std::string& folder = {});
// Waits for the process to end; returns its exit code, or -1 on time-out.
long WaitExit(const Process& p, DWORD timeoutMs);
void Kill(const Process& p);

// The visible top-level window of the process with this title, waiting up to timeoutMs.
HWND FindTopWindow(DWORD processId, const std::string& title, DWORD timeoutMs);
// A visible message box (dialog class #32770) of the process, waiting up to timeoutMs.
HWND FindMessageBox(DWORD processId, DWORD timeoutMs);
// A visible message box (dialog class #32770) with this caption, of whatever process.
HWND FindBoxTitled(const std::string& caption, DWORD timeoutMs);
// The message a message box shows.
std::string BoxMessage(HWND box);

// The descendant of `top` whose control id is `id` (the full 32 bits), waited for up to 5 s;
// null when there is none.
HWND FindControl(HWND top, std::uint32_t id);

// The window's text as the window holds it (WM_GETTEXT, Unicode), and as GBK.
std::wstring WideText(HWND hwnd);
std::string Text(HWND hwnd);
// Clicks a button without waiting for what the click starts.
void Click(HWND button);
// Brings `top` to the front and types one key (down and up) as the keyboard would: it goes to
// the control that has the focus.
void PressKey(HWND top, WORD key);
// The control of `top`'s thread that has the keyboard focus, or null.
HWND FocusOf(HWND top);
// Presses the button with this id (IDYES, IDNO, IDOK...) in a message box.
bool PressBoxButton(HWND box, int buttonId);

// A control's rectangle relative to its parent's client area.
RECT RectInParent(HWND hwnd);
// The colour on the display at a point of the window's client area.
COLORREF ScreenPixel(HWND window, int x, int y);
// The colours on the display of a window's client area, row by row (width × height); empty
// when they cannot be read.
std::vector<COLORREF> ScreenPixels(HWND window, int& width, int& height);

// Runs a command line (no window) and waits for it; its exit code, or -1.
long RunToEnd(const std::string& commandLine, DWORD timeoutMs = 30000);

// In the folder dialog that process `p` shows: selects `path` in its tree, as a user who
// clicks their way there, and tells whether the tree's selected item then shows `item` in its
// text. The path is handed over in the process's own memory, as the dialog expects.
bool SelectFolder(const Process& p, HWND dialog, const std::string& path, const std::string& item);

// Polls every 50 ms until `holds` is true, for up to `ms` milliseconds; whether it came true.
bool Eventually(const std::function<bool()>& holds, int ms = 10000);

}  // namespace remote
