#pragma once
// The program's HostServices on the real system. Texts go to the ANSI forms of the calls
// unchanged. Call everything on the window's thread: the folder dialog and shortcuts start the
// component services on it when they first need them.
#include <utility>
#include <vector>

#include "host/system/host_services.h"

namespace host {

class Win32Host final : public HostServices {
public:
    // Takes a copy of the process environment: ReadEnvironmentVariable answers from it, so the
    // program reads its variables as they were when it started even if something changes the
    // live environment later. Construct the host at start-up.
    Win32Host();

    MessageBoxResult ShowMessageBox(const Text& text, int flags,
                                    const std::optional<Text>& caption) override;
    Text BrowseForFolder(const Text& title, bool includeFiles) override;

    bool RunProgram(const Text& commandLine, bool wait, std::optional<int> windowMode,
                    const std::optional<Text>& workingFolder) override;
    // Every process of the system's list, in its order: the list grows as needed rather than
    // stopping at a fixed table size, so a product process is never missed on a busy machine.
    std::vector<ProcessRecord> ListProcesses() override;
    bool EndProcess(std::uint32_t processId) override;
    std::unique_ptr<HeldProcess> HoldProcess(std::uint32_t processId) override;
    [[noreturn]] void EndProgram(int exitCode) override;

    void ShellOpen(std::optional<int> verb, const Text& file, const std::optional<Text>& parameters,
                   const std::optional<Text>& folder, std::optional<int> windowMode) override;
    void OpenWebAddress(const Text& address) override;
    // Through the desktop's shell view (IShellDispatch2::ShellExecute), and only when the
    // session has a shell window.
    bool OpenAsDesktopUser(const Text& file, const Text& folder) override;
    Text SpecialFolderPath(int folder) override;
    bool SaveShortcut(const ShortcutLink& link) override;

    bool MakeDirectory(const Text& path) override;
    // program_folder_access.cpp
    ProgramFolderOutcome MakeProgramFolder(const Text& path, std::span<const Text> ownNames) override;
    bool RemoveFile(const Text& path) override;
    bool FileExists(const Text& path) override;
    int RemoveNewFileLeftovers(const Text& folder) override;
    WriteOutcome WriteBytes(const Text& path, std::initializer_list<ByteRange> blocks) override;
    // On another thread; the new file is marked for deletion until its Place, so that the
    // system removes it should the program end before (staged_write.cpp).
    std::unique_ptr<StagedWrite> StageBytes(const Text& path, ByteRange bytes) override;
    std::unique_ptr<StagedWrite> StageShortcut(const ShortcutLink& link) override;

    Text ReadEnvironmentVariable(const Text& name) override;
    Text ReadRegistryText(int root, const Text& path, const Text& defaultValue) override;

    void Wait(int milliseconds) override;

private:
    unsigned newFiles_ = 0;  // told apart the names of the new files
    std::vector<std::pair<Text, Text>> startEnvironment_;
};

// The system's list of its processes, read into a buffer of `firstBytes` that grows until the
// list fits (ListProcesses starts with 16 KB); empty when it cannot be read.
std::vector<ProcessRecord> ReadSystemProcessList(std::size_t firstBytes);

// Whether this process runs elevated (with the administrators' full rights).
bool RunsElevated();

}  // namespace host
