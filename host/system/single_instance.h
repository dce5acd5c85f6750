#pragma once
// One wizard at a time: two copies of the setup would write the same files at once.

namespace host {

// Claims `name` (an object name in the session, "Local\..."), for as long as this process
// runs, and tells whether it was free. When another process holds it, that process's window
// is brought to the front: the one it shows on top (its wizard, or a question it asks before
// the wizard is up), restored if minimised, waited for briefly while that process starts.
// Where the claim cannot be made at all, the program goes on as if it were alone.
bool ClaimSoleInstance(const char* name);

}  // namespace host
