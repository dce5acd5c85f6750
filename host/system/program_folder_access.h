#pragma once
// The protection of the folder that programs are installed into.
#include <windows.h>

#include <span>
#include <string>

#include "host/system/host_services.h"

namespace host {

// The access list, in the system's text form, that MakeProgramFolder gives a folder it makes.
const char* ProgramFolderAccessList();

// An existing folder that we are to write programs into while elevated, decided on and changed
// through one handle: a folder that leads elsewhere is refused; one that anyone else owns or
// may change is taken by the administrators and given `protectedList`, and then refused when it
// holds anything but `ownNames` and the new files our writes leave (Denied when it could not be
// changed, or still takes no files from us, for want of rights).
ProgramFolderOutcome TakeExistingProgramFolder(const std::wstring& folder, PACL protectedList,
                                               std::span<const Text> ownNames);

}  // namespace host
