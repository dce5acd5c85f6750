#pragma once
// The wizard window put together as the program does it, with the binding table, host and
// catalog that a test chooses. Built hidden; nothing ends the message loop when it goes.
#include <span>

#include "host/window/wizard_window.h"
#include "payload/catalog.h"
#include "wizard/bindings.h"
#include "wizard/lumora_window.h"

namespace test {

struct LiveWizard {
    LiveWizard(host::HostServices& host, std::span<const wizard::EventBinding> bindings,
               std::span<const payload::CatalogEntry> catalog = payload::kCatalog)
        : window(wizard::WizardWindowDescription()),
          context{wizard::Controls(window, wizard::kWizardWindowId), host, catalog},
          router(context, bindings) {}

    bool Build() { return window.Build(&router, false); }

    host::WizardWindow window;
    wizard::WizardContext context;
    wizard::EventRouter router;
};

}  // namespace test
