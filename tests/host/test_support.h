#pragma once
// Small tools the host tests share: scratch folders, blocks made from bytes, reading files
// back, starting programs and finding this process's dialog boxes. Paths and titles are GBK,
// as the program holds them, and go to the system in UTF-16 converted with code page 936:
// the same on every ANSI code page.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/system/host_services.h"

namespace test {

// Bytes to hand to WriteBlocksToFile, kept for as long as the test needs them.
class Block {
public:
    explicit Block(std::string_view bytes) : bytes_(bytes) {}
    host::ByteRange get() const {
        return {reinterpret_cast<const unsigned char*>(bytes_.data()), bytes_.size()};
    }

private:
    std::string bytes_;
};

// A fresh folder under the temporary-files folder, removed with its content at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string_view tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // The folder's path, without a trailing backslash.
    const host::Text& path() const { return path_; }

private:
    host::Text path_;
};

// A GB 18030 text as UTF-16, and back, as the program converts them.
std::wstring Wide(std::string_view text);
std::string Gbk(const std::wstring& wide);
// The names a folder holds as the system keeps them, in UTF-16 and sorted; none when the folder
// does not exist.
std::vector<std::wstring> FolderNames(const std::wstring& folder);
// Reads the whole file; false when it cannot be opened.
bool ReadFileBytes(const host::Text& path, std::string& bytes);
bool IsFolder(const host::Text& path);
bool IsFile(const host::Text& path);
void RemoveTree(const host::Text& path);
// The folder of this test program, without a trailing backslash.
host::Text ProgramFolder();
// Runs a command line without a window and waits for it; its exit code, or -1.
int RunToEnd(const host::Text& commandLine);
// The access list of a file or folder as the system reports it (its SDDL form), and what it
// grants to everyone who is neither the system, an administrator nor the owner (Everyone,
// Users, Authenticated Users): the access mask of their allowing entries together.
std::string AccessList(const host::Text& path);
DWORD GrantedToOthers(const host::Text& path);
// Polls for a visible dialog box (#32770) of this process, optionally with the given title.
HWND FindOwnDialog(const char* title, DWORD timeoutMs);

}  // namespace test
