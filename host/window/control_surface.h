#pragma once
// What code outside the window layer may do to the window: read and write one property of one
// control, and be told of the window's events. Free of system headers, so that the wizard's
// handlers see nothing of the windows behind the controls.
#include <cstdint>
#include <variant>

#include "host/system/text.h"

namespace host {

enum class ControlProperty {
    Left, Top, Width, Height, Visible, Disabled, Caption, Text, Checked, CurrentPage, Position,
    Minimum, Maximum
};

// A control is addressed by the window's id and its own control id.
struct ControlRef {
    std::uint32_t windowId;
    std::uint32_t controlId;
};

// Integer, boolean or text, by property.
using PropertyValue = std::variant<std::int32_t, bool, Text>;

// The conversions of a read value (wizard::Controls has the typed reads that use them): a boolean reads as 0 or 1, a number as "not 0",
// anything else as 0, false or the empty text.
std::int32_t AsInt(const PropertyValue& value);
bool AsBool(const PropertyValue& value);
Text AsText(const PropertyValue& value);

class ControlSurface {
public:
    virtual ~ControlSurface() = default;
    virtual PropertyValue ReadProperty(ControlRef ref, ControlProperty property) = 0;
    virtual void WriteProperty(ControlRef ref, ControlProperty property, const PropertyValue& value) = 0;
    // False once the window has been closed: its controls are gone.
    virtual bool IsOpen() const = 0;
};

// What the window raises.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void Created() = 0;
    virtual bool CloseQuery() = 0;  // true lets the window close
    virtual void Clicked(std::uint32_t controlId) = 0;
    // Windows asks whether the session may end (log-off, shut-down): the reason to hold it
    // up, which the system shows the user, or the empty text to let it end.
    virtual Text SessionEndQuery() = 0;
};

}  // namespace host
