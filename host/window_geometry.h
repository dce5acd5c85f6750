#pragma once
// Small geometry helpers shared by the window building and the control-state model.
#include <windows.h>

#include <algorithm>

namespace host {

inline int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

// The window's rectangle relative to its parent's client area (the screen for a top-level
// window).
inline RECT RectInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    HWND parent = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
    if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace host
