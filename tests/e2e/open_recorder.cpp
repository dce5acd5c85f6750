// Stands in for the programs that the shell opens documents and web addresses with, and for a
// program planted where it must never be started: writes one line to C:\lumora-opened.txt
// with when it was started, whether Lumora.exe was running then, its own path and its
// command line, and ends.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

bool ProductRunning() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
        found = lstrcmpA(entry.szExeFile, "Lumora.exe") == 0;
    }
    CloseHandle(snapshot);
    return found;
}

}  // namespace

int main() {
    FILETIME created{}, unused{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    const unsigned long long started = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
                                       created.dwLowDateTime;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    char line[4096];
    const int n = std::snprintf(line, sizeof line, "%020llu|%d|%s|%s\r\n", started, ProductRunning() ? 1 : 0, self,
                                GetCommandLineA());
    if (n <= 0) return 1;
    // Others may be writing too: take turns.
    HANDLE turn = CreateMutexA(nullptr, FALSE, "LumoraOpenRecorder");
    WaitForSingleObject(turn, 10000);
    HANDLE file = CreateFileA("C:\\lumora-opened.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, line, static_cast<DWORD>(std::min(n, static_cast<int>(sizeof line) - 1)), &written, nullptr);
        CloseHandle(file);
    }
    ReleaseMutex(turn);
    CloseHandle(turn);
    return 0;
}
