#pragma once
// Reading a window from another process as a screen reader does, through the accessibility
// interface: the window's object, its children in order, and the one with the focus.
#include <windows.h>

#include <string>
#include <vector>

namespace remote {

struct ToldObject {
    long role = 0;  // 0: none was told
    std::wstring name;
    std::wstring value;  // a box's content
    long state = 0;
    HWND hwnd = nullptr;  // the window it tells of
};

struct ScreenReading {
    bool read = false;  // the window answered at all
    ToldObject window;
    std::vector<ToldObject> children;
    ToldObject focus;
};

ScreenReading ReadAloud(HWND window);
// As the reader writes it down: the window, a line for each child, then the focus.
std::wstring ReadingText(const ScreenReading& reading);

}  // namespace remote
