#pragma once
// Prompts for tests: records every message and answers from a script.

#include "document/Prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace fv::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    PromptButtons buttons;
};

class ScriptedPrompts : public Prompts {
public:
    std::vector<ShownMessage> messages;
    std::deque<PromptAnswer> answers;               // next answers to message boxes; Ok/Yes when empty
    std::deque<std::vector<std::string>> openFiles; // next answers to chooseOpenFiles
    std::deque<std::string> savePaths;
    std::deque<std::string> folders;

    PromptAnswer message(std::string_view text, std::string_view caption, PromptButtons buttons) override {
        messages.push_back({std::string(text), std::string(caption), buttons});
        if (!answers.empty()) {
            PromptAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == PromptButtons::Ok || buttons == PromptButtons::OkCancel ? PromptAnswer::Ok
                                                                                  : PromptAnswer::Yes;
    }
    std::vector<std::string> chooseOpenFiles(std::string_view, const std::vector<FileFilter>&, bool) override {
        return pop(openFiles);
    }
    std::string chooseSavePath(std::string_view, std::string_view, const std::vector<FileFilter>&) override {
        return pop(savePaths);
    }
    std::string chooseFolder(std::string_view) override { return pop(folders); }

private:
    template <class T>
    static T pop(std::deque<T>& q) {
        if (q.empty()) return T{};
        T v = std::move(q.front());
        q.pop_front();
        return v;
    }
};

}  // namespace fv::test
