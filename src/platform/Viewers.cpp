#include "platform/Viewers.h"

#include <cstdlib>
#include <sstream>

namespace platform {

namespace {

// $VISUAL as a command: its words, the first resolved on $PATH; empty when it is unset,
// blank or names no program.
std::vector<std::string> VisualCommand() {
    const char* visual = std::getenv("VISUAL");
    if (visual == nullptr)
        return {};
    std::vector<std::string> words;
    std::istringstream in(visual);
    for (std::string word; in >> word;)
        words.push_back(word);
    if (words.empty())
        return {};
    words[0] = FindExecutable(words[0]);
    if (words[0].empty())
        return {};
    return words;
}

// A file name that begins with '-' would be read as an option.
std::string FileArgument(const std::string& file) {
    if (file.empty() || file[0] != '-')
        return file;
    std::string safe("./");
    safe += file;
    return safe;
}

} // namespace

std::vector<std::string> TextViewerCommand(const std::string& file) {
    std::vector<std::string> command = VisualCommand();
    if (command.empty()) {
        for (const char* editor : kTextViewers) {
            std::string path = FindExecutable(editor);
            if (!path.empty()) {
                command.push_back(std::move(path));
                break;
            }
        }
    }
    if (command.empty()) {
        std::string opener = FindExecutable("xdg-open");
        if (opener.empty())
            return {};
        command.push_back(std::move(opener));
    }
    command.push_back(FileArgument(file));
    return command;
}

ViewResult ViewTextFile(const std::string& file, IProcessLauncher& launcher) {
    const std::vector<std::string> command = TextViewerCommand(file);
    if (command.empty())
        return ViewResult::NotFound;
    return launcher.Launch(command, 0).started ? ViewResult::Ok : ViewResult::NotStarted;
}

int OpenWithAssociatedProgram(const std::string& file, IProcessLauncher& launcher, unsigned waitMs) {
    const std::string opener = FindExecutable("xdg-open");
    if (opener.empty())
        return -1;
    const LaunchResult result = launcher.Launch({opener, FileArgument(file)}, waitMs);
    if (!result.started)
        return -1;
    return !result.exited || result.exitCode == 0 ? 0 : -1;
}

} // namespace platform
