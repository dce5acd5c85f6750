#pragma once
// The wizard: its window built from the description, with the events bound to handlers.
#include <cstdint>
#include <span>

#include "host/host_services.h"
#include "payload/catalog.h"
#include "host/wizard_window.h"

namespace wizard {

// What a handler works with.
struct WizardContext {
    host::WizardWindow& window;
    host::HostServices& host;
    std::span<const payload::CatalogEntry> catalog;  // the carried files, in catalog order
};

enum class Event { Created, CloseQuery, Clicked };

using Handler = void (*)(WizardContext&);
using CloseQueryHandler = bool (*)(WizardContext&);  // true lets the window close

struct EventBinding {
    std::uint32_t source;  // control id; the window's own id for its events
    Event event;
    Handler handler;                  // created and clicked events
    CloseQueryHandler closeQuery;     // the close query
};

// The binding table. An event without a row does nothing; a close query without one lets
// the window close.
std::span<const EventBinding> EventBindings();

class Wizard : public host::WindowEvents {
public:
    explicit Wizard(host::HostServices& host);
    Wizard(host::HostServices& host, std::span<const EventBinding> bindings);

    // Builds the window hidden; the window's destruction then ends the message loop.
    bool Build(bool quitOnDestroy = true);
    // Raises the created event (once).
    void RaiseCreated();
    void Show() { window_.Show(); }

    host::WizardWindow& Window() { return window_; }
    WizardContext& Context() { return context_; }

    void Created() override;
    bool CloseQuery() override;
    void Clicked(std::uint32_t controlId) override;

private:
    const EventBinding* Binding(std::uint32_t source, Event event) const;

    std::span<const EventBinding> bindings_;
    host::WizardWindow window_;
    WizardContext context_;
    bool createdRaised_ = false;
};

}  // namespace wizard
