// Started by the process tests. Commands:
//   write FILE TEXT            writes TEXT into FILE
//   delay-write MS FILE TEXT   sleeps, then writes
//   wait-for GO FILE TEXT      waits (up to a minute) until GO exists, then writes
//   show-mode FILE             writes the show command it was started with
//   cwd FILE                   writes its current folder
//   sleep MS                   sleeps
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool Write(const char* path, const std::string& text) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    CloseHandle(file);
    return ok && done == text.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    if (command == "write" && argc == 4) return Write(argv[2], argv[3]) ? 0 : 1;
    if (command == "delay-write" && argc == 5) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return Write(argv[3], argv[4]) ? 0 : 1;
    }
    if (command == "wait-for" && argc == 5) {
        for (int i = 0; i < 3000 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
        return Write(argv[3], argv[4]) ? 0 : 1;
    }
    if (command == "show-mode" && argc == 3) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        GetStartupInfoA(&startup);
        const std::string text =
            (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "none";
        return Write(argv[2], text) ? 0 : 1;
    }
    if (command == "cwd" && argc == 3) {
        char folder[MAX_PATH + 1] = {};
        const DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
        return (n > 0 && n < sizeof folder && Write(argv[2], folder)) ? 0 : 1;
    }
    if (command == "sleep" && argc == 3) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    return 2;
}
