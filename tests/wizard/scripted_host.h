#pragma once
// A HostServices that answers from a script and writes down what it was asked, for the
// handlers' in-process tests: message boxes and the folder dialog are answered without a
// dialog, files and processes are only recorded, and ending the program is recorded rather
// than done. The window itself is always the real one.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/system/host_services.h"

namespace test {

class ScriptedHost final : public host::HostServices {
public:
    struct Box {
        host::Text text;
        int flags;
        host::Text caption;
    };

    // Answers for the next message boxes, in order; a box beyond them is answered No.
    std::deque<host::MessageBoxResult> boxAnswers;
    // Runs while a box is up, before it is answered: what the user could see then.
    std::function<void(const Box&)> whileBoxShown;
    std::vector<Box> boxes;

    std::deque<host::Text> folderAnswers;  // the folder dialog's results; empty: cancelled
    std::vector<host::Text> folderTitles;

    std::vector<host::ProcessRecord> processes;
    std::vector<std::uint32_t> heldProcesses;   // opened to be ended, in order
    std::vector<std::uint32_t> endedProcesses;  // ended, by number or through a hold
    std::vector<int> endProgramCalls;

    std::map<host::Text, host::Text> environment;
    std::map<host::Text, host::Text> registry;  // "root:path" -> value; only text values exist
    std::map<int, host::Text> specialFolders;

    // Every operation on files, shortcuts, programs and the shell, and every wait, in order:
    // "mkdir PATH", "program-folder PATH", "remove PATH", "write PATH BYTES",
    // "link PATH -> TARGET", "run LINE [in FOLDER]", "open FILE", "web ADDRESS",
    // "desktop FILE in FOLDER" (only while `desktopShell`), "tidy FOLDER" (new-file leftovers
    // removed), "wait MS".
    std::vector<std::string> calls;
    bool desktopShell = false;  // whether the desktop's shell takes what is to be opened
    host::ProgramFolderOutcome programFolder = host::ProgramFolderOutcome::Made;
    std::map<host::Text, host::WriteOutcome> writeOutcomes;  // by path; Written when not named
    std::set<host::Text> files;  // the files there: those named here and those written
    std::function<void()> whileWaiting;  // runs inside every wait, as window events would
    // Each staged write's path and the waits made before it was started; it is written (and
    // recorded under "write") only at its Place.
    std::vector<std::pair<host::Text, int>> staged;

    host::MessageBoxResult ShowMessageBox(const host::Text& text, int flags,
                                          const std::optional<host::Text>& caption) override {
        boxes.push_back({text, flags, caption.value_or("")});
        if (whileBoxShown) whileBoxShown(boxes.back());
        if (boxAnswers.empty()) return host::MessageBoxResult::No;
        const host::MessageBoxResult answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    host::Text BrowseForFolder(const host::Text& title, bool) override {
        folderTitles.push_back(title);
        if (folderAnswers.empty()) return {};
        host::Text answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }
    bool RunProgram(const host::Text& commandLine, bool, std::optional<int>,
                    const std::optional<host::Text>& folder) override {
        calls.push_back("run " + commandLine + (folder ? " in " + *folder : ""));
        return true;
    }
    std::vector<host::ProcessRecord> ListProcesses() override { return processes; }
    bool EndProcess(std::uint32_t processId) override {
        endedProcesses.push_back(processId);
        return true;
    }
    std::unique_ptr<host::HeldProcess> HoldProcess(std::uint32_t processId) override {
        struct Held final : host::HeldProcess {
            ScriptedHost& host;
            std::uint32_t id;
            Held(ScriptedHost& h, std::uint32_t i) : host(h), id(i) {}
            bool End() override {
                host.endedProcesses.push_back(id);
                return true;
            }
        };
        heldProcesses.push_back(processId);
        return std::make_unique<Held>(*this, processId);
    }
    void EndProgram(int exitCode) override { endProgramCalls.push_back(exitCode); }
    void ShellOpen(std::optional<int>, const host::Text& file, const std::optional<host::Text>&,
                   const std::optional<host::Text>&, std::optional<int>) override {
        calls.push_back("open " + file);
    }
    void OpenWebAddress(const host::Text& address) override { calls.push_back("web " + address); }
    bool OpenAsDesktopUser(const host::Text& file, const host::Text& folder) override {
        if (desktopShell) calls.push_back("desktop " + file + " in " + folder);
        return desktopShell;
    }
    host::Text SpecialFolderPath(int folder) override {
        auto it = specialFolders.find(folder);
        return it == specialFolders.end() ? host::Text() : it->second;
    }
    bool SaveShortcut(const host::ShortcutLink& link) override {
        calls.push_back("link " + link.linkPath + " -> " + link.target);
        return true;
    }
    bool MakeDirectory(const host::Text& path) override {
        calls.push_back("mkdir " + path);
        return true;
    }
    host::ProgramFolderOutcome MakeProgramFolder(const host::Text& path, std::span<const host::Text>) override {
        calls.push_back("program-folder " + path);
        return programFolder;
    }
    bool RemoveFile(const host::Text& path) override {
        calls.push_back("remove " + path);
        return files.erase(path) != 0;
    }
    host::WriteOutcome WriteBytes(const host::Text& path, std::initializer_list<host::ByteRange> blocks) override {
        std::size_t bytes = 0;
        for (const host::ByteRange& block : blocks) bytes += block.size();
        calls.push_back("write " + path + " " + std::to_string(bytes));
        auto it = writeOutcomes.find(path);
        const host::WriteOutcome outcome = it == writeOutcomes.end() ? host::WriteOutcome::Written : it->second;
        if (outcome == host::WriteOutcome::Written) files.insert(path);
        return outcome;
    }
    std::unique_ptr<host::StagedWrite> StageBytes(const host::Text& path, host::ByteRange bytes) override {
        staged.emplace_back(path, static_cast<int>(std::count(calls.begin(), calls.end(), "wait 15")));
        return HostServices::StageBytes(path, bytes);
    }
    std::unique_ptr<host::StagedWrite> StageShortcut(const host::ShortcutLink& link) override {
        staged.emplace_back(link.linkPath, static_cast<int>(std::count(calls.begin(), calls.end(), "wait 15")));
        return HostServices::StageShortcut(link);
    }
    bool FileExists(const host::Text& path) override { return files.count(path) != 0; }
    int RemoveNewFileLeftovers(const host::Text& folder) override {
        calls.push_back("tidy " + folder);
        return 0;
    }
    host::Text ReadEnvironmentVariable(const host::Text& name) override {
        auto it = environment.find(name);
        return it == environment.end() ? host::Text() : it->second;
    }
    host::Text ReadRegistryText(int root, const host::Text& path, const host::Text& defaultValue) override {
        auto it = registry.find(std::to_string(root) + ":" + path);
        return it == registry.end() ? defaultValue : it->second;
    }
    void Wait(int milliseconds) override {
        calls.push_back("wait " + std::to_string(milliseconds));
        if (whileWaiting) whileWaiting();
    }
};

}  // namespace test
