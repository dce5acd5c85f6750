// The carried programs started for real: the main program's window with the text of its
// function library, and the two small programs' messages. Each is closed as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "product/function/data_get.h"
#include "product_files.h"

namespace {

// A started program, ended by force if a test leaves it running.
struct Process {
    PROCESS_INFORMATION info{};
    bool started = false;

    explicit Process(const std::wstring& path) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + path + L"\"";
        started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info) != FALSE;
    }
    ~Process() {
        if (!started) return;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Waits for the program to end; its exit code, or -1 when it is still running.
    long ExitCodeWithin(DWORD milliseconds) const {
        if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        return static_cast<long>(code);
    }
};

struct Search {
    DWORD processId;
    const char* className;  // null: any
    const char* title;      // null: any
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    char text[256] = {};
    if (search->className != nullptr) {
        GetClassNameA(window, text, sizeof text);
        if (std::string(text) != search->className) return TRUE;
    }
    if (search->title != nullptr) {
        GetWindowTextA(window, text, sizeof text);
        if (std::string(text) != search->title) return TRUE;
    }
    search->found = window;
    return FALSE;
}

// The first visible top-level window of the process that matches, waiting up to 15 s.
HWND WaitForWindow(const Process& process, const char* className, const char* title) {
    Search search{process.info.dwProcessId, className, title, nullptr};
    for (int i = 0; i < 300 && search.found == nullptr; ++i) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(50);
    }
    return search.found;
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return "";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return "";
    text.resize(copied);
    return text;
}

BOOL CALLBACK CollectChildText(HWND child, LPARAM lParam) {
    reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(TextOf(child));
    return TRUE;
}

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectChildText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// A fresh folder of its own under the temporary folder, removed with what it holds.
struct TempFolder {
    std::wstring path;
    TempFolder() {
        std::wstring base(GetTempPathW(0, nullptr), L'\0');
        base.resize(GetTempPathW(static_cast<DWORD>(base.size()), base.data()));
        path = base + L"lumora-alone-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TempFolder() {
        DeleteFileW((path + L"\\Lumora.exe").c_str());
        RemoveDirectoryW(path.c_str());
    }
};

const char kMainTitle[] = "Lumora v" LUMORA_PRODUCT_VERSION;

}  // namespace

TEST(MainProgram, ShowsTheTextOfItsFunctionLibraryAndEndsWhenClosed) {
    HMODULE library = LoadLibraryW(product_files::PathOf("\\Function.dll").c_str());
    ASSERT_NE(library, nullptr);
    auto dataGet = reinterpret_cast<DataGetFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "DataGet")));
    ASSERT_NE(dataGet, nullptr);
    const std::string expected = dataGet();
    FreeLibrary(library);

    Process lumora(product_files::PathOf("\\Lumora.exe"));
    ASSERT_TRUE(lumora.started);
    HWND window = WaitForWindow(lumora, nullptr, kMainTitle);
    ASSERT_NE(window, nullptr) << "no window titled " << kMainTitle;
    EXPECT_EQ(lumora.ExitCodeWithin(300), -1) << "the program does not keep running";
    std::vector<std::string> texts = ChildTexts(window);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], expected);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(lumora.ExitCodeWithin(10000), 0);
}

TEST(MainProgram, WithoutItsFunctionLibraryBesideItSaysSoAndStillRuns) {
    TempFolder alone;
    ASSERT_TRUE(CopyFileW(product_files::PathOf("\\Lumora.exe").c_str(),
                          (alone.path + L"\\Lumora.exe").c_str(), FALSE));
    Process lumora(alone.path + L"\\Lumora.exe");
    ASSERT_TRUE(lumora.started);
    HWND window = WaitForWindow(lumora, nullptr, kMainTitle);
    ASSERT_NE(window, nullptr);
    std::vector<std::string> texts = ChildTexts(window);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Function.dll"), std::string::npos) << texts[0];

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(lumora.ExitCodeWithin(10000), 0);
}

TEST(SmallPrograms, UpdaterShowsItsMessageAndEndsOnOk) {
    Process program(product_files::PathOf("\\TarvelUP.exe"));
    ASSERT_TRUE(program.started);
    HWND box = WaitForWindow(program, "#32770", nullptr);
    ASSERT_NE(box, nullptr) << "no message box";
    bool said = false;
    for (const std::string& text : ChildTexts(box)) said |= text.find("最新版本") != std::string::npos;
    EXPECT_TRUE(said);
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    PostMessageA(ok, BM_CLICK, 0, 0);
    EXPECT_EQ(program.ExitCodeWithin(10000), 0);
}

// Run where the build made it, the uninstaller asks first; No leaves its folder as it was.
TEST(SmallPrograms, UninstallerAsksFirstAndNoChangesNothing) {
    Process program(product_files::PathOf("\\卸载.exe"));
    ASSERT_TRUE(program.started);
    HWND box = WaitForWindow(program, "#32770", nullptr);
    ASSERT_NE(box, nullptr) << "no question";
    bool asked = false;
    for (const std::string& text : ChildTexts(box)) asked |= text.find("移除 Lumora") != std::string::npos;
    EXPECT_TRUE(asked);
    HWND no = GetDlgItem(box, IDNO);
    ASSERT_NE(no, nullptr);
    PostMessageA(no, BM_CLICK, 0, 0);
    EXPECT_EQ(program.ExitCodeWithin(10000), 0);
    for (const char* piece : {"\\Lumora.exe", "\\卸载.exe", "\\Function.dll", "\\Lumora官网.url"}) {
        EXPECT_NE(GetFileAttributesW(product_files::PathOf(piece).c_str()), INVALID_FILE_ATTRIBUTES) << piece;
    }
}
