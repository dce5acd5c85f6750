#pragma once
// Which event of which control runs which handler, and the router that the window raises its
// events through.
#include <cstdint>
#include <span>

#include "host/window/control_surface.h"
#include "wizard/context.h"

namespace wizard {

enum class Event { Created, CloseQuery, Clicked, SessionEndQuery };

using Handler = void (*)(WizardContext&);
using CloseQueryHandler = bool (*)(WizardContext&);         // true lets the window close
using SessionEndHandler = host::Text (*)(WizardContext&);  // a reason to hold the session up

struct EventBinding {
    std::uint32_t source;  // control id; the window's own id for its events
    Event event;
    Handler handler;                     // created and clicked events
    CloseQueryHandler closeQuery = nullptr;
    SessionEndHandler sessionEnd = nullptr;
};

// The wizard's binding table. An event without a row does nothing; a close query or a
// session-end query without one lets the window close or the session end.
std::span<const EventBinding> EventBindings();

// Runs the bound handler of each event the window raises.
class EventRouter final : public host::WindowEvents {
public:
    EventRouter(WizardContext& context, std::span<const EventBinding> bindings)
        : context_(context), bindings_(bindings) {}

    void Created() override;
    bool CloseQuery() override;
    void Clicked(std::uint32_t controlId) override;
    host::Text SessionEndQuery() override;

private:
    const EventBinding* Find(std::uint32_t source, Event event) const;

    WizardContext& context_;
    std::span<const EventBinding> bindings_;
};

}  // namespace wizard
