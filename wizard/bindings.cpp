// Which event of which control runs which handler.
#include "wizard/wizard.h"

namespace wizard {

std::span<const EventBinding> EventBindings() {
    // The handlers of the wizard's steps are bound here as they are written.
    return {};
}

}  // namespace wizard
