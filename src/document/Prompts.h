#pragma once
// How the core talks to the user: message boxes and file choosers. The desktop program
// implements it with Qt dialogs, the CLI on the console, the tests with a script.

#include <string>
#include <string_view>
#include <vector>

namespace fv {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct FileFilter {
    std::string description;  // e.g. "Bellcore Files (*.sor)"
    std::string pattern;      // e.g. "*.sor"
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message box; texts are UTF-8.
    virtual PromptAnswer message(std::string_view text, std::string_view caption,
                                 PromptButtons buttons = PromptButtons::Ok) = 0;
    // Files to open; empty when cancelled.
    virtual std::vector<std::string> chooseOpenFiles(std::string_view caption,
                                                     const std::vector<FileFilter>& filters,
                                                     bool multiple) = 0;
    // A path to save under; empty when cancelled.
    virtual std::string chooseSavePath(std::string_view caption, std::string_view initialName,
                                       const std::vector<FileFilter>& filters) = 0;
    // A folder; empty when cancelled.
    virtual std::string chooseFolder(std::string_view caption) = 0;
};

}  // namespace fv
