// The carried programs and libraries: what kind of image each is, what it imports and
// exports, and that the two libraries work when loaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "payload/catalog.h"
#include "pe_image.h"
#include "product/function/data_get.h"
#include "product_files.h"
#include "zlib.h"
#include "zip.h"
#include "unzip.h"
#include "iowin32.h"

namespace {

constexpr std::uint16_t kI386 = 0x14C;
constexpr std::uint16_t kDllFlag = 0x2000;
constexpr std::uint16_t kExecutableFlag = 0x0002;
constexpr std::uint16_t kGuiSubsystem = 2;

pe::Image ImageOf(payload::CatalogId id) {
    const payload::PayloadBlock* block = payload::CatalogEntryOf(id).block;
    pe::Image image;
    std::string error;
    EXPECT_TRUE(pe::Parse(block->Bytes(), static_cast<std::size_t>(block->length), image, error))
        << payload::CatalogEntryOf(id).name << ": " << error;
    return image;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Frees a loaded library when the test leaves.
struct Library {
    explicit Library(const std::wstring& path) : module(LoadLibraryW(path.c_str())) {}
    ~Library() {
        if (module != nullptr) FreeLibrary(module);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <typename F>
    F Get(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    HMODULE module;
};

}  // namespace

TEST(Binaries, AreStaticPe32I386GuiProgramsAndDllsImportingOnlyWindowsOwnDlls) {
    // Windows' own DLLs; a dynamically linked runtime (libgcc, libstdc++, winpthread) is not.
    const std::set<std::string> system{"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll",
                                       "advapi32.dll", "shell32.dll", "ole32.dll", "comctl32.dll"};
    struct Kind {
        payload::CatalogId id;
        bool dll;
    };
    const Kind kinds[] = {{payload::CatalogId::MainProgram, false},
                          {payload::CatalogId::Updater, false},
                          {payload::CatalogId::Uninstaller, false},
                          {payload::CatalogId::FunctionLibrary, true},
                          {payload::CatalogId::SkinLibrary, true}};
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(payload::CatalogEntryOf(kind.id).name);
        pe::Image image = ImageOf(kind.id);
        EXPECT_EQ(image.machine, kI386);
        EXPECT_EQ(image.optionalMagic, 0x10B);  // PE32, not PE32+
        EXPECT_TRUE(image.characteristics & kExecutableFlag);
        EXPECT_EQ((image.characteristics & kDllFlag) != 0, kind.dll);
        EXPECT_EQ(image.subsystem, kGuiSubsystem);
        EXPECT_FALSE(image.imports.empty());
        for (const std::string& dll : image.imports)
            EXPECT_TRUE(system.count(Lower(dll))) << "imports " << dll;
    }
}

// What Windows expects of a current program, in the header of everything that ships: it may
// be loaded at any address and carries the relocations for it (which stripping and dropping
// unused sections must leave), its data never runs as code, and a program with a window asks
// for no terminal-server shims, and it declares that it registers no SEH handler. No link
// time: the same source gives the same bytes. The two
// programs that show the system's boxes (the setup, the uninstaller) are sharp on a scaled
// display, take the common controls of version 6 and run elevated.
TEST(Binaries, HeadersAskForAnyBaseAndNoExecutableDataAndCarryNoLinkTime) {
    constexpr std::uint16_t kRelocationsStripped = 0x0001;
    constexpr std::uint16_t kDynamicBase = 0x0040, kNxCompat = 0x0100, kNoSeh = 0x0400, kTerminalServerAware = 0x8000;
    struct Shipped {
        std::string name;
        std::vector<unsigned char> bytes;
        bool program;
        bool manifested;
    };
    std::vector<Shipped> shipped;
    for (payload::CatalogId id : {payload::CatalogId::MainProgram, payload::CatalogId::Updater,
                                  payload::CatalogId::Uninstaller, payload::CatalogId::FunctionLibrary,
                                  payload::CatalogId::SkinLibrary}) {
        const payload::PayloadBlock* block = payload::CatalogEntryOf(id).block;
        shipped.push_back({payload::CatalogEntryOf(id).name,
                           {block->Bytes(), block->Bytes() + block->length},
                           id != payload::CatalogId::FunctionLibrary && id != payload::CatalogId::SkinLibrary,
                           id == payload::CatalogId::Uninstaller});
    }
    auto setup = product_files::Read(product_files::SetupPath());
    ASSERT_TRUE(setup.has_value());
    shipped.push_back({"LumoraSetup.exe", *setup, true, true});

    for (const Shipped& file : shipped) {
        SCOPED_TRACE(file.name);
        pe::Image image;
        std::string error;
        ASSERT_TRUE(pe::Parse(file.bytes.data(), file.bytes.size(), image, error)) << error;
        EXPECT_TRUE(image.dllCharacteristics & kDynamicBase);
        EXPECT_TRUE(image.relocations.inFile);
        EXPECT_FALSE(image.characteristics & kRelocationsStripped);
        EXPECT_TRUE(image.dllCharacteristics & kNxCompat);
        EXPECT_TRUE(image.dllCharacteristics & kNoSeh);
        EXPECT_EQ((image.dllCharacteristics & kTerminalServerAware) != 0, file.program);
        EXPECT_EQ(image.timeDateStamp, 0u);
        EXPECT_EQ(image.exportTimeDateStamp, 0u);
        if (!file.manifested) continue;
        for (const char* declared :
             {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
              "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
              "processorArchitecture=\"x86\" publicKeyToken=\"6595b64144ccf1df\"",
              "level=\"requireAdministrator\""}) {
            EXPECT_NE(image.manifest.find(declared), std::string::npos) << declared << " in\n" << image.manifest;
        }
    }
}

// The image checksum, as the system computes it: the file's 16-bit words summed with their
// carries folded in, the checksum field itself left out, and the file's length added.
std::uint32_t ChecksumOf(const std::vector<unsigned char>& bytes, std::size_t checksumAt) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i >= checksumAt && i < checksumAt + 4) continue;
        sum += bytes[i] | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return ((sum & 0xFFFF) + (sum >> 16)) + static_cast<std::uint32_t>(bytes.size());
}

// Wine maps a section from the file only when it starts on a page of the file: the setup's
// read-only data (the carried files, the pictures) is moved onto one after the link and its
// checksum made again, which must then be its bytes' own, as the linker's is for the others.
TEST(Binaries, TheSetupsReadOnlyDataStartsOnAPageAndEveryChecksumIsItsBytesOwn) {
    std::vector<std::pair<std::string, std::vector<unsigned char>>> images;
    for (payload::CatalogId id : {payload::CatalogId::MainProgram, payload::CatalogId::SkinLibrary}) {
        const payload::PayloadBlock* block = payload::CatalogEntryOf(id).block;
        images.push_back({payload::CatalogEntryOf(id).name, {block->Bytes(), block->Bytes() + block->length}});
    }
    auto setup = product_files::Read(product_files::SetupPath());
    ASSERT_TRUE(setup.has_value());
    images.push_back({"LumoraSetup.exe", *setup});
    for (const auto& [name, bytes] : images) {
        SCOPED_TRACE(name);
        pe::Image image;
        std::string error;
        ASSERT_TRUE(pe::Parse(bytes.data(), bytes.size(), image, error)) << error;
        EXPECT_EQ(image.checksum, ChecksumOf(bytes, image.checksumAt));
        if (name != "LumoraSetup.exe") continue;
        const auto data = std::find_if(image.sections.begin(), image.sections.end(),
                                       [](const pe::SectionStart& s) { return s.name == ".rdata"; });
        ASSERT_NE(data, image.sections.end());
        EXPECT_EQ(data->rawOffset % 4096, 0u) << data->rawOffset;
    }
}

// The setup and 卸载.exe are known by name and picture: the product's icon at every size
// Explorer asks for, each image one the system decodes at its size, and the version resource.
TEST(Binaries, SetupAndUninstallerCarryTheIconAtEverySizeAndTheVersion) {
    for (const auto& [path, description] : {std::pair{product_files::SetupPath(), "Lumora 安装程序"},
                                            std::pair{product_files::PathOf("\\卸载.exe"), "Lumora 卸载程序"}}) {
        HMODULE image = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        auto resource = [&](int id, int type, DWORD& size) {
            HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
            size = found ? SizeofResource(image, found) : 0;
            return found ? static_cast<BYTE*>(LockResource(LoadResource(image, found))) : nullptr;
        };
        DWORD length = 0, bytes = 0;
        std::vector<int> decoded;  // the group's sizes (a 6-byte head, then 14 bytes an image) that decode at their size
        for (const BYTE *group = resource(1, 14, length), *at = group ? group + 6 : nullptr; group && at + 14 <= group + length; at += 14) {
            const int size = at[0] ? at[0] : 256;
            BYTE* one = resource(at[12] | at[13] << 8, 3, bytes);  // RT_GROUP_ICON above, RT_ICON here
            HICON icon = one ? CreateIconFromResourceEx(one, bytes, TRUE, 0x00030000, size, size, 0) : nullptr;
            ICONINFO info{};
            BITMAP bitmap{};
            if (icon && GetIconInfo(icon, &info) && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap) && bitmap.bmWidth == size)
                decoded.push_back(size);
        }
        FreeLibrary(image);
        EXPECT_EQ(decoded, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256})) << description;

        std::vector<char> version(GetFileVersionInfoSizeW(path.c_str(), nullptr) + 1);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data())) << description;
        const std::pair<const wchar_t*, const char*> values[] = {
            {L"ProductName", "Lumora"}, {L"CompanyName", "澄光软件工作室"}, {L"FileDescription", description},
            {L"ProductVersion", LUMORA_PRODUCT_VERSION}};
        for (const auto& [key, expected] : values) {
            wchar_t* value = nullptr;
            UINT n = 0;
            EXPECT_TRUE(VerQueryValueW(version.data(), (std::wstring(L"\\StringFileInfo\\080404b0\\") + key).c_str(),
                                       reinterpret_cast<void**>(&value), &n) && value == product_files::Widen(expected))
                << description << ": " << expected;
        }
    }
}

TEST(FunctionLibrary, ExportsDataGetAtOrdinal1UnderTheNameFunctionDll) {
    pe::Image image = ImageOf(payload::CatalogId::FunctionLibrary);
    ASSERT_TRUE(image.hasExports);
    EXPECT_EQ(image.exportName, "Function.dll");
    EXPECT_EQ(image.exportedFunctions, 1u);
    ASSERT_EQ(image.exports.size(), 1u);
    EXPECT_EQ(image.exports[0].name, "DataGet");
    EXPECT_EQ(image.exports[0].ordinal, 1u);

    Library library(product_files::PathOf("\\Function.dll"));
    ASSERT_NE(library.module, nullptr);
    auto byName = library.Get<DataGetFunction>("DataGet");
    auto byOrdinal = library.Get<DataGetFunction>(MAKEINTRESOURCEA(1));
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName, byOrdinal);
    const char* text = byName();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(product_files::IsValidGbk(text));
    EXPECT_NE(std::strstr(text, "v" LUMORA_PRODUCT_VERSION), nullptr) << text;
}

TEST(SkinLibrary, IsZlibWithMinizipExportedUnderTheNameZlibwapiDll) {
    pe::Image image = ImageOf(payload::CatalogId::SkinLibrary);
    ASSERT_TRUE(image.hasExports);
    EXPECT_EQ(image.exportName, "zlibwapi.dll");
    std::set<std::string> names;
    for (const pe::Export& e : image.exports) {
        EXPECT_EQ(e.name.find('@'), std::string::npos) << "decorated export " << e.name;
        names.insert(e.name);
    }
    for (const char* name :
         {"zlibVersion", "deflate", "deflateInit_", "inflate", "inflateInit2_", "compress", "uncompress",
          "crc32", "adler32", "gzopen", "gzread", "gzwrite", "gzclose", "gzprintf", "zipOpen",
          "zipOpenNewFileInZip", "zipWriteInFileInZip", "zipClose", "unzOpen", "unzGoToFirstFile",
          "unzReadCurrentFile", "unzClose", "fill_win32_filefunc", "fill_win32_filefunc64",
          "fill_fopen_filefunc"})
        EXPECT_TRUE(names.count(name)) << name << " is not exported";
}

TEST(SkinLibrary, CompressesAndWritesAndReadsZipArchivesWhenLoaded) {
    Library library(product_files::PathOf("\\Tarvel-Skin.dll"));
    ASSERT_NE(library.module, nullptr);
    auto version = library.Get<decltype(&zlibVersion)>("zlibVersion");
    auto compressBytes = library.Get<decltype(&compress)>("compress");
    auto uncompressBytes = library.Get<decltype(&uncompress)>("uncompress");
    ASSERT_TRUE(version && compressBytes && uncompressBytes);
    EXPECT_STREQ(version(), ZLIB_VERSION);

    std::string original;
    for (int i = 0; i < 2000; ++i) original += "Lumora " + std::to_string(i % 37) + "\r\n";
    std::vector<Bytef> packed(original.size() + 64);
    uLongf packedSize = static_cast<uLongf>(packed.size());
    ASSERT_EQ(compressBytes(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(original.data()),
                            static_cast<uLong>(original.size())),
              Z_OK);
    EXPECT_LT(packedSize, original.size() / 4);
    std::string unpacked(original.size(), '\0');
    uLongf unpackedSize = static_cast<uLongf>(unpacked.size());
    ASSERT_EQ(uncompressBytes(reinterpret_cast<Bytef*>(unpacked.data()), &unpackedSize, packed.data(),
                              packedSize),
              Z_OK);
    EXPECT_EQ(unpacked, original);

    // A zip archive through the Win32 file functions: write one member, read it back.
    auto fill = library.Get<decltype(&fill_win32_filefunc)>("fill_win32_filefunc");
    auto zipOpenArchive = library.Get<decltype(&zipOpen2)>("zipOpen2");
    auto zipOpenMember = library.Get<decltype(&zipOpenNewFileInZip)>("zipOpenNewFileInZip");
    auto zipWrite = library.Get<decltype(&zipWriteInFileInZip)>("zipWriteInFileInZip");
    auto zipCloseMember = library.Get<decltype(&zipCloseFileInZip)>("zipCloseFileInZip");
    auto zipCloseArchive = library.Get<decltype(&zipClose)>("zipClose");
    auto unzOpenArchive = library.Get<decltype(&unzOpen2)>("unzOpen2");
    auto unzLocate = library.Get<decltype(&unzLocateFile)>("unzLocateFile");
    auto unzOpenMember = library.Get<decltype(&unzOpenCurrentFile)>("unzOpenCurrentFile");
    auto unzRead = library.Get<decltype(&unzReadCurrentFile)>("unzReadCurrentFile");
    auto unzCloseMember = library.Get<decltype(&unzCloseCurrentFile)>("unzCloseCurrentFile");
    auto unzCloseArchive = library.Get<decltype(&unzClose)>("unzClose");
    ASSERT_TRUE(fill && zipOpenArchive && zipOpenMember && zipWrite && zipCloseMember && zipCloseArchive &&
                unzOpenArchive && unzLocate && unzOpenMember && unzRead && unzCloseMember &&
                unzCloseArchive);

    std::string folder(GetTempPathA(0, nullptr), '\0');
    ASSERT_FALSE(folder.empty());
    folder.resize(GetTempPathA(static_cast<DWORD>(folder.size()), folder.data()));
    const std::string archive = folder + "lumora-skin-test.zip";
    zlib_filefunc_def functions;
    fill(&functions);

    zipFile out = zipOpenArchive(archive.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(zipOpenMember(out, "notes.txt", nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_DEFAULT_COMPRESSION),
              ZIP_OK);
    EXPECT_EQ(zipWrite(out, original.data(), static_cast<unsigned>(original.size())), ZIP_OK);
    EXPECT_EQ(zipCloseMember(out), ZIP_OK);
    EXPECT_EQ(zipCloseArchive(out, nullptr), ZIP_OK);

    unzFile in = unzOpenArchive(archive.c_str(), &functions);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(unzLocate(in, "notes.txt", 0), UNZ_OK);
    EXPECT_EQ(unzOpenMember(in), UNZ_OK);
    std::string read(original.size() + 16, '\0');
    int got = unzRead(in, read.data(), static_cast<unsigned>(read.size()));
    EXPECT_EQ(unzCloseMember(in), UNZ_OK);
    EXPECT_EQ(unzCloseArchive(in), UNZ_OK);
    DeleteFileA(archive.c_str());
    ASSERT_EQ(got, static_cast<int>(original.size()));
    read.resize(static_cast<std::size_t>(got));
    EXPECT_EQ(read, original);
}
