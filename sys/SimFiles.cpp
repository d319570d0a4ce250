// The simulated machine's handles: opening files, volumes and devices, the I/O on them, and the
// handle table behind it all.
#include <algorithm>
#include <climits>
#include <cstring>

#include "sys/SimState.h"

namespace sys::sim {

namespace {

constexpr DWORD kGenericReadRights = 0x120089;   // FILE_GENERIC_READ
constexpr DWORD kGenericWriteRights = 0x120116;  // FILE_GENERIC_WRITE
constexpr DWORD kGenericExecuteRights = 0x1200A0;
constexpr DWORD kReadish = w::FILE_READ_DATA | w::FILE_EXECUTE;
constexpr DWORD kWriteish = w::FILE_WRITE_DATA | w::FILE_APPEND_DATA;
constexpr DWORD kShareAll = w::FILE_SHARE_READ | w::FILE_SHARE_WRITE | w::FILE_SHARE_DELETE;
constexpr std::uint64_t kSector = 512;

DWORD mapAccess(DWORD desired, bool readOnlyFile) {
    DWORD r = desired & ~(w::GENERIC_READ | w::GENERIC_WRITE | w::GENERIC_EXECUTE | w::GENERIC_ALL |
                          w::MAXIMUM_ALLOWED);
    if (desired & w::GENERIC_READ) r |= kGenericReadRights;
    if (desired & w::GENERIC_WRITE) r |= kGenericWriteRights;
    if (desired & w::GENERIC_EXECUTE) r |= kGenericExecuteRights;
    if (desired & w::GENERIC_ALL) r |= w::FILE_ALL_ACCESS;
    // MAXIMUM_ALLOWED grants what the object allows: a read-only file withholds writing.
    if (desired & w::MAXIMUM_ALLOWED)
        r |= readOnlyFile ? (w::FILE_ALL_ACCESS & ~kWriteish) : w::FILE_ALL_ACCESS;
    return r;
}

// The share-mode rule of the I/O manager, applied both ways. Opens that ask for neither data
// nor delete access (attribute queries) neither check nor constrain sharing.
bool shareConflict(const Open& existing, DWORD access, DWORD share) {
    const DWORD relevant = kReadish | kWriteish | w::DELETE;
    if (!(existing.access & relevant) || !(access & relevant)) return false;
    auto clash = [](DWORD wantAccess, DWORD mask, DWORD otherShare, DWORD shareBit) {
        return (wantAccess & mask) && !(otherShare & shareBit);
    };
    return clash(access, kReadish, existing.share, w::FILE_SHARE_READ) ||
           clash(access, kWriteish, existing.share, w::FILE_SHARE_WRITE) ||
           clash(access, w::DELETE, existing.share, w::FILE_SHARE_DELETE) ||
           clash(existing.access, kReadish, share, w::FILE_SHARE_READ) ||
           clash(existing.access, kWriteish, share, w::FILE_SHARE_WRITE) ||
           clash(existing.access, w::DELETE, share, w::FILE_SHARE_DELETE);
}

bool sameObject(const Open& a, const Open& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case Open::Kind::File:
            return a.node == b.node;
        case Open::Kind::Volume:
            return a.drive == b.drive;
        case Open::Kind::Device:
            return a.device == b.device;
    }
    return false;
}

// A sector transfer on a volume or disk: whole sectors only, and within the device (the class
// driver refuses both otherwise). Returns the error, or SUCCESS with count possibly cut to 0 at
// the very end.
DWORD checkSectorTransfer(const Open& o, const RawSpan& span, DWORD count) {
    if (o.position % kSector || count % kSector) return err::INVALID_PARAMETER;
    if (o.position == span.length && count) return err::SUCCESS;
    if (o.position + count > span.length) return err::INVALID_PARAMETER;
    return err::SUCCESS;
}

}  // namespace

Open* handleOf(State& s, Handle h) {
    auto it = s.handles.find(h);
    return it == s.handles.end() ? nullptr : &it->second;
}

DWORD usableOpen(State& s, Handle h, Open*& o) {
    o = handleOf(s, h);
    if (!o) return err::INVALID_HANDLE;
    // Its volume was dismounted under it: the handle stays, but nothing reaches the volume.
    return o->dismounted ? err::NOT_READY : err::SUCCESS;
}

Handle addHandle(State& s, Open o) {
    Handle h;
    if (!s.freeHandles.empty()) {
        h = s.freeHandles.back();
        s.freeHandles.pop_back();
    } else {
        h = s.nextHandle;
        s.nextHandle += 4;
    }
    s.handles.emplace(h, std::move(o));
    return h;
}

bool conflictsWithOpens(const State& s, const Open& wanted) {
    for (const auto& [h, o] : s.handles)
        if (sameObject(o, wanted) && shareConflict(o, wanted.access, wanted.share)) return true;
    return false;
}

void releaseNode(State& s, const std::shared_ptr<Node>& n) {
    if (!n->deletePending) return;
    for (const auto& [h, o] : s.handles)
        if (o.node == n) return;
    if (n->directory && !n->children.empty()) {
        n->deletePending = false;  // a directory with entries is never removed
        return;
    }
    if (n->parent) n->parent->children.erase(upper(n->name));
    n->parent = nullptr;
}

RawSpan rawSpanOf(State& s, const Open& o) {
    RawSpan r;
    if (o.kind == Open::Kind::Volume) {
        Volume* v = s.volume(o.drive);
        r.disk = s.diskOf(*v);
        r.offset = v->diskOffset;
        r.length = v->length;
    } else {
        r.disk = &s.devices.at(o.device);
        r.length = r.disk->geometry.bytes();
    }
    return r;
}

bool isRawDisk(const State& s, const Open& o) {
    if (o.kind == Open::Kind::Volume) return true;
    return o.kind == Open::Kind::Device && s.devices.at(o.device).type == Device::Type::Disk;
}

}  // namespace sys::sim

namespace sys {

using namespace sys::sim;

Handle SimMachine::CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                               DWORD creationDisposition, DWORD flagsAndAttributes) {
    State& s = *s_;
    if (failing(s, "CreateFileA")) return kInvalidHandle;
    auto fail = Failing(s, kInvalidHandle);
    if (creationDisposition < w::CREATE_NEW || creationDisposition > w::TRUNCATE_EXISTING)
        return fail(err::INVALID_PARAMETER);
    // Truncating asks for the GENERIC_WRITE bit itself, checked before the name is looked at
    // (Wine truncates anyway).
    if (creationDisposition == w::TRUNCATE_EXISTING && !(desiredAccess & w::GENERIC_WRITE))
        return fail(err::INVALID_PARAMETER);
    Target t;
    if (DWORD e = parseName(s, fileName, t)) return fail(e);
    if (Volume* v = t.kind == Target::Kind::Device ? nullptr : s.volume(t.drive)) {
        // A locked volume lets nothing else in; a dismounted one mounts again on the next open.
        if (v->lockedBy) return fail(err::ACCESS_DENIED);
        v->mounted = true;
    }

    Open o;
    o.name = fileName;
    o.share = shareMode & kShareAll;
    o.flags = flagsAndAttributes;
    o.deleteOnClose = (flagsAndAttributes & w::FILE_FLAG_DELETE_ON_CLOSE) != 0;
    // CreateFile asks for DELETE itself when the file is to go away on close.
    if (o.deleteOnClose) desiredAccess |= w::DELETE;

    if (t.kind != Target::Kind::Path) {
        o.kind = t.kind == Target::Kind::Volume ? Open::Kind::Volume : Open::Kind::Device;
        o.drive = t.drive;
        o.device = t.device;
        o.access = mapAccess(desiredAccess, false);
        o.deleteOnClose = false;
        if (o.kind == Open::Kind::Device && s.devices.at(o.device).type == Device::Type::Char) {
            // A serial port is exclusive whatever the share mode.
            for (const auto& [h, other] : s.handles)
                if (sameObject(other, o)) return fail(err::ACCESS_DENIED);
        } else if (conflictsWithOpens(s, o)) {
            return fail(err::SHARING_VIOLATION);
        }
        s.lastError = err::SUCCESS;
        return addHandle(s, std::move(o));
    }

    Found f = findPath(s, t);
    if (f.error && f.error != err::FILE_NOT_FOUND) return fail(f.error);
    if (f.node) {
        Node& n = *f.node;
        const bool overwrite =
            creationDisposition == w::CREATE_ALWAYS || creationDisposition == w::TRUNCATE_EXISTING;
        if (creationDisposition == w::CREATE_NEW) return fail(err::FILE_EXISTS);
        if (n.directory && (!(flagsAndAttributes & w::FILE_FLAG_BACKUP_SEMANTICS) || overwrite))
            return fail(err::ACCESS_DENIED);
        const bool readOnly = (n.attributes & w::FILE_ATTRIBUTE_READONLY) != 0;
        o.access = mapAccess(desiredAccess, readOnly);
        if (readOnly && ((o.access & kWriteish) || overwrite || o.deleteOnClose))
            return fail(err::ACCESS_DENIED);
        o.node = f.node;
        if (conflictsWithOpens(s, o)) return fail(err::SHARING_VIOLATION);
        if (overwrite) {
            n.data.truncate(0);
            n.size = 0;
        }
        if (creationDisposition == w::CREATE_ALWAYS)
            n.attributes =
                w::FILE_ATTRIBUTE_ARCHIVE |
                (flagsAndAttributes & (w::FILE_ATTRIBUTE_READONLY | w::FILE_ATTRIBUTE_HIDDEN |
                                       w::FILE_ATTRIBUTE_SYSTEM));
        // The one success that sets an error: the file was there already.
        s.lastError =
            (creationDisposition == w::CREATE_ALWAYS || creationDisposition == w::OPEN_ALWAYS)
                ? err::ALREADY_EXISTS
                : err::SUCCESS;
        return addHandle(s, std::move(o));
    }

    if (creationDisposition == w::OPEN_EXISTING || creationDisposition == w::TRUNCATE_EXISTING)
        return fail(err::FILE_NOT_FOUND);
    if (t.trailingSlash) return fail(err::INVALID_NAME);
    auto n = std::make_shared<Node>();
    n->name = t.parts.back();
    n->attributes = w::FILE_ATTRIBUTE_ARCHIVE |
                    (flagsAndAttributes & (w::FILE_ATTRIBUTE_READONLY | w::FILE_ATTRIBUTE_HIDDEN |
                                           w::FILE_ATTRIBUTE_SYSTEM));
    n->parent = f.parent;
    f.parent->children[upper(n->name)] = n;
    // The creator may write even a file it creates read-only.
    o.access = mapAccess(desiredAccess, false);
    o.node = n;
    s.lastError = err::SUCCESS;
    return addHandle(s, std::move(o));
}

BOOL SimMachine::CloseHandle(Handle h) {
    State& s = *s_;
    if (failing(s, "CloseHandle")) return 0;
    auto fail = Failing(s, 0);
    // -1 is also the current-process pseudo handle, and closing that succeeds.
    if (h == kInvalidHandle) return 1;
    auto it = s.handles.find(h);
    if (it == s.handles.end()) return fail(err::INVALID_HANDLE);
    Open o = std::move(it->second);
    s.handles.erase(it);
    for (auto& [letter, v] : s.volumes)
        if (v.lockedBy == h) v.lockedBy = 0;
    if (o.revertGpt) s.volume(o.drive)->gptAttributes = o.gptBefore;
    s.freeHandles.push_back(h);
    if (o.node) {
        if (o.deleteOnClose) o.node->deletePending = true;
        releaseNode(s, o.node);
    }
    return 1;
}

BOOL SimMachine::ReadFile(Handle h, void* buffer, DWORD toRead, DWORD* read) {
    State& s = *s_;
    // Windows zeroes the count before any check.
    if (read) *read = 0;
    if (failing(s, "ReadFile")) return 0;
    auto fail = Failing(s, 0);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    if (!(o->access & w::FILE_READ_DATA)) return fail(err::ACCESS_DENIED);
    if (toRead && !buffer) return fail(err::NOACCESS);
    DWORD done = 0;
    if (o->kind == Open::Kind::File) {
        if (o->node->directory) return fail(err::INVALID_FUNCTION);
        const std::uint64_t size = o->node->size;
        if (o->position < size) done = DWORD(std::min<std::uint64_t>(toRead, size - o->position));
        o->node->data.read(o->position, buffer, done);
    } else if (isRawDisk(s, *o)) {
        // Windows reads sectors here; Wine fails every read on a volume or disk with 1.
        if (o->kind == Open::Kind::Volume && !s.volume(o->drive)->hasMedia)
            return fail(err::NOT_READY);
        RawSpan span = rawSpanOf(s, *o);
        if (DWORD e = checkSectorTransfer(*o, span, toRead)) return fail(e);
        if (o->position < span.length) {
            done = toRead;
            span.disk->image.read(span.offset + o->position, buffer, done);
        }
    } else {
        Device& d = s.devices.at(o->device);
        // Nothing ever arrives on the serial port or from NUL. A pipe hands over what was
        // written; an empty one would block on Windows, here it returns nothing.
        if (d.type == Device::Type::Pipe) {
            done = DWORD(std::min<std::size_t>(toRead, d.pipeBuffer.size()));
            std::memcpy(buffer, d.pipeBuffer.data(), done);
            d.pipeBuffer.erase(0, done);
        }
    }
    o->position += done;
    if (read) *read = done;
    return 1;
}

BOOL SimMachine::WriteFile(Handle h, const void* buffer, DWORD toWrite, DWORD* written) {
    State& s = *s_;
    if (written) *written = 0;
    if (failing(s, "WriteFile")) return 0;
    auto fail = Failing(s, 0);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    if (!(o->access & kWriteish)) return fail(err::ACCESS_DENIED);
    if (toWrite && !buffer) return fail(err::NOACCESS);
    if (o->kind == Open::Kind::File) {
        Node& n = *o->node;
        if (n.directory) return fail(err::INVALID_FUNCTION);
        // A handle that may only append always writes at the end.
        if (!(o->access & w::FILE_WRITE_DATA)) o->position = n.size;
        if (toWrite) {
            n.data.write(o->position, buffer, toWrite);
            n.size = std::max(n.size, o->position + toWrite);
            n.attributes |= w::FILE_ATTRIBUTE_ARCHIVE;
        }
    } else if (isRawDisk(s, *o)) {
        if (o->kind == Open::Kind::Volume && !s.volume(o->drive)->hasMedia)
            return fail(err::NOT_READY);
        RawSpan span = rawSpanOf(s, *o);
        if (DWORD e = checkSectorTransfer(*o, span, toWrite)) return fail(e);
        // Since Vista the sectors of a mounted file system are off limits to raw writes.
        const std::uint64_t start = span.offset + o->position, end = start + toWrite;
        for (const auto& [letter, v] : s.volumes) {
            const bool onThisDisk = span.disk && v.disk == upper(span.disk->name);
            if (onThisDisk && v.hasMedia && start < v.diskOffset + v.length && end > v.diskOffset)
                return fail(err::ACCESS_DENIED);
        }
        if (o->position == span.length) toWrite = 0;
        span.disk->image.write(start, buffer, toWrite);
    } else {
        Device& d = s.devices.at(o->device);
        if (d.type == Device::Type::Pipe)
            d.pipeBuffer.append(static_cast<const char*>(buffer), toWrite);
    }
    o->position += toWrite;
    if (written) *written = toWrite;
    return 1;
}

DWORD SimMachine::SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                                 DWORD moveMethod) {
    State& s = *s_;
    if (failing(s, "SetFilePointer")) return kInvalidSetFilePointer;
    auto fail = Failing(s, kInvalidSetFilePointer);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    const std::int64_t distance =
        distanceHigh ? std::int64_t((std::uint64_t(std::uint32_t(*distanceHigh)) << 32) |
                                    std::uint32_t(distanceLow))
                     : std::int64_t(distanceLow);
    std::int64_t base = 0;
    switch (moveMethod) {
        case w::FILE_BEGIN:
            break;
        case w::FILE_CURRENT:
            base = std::int64_t(o->position);
            break;
        case w::FILE_END:
            if (o->kind == Open::Kind::File)
                base = std::int64_t(o->node->size);
            else if (isRawDisk(s, *o))
                base = std::int64_t(rawSpanOf(s, *o).length);
            break;
        default:
            return fail(err::INVALID_PARAMETER);
    }
    // base is never negative, so only a move forward can overflow.
    if (distance > 0 && base > INT64_MAX - distance) return fail(err::INVALID_PARAMETER);
    const std::int64_t target = base + distance;
    if (target < 0) return fail(err::NEGATIVE_SEEK);
    // Without a high part the caller cannot see a position past 4 GiB, so Windows refuses it.
    if (!distanceHigh && (std::uint64_t(target) >> 32)) return fail(err::INVALID_PARAMETER);
    o->position = std::uint64_t(target);
    if (distanceHigh) *distanceHigh = std::int32_t(std::uint32_t(o->position >> 32));
    const DWORD low = DWORD(o->position);
    // 0xFFFFFFFF is also a valid low part: the cleared error tells the caller it succeeded.
    if (low == kInvalidSetFilePointer) s.lastError = err::SUCCESS;
    return low;
}

BOOL SimMachine::SetEndOfFile(Handle h) {
    State& s = *s_;
    if (failing(s, "SetEndOfFile")) return 0;
    auto fail = Failing(s, 0);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    if (o->kind != Open::Kind::File) return fail(err::INVALID_FUNCTION);
    // Wine answers 87 for a handle without write access.
    if (!(o->access & w::FILE_WRITE_DATA)) return fail(err::ACCESS_DENIED);
    if (o->node->directory) return fail(err::INVALID_PARAMETER);
    o->node->data.truncate(o->position);
    o->node->size = o->position;
    return 1;
}

BOOL SimMachine::FlushFileBuffers(Handle h) {
    State& s = *s_;
    if (failing(s, "FlushFileBuffers")) return 0;
    auto fail = Failing(s, 0);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    if (!(o->access & kWriteish)) return fail(err::ACCESS_DENIED);
    if (o->kind == Open::Kind::Volume && !s.volume(o->drive)->hasMedia) return fail(err::NOT_READY);
    if (o->kind == Open::Kind::Device && s.devices.at(o->device).type == Device::Type::Null)
        return fail(err::INVALID_FUNCTION);
    // Windows flushes a volume or disk opened for writing; Wine answers 1 for either.
    return 1;
}

DWORD SimMachine::GetFileSize(Handle h, DWORD* sizeHigh) {
    State& s = *s_;
    if (failing(s, "GetFileSize")) return kInvalidSetFilePointer;
    auto fail = Failing(s, kInvalidSetFilePointer);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    // A volume or disk has no file size: its length comes from a device control. Windows and
    // Wine both fail; Wine's 1 is what the machine answers.
    if (isRawDisk(s, *o)) return fail(err::INVALID_FUNCTION);
    const std::uint64_t size =
        o->kind == Open::Kind::File && !o->node->directory ? o->node->size : 0;
    if (sizeHigh) *sizeHigh = DWORD(size >> 32);
    if (DWORD(size) == kInvalidSetFilePointer) s.lastError = err::SUCCESS;
    return DWORD(size);
}

DWORD SimMachine::GetFileType(Handle h) {
    State& s = *s_;
    if (failing(s, "GetFileType")) return w::FILE_TYPE_UNKNOWN;
    auto fail = Failing(s, w::FILE_TYPE_UNKNOWN);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    // Volumes and disks are disk devices (Wine: 0 with 50 for a volume, 66 for a disk).
    if (o->kind != Open::Kind::Device) return w::FILE_TYPE_DISK;
    switch (s.devices.at(o->device).type) {
        case Device::Type::Disk:
            return w::FILE_TYPE_DISK;
        case Device::Type::Pipe:
            return w::FILE_TYPE_PIPE;
        default:
            return w::FILE_TYPE_CHAR;
    }
}

BOOL SimMachine::DeleteFileA(const std::string& fileName) {
    State& s = *s_;
    if (failing(s, "DeleteFileA")) return 0;
    auto fail = Failing(s, 0);
    Target t;
    if (DWORD e = parseName(s, fileName, t)) return fail(e);
    if (t.kind != Target::Kind::Path) return fail(err::ACCESS_DENIED);
    Found f = findPath(s, t);
    if (f.error) return fail(f.error);
    if (f.node->directory || (f.node->attributes & w::FILE_ATTRIBUTE_READONLY))
        return fail(err::ACCESS_DENIED);
    Open probe;  // DeleteFile opens for DELETE, sharing everything
    probe.node = f.node;
    probe.access = w::DELETE;
    probe.share = kShareAll;
    if (conflictsWithOpens(s, probe)) return fail(err::SHARING_VIOLATION);
    // With handles still open the name stays until the last one closes.
    f.node->deletePending = true;
    releaseNode(s, f.node);
    return 1;
}

BOOL SimMachine::DeviceIoControl(Handle h, DWORD ioControlCode, const void* inBuffer, DWORD inSize,
                                 void* outBuffer, DWORD outSize, DWORD* bytesReturned) {
    State& s = *s_;
    if (bytesReturned) *bytesReturned = 0;
    if (failing(s, "DeviceIoControl")) return 0;
    auto fail = Failing(s, 0);
    Open* o = nullptr;
    if (DWORD e = usableOpen(s, h, o)) return fail(e);
    const auto* in = static_cast<const std::uint8_t*>(inBuffer);
    auto* out = static_cast<std::uint8_t*>(outBuffer);
    s.lastControl.code = ioControlCode;
    s.lastControl.input.assign(in, in ? in + inSize : in);
    s.lastControl.outputAsPassed.assign(out, out ? out + outSize : out);
    if (auto it = s.scriptedControls.find(ioControlCode); it != s.scriptedControls.end()) {
        const State::ScriptedControl a = std::move(it->second);
        s.scriptedControls.erase(it);
        if (a.error) return fail(a.error);
        if (out) std::copy_n(a.bytes.begin(), std::min<std::size_t>(a.bytes.size(), outSize), out);
        if (bytesReturned) *bytesReturned = a.returned;
        return a.result;
    }
    ControlHandler handler = findControl(ioControlCode);
    if (!handler) return fail(err::INVALID_FUNCTION);
    // Bits 14-15 of the code name the access the handle must hold.
    const DWORD required = (ioControlCode >> 14) & 3;
    if (((required & 1) && !(o->access & w::FILE_READ_DATA)) ||
        ((required & 2) && !(o->access & w::FILE_WRITE_DATA)))
        return fail(err::ACCESS_DENIED);
    ControlCall call{s, h, *o, inBuffer, inSize, outBuffer, outSize};
    const DWORD e = handler(call);
    // MORE_DATA is a warning: what did fit was transferred, and the count says how much.
    if (bytesReturned && (!e || e == err::MORE_DATA)) *bytesReturned = call.returned;
    return e ? fail(e) : 1;
}

}  // namespace sys
