// The fonts of the system the window is drawn with, as a Chinese Windows has them at 96 DPI:
// the default GUI face with lines 12 pixels apart and half-width Latin letters, for which the
// window's rectangles are made, and the symbol font of the title bar's buttons.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <string>

#include "tests/common/expected_controls.h"

namespace {

const expected::Control& Row(std::uint32_t id) {
    for (const auto& c : expected::kControls) {
        if (c.id == id) return c;
    }
    throw std::logic_error("no such control");
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr,
                                   nullptr));
    if (!out.empty()) out.pop_back();  // the terminator
    return out;
}

// A screen DC with a font selected, released at the end of the scope.
class FontOnScreen {
public:
    explicit FontOnScreen(HFONT font) : dc_(GetDC(nullptr)), old_(SelectObject(dc_, font)) {}
    ~FontOnScreen() {
        SelectObject(dc_, old_);
        ReleaseDC(nullptr, dc_);
    }
    FontOnScreen(const FontOnScreen&) = delete;
    FontOnScreen& operator=(const FontOnScreen&) = delete;

    HDC dc() const { return dc_; }
    TEXTMETRICW Metrics() const {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_, &tm);
        return tm;
    }
    int Width(const wchar_t* text) const {
        SIZE size{};
        GetTextExtentPoint32W(dc_, text, static_cast<int>(wcslen(text)), &size);
        return size.cx;
    }
    std::wstring Face() const {
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc_, LF_FACESIZE, face);
        return face;
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A font made as the window makes the fonts of its bold labels: the default GUI face, the
// character height given (a negative logical height) and the weight.
HFONT GuiFaceFont(int height, int weight) {
    LOGFONTW base{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(lf.lfFaceName, base.lfFaceName, sizeof lf.lfFaceName);
    return CreateFontIndirectW(&lf);
}

class SystemFonts : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 96) << "these metrics are those of a display at 100 %";
    }
};

TEST_F(SystemFonts, DefaultGuiFontHasTheLinesAndWidthsOfWindows) {
    const auto gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(gui, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -12);
    FontOnScreen on(gui);
    const TEXTMETRICW tm = on.Metrics();
    EXPECT_EQ(tm.tmHeight, 12) << "line height";
    EXPECT_EQ(tm.tmInternalLeading, 0);
    EXPECT_EQ(tm.tmExternalLeading, 0);
    EXPECT_EQ(on.Width(L"安装向导"), 48) << "Chinese characters are 12 pixels wide";
    EXPECT_EQ(on.Width(L"Lumora 3.49"), 66) << "Latin letters, digits and blanks are 6";
}

TEST_F(SystemFonts, SongFaceAnswersToItsNames) {
    for (const wchar_t* name : {L"SimSun", L"宋体"}) {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfCharSet = DEFAULT_CHARSET;
        wcscpy(lf.lfFaceName, name);
        HFONT font = CreateFontIndirectW(&lf);
        ASSERT_NE(font, nullptr);
        {
            FontOnScreen on(font);
            const std::wstring face = on.Face();
            EXPECT_TRUE(face == L"SimSun" || face == L"宋体") << "asked for one of its names, got " << Utf8(face);
            EXPECT_EQ(on.Metrics().tmHeight, 12);
        }
        DeleteObject(font);
    }
}

TEST_F(SystemFonts, BoldTitlesKeepTheirCharacterHeights) {
    for (int height : {12, 16}) {
        HFONT font = GuiFaceFont(-height, FW_BOLD);
        ASSERT_NE(font, nullptr);
        {
            FontOnScreen on(font);
            const TEXTMETRICW tm = on.Metrics();
            EXPECT_EQ(tm.tmHeight, height);
            EXPECT_EQ(tm.tmWeight, FW_BOLD);
        }
        DeleteObject(font);
    }
}

// The finish step's text, word-wrapped as its label draws it, ends above the run check box
// that lies over the label's lower part.
TEST_F(SystemFonts, FinishTextEndsAboveTheRunCheckBox) {
    const expected::Control& label = Row(expected::k标签8);
    const expected::Control& run = Row(expected::k选择框_运行);
    FontOnScreen on(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    RECT r{0, 0, label.width, 0};
    const int height = DrawTextA(on.dc(), label.text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
    EXPECT_EQ(height, 4 * 12) << "two wrapped lines, a blank one and the last";
    EXPECT_LE(label.top + height, run.top);
}

TEST_F(SystemFonts, TitleBarSymbolFontIsThere) {
    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfCharSet = SYMBOL_CHARSET;
    wcscpy(lf.lfFaceName, L"Marlett");
    HFONT font = CreateFontIndirectW(&lf);
    ASSERT_NE(font, nullptr);
    {
        FontOnScreen on(font);
        EXPECT_EQ(Utf8(on.Face()), "Marlett");
        EXPECT_EQ(on.Metrics().tmCharSet, SYMBOL_CHARSET);
        // Minimise, maximise, restore and close.
        WORD glyphs[4] = {};
        ASSERT_EQ(GetGlyphIndicesW(on.dc(), L"012r", 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 4u);
        for (WORD g : glyphs) EXPECT_NE(g, 0xFFFF);
    }
    DeleteObject(font);
}

}  // namespace
