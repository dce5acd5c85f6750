#pragma once
// A HostServices that answers from a script and remembers what it was asked, for the handlers'
// in-process tests: message boxes and the folder dialog are answered without a dialog, and
// ending the program is recorded rather than done. Everything else the wizard does on the
// system goes through the real window.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/host_services.h"

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
    std::vector<std::uint32_t> endedProcesses;
    std::vector<int> endProgramCalls;

    std::map<host::Text, host::Text> environment;
    std::map<host::Text, host::Text> registry;  // "root:path" -> value; only text values exist

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
    bool RunProgram(const host::Text&, bool, std::optional<int>) override { return false; }
    std::vector<host::ProcessRecord> ListProcesses() override { return processes; }
    bool EndProcess(std::uint32_t processId) override {
        endedProcesses.push_back(processId);
        return true;
    }
    void EndProgram(int exitCode) override { endProgramCalls.push_back(exitCode); }
    void ShellOpen(std::optional<int>, const host::Text&, const std::optional<host::Text>&,
                   const std::optional<host::Text>&, std::optional<int>) override {}
    void OpenWebAddress(const host::Text&) override {}
    host::Text SpecialFolderPath(int) override { return {}; }
    bool SaveShortcut(const host::ShortcutLink&) override { return false; }
    bool MakeDirectory(const host::Text&) override { return false; }
    bool RemoveFile(const host::Text&) override { return false; }
    bool WriteBlocksToFile(const host::Text&, std::initializer_list<host::ByteRange>) override { return false; }
    host::Text ReadEnvironmentVariable(const host::Text& name) override {
        auto it = environment.find(name);
        return it == environment.end() ? host::Text() : it->second;
    }
    host::Text ReadRegistryText(int root, const host::Text& path, const host::Text& defaultValue) override {
        auto it = registry.find(std::to_string(root) + ":" + path);
        return it == registry.end() ? defaultValue : it->second;
    }
    void Wait(int) override {}
};

}  // namespace test
