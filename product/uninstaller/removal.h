#pragma once
// What the uninstaller removes: exactly what the setup writes, and nothing that it did not.
// The nine files in the product folder by name; the Start-menu folder "Lumora" and the
// desktop's entries only when they are the setup's own (a link to this folder's program, an
// internet shortcut with the carried bytes); the new files that a setup ended midway left in
// those three places; folders only when they are then empty.
#include <string>
#include <string_view>
#include <vector>

namespace uninstall {

struct Places {
    std::string folder;        // the product folder, without a trailing backslash
    std::string programsMenu;  // the user's Start-menu Programs folder
    std::string desktop;       // the user's desktop folder
};

// Why something stayed.
enum class Kept {
    StillRunning,    // the main program, which the user chose to keep running
    InUse,           // another program holds it
    InUseUntilRestart, // another program holds it; it goes at the next restart
    Denied,          // the user has no right to remove it
    NotOurs,         // a shortcut of that name that the setup did not make
    HoldsOtherFiles, // a folder that still holds files the setup did not write
    Failed,          // any other refusal of the system
};

struct KeptItem {
    std::string path;
    Kept why;
};

struct Report {
    int removed = 0;  // files, shortcuts and folders
    std::vector<KeptItem> kept;
};

// `productRunning`: the main program was left running at the user's word.
Report RemoveInstallation(const Places& places, bool productRunning);

// The target a shell link names, or the empty text when it cannot be read.
std::string LinkTarget(const std::string& linkFile);
// Whether two paths name the same file, whatever their letter case and form.
bool SamePath(const std::string& a, const std::string& b);
// A path's part before its last backslash, and the name after it. Without a backslash the
// folder part is empty and the name is the whole path.
std::string FolderOf(const std::string& path);
std::string LeafOf(const std::string& path);

// The internet shortcuts the setup writes, as carried.
std::string_view WebsiteShortcutBytes();
std::string_view TutorialShortcutBytes();

}  // namespace uninstall
