#include "host/message_loop.h"

namespace host {
namespace {
PreTranslateHook g_preTranslate = nullptr;
}

void SetPreTranslateHook(PreTranslateHook hook) { g_preTranslate = hook; }

void DispatchMessageStep(MSG& msg) {
    if (g_preTranslate && g_preTranslate(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

}  // namespace host
