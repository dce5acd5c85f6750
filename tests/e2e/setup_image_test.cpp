// The built setup file itself: a 32-bit GUI program that needs nothing but Windows' own
// libraries, with its manifest, version information and application icon.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/remote.h"

namespace {

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

template <typename T>
T At(const std::vector<unsigned char>& b, std::size_t offset) {
    T v{};
    if (offset + sizeof v <= b.size()) std::memcpy(&v, b.data() + offset, sizeof v);
    return v;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

class SetupImage : public ::testing::Test {
protected:
    void SetUp() override {
        path = remote::WindowsPath(LUMORA_SETUP_EXE);
        bytes = ReadFile(path);
        ASSERT_GT(bytes.size(), 4096u);
        pe = At<LONG>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew));
        ASSERT_EQ(At<DWORD>(bytes, pe), IMAGE_NT_SIGNATURE);
        headers = At<IMAGE_NT_HEADERS32>(bytes, pe);
    }
    // File offset of a relative virtual address.
    std::size_t Offset(DWORD rva) const {
        const std::size_t sections = pe + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                     headers.FileHeader.SizeOfOptionalHeader;
        for (int i = 0; i < headers.FileHeader.NumberOfSections; ++i) {
            auto s = At<IMAGE_SECTION_HEADER>(bytes, sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData)) {
                return rva - s.VirtualAddress + s.PointerToRawData;
            }
        }
        return bytes.size();
    }

    std::string path;
    std::vector<unsigned char> bytes;
    LONG pe = 0;
    IMAGE_NT_HEADERS32 headers{};
};

TEST_F(SetupImage, IsA32BitGuiProgram) {
    EXPECT_EQ(headers.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(headers.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(headers.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_FALSE(headers.FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_F(SetupImage, ImportsOnlyWindowsOwnLibraries) {
    const std::set<std::string> system{"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                       "shell32.dll",  "ole32.dll",  "oleaut32.dll", "comctl32.dll",
                                       "msvcrt.dll"};
    const auto dir = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    std::set<std::string> imported;
    for (std::size_t at = Offset(dir.VirtualAddress);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        auto d = At<IMAGE_IMPORT_DESCRIPTOR>(bytes, at);
        if (d.Name == 0) break;
        const std::size_t name = Offset(d.Name);
        ASSERT_LT(name, bytes.size());
        imported.insert(Lower(reinterpret_cast<const char*>(bytes.data() + name)));
    }
    EXPECT_TRUE(imported.count("kernel32.dll"));
    EXPECT_TRUE(imported.count("user32.dll"));
    for (const std::string& dll : imported) EXPECT_TRUE(system.count(dll)) << dll << " is not Windows' own";
}

TEST_F(SetupImage, CarriesManifestVersionAndIcon) {
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                           SizeofResource(image, manifest));
    EXPECT_NE(text.find("requireAdministrator"), std::string::npos);
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("dpiAware"), std::string::npos);

    EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)), nullptr) << "version";

    HICON icon = static_cast<HICON>(LoadImageA(image, MAKEINTRESOURCEA(1), IMAGE_ICON, 64, 64, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 64);
    EXPECT_EQ(colour.bmHeight, 64);
    EXPECT_EQ(colour.bmBitsPixel, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    FreeLibrary(image);
}

}  // namespace
