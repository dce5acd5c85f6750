#pragma once
// Small geometry helpers shared by the window building and the control-state model.
#include <windows.h>

#include <algorithm>

namespace host {

inline int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

// The description and the control model count pixels of a 96-DPI screen; the live windows
// count the screen's own, so that the window keeps its proportions, and its title bar and
// fonts their room, on a scaled display.
struct DpiScale {
    int dpi = 96;
    int ToScreen(int pixels) const { return MulDiv(pixels, dpi, 96); }
    int FromScreen(int pixels) const { return MulDiv(pixels, 96, dpi); }
};

// The window's rectangle relative to its parent's client area (the screen for a top-level
// window).
inline RECT RectInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    HWND parent = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
    if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace host
