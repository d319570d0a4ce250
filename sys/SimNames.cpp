// The simulated machine's names: how Win32 reads a path or a device name, and what it finds.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "sys/SimState.h"

namespace sys::sim {

namespace {

bool isDosDeviceName(const std::string& part, std::string& key) {
    std::string base = upper(part.substr(0, part.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const std::set<std::string> names = {"NUL", "CON", "AUX", "PRN"};
    bool numbered = base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
                    base[3] >= '1' && base[3] <= '9';
    if (names.count(base) || numbered) {
        key = base;
        return true;
    }
    return false;
}

// A relative name made absolute from the drive's current directory. Appended piece by piece:
// prefixing a temporary string trips a false -Wrestrict in mingw-w64's GCC 12.
std::string underCurrentDir(const State& s, char drive, const std::string& relative) {
    std::string full = "\\";
    full += currentDirOf(s, drive);
    // "C:" alone names the current directory itself, without a trailing backslash.
    if (!relative.empty()) {
        full += '\\';
        full += relative;
    }
    return full;
}

}  // namespace

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool isDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

std::string currentDirOf(const State& s, char drive) {
    auto it = s.volumes.find(drive);
    return it == s.volumes.end() ? std::string() : it->second.currentDir;
}

DWORD parseName(const State& s, const std::string& name, Target& t) {
    if (name.empty()) return err::PATH_NOT_FOUND;
    std::string p = name;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.size() >= 4 && p[0] == '\\' && p[1] == '\\' && (p[2] == '.' || p[2] == '?') &&
        p[3] == '\\') {
        std::string rest = p.substr(4);
        if (rest.size() == 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
            t.kind = Target::Kind::Volume;
            t.drive = char(std::toupper(static_cast<unsigned char>(rest[0])));
            // No such drive: the object manager finds no name (Windows and Wine agree).
            return s.volumes.count(t.drive) ? err::SUCCESS : err::FILE_NOT_FOUND;
        }
        if (rest.size() >= 3 && isDriveLetter(rest[0]) && rest[1] == ':' && rest[2] == '\\') {
            p = rest;
        } else {
            t.kind = Target::Kind::Device;
            t.device = upper(rest);
            return s.devices.count(t.device) ? err::SUCCESS : err::FILE_NOT_FOUND;
        }
    } else if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        return err::BAD_NETPATH;  // no network on this machine
    }

    std::string rest;
    if (p.size() >= 2 && p[1] == ':') {
        if (!isDriveLetter(p[0])) return err::INVALID_NAME;
        t.drive = char(std::toupper(static_cast<unsigned char>(p[0])));
        rest = p.substr(2);
        if (rest.empty() || rest[0] != '\\') rest = underCurrentDir(s, t.drive, rest);
    } else if (p[0] == '\\') {
        t.drive = s.currentDrive;
        rest = p;
    } else {
        t.drive = s.currentDrive;
        rest = underCurrentDir(s, t.drive, p);
    }

    std::vector<std::string> raw;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || rest[i] == '\\') {
            raw.push_back(rest.substr(start, i - start));
            start = i + 1;
        }
    }
    for (std::string& part : raw) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!t.parts.empty()) t.parts.pop_back();
            continue;
        }
        t.parts.push_back(part);
    }
    t.trailingSlash = !raw.empty() && raw.back().empty() && !t.parts.empty();
    if (!t.parts.empty()) {
        // Win32 drops trailing dots and spaces of the last component.
        std::string& last = t.parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
        if (last.empty()) t.parts.pop_back();
    }
    for (const std::string& part : t.parts) {
        for (char c : part) {
            // ':' would name an alternate data stream; this machine has none.
            if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c))
                return err::INVALID_NAME;
        }
    }
    std::string key;
    if (!t.parts.empty() && isDosDeviceName(t.parts.back(), key) && s.devices.count(key)) {
        t.kind = Target::Kind::Device;
        t.device = key;
    }
    return err::SUCCESS;
}

Found findPath(State& s, const Target& t) {
    Found f;
    f.volume = s.volume(t.drive);
    if (!f.volume) {
        f.error = err::PATH_NOT_FOUND;
        return f;
    }
    if (!f.volume->hasMedia) {
        f.error = err::NOT_READY;
        return f;
    }
    std::shared_ptr<Node> cur = f.volume->root;
    for (std::size_t i = 0; i + 1 < t.parts.size(); ++i) {
        auto it = cur->children.find(upper(t.parts[i]));
        if (it == cur->children.end() || !it->second->directory) {
            f.error = err::PATH_NOT_FOUND;
            return f;
        }
        cur = it->second;
    }
    if (t.parts.empty()) {
        f.node = cur;
    } else {
        f.parent = cur.get();
        auto it = cur->children.find(upper(t.parts.back()));
        if (it == cur->children.end()) {
            f.error = err::FILE_NOT_FOUND;
            return f;
        }
        f.node = it->second;
    }
    // A file whose deletion waits for its last handle can no longer be opened.
    if (f.node->deletePending)
        f.error = err::ACCESS_DENIED;
    else if (t.trailingSlash && !f.node->directory)
        f.error = err::INVALID_NAME;
    return f;
}

std::string pathOf(const Node& n) {
    if (!n.parent) return "";
    return pathOf(*n.parent) + "\\" + n.name;
}

void copyText(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || !size) return;
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

Volume* State::volume(char letter) {
    auto it = volumes.find(char(std::toupper(static_cast<unsigned char>(letter))));
    return it == volumes.end() ? nullptr : &it->second;
}

Device* State::diskOf(const Volume& v) {
    auto it = devices.find(v.disk);
    return it == devices.end() ? nullptr : &it->second;
}

std::size_t State::disks() const {
    std::size_t n = 0;
    for (const auto& [key, d] : devices) n += d.type == Device::Type::Disk;
    return n;
}

}  // namespace sys::sim
