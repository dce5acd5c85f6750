#pragma once
// One wizard at a time: two copies of the setup would write the same files at once.

namespace host {

// Claims the object `name` for as long as this process runs, and tells whether the program
// should go on. Elevated, the name lives where only administrators can make it (a private
// namespace, where the system has them); otherwise in the session ("Local\"). When another
// process holds it and that process is a copy of this setup (started from our file, or showing
// our wizard), its window is brought to the front: the one it shows on top (its wizard, or a
// question it asks before the wizard is up), restored if minimised, waited for briefly while
// that process starts; then false. A holder that is no copy of ours stops nothing. Where the
// claim cannot be made at all, the program goes on as if it were alone.
bool ClaimSoleInstance(const wchar_t* name);

}  // namespace host
