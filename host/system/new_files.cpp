#include "host/system/new_files.h"

#include <windows.h>

#include "host/system/system_text.h"

namespace host {

std::wstring NewFileName(unsigned number) {
    std::wstring digits(kNewFileHexDigits, L'0');
    for (std::size_t i = kNewFileHexDigits; i-- > 0; number >>= 4) digits[i] = L"0123456789abcdef"[number & 15];
    return WideFromText(Text(kNewFilePrefix)) + digits + WideFromText(Text(kNewFileEnding));
}

bool IsNewFileName(std::string_view name) {
    if (name.size() != kNewFilePrefix.size() + kNewFileHexDigits + kNewFileEnding.size()) return false;
    for (const char c : name.substr(kNewFilePrefix.size(), kNewFileHexDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    return EqualIgnoringAsciiCase(name.substr(0, kNewFilePrefix.size()), kNewFilePrefix) &&
           EqualIgnoringAsciiCase(name.substr(name.size() - kNewFileEnding.size()), kNewFileEnding);
}

void ForEachNewFile(const Text& folder, void (*each)(void* context, const Text& name), void* context) {
    std::wstring pattern = WideFromText(folder);
    if (pattern.empty()) return;
    if (pattern.back() != L'\\') pattern.push_back(L'\\');
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((pattern + L"~lumora-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The pattern is wider than the form (and may match a short name): the name decides.
        const Text name = TextFromWideField(found.cFileName, MAX_PATH);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsNewFileName(name)) each(context, name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

unsigned long WriteOpenError(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(file);
    return ERROR_SUCCESS;
}

}  // namespace host
