#include "wizard/bindings.h"

#include "wizard/handlers.h"
#include "wizard/lumora_window.h"

namespace wizard {

std::span<const EventBinding> EventBindings() {
    using namespace ctl;
    static constexpr EventBinding kBindings[] = {
        {kWizardWindowControlId, Event::Created, OnWizardCreated, nullptr},
        {kWizardWindowControlId, Event::CloseQuery, nullptr, OnCloseQuery},
        {按钮_下一步, Event::Clicked, OnNextClicked, nullptr},
        {按钮_上一步, Event::Clicked, OnBackClicked, nullptr},
        {按钮_取消, Event::Clicked, OnCancelClicked, nullptr},
        {单选框_接受, Event::Clicked, OnAcceptClicked, nullptr},
        {单选框_不接受, Event::Clicked, OnDeclineClicked, nullptr},
        {按钮_目录浏览, Event::Clicked, BrowseDestination, nullptr},
        {选择框_释放文本, Event::Clicked, EstimateSpace, nullptr},
        {kWizardWindowControlId, Event::SessionEndQuery, nullptr, nullptr, OnSessionEndQuery},
    };
    return kBindings;
}

const EventBinding* EventRouter::Find(std::uint32_t source, Event event) const {
    for (const EventBinding& b : bindings_) {
        if (b.source == source && b.event == event) return &b;
    }
    return nullptr;
}

void EventRouter::Created() {
    if (const EventBinding* b = Find(kWizardWindowControlId, Event::Created); b && b->handler) {
        b->handler(context_);
    }
}

bool EventRouter::CloseQuery() {
    if (const EventBinding* b = Find(kWizardWindowControlId, Event::CloseQuery); b && b->closeQuery) {
        return b->closeQuery(context_);
    }
    return true;
}

void EventRouter::Clicked(std::uint32_t controlId) {
    if (const EventBinding* b = Find(controlId, Event::Clicked); b && b->handler) b->handler(context_);
}

host::Text EventRouter::SessionEndQuery() {
    if (const EventBinding* b = Find(kWizardWindowControlId, Event::SessionEndQuery); b && b->sessionEnd) {
        return b->sessionEnd(context_);
    }
    return {};
}

}  // namespace wizard
