#pragma once
// The operating-system operations the wizard's handlers use. Each is a thin synchronous call
// that never throws, shows nothing of its own and reports failure only by its result (false,
// 0 or the empty text). An interface, so that a test of a handler can answer a message box or
// the folder dialog by script; Win32Host is the program's own implementation.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "host/system/new_files.h"
#include "host/system/text.h"

namespace host {

// A run of bytes to be written, where they lie.
using ByteRange = std::span<const unsigned char>;

// The button that closed a message box (the system's IDOK..IDNO minus one).
enum class MessageBoxResult : int { Ok = 0, Cancel = 1, Abort = 2, Retry = 3, Ignore = 4, Yes = 5, No = 6 };

// One entry of the process list, as the system's process snapshot gives it.
struct ProcessRecord {
    std::uint32_t processId = 0;
    Text exeFile;  // the file name alone, without folder
    std::uint32_t moduleId = 0;
    std::uint32_t parentProcessId = 0;
    std::int32_t basePriority = 0;
    std::uint32_t threadCount = 0;
};

// Numbers for SpecialFolderPath.
namespace special_folder {
inline constexpr int kDocuments = 1;
inline constexpr int kFavorites = 2;
inline constexpr int kDesktop = 3;
inline constexpr int kFonts = 4;
inline constexpr int kStartMenu = 5;
inline constexpr int kPrograms = 6;
inline constexpr int kStartup = 7;
inline constexpr int kAppData = 8;
inline constexpr int kWindows = 9;
inline constexpr int kSystem = 10;
inline constexpr int kTemp = 11;
}  // namespace special_folder

// Root numbers for ReadRegistryText; any other number means the current user.
namespace registry_root {
inline constexpr int kClassesRoot = 1;
inline constexpr int kCurrentConfig = 2;
inline constexpr int kCurrentUser = 3;
inline constexpr int kLocalMachine = 4;
inline constexpr int kUsers = 5;
}  // namespace registry_root

// Window modes for RunProgram and ShellOpen; numbers outside 1..6 are clamped into it.
namespace window_mode {
inline constexpr int kHide = 1;
inline constexpr int kNormal = 2;
inline constexpr int kMinimized = 3;
inline constexpr int kMaximized = 4;
inline constexpr int kNoActivate = 5;  // ShellOpen: shown without activation (SW_SHOWNA)
inline constexpr int kMinimize = 6;
}  // namespace window_mode

// Verbs for ShellOpen; any other number means the file's default action.
namespace shell_verb {
inline constexpr int kEdit = 1;
inline constexpr int kExplore = 2;
inline constexpr int kFind = 3;
inline constexpr int kOpen = 4;
inline constexpr int kPrint = 5;
}  // namespace shell_verb

// How a file write ended.
enum class WriteOutcome { Written, AccessDenied, Failed };

// How MakeProgramFolder left the folder.
enum class ProgramFolderOutcome {
    Made,     // made now
    Kept,     // not made: there already and fit for programs, or it could not be made at all
    Refused,  // there already, and someone else may have put files in it: write nothing into it
    Denied,   // the same, where this user may not change it or add to it: the writes would be denied
};

// What a shell link is saved with; the CreateShortcut overloads decide which parts apply.
struct ShortcutLink {
    Text linkPath;  // ".lnk" is appended when its file name has no dot
    Text target;
    std::optional<Text> description;
    std::optional<Text> arguments;
    std::optional<Text> workingFolder;
};

// A process opened when it was found. Ending it ends that very process, even when it has
// ended meanwhile and its number has been given to another program.
class HeldProcess {
public:
    virtual ~HeldProcess() = default;
    // Asks every window of the process whether it may close, as Windows asks for an installer,
    // and waits until it is gone, so that its files are free: ended only when it hangs, or when
    // it agreed and still runs a few seconds later. False when it refused (it keeps running),
    // could not be ended, or had ended already.
    virtual bool End() = 0;
};

// A whole-file write taken apart, so that its slow part (the bytes written to the new file and
// flushed) runs while the caller goes on; the new file takes the target's place only at Place.
class StagedWrite {
public:
    // Dropped before Place, the write leaves nothing behind; nor when the program ends first.
    virtual ~StagedWrite() = default;
    // Waits for the new file, then puts it in the place of the target: WriteBytes's outcome.
    // Call it once.
    virtual WriteOutcome Place() = 0;
};

class HostServices {
public:
    virtual ~HostServices() = default;

    // Dialogs. The box is task-modal unless the flags ask for system-modal; it has no owner.
    // A left-out caption shows as "信息：".
    virtual MessageBoxResult ShowMessageBox(const Text& text, int flags,
                                            const std::optional<Text>& caption = std::nullopt) = 0;
    // The chosen folder's file-system path (a drive root keeps its backslash), or the empty
    // text when cancelled or when the item has no path.
    virtual Text BrowseForFolder(const Text& title, bool includeFiles = false) = 0;

    // Processes. RunProgram hands the command line to the system unchanged; with `wait` it
    // blocks until the program ends, else until it is idle for input (at most one second).
    // The program starts in `workingFolder` when one is given, else in ours.
    virtual bool RunProgram(const Text& commandLine, bool wait,
                            std::optional<int> windowMode = std::nullopt,
                            const std::optional<Text>& workingFolder = std::nullopt) = 0;
    virtual std::vector<ProcessRecord> ListProcesses() = 0;
    virtual bool EndProcess(std::uint32_t processId) = 0;
    // Opens the process with the rights to end it and to wait for it; null when it cannot be
    // opened (it has ended, or access is denied).
    virtual std::unique_ptr<HeldProcess> HoldProcess(std::uint32_t processId) = 0;
    // Ends the program with the exit code; the window's close query is not raised. The
    // program's implementation does not return.
    virtual void EndProgram(int exitCode) = 0;

    // Shell. Outcomes are not reported. The window mode is only taken when given (which
    // needs all five arguments); otherwise a normal window.
    virtual void ShellOpen(std::optional<int> verb, const Text& file,
                           const std::optional<Text>& parameters = std::nullopt,
                           const std::optional<Text>& folder = std::nullopt,
                           std::optional<int> windowMode = std::nullopt) = 0;
    virtual void OpenWebAddress(const Text& address) = 0;
    // Has the signed-in user's desktop shell open a program, document or web address with its
    // default action, as a double-click on the desktop would: with that user's rights rather
    // than ours, and `folder` as the current folder. False when there is no desktop shell to
    // ask (nothing was started then), or it refused.
    virtual bool OpenAsDesktopUser(const Text& file, const Text& folder) = 0;
    // The folder's path ending in a backslash, or the empty text.
    virtual Text SpecialFolderPath(int folder) = 0;

    // A shell link with the target and, when given, the description.
    bool CreateShortcut(const Text& linkPath, const Text& target,
                        const std::optional<Text>& description = std::nullopt) {
        return SaveShortcut({linkPath, target, description, std::nullopt, std::nullopt});
    }
    // With four arguments passed the arguments are not applied: they and the working folder
    // only count when all five are passed.
    bool CreateShortcut(const Text& linkPath, const Text& target,
                        const std::optional<Text>& description,
                        const std::optional<Text>& /*arguments*/) {
        return SaveShortcut({linkPath, target, description, std::nullopt, std::nullopt});
    }
    bool CreateShortcut(const Text& linkPath, const Text& target,
                        const std::optional<Text>& description,
                        const std::optional<Text>& arguments,
                        const std::optional<Text>& workingFolder) {
        return SaveShortcut({linkPath, target, description, arguments, workingFolder});
    }
    // Saves the link with exactly the parts given in `link`; true when the file was saved. It
    // is saved as WriteBytes writes: a new file that replaces the link whole, or nothing.
    virtual bool SaveShortcut(const ShortcutLink& link) = 0;

    // Files and folders. MakeDirectory creates exactly one level.
    virtual bool MakeDirectory(const Text& path) = 0;
    // The same, with the protection of the folder for programs instead of its parent's: the
    // system and administrators may change it, users only read and run what it holds, and what
    // is written into it inherits that. An existing folder is kept as it is, except run
    // elevated: one that leads elsewhere is refused; one that anyone else could change (or
    // owns) gets that protection before anything is written into it, and is refused when it
    // holds anything but files named as in `ownNames` and the new files that writes leave.
    virtual ProgramFolderOutcome MakeProgramFolder(const Text& path, std::span<const Text> ownNames) = 0;
    virtual bool RemoveFile(const Text& path) = 0;
    // Whether a file (not a folder) of that path is there.
    virtual bool FileExists(const Text& path) = 0;
    // Removes the new files (new_files.h) that writes into `folder` left when they were cut
    // short; the number removed.
    virtual int RemoveNewFileLeftovers(const Text& folder) = 0;
    // Writes the byte ranges in order (empty ones add nothing) into a new file beside `path`,
    // flushes it to the disk, and only then puts it in the place of `path` in one step. An
    // earlier file marked read-only is replaced too. When anything fails the target is as it
    // was (absent, or the earlier file whole) and the new file is gone.
    bool WriteBlocksToFile(const Text& path, std::initializer_list<ByteRange> blocks) {
        return WriteBytes(path, blocks) == WriteOutcome::Written;
    }
    // The same write, telling a denial of access (a folder or file the user may not change)
    // from every other failure (a file in use, a full disk, a bad path).
    virtual WriteOutcome WriteBytes(const Text& path, std::initializer_list<ByteRange> blocks) = 0;
    // The same write, started now and finished by the StagedWrite's Place. The bytes must stay
    // where they lie until then. This form writes everything at Place.
    virtual std::unique_ptr<StagedWrite> StageBytes(const Text& path, ByteRange bytes) {
        struct AtPlace final : StagedWrite {
            AtPlace(HostServices& h, const Text& p, ByteRange b) : host(h), path(p), bytes(b) {}
            WriteOutcome Place() override { return host.WriteBytes(path, {bytes}); }
            HostServices& host;
            Text path;
            ByteRange bytes;
        };
        return std::make_unique<AtPlace>(*this, path, bytes);
    }

    // SaveShortcut's save, started now and finished by the StagedWrite's Place (Failed for
    // anything that failed). This form saves everything at Place.
    virtual std::unique_ptr<StagedWrite> StageShortcut(const ShortcutLink& link) {
        struct AtPlace final : StagedWrite {
            AtPlace(HostServices& h, const ShortcutLink& l) : host(h), link(l) {}
            WriteOutcome Place() override { return host.SaveShortcut(link) ? WriteOutcome::Written : WriteOutcome::Failed; }
            HostServices& host;
            ShortcutLink link;
        };
        return std::make_unique<AtPlace>(*this, link);
    }

    // Environment. The variable's value as the program started with it; empty when not set.
    virtual Text ReadEnvironmentVariable(const Text& name) = 0;
    // A text value (REG_SZ, or REG_EXPAND_SZ expanded); `defaultValue` for anything else.
    virtual Text ReadRegistryText(int root, const Text& path, const Text& defaultValue = Text()) = 0;

    // Returns after more than `milliseconds` on the performance counter, having handled the
    // window messages that arrived meanwhile; a WM_QUIT stays in the queue. 0 or less returns
    // at once.
    virtual void Wait(int milliseconds) = 0;
};

}  // namespace host
