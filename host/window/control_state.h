#pragma once
// The control-state model: what each control of the window keeps behind the property
// operations of the control surface.
#include <windows.h>

#include <cstdint>

#include "host/window/control_surface.h"
#include "host/window/window_description.h"

namespace host {

struct ControlState {
    const ControlDescription* description = nullptr;  // null for the window itself
    std::uint32_t id = 0;
    ControlKind kind = ControlKind::Window;
    int left = 0, top = 0, width = 0, height = 0;
    std::uint32_t flags = 0;
    Text caption;  // label and button caption, edit box content
    bool checked = false;
    int currentPage = 0;
    int minimum = 0, maximum = 0, position = 0;
    bool positionDue = false;  // the bar's window is still to be told `position`
    bool madeUndrawn = false;  // its window made for the first screen and not yet drawn by a pass of it
    int parentIndex = -1;     // index of the containing control, -1 for the window
    int pageOf = -1;          // page of the page control that holds it, -1 if none
    int descriptionIndex = -1;
    HWND hwnd = nullptr;
};

// Clamping limits of the model.
constexpr int kMaxCoordinate = 32627;
constexpr int kMaxPosition = 32767;

}  // namespace host
