#include "wizard/wizard.h"

#include "wizard/window_description.h"

namespace wizard {

Wizard::Wizard(host::HostServices& host) : Wizard(host, EventBindings()) {}

Wizard::Wizard(host::HostServices& host, std::span<const EventBinding> bindings)
    : bindings_(bindings), window_(WizardWindowDescription()), context_{window_, host, payload::kCatalog} {}

bool Wizard::Build(bool quitOnDestroy) { return window_.Build(this, quitOnDestroy); }

void Wizard::RaiseCreated() {
    if (createdRaised_) return;
    createdRaised_ = true;
    window_.RaiseCreated();
}

const EventBinding* Wizard::Binding(std::uint32_t source, Event event) const {
    for (const EventBinding& b : bindings_) {
        if (b.source == source && b.event == event) return &b;
    }
    return nullptr;
}

void Wizard::Created() {
    if (const EventBinding* b = Binding(kWizardWindowControlId, Event::Created); b && b->handler) {
        b->handler(context_);
    }
}

bool Wizard::CloseQuery() {
    if (const EventBinding* b = Binding(kWizardWindowControlId, Event::CloseQuery); b && b->closeQuery) {
        return b->closeQuery(context_);
    }
    return true;
}

void Wizard::Clicked(std::uint32_t controlId) {
    if (const EventBinding* b = Binding(controlId, Event::Clicked); b && b->handler) b->handler(context_);
}

}  // namespace wizard
