#pragma once
// What a handler works with: the window's controls by id, the system's operations and the
// carried files. Nothing here reaches a system window.
#include <cstdint>
#include <span>

#include "host/window/control_surface.h"
#include "host/system/host_services.h"
#include "payload/catalog.h"

namespace wizard {

// The wizard window's controls, addressed by control id: one property read or written at a
// time, as the control-state model has it.
class Controls {
public:
    Controls(host::ControlSurface& surface, std::uint32_t windowId) : surface_(surface), windowId_(windowId) {}

    host::PropertyValue Read(std::uint32_t control, host::ControlProperty property) {
        return surface_.ReadProperty({windowId_, control}, property);
    }
    void Write(std::uint32_t control, host::ControlProperty property, const host::PropertyValue& value) {
        surface_.WriteProperty({windowId_, control}, property, value);
    }
    bool ReadBool(std::uint32_t control, host::ControlProperty property) { return host::AsBool(Read(control, property)); }
    std::int32_t ReadInt(std::uint32_t control, host::ControlProperty property) {
        return host::AsInt(Read(control, property));
    }
    host::Text ReadText(std::uint32_t control, host::ControlProperty property) {
        return host::AsText(Read(control, property));
    }
    // False once the window has been closed: there is nothing left to read or write.
    bool WindowOpen() const { return surface_.IsOpen(); }

private:
    host::ControlSurface& surface_;
    std::uint32_t windowId_;
};

struct WizardContext {
    Controls controls;
    host::HostServices& host;
    std::span<const payload::CatalogEntry> catalog;  // the carried files, in catalog order
};

}  // namespace wizard
