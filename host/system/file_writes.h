#pragma once
// The steps of a whole-file write, which WriteBytes takes at once and a staged write
// (staged_write.cpp) takes apart: a new file beside the target, its bytes written and flushed,
// then its taking the target's place.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host/system/host_services.h"
#include "host/system/owned.h"

namespace host {

// A path for the file calls: empty when the system would refuse its length.
std::wstring FilePath(const Text& path);
// A new, empty file of the new-file form beside `target`, opened for writing and shared with
// nobody; its path goes to `made` (empty when no name could be made).
OwnedHandle MakeNewFileBeside(const std::wstring& target, unsigned& counter, std::wstring& made);
// Writes the blocks in order and flushes them to the disk.
bool WriteAll(HANDLE file, std::initializer_list<ByteRange> blocks);
// The bytes of a shell link with exactly the parts given, as it would save them into its file,
// made in memory on a thread whose component services are started; empty when it cannot.
std::vector<unsigned char> LinkBytes(const ShortcutLink& link);
// Sets or clears the new file's mark for deletion when its last handle closes.
bool MarkForDeletion(HANDLE file, bool marked);
// The outcome that a failure with this error stands for.
WriteOutcome Refused(DWORD error);
// Puts the whole, flushed new file that `file` holds in the place of `target` in one step
// (through the handle where the system can rename by handle, else by name once it is closed),
// or leaves both as they were and removes the new file.
WriteOutcome TakePlace(OwnedHandle file, const std::wstring& made, const std::wstring& target);
// A new file beside `target`, the blocks written and flushed, then put in its place.
WriteOutcome WriteWhole(const std::wstring& target, unsigned& counter, std::initializer_list<ByteRange> blocks);

}  // namespace host
