// The simulated machine's process and thread state: last error, error mode, current directory.
#include "sys/SimState.h"

namespace sys {

using namespace sys::sim;

void SimMachine::Sleep(DWORD milliseconds) {
    s_->calls.emplace_back("Sleep");
    s_->sleeps.push_back(milliseconds);
}

void SimMachine::SetLastError(DWORD code) {
    s_->calls.emplace_back("SetLastError");
    s_->lastError = code;
}

DWORD SimMachine::GetLastError() {
    return s_->lastError;
}

BOOL SimMachine::SetDllDirectoryA(const std::string& path) {
    if (failing(*s_, "SetDllDirectoryA")) return 0;
    s_->dllDirectory = path;
    return 1;
}

DWORD SimMachine::GetCurrentProcessId() {
    s_->calls.emplace_back("GetCurrentProcessId");
    return s_->pid;
}

DWORD SimMachine::SetErrorMode(DWORD mode) {
    s_->calls.emplace_back("SetErrorMode");
    const DWORD previous = s_->errorMode;
    s_->errorMode = mode;
    return previous;
}

DWORD SimMachine::GetACP() {
    s_->calls.emplace_back("GetACP");
    return s_->acp;
}

DWORD SimMachine::GetWindowsDirectoryA(char* buffer, DWORD size) {
    if (failing(*s_, "GetWindowsDirectoryA")) return 0;
    static const std::string dir = "C:\\windows";
    // Too small a buffer: the size needed, counting the terminating NUL, and nothing copied.
    if (!buffer || size <= dir.size()) return DWORD(dir.size() + 1);
    copyText(dir, buffer, size);
    return DWORD(dir.size());
}

BOOL SimMachine::SetCurrentDirectoryA(const std::string& path) {
    State& s = *s_;
    if (failing(s, "SetCurrentDirectoryA")) return 0;
    auto fail = Failing(s, 0);
    Target t;
    if (DWORD e = parseName(s, path, t)) return fail(e);
    if (t.kind != Target::Kind::Path) return fail(err::DIRECTORY);
    Found f = findPath(s, t);
    if (f.error) return fail(f.error);
    if (!f.node->directory) return fail(err::DIRECTORY);
    // Keep the names' stored case, as Windows reports the directory it found.
    std::string dir = pathOf(*f.node);
    if (!dir.empty()) dir.erase(0, 1);
    f.volume->currentDir = dir;
    s.currentDrive = t.drive;
    return 1;
}

}  // namespace sys
