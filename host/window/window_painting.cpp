// Painting the kinds the window draws itself: labels, shapes, pictures and the page control's
// background, and the brushes of the controls' colours.
#include <windows.h>

#include <algorithm>

#include "host/window/image_decode.h"
#include "host/system/system_text.h"
#include "host/window/window_geometry.h"
#include "host/window/window_internals.h"

namespace host {

HBRUSH WizardWindow::BackgroundBrush(std::uint32_t colour) {
    const SurfaceLook look = LookOf(colour, highContrast_);
    if (look.background >= 0) return GetSysColorBrush(look.background);
    if (const HBRUSH* made = resources_->brushes.Find(colour)) return *made;
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
    resources_->brushes.Put(colour, brush);
    return brush;
}

COLORREF WizardWindow::BackgroundColour(std::uint32_t colour) const {
    const SurfaceLook look = LookOf(colour, highContrast_);
    return look.background >= 0 ? GetSysColor(look.background) : static_cast<COLORREF>(colour);
}

COLORREF WizardWindow::TextColour(std::uint32_t background) const {
    const SurfaceLook look = LookOf(background, highContrast_);
    return look.text >= 0 ? GetSysColor(look.text) : RGB(0, 0, 0);
}

void WizardWindow::FollowSystemColours(bool coloursChanged) {
    const bool highContrast = HighContrastOn();
    if (!coloursChanged && highContrast == highContrast_) return;
    highContrast_ = highContrast;
    // Only top-level windows hear of the change: the standard controls are told, as they ask.
    for (const ControlState& s : controls_) {
        if (s.hwnd && !IsSelfDrawn(s.kind)) SendMessageW(s.hwnd, WM_SYSCOLORCHANGE, 0, 0);
    }
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void WizardWindow::Paint(ControlState& s, HDC dc) {
    RECT rc{0, 0, 0, 0};
    GetClientRect(s.hwnd, &rc);
    const ControlDescription& d = *s.description;
    FillRect(dc, &rc, BackgroundBrush(d.background));
    switch (s.kind) {
    case ControlKind::Label: {
        HGDIOBJ oldFont = SelectObject(dc, resources_->FontFor(d.id));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, TextColour(d.background));
        UINT format = DT_LEFT | DT_NOPREFIX;
        format |= d.wordWrap ? (DT_WORDBREAK | DT_TOP) : (DT_SINGLELINE | DT_VCENTER);
        const std::wstring caption = WideFromText(s.caption);
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rc, format);
        SelectObject(dc, oldFont);
        break;
    }
    case ControlKind::ShapeBox: {
        HPEN pen = CreatePen(PS_SOLID, scale_.ToScreen(std::max(d.lineWidth, 1)),
                             highContrast_ ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(d.lineColour));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HBRUSH fill = d.fillColour == kSystemColour ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                                    : BackgroundBrush(d.fillColour);
        HGDIOBJ oldBrush = SelectObject(dc, fill);
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        break;
    }
    case ControlKind::PicBox: {
        if (!d.image || highContrast_) break;  // decoration, which a high-contrast theme leaves out
        // Decoded when first drawn, not before the window can be shown.
        const Resources::Picture* found = resources_->pictures.Find(d.id);
        if (!found) {
            Resources::Picture decoded;
            if (IsJpeg(*d.image)) decoded.bitmap = DecodeJpeg(*d.image, decoded.width, decoded.height);
            else decoded.icon = DecodeIcon(*d.image, decoded.width, decoded.height);
            found = &resources_->pictures.Put(d.id, decoded);
        }
        const Resources::Picture& p = *found;
        const bool stretch = d.fit == ImageFit::Stretch;
        // "Own size" is the picture's size on a 96-DPI screen.
        const int w = stretch ? rc.right : scale_.ToScreen(p.width);
        const int h = stretch ? rc.bottom : scale_.ToScreen(p.height);
        const bool scaled = w != p.width || h != p.height;
        if (p.icon) {
            DrawIconEx(dc, 0, 0, p.icon, w, h, 0, nullptr, DI_NORMAL);
        } else if (p.bitmap) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, p.bitmap);
            if (scaled) {
                SetStretchBltMode(dc, HALFTONE);
                POINT origin{0, 0};  // the control's own, in a DC of the window too
                GetViewportOrgEx(dc, &origin);
                SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
                StretchBlt(dc, 0, 0, w, h, mem, 0, 0, p.width, p.height, SRCCOPY);
            } else {
                BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
            }
            SelectObject(mem, old);
            DeleteDC(mem);
        }
        break;
    }
    default:  // the page control: its background only, no tab strip, no border
        break;
    }
}

LRESULT WizardWindow::OnControlMessage(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnCommonMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_GETFONT:  // the font it draws with, as standard controls answer
        return reinterpret_cast<LRESULT>(resources_->FontFor(s.id));
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(s.hwnd, &ps);
        Paint(s, dc);
        EndPaint(s.hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(s.hwnd, msg, wParam, lParam);
    }
}

}  // namespace host
