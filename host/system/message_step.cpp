#include "host/system/message_step.h"

namespace host {
namespace {
PreTranslateHook g_preTranslate = nullptr;
}

void SetPreTranslateHook(PreTranslateHook hook) { g_preTranslate = hook; }

void DispatchMessageStep(MSG& msg) {
    if (g_preTranslate && g_preTranslate(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace host
