#include "session/InertKernel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace session {

namespace w = sys::w;
using sys::BOOL;
using sys::DWORD;
using sys::Handle;

namespace {

std::string X(std::uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}
std::string H(Handle h) {
    return X(static_cast<std::uint32_t>(h));
}
std::string D(std::int64_t v) {
    return std::to_string(v);
}
// Names as C would write them, so that a listing can be pasted into a test.
std::string Q(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}
void PutText(char* buffer, DWORD size, const char* text) {
    if (buffer == nullptr || size == 0) return;
    std::snprintf(buffer, size, "%s", text);
}

}  // namespace

InertKernel::~InertKernel() {
    for (auto& [block, size] : blocks_) std::free(block);
}

void InertKernel::log(std::string call) {
    calls.push_back(std::move(call));
    lastError_ = 0;
}

Handle InertKernel::CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                                DWORD creationDisposition, DWORD flagsAndAttributes) {
    log("CreateFileA(" + Q(fileName) + ", " + X(desiredAccess) + ", " + X(shareMode) + ", " +
        D(creationDisposition) + ", " + X(flagsAndAttributes) + ")");
    return nextHandle_++;
}
BOOL InertKernel::CloseHandle(Handle h) {
    log("CloseHandle(" + H(h) + ")");
    return 1;
}
BOOL InertKernel::ReadFile(Handle h, void*, DWORD toRead, DWORD* read) {
    log("ReadFile(" + H(h) + ", " + D(toRead) + ")");
    if (read) *read = 0;
    return 1;
}
BOOL InertKernel::WriteFile(Handle h, const void*, DWORD toWrite, DWORD* written) {
    log("WriteFile(" + H(h) + ", " + D(toWrite) + ")");
    if (written) *written = toWrite;
    return 1;
}
DWORD InertKernel::SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                                  DWORD moveMethod) {
    log("SetFilePointer(" + H(h) + ", " + D(distanceLow) + ", " +
        (distanceHigh ? D(*distanceHigh) : std::string("NULL")) + ", " + D(moveMethod) + ")");
    // A move by zero from the current place reads 0; any other lands where it asked.
    return moveMethod == w::FILE_CURRENT ? 0 : static_cast<DWORD>(distanceLow);
}
BOOL InertKernel::SetEndOfFile(Handle h) {
    log("SetEndOfFile(" + H(h) + ")");
    return 1;
}
BOOL InertKernel::FlushFileBuffers(Handle h) {
    log("FlushFileBuffers(" + H(h) + ")");
    return 1;
}
DWORD InertKernel::GetFileSize(Handle h, DWORD* sizeHigh) {
    log("GetFileSize(" + H(h) + ")");
    if (sizeHigh) *sizeHigh = 0;
    return 0;
}
DWORD InertKernel::GetFileType(Handle h) {
    log("GetFileType(" + H(h) + ")");
    return w::FILE_TYPE_DISK;
}
BOOL InertKernel::DeleteFileA(const std::string& fileName) {
    log("DeleteFileA(" + Q(fileName) + ")");
    return 1;
}
BOOL InertKernel::DeviceIoControl(Handle h, DWORD code, const void* inBuffer, DWORD inSize, void*,
                                  DWORD outSize, DWORD* bytesReturned) {
    // The input is what a change would send: it is shown byte by byte.
    std::string in;
    const auto* bytes = static_cast<const std::uint8_t*>(inBuffer);
    for (DWORD i = 0; bytes != nullptr && i < inSize; ++i) {
        char two[4];
        std::snprintf(two, sizeof two, "%02X", bytes[i]);
        in += two;
    }
    log("DeviceIoControl(" + H(h) + ", " + X(code) + ", " + (in.empty() ? "NULL" : in) + ", " +
        D(inSize) + ", " + D(outSize) + ")");
    if (bytesReturned) *bytesReturned = 0;
    return 1;
}
DWORD InertKernel::GetDriveTypeA(const std::string& rootPath) {
    log("GetDriveTypeA(" + Q(rootPath) + ")");
    return w::DRIVE_FIXED;
}
BOOL InertKernel::GetDiskFreeSpaceA(const std::string& rootPath, DWORD* a, DWORD* b, DWORD* c,
                                    DWORD* d) {
    log("GetDiskFreeSpaceA(" + Q(rootPath) + ")");
    for (DWORD* p : {a, b, c, d})
        if (p) *p = 0;
    return 1;
}
BOOL InertKernel::GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* a,
                                      std::uint64_t* b, std::uint64_t* c) {
    log("GetDiskFreeSpaceExA(" + Q(directory) + ")");
    for (std::uint64_t* p : {a, b, c})
        if (p) *p = 0;
    return 1;
}
BOOL InertKernel::GetVolumeInformationA(const std::string& rootPath, char* volumeName,
                                        DWORD volumeNameSize, DWORD* serialNumber,
                                        DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                        char* fileSystemName, DWORD fileSystemNameSize) {
    log("GetVolumeInformationA(" + Q(rootPath) + ")");
    PutText(volumeName, volumeNameSize, "");
    PutText(fileSystemName, fileSystemNameSize, "");
    for (DWORD* p : {serialNumber, maxComponentLength, fileSystemFlags})
        if (p) *p = 0;
    return 1;
}
BOOL InertKernel::GetVolumePathNameA(const std::string& fileName, char* volumePath,
                                     DWORD bufferLength) {
    log("GetVolumePathNameA(" + Q(fileName) + ")");
    PutText(volumePath, bufferLength, "");
    return 1;
}
DWORD InertKernel::GetFileAttributesA(const std::string& fileName) {
    log("GetFileAttributesA(" + Q(fileName) + ")");
    return w::FILE_ATTRIBUTE_NORMAL;
}

void* InertKernel::VirtualAlloc(std::size_t size, DWORD allocationType, DWORD protect) {
    log("VirtualAlloc(" + D(static_cast<std::int64_t>(size)) + ", " + X(allocationType) + ", " +
        X(protect) + ")");
    // Zeroed pages, as committed memory reads; calloc leaves large blocks untouched until used.
    void* block = std::calloc(size == 0 ? 1 : size, 1);
    if (block == nullptr) {
        lastError_ = sys::err::NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    blocks_[block] = size;
    return block;
}
BOOL InertKernel::VirtualLock(void*, std::size_t size) {
    log("VirtualLock(" + D(static_cast<std::int64_t>(size)) + ")");
    return 1;
}
BOOL InertKernel::VirtualFree(void* address, std::size_t size, DWORD freeType) {
    log("VirtualFree(" + D(static_cast<std::int64_t>(size)) + ", " + X(freeType) + ")");
    const auto it = blocks_.find(address);
    if (it == blocks_.end()) {
        lastError_ = sys::err::INVALID_ADDRESS;
        return 0;
    }
    std::free(it->first);
    blocks_.erase(it);
    return 1;
}
void InertKernel::Sleep(DWORD milliseconds) {
    log("Sleep(" + D(milliseconds) + ")");
}
BOOL InertKernel::SetDllDirectoryA(const std::string& path) {
    log("SetDllDirectoryA(" + Q(path) + ")");
    return 1;
}
DWORD InertKernel::GetCurrentProcessId() {
    log("GetCurrentProcessId()");
    return 0;
}
DWORD InertKernel::SetErrorMode(DWORD mode) {
    log("SetErrorMode(" + X(mode) + ")");
    return 0;
}
DWORD InertKernel::GetACP() {
    log("GetACP()");
    return 1252;
}
DWORD InertKernel::GetWindowsDirectoryA(char* buffer, DWORD size) {
    log("GetWindowsDirectoryA()");
    static const char kDir[] = "C:\\windows";
    if (size < sizeof kDir) return sizeof kDir;
    std::memcpy(buffer, kDir, sizeof kDir);
    return sizeof kDir - 1;
}
BOOL InertKernel::SetCurrentDirectoryA(const std::string& path) {
    log("SetCurrentDirectoryA(" + Q(path) + ")");
    return 1;
}

}  // namespace session
