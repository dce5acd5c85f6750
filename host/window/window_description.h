#pragma once
// The shape of a window description: the window and its controls as constant data, from
// which the live window is built once. The wizard's own description is in wizard/.
#include <cstddef>
#include <cstdint>
#include <span>

namespace host {

enum class ControlKind : std::uint8_t {
    Window, EditBox, PicBox, ShapeBox, Label, Button, CheckBox, RadioBox, ProcessBar, Tab
};

// Flags word of a control.
constexpr std::uint32_t kFlagVisible = 1u << 0;
constexpr std::uint32_t kFlagDisabled = 1u << 1;
constexpr std::uint32_t kFlagTabStop = 1u << 2;

// Colours are 0x00BBGGRR. The marker means the button-face colour as a background and no
// fill as a shape's fill.
constexpr std::uint32_t kSystemColour = 0xFF000000u;
constexpr std::uint32_t kWhite = 0x00FFFFFFu;
constexpr std::uint32_t kSilver = 0x00C0C0C0u;

// Border styles; this window uses none and the thin sunken edge.
constexpr int kBorderNone = 0;
constexpr int kBorderStaticEdge = 3;

// A complete image file (JPEG or icon) carried in the program.
struct ImageData {
    const unsigned char* bytes;
    std::size_t size;
};

enum class ImageFit : std::uint8_t { OwnSize, Stretch };
enum class EditStyle : std::uint8_t { SingleLine, MultiLineWrap, MultiLineScroll };

// A font of its own: logical height (negative: character height) and weight. Height 0
// means the system's default GUI font.
struct FontSpec {
    int height = 0;
    int weight = 0;
};

struct PageDescription {
    const char* name;
    std::span<const std::uint32_t> members;  // control ids, in page order
};

struct ControlDescription {
    const char* name;
    std::uint32_t id;
    ControlKind kind;
    std::uint32_t parentId;  // the window's own control id for controls at window level
    int left, top, width, height;
    std::uint32_t flags;
    int tabOrder = 0;
    const char* text = "";
    std::uint32_t background = kSystemColour;
    int border = kBorderNone;
    FontSpec font{};
    bool wordWrap = false;                    // label
    bool checked = false;                     // check box, radio button
    EditStyle edit = EditStyle::SingleLine;   // edit box
    bool readOnly = false;                    // edit box
    const ImageData* image = nullptr;         // picture box
    ImageFit fit = ImageFit::OwnSize;         // picture box
    std::uint32_t lineColour = 0;             // shape
    std::uint32_t fillColour = kSystemColour; // shape
    int lineWidth = 0;                        // shape
    int rangeMin = 0, rangeMax = 0;           // progress bar
    bool smooth = false;                      // progress bar
    std::span<const PageDescription> pages{}; // page control
};

struct WindowDescription {
    std::uint32_t windowId;
    std::uint32_t controlId;  // the window itself as the target of property operations
    const char* caption;
    int width, height;        // outer size
    std::uint32_t background;
    std::span<const ControlDescription> controls;  // in description order
    // The control that takes the focus when the window is shown, or activated with none of
    // its controls focused, if it can then take it; otherwise the first in tab order does.
    std::uint32_t firstFocus = 0;
};

}  // namespace host
