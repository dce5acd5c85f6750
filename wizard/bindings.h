#pragma once
// Which event of which control runs which handler, and the router that the window raises its
// events through.
#include <cstdint>
#include <span>

#include "host/control_surface.h"
#include "wizard/context.h"

namespace wizard {

enum class Event { Created, CloseQuery, Clicked };

using Handler = void (*)(WizardContext&);
using CloseQueryHandler = bool (*)(WizardContext&);  // true lets the window close

struct EventBinding {
    std::uint32_t source;  // control id; the window's own id for its events
    Event event;
    Handler handler;                  // created and clicked events
    CloseQueryHandler closeQuery;     // the close query
};

// The wizard's binding table. An event without a row does nothing; a close query without one
// lets the window close.
std::span<const EventBinding> EventBindings();

// Runs the bound handler of each event the window raises.
class EventRouter final : public host::WindowEvents {
public:
    EventRouter(WizardContext& context, std::span<const EventBinding> bindings)
        : context_(context), bindings_(bindings) {}

    void Created() override;
    bool CloseQuery() override;
    void Clicked(std::uint32_t controlId) override;

private:
    const EventBinding* Find(std::uint32_t source, Event event) const;

    WizardContext& context_;
    std::span<const EventBinding> bindings_;
};

}  // namespace wizard
