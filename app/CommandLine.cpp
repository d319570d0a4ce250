#include "app/CommandLine.h"

namespace app {

std::string CommandLineArguments(const std::string& commandLine) {
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    if (i < n && commandLine[i] == '"') {
        ++i;
        while (i < n && commandLine[i] != '"') ++i;
        if (i < n) ++i;  // the closing quote
    } else {
        while (i < n && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
    }
    while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return commandLine.substr(i);
}

}  // namespace app
