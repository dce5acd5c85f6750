#include "host/system/system_text.h"

#include <windows.h>

#include <climits>

namespace host {

std::wstring WideFromText(const Text& text) {
    if (text.empty() || text.size() > INT_MAX) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(kTextCodePage, 0, text.data(), size, nullptr, 0);
    if (wideLength <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(kTextCodePage, 0, text.data(), size, wide.data(), wideLength) != wideLength) {
        return std::wstring();
    }
    return wide;
}

Text TextFromWide(const wchar_t* wide, std::size_t length) {
    if (wide == nullptr || length == 0 || length > INT_MAX / 2) return Text();
    const int size = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(kTextCodePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return Text();
    Text text(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(kTextCodePage, 0, wide, size, text.data(), bytes, nullptr, nullptr) != bytes) {
        return Text();
    }
    return text;
}

Text TextFromWideField(const wchar_t* field, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && field[length] != L'\0') ++length;
    return TextFromWide(field, length);
}

}  // namespace host
