#pragma once
// Records launches and message boxes; a launch succeeds unless told otherwise.

#include <string>
#include <vector>

#include "platform/shell.h"

namespace kvl::fakes {

class FakeShell final : public Shell {
public:
    struct Box {
        std::string text;
        std::string title;
    };

    bool Launch(std::string_view commandLine) override {
        launches.emplace_back(commandLine);
        return launchSucceeds;
    }
    bool LaunchSystemProgram(std::string_view program, std::string_view arguments) override {
        systemLaunches.push_back(std::string(program) + " " + std::string(arguments));
        return launchSucceeds;
    }
    void MessageBox(std::string_view text, std::string_view title) override {
        boxes.push_back({std::string(text), std::string(title)});
    }

    bool launchSucceeds = true;
    std::vector<std::string> launches;        // every attempt, failed ones too
    std::vector<std::string> systemLaunches;  // "program arguments"
    std::vector<Box> boxes;
};

}  // namespace kvl::fakes
