#include "host/system_text.h"

#include <windows.h>

namespace host {

std::wstring WideFromText(const Text& text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(kTextCodePage, 0, text.data(), size, nullptr, 0);
    if (wideLength <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(kTextCodePage, 0, text.data(), size, wide.data(), wideLength) != wideLength) {
        return std::wstring();
    }
    return wide;
}

}  // namespace host
