#pragma once
// Where the uninstaller hands over to the copy of itself that removes the product folder, this
// program included. The copy runs as administrator, so no program of the user's may be able
// to write, rename or replace it: it lives in a new folder with an unguessable name, made with
// an access list that admits only SYSTEM and the Administrators group, in the system's own
// Windows\Temp, where users may add entries but not delete or rename those of others.
#include <string>
#include <string_view>

namespace uninstall {

// The copy's file name inside its folder.
inline constexpr char kCopyName[] = "lumora-uninstall.exe";

// The folder that holds hand-over folders: the system's Windows folder + "\Temp" (never a
// user's private Windows folder); the empty text when it cannot be found.
std::string HandOverRoot();

// "lumora-uninstall-" followed by 32 lower-case hexadecimal digits.
bool IsHandOverName(std::string_view name);

// Makes a new hand-over folder directly under `root`, named from 16 random bytes of the
// system's and made with its access list; its path, or the empty text when it cannot be made.
std::string MakeHandOverFolder(const std::string& root);

// Whether `program` is the copy, by name, directly in a hand-over folder under `root`.
bool IsHandOverCopy(const std::string& program, const std::string& root);

// Marks the copy in `folder`, then the folder, for removal at the next restart.
void RemoveAtRestart(const std::string& folder);

// Removes what earlier runs left under `root`: each hand-over folder but `current`, with its
// copy. The system does not delete a program that still runs, so a folder whose copy runs
// stays, and so does one that holds anything else.
void RemoveEarlierHandOvers(const std::string& root, const std::string& current);

}  // namespace uninstall
