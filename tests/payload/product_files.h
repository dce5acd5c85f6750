#pragma once
// The files that the build put into the product folder, read straight from disk, so that
// the tests can hold the carried blocks against them.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace product_files {

// The product folder as a Windows path, without a trailing backslash.
std::wstring Folder();
// Folder() + a GBK piece with its leading backslash, such as a catalog destination piece.
std::wstring PathOf(const char* gbkPiece);
// The setup that the build made, as a Windows path.
std::wstring SetupPath();
std::optional<std::vector<unsigned char>> Read(const std::wstring& path);
std::optional<unsigned long long> SizeOf(const std::wstring& path);
std::wstring Widen(const std::string& gbk);

// True when bytes is text in code page 936 that decodes without a single invalid sequence.
bool IsValidGbk(const std::string& bytes);

}  // namespace product_files
