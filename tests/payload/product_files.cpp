#include "product_files.h"

#include <windows.h>

#include <algorithm>

namespace product_files {

std::wstring Widen(const std::string& gbk) {
    if (gbk.empty()) return std::wstring();
    int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), n);
    return wide;
}

namespace {

std::wstring WindowsPath(const char* built) {  // "Z:/..." from the build
    std::wstring path = Widen(built);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

}  // namespace

std::wstring Folder() { return WindowsPath(LUMORA_PRODUCT_DIR); }

std::wstring PathOf(const char* gbkPiece) { return Folder() + Widen(gbkPiece); }

std::wstring SetupPath() { return WindowsPath(LUMORA_SETUP_EXE); }

std::optional<std::vector<unsigned char>> Read(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
}

std::optional<unsigned long long> SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsValidGbk(const std::string& bytes) {
    if (bytes.empty()) return true;
    return MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                               nullptr, 0) > 0;
}

}  // namespace product_files
