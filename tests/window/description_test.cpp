// The window description as data: every row against the independently written table, the
// pages, the licence text and the pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include <stb_image.h>

#include "host/window/image_decode.h"
#include "tests/common/expected_controls.h"
#include "wizard/licence.h"
#include "wizard/lumora_window.h"

namespace {

using host::ControlKind;

int PageOf(const host::WindowDescription& w, std::uint32_t id) {
    for (const auto& c : w.controls) {
        for (std::size_t p = 0; p < c.pages.size(); ++p) {
            for (std::uint32_t m : c.pages[p].members) {
                if (m == id) return static_cast<int>(p);
            }
        }
    }
    return -1;
}

// The bitmap shows the decoder's own pixels, row by row (a 24-bit row is padded to 4 bytes).
TEST(Description, SidePictureBitmapHoldsTheDecodedPixels) {
    int w = 0, h = 0, components = 0;
    HBITMAP bitmap = host::DecodeJpeg(wizard::kSidePicture, w, h);
    stbi_uc* rgb = stbi_load_from_memory(wizard::kSidePicture.bytes, static_cast<int>(wizard::kSidePicture.size), &w,
                                         &h, &components, 3);
    ASSERT_TRUE(bitmap && rgb);
    BITMAPINFO bmi{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::string bgrx(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, '\0');
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, bitmap, 0, static_cast<UINT>(h), bgrx.data(), &bmi, DIB_RGB_COLORS), h);
    ReleaseDC(nullptr, screen);
    int differing = 0;  // the bitmap's blue, green, red and a spare byte against the decoder's red, green, blue
    for (int i = 0; i < w * h * 3; ++i) {
        differing += bgrx[static_cast<std::size_t>(i / 3 * 4 + i % 3)] != static_cast<char>(rgb[i - i % 3 + 2 - i % 3]);
    }
    EXPECT_EQ(differing, 0);
    stbi_image_free(rgb), DeleteObject(bitmap);
}

TEST(Description, WindowProperties) {
    const auto& w = wizard::WizardWindowDescription();
    EXPECT_EQ(w.windowId, expected::kWindowId);
    EXPECT_EQ(w.controlId, expected::kWindow);
    EXPECT_STREQ(w.caption, "安装向导-Lumora");
    EXPECT_EQ(w.width, 500);
    EXPECT_EQ(w.height, 360);
    EXPECT_EQ(w.background, 0x00FFFFFFu);
}

TEST(Description, ThirtyEightRowsInOrder) {
    const auto& w = wizard::WizardWindowDescription();
    ASSERT_EQ(w.controls.size(), 38u);
    for (std::size_t i = 0; i < 38; ++i) {
        const auto& got = w.controls[i];
        const auto& want = expected::kControls[i];
        SCOPED_TRACE(want.name);
        EXPECT_STREQ(got.name, want.name);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.parentId, want.parent);
        EXPECT_EQ(PageOf(w, got.id), want.page);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
        EXPECT_EQ(got.flags, want.flags);
        EXPECT_EQ(got.tabOrder, want.tabOrder);
        if (want.text) {
            EXPECT_STREQ(got.text, want.text);
        }
    }
}

TEST(Description, PagesHoldTheirMembersInPageOrder) {
    const auto& w = wizard::WizardWindowDescription();
    const host::ControlDescription* tab = nullptr;
    for (const auto& c : w.controls) {
        if (c.kind == ControlKind::Tab) tab = &c;
    }
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(tab->pages.size(), 4u);
    const char* names[] = {"许可协议", "路径选择", "准备安装", "正在安装"};
    const std::size_t counts[] = {4, 9, 2, 3};
    for (std::size_t p = 0; p < 4; ++p) {
        EXPECT_STREQ(tab->pages[p].name, names[p]);
        EXPECT_EQ(tab->pages[p].members.size(), counts[p]);
    }
    EXPECT_EQ(tab->pages[0].members[0], expected::k不接受);
    EXPECT_EQ(tab->pages[0].members[1], expected::k接受);
    EXPECT_EQ(tab->pages[1].members[0], expected::k释放文本);
    EXPECT_EQ(tab->pages[1].members[8], 0x1601003fu);
    EXPECT_EQ(tab->pages[3].members[0], expected::k进度条);
}

TEST(Description, KindsAndLooks) {
    const auto& w = wizard::WizardWindowDescription();
    int labels = 0, checks = 0, radios = 0, buttons = 0, edits = 0, pictures = 0, shapes = 0;
    for (const auto& c : w.controls) {
        switch (c.kind) {
        case ControlKind::Label: ++labels; break;
        case ControlKind::CheckBox: ++checks; break;
        case ControlKind::RadioBox: ++radios; break;
        case ControlKind::Button: ++buttons; break;
        case ControlKind::EditBox: ++edits; break;
        case ControlKind::PicBox: ++pictures; break;
        case ControlKind::ShapeBox:
            ++shapes;
            EXPECT_EQ(c.lineColour, host::kSilver);
            EXPECT_EQ(c.fillColour, host::kSystemColour);  // no fill
            EXPECT_EQ(c.lineWidth, 1);
            break;
        default: break;
        }
        // Only the two bold labels carry a font of their own.
        const int wantHeight = c.id == 0x1601002fu ? -12 : c.id == 0x1601002bu ? -16 : 0;
        EXPECT_EQ(c.font.height, wantHeight) << c.name;
        if (c.font.height) {
            EXPECT_EQ(c.font.weight, 700);
        }
    }
    EXPECT_EQ(labels, 14);
    EXPECT_EQ(checks, 7);
    EXPECT_EQ(radios, 2);
    EXPECT_EQ(buttons, 4);
    EXPECT_EQ(edits, 3);
    EXPECT_EQ(pictures, 4);
    EXPECT_EQ(shapes, 2);
}

TEST(Description, LicenceText) {
    const std::string text(wizard::kLicenceText);
    EXPECT_EQ(wizard::kLicenceTextLength, 5289);
    EXPECT_EQ(text.size(), 5289u);
    EXPECT_EQ(text.rfind("\r\n", 0), 0u) << "begins with a line break";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
        }
        if (text[i] == '\r') {
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
        }
    }
    // Valid GBK throughout.
    const int wide = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
    EXPECT_GT(wide, 0);
    for (int section = 1; section <= 7; ++section) {
        EXPECT_NE(text.find("\r\n" + std::to_string(section) + "."), std::string::npos)
            << "numbered section " << section;
    }
}

TEST(Description, Pictures) {
    struct Picture {
        const host::ImageData& image;
        std::size_t bytes;
        int width, height;
    };
    const Picture pictures[] = {{wizard::kSidePicture, 79020, 170, 290},
                                {wizard::kLogo, 6588, 50, 49},
                                {wizard::kFolderIcon, 4286, 32, 32}};
    int w = 0, h = 0;
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.bytes);
        EXPECT_EQ(p.image.size, p.bytes);
        if (host::IsJpeg(p.image)) {
            HBITMAP bitmap = host::DecodeJpeg(p.image, w, h);
            EXPECT_NE(bitmap, nullptr);
            DeleteObject(bitmap);
        } else {
            HICON icon = host::DecodeIcon(p.image, w, h);
            EXPECT_NE(icon, nullptr);
            DestroyIcon(icon);
        }
        EXPECT_EQ(w, p.width);
        EXPECT_EQ(h, p.height);
    }
    EXPECT_FALSE(host::IsJpeg(wizard::kFolderIcon));

    // Broken data decodes to nothing rather than crashing.
    const unsigned char truncated[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00};
    EXPECT_EQ(host::DecodeJpeg({truncated, sizeof truncated}, w, h), nullptr);
    EXPECT_EQ(host::DecodeIcon({truncated, sizeof truncated}, w, h), nullptr);
}

}  // namespace
