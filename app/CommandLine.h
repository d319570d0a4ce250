#pragma once

#include <string>

namespace app {

// The argument text of a Windows command line: everything after the program name (quoted or
// not) and the blanks that follow it, unchanged.
std::string CommandLineArguments(const std::string& commandLine);

}  // namespace app
