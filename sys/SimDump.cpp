// The simulated machine's whole state as text, for the message of a failing test.
#include <sstream>

#include "sys/SimState.h"

namespace sys {

using namespace sys::sim;

namespace {

void dumpTree(std::ostringstream& o, const Node& n, const std::string& path) {
    for (const auto& [key, child] : n.children) {
        const std::string p = path + "\\" + child->name;
        o << "    " << p;
        if (child->directory) {
            o << "\\  (dir, attrs 0x" << std::hex << child->attributes << std::dec << ")\n";
            dumpTree(o, *child, p);
            continue;
        }
        o << "  size " << child->size << ", attrs 0x" << std::hex << child->attributes << std::dec;
        if (child->deletePending) o << ", delete pending";
        if (child->size <= 64) {
            std::string bytes(std::size_t(child->size), '\0');
            child->data.read(0, bytes.data(), bytes.size());
            o << ", \"";
            for (char c : bytes) {
                if (c >= 32 && c < 127)
                    o << c;
                else
                    o << "\\x" << std::hex << (static_cast<unsigned char>(c) >> 4)
                      << (static_cast<unsigned char>(c) & 15) << std::dec;
            }
            o << '"';
        }
        o << '\n';
    }
}

}  // namespace

std::string SimMachine::toString() const {
    const State& s = *s_;
    std::ostringstream o;
    o << "SimMachine: last error " << s.lastError << ", current directory " << currentDirectory()
      << ", error mode 0x" << std::hex << s.errorMode << std::dec << ", code page " << s.acp
      << ", pid " << s.pid << "\n";
    for (const auto& [letter, v] : s.volumes) {
        o << "  drive " << letter << ": type " << v.driveType;
        if (!v.hasMedia) {
            o << ", no media\n";
            continue;
        }
        o << ", " << v.fileSystem << ", label \"" << v.label << "\", serial 0x" << std::hex
          << v.serial << std::dec << ", " << v.freeBytes << " of " << v.totalBytes << " bytes free";
        if (v.callerQuota != UINT64_MAX) o << ", " << v.callerQuota << " of them the caller's";
        o << '\n';
        dumpTree(o, *v.root, std::string(1, letter) + ":");
    }
    for (const auto& [key, d] : s.devices) {
        o << "  device \\\\.\\" << d.name;
        if (d.type == Device::Type::Disk)
            o << ": disk of " << d.geometry.bytes() << " bytes, " << d.image.storedBytes()
              << " written";
        if (d.type == Device::Type::Pipe) o << ": pipe holding " << d.pipeBuffer.size() << " bytes";
        o << '\n';
    }
    for (const auto& [h, op] : s.handles) {
        o << "  handle 0x" << std::hex << h << ": \"" << op.name << "\" access 0x" << op.access
          << " share 0x" << op.share << std::dec << " position " << op.position;
        if (op.deleteOnClose) o << " delete-on-close";
        o << '\n';
    }
    std::size_t bytes = 0;
    for (const auto& [p, a] : s.allocations) bytes += a.size;
    o << "  allocations: " << s.allocations.size() << " (" << bytes << " bytes)";
    if (s.allocLimit) o << ", limit " << s.allocLimit;
    o << '\n';
    for (const auto& [call, e] : s.pendingFailures)
        o << "  next " << call << " fails with " << e << '\n';
    if (!s.dllDirectory.empty()) o << "  DLL directory " << s.dllDirectory << '\n';
    o << "  " << s.calls.size() << " calls";
    for (std::size_t i = s.calls.size() > 20 ? s.calls.size() - 20 : 0; i < s.calls.size(); ++i)
        o << (i ? ", " : ": ") << s.calls[i];
    o << '\n';
    return o.str();
}

}  // namespace sys
