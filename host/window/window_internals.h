#pragma once
// What the rooms of the window layer share and nobody else needs: the window classes, the
// kinds of control, and the GDI objects the window owns.
#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "host/window/wizard_window.h"

namespace host {

inline constexpr wchar_t kWindowClass[] = L"LumoraWizardWindow";
inline constexpr wchar_t kPaintedClass[] = L"LumoraPaintedControl";
// Asks the window for the next portion of its controls: posted by Show and after each portion
// until every control is made, or, while keys or clicks wait, sent by the timer.
inline constexpr UINT kNextPortion = WM_APP + 1;
inline constexpr UINT_PTR kPortionTimer = 1;
// Posted by the thread that loads the common controls once they are in (Show).
inline constexpr UINT kCommonControlsIn = WM_APP + 2;
// Posted by Show for the first screen's controls that the window draws itself, made as the
// loop starts, while the common controls load; posted again (wParam 1) to paint them.
inline constexpr UINT kOwnFirstScreen = WM_APP + 3;
// Posted to the progress bar when its position is written: it is told with its next message.
inline constexpr UINT kTellPosition = WM_APP + 4;

// How a surface of the description's colour `background` looks: under a high-contrast theme
// every surface takes the system's window and text colours, the button face stays the button
// face with its text colour; otherwise the description's colour with black text.
struct SurfaceLook {
    int background;  // system colour index, or -1: the description's own colour
    int text;        // system colour index, or -1: black
};
constexpr SurfaceLook LookOf(std::uint32_t background, bool highContrast) {
    if (background == kSystemColour) return {COLOR_BTNFACE, COLOR_BTNTEXT};
    if (highContrast) return {COLOR_WINDOW, COLOR_WINDOWTEXT};
    return {-1, -1};
}

// Whether the system has a high-contrast theme on.
bool HighContrastOn();

// Kinds that hold other controls.
inline bool IsContainer(ControlKind kind) {
    return kind == ControlKind::ShapeBox || kind == ControlKind::PicBox || kind == ControlKind::Tab;
}

// Kinds the window draws itself rather than a standard control.
inline bool IsSelfDrawn(ControlKind kind) { return IsContainer(kind) || kind == ControlKind::Label; }

inline bool CanTakeFocus(ControlKind kind) {
    return kind == ControlKind::EditBox || kind == ControlKind::Button ||
           kind == ControlKind::CheckBox || kind == ControlKind::RadioBox;
}

// The window whose keys the message loop hands to PreTranslate: set by Build, cleared when
// that window goes.
void AttachKeyboard(WizardWindow* window);
void DetachKeyboard(WizardWindow* window);

// A few values keyed by control id or colour: a handful of rows, so a plain list searched in
// order, which is less code than a tree.
template <class Value>
struct SmallTable {
    std::vector<std::pair<std::uint32_t, Value>> rows;

    const Value* Find(std::uint32_t key) const {
        for (const auto& row : rows)
            if (row.first == key) return &row.second;
        return nullptr;
    }
    const Value& Put(std::uint32_t key, const Value& value) {
        for (auto& row : rows)
            if (row.first == key) return row.second = value;
        rows.emplace_back(key, value);
        return rows.back().second;
    }
};

// GDI objects the window owns: fonts, brushes and the decoded pictures.
struct WizardWindow::Resources {
    HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    std::vector<HFONT> ownFonts;
    SmallTable<HFONT> fontOf;  // control id -> font of its own
    SmallTable<HBRUSH> brushes;  // colour -> brush
    struct Picture {
        HBITMAP bitmap = nullptr;
        HICON icon = nullptr;
        int width = 0, height = 0;
    };
    SmallTable<Picture> pictures;  // control id -> decoded picture

    ~Resources() {
        for (HFONT f : ownFonts) DeleteObject(f);
        for (auto& [colour, brush] : brushes.rows) DeleteObject(brush);
        for (auto& [id, p] : pictures.rows) {
            if (p.bitmap) DeleteObject(p.bitmap);
            if (p.icon) DestroyIcon(p.icon);
        }
    }

    HFONT FontFor(std::uint32_t id) const {
        const HFONT* own = fontOf.Find(id);
        return own ? *own : guiFont;
    }
};

}  // namespace host
