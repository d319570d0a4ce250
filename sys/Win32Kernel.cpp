// The real kernel32 behind the Kernel seam. Each method is the one call it names and nothing
// after it, so the caller's GetLastError() sees exactly what that call left.
//
// Kernel.h comes first: <windows.h> defines GENERIC_READ, DELETE and the rest as macros, after
// which our constants of the same names can no longer be spelled. They are captured under other
// names here and compared with the headers' values below.
#include "sys/Kernel.h"

#include <cstdint>

// clang-format off
#define HB_W_CONSTANTS(X)                                                                        \
    X(GENERIC_READ) X(GENERIC_WRITE) X(GENERIC_EXECUTE) X(GENERIC_ALL) X(FILE_READ_DATA)         \
    X(FILE_WRITE_DATA) X(FILE_APPEND_DATA) X(DELETE) X(MAXIMUM_ALLOWED) X(FILE_EXECUTE)          \
    X(FILE_READ_ATTRIBUTES) X(FILE_WRITE_ATTRIBUTES) X(READ_CONTROL) X(SYNCHRONIZE)              \
    X(FILE_ALL_ACCESS) X(FILE_SHARE_READ) X(FILE_SHARE_WRITE) X(FILE_SHARE_DELETE) X(CREATE_NEW) \
    X(CREATE_ALWAYS) X(OPEN_EXISTING) X(OPEN_ALWAYS) X(TRUNCATE_EXISTING)                        \
    X(FILE_ATTRIBUTE_READONLY) X(FILE_ATTRIBUTE_HIDDEN) X(FILE_ATTRIBUTE_SYSTEM)                 \
    X(FILE_ATTRIBUTE_DIRECTORY) X(FILE_ATTRIBUTE_ARCHIVE) X(FILE_ATTRIBUTE_NORMAL)               \
    X(FILE_FLAG_BACKUP_SEMANTICS) X(FILE_FLAG_DELETE_ON_CLOSE) X(FILE_BEGIN) X(FILE_CURRENT)     \
    X(FILE_END) X(FILE_TYPE_UNKNOWN) X(FILE_TYPE_DISK) X(FILE_TYPE_CHAR) X(FILE_TYPE_PIPE)       \
    X(DRIVE_UNKNOWN) X(DRIVE_NO_ROOT_DIR) X(DRIVE_REMOVABLE) X(DRIVE_FIXED) X(DRIVE_REMOTE)      \
    X(DRIVE_CDROM) X(DRIVE_RAMDISK) X(MEM_COMMIT) X(MEM_RELEASE) X(MEM_RESERVE) X(MEM_DECOMMIT)  \
    X(PAGE_READWRITE) X(PAGE_NOACCESS) X(PAGE_READONLY) X(PAGE_EXECUTE_READWRITE)                \
    X(SEM_FAILCRITICALERRORS) X(SEM_NOGPFAULTERRORBOX) X(SEM_NOOPENFILEERRORBOX)

#define HB_ERR_CONSTANTS(X)                                                                      \
    X(SUCCESS) X(INVALID_FUNCTION) X(FILE_NOT_FOUND) X(PATH_NOT_FOUND) X(ACCESS_DENIED)          \
    X(INVALID_HANDLE) X(NOT_ENOUGH_MEMORY) X(NOT_READY) X(SHARING_VIOLATION) X(HANDLE_EOF)       \
    X(NOT_SUPPORTED) X(DEV_NOT_EXIST) X(FILE_EXISTS) X(INVALID_PARAMETER) X(INSUFFICIENT_BUFFER) \
    X(INVALID_NAME) X(NEGATIVE_SEEK) X(DIR_NOT_ROOT) X(ALREADY_EXISTS) X(MORE_DATA)              \
    X(NOT_A_REPARSE_POINT) X(DIRECTORY) X(UNRECOGNIZED_VOLUME) X(BAD_NETPATH)                    \
    X(FILENAME_EXCED_RANGE) X(INVALID_ADDRESS) X(NOACCESS) X(WRITE_PROTECT) X(NOT_LOCKED)     \
    X(OPERATION_ABORTED)
// clang-format on

namespace hb_captured {
#define HB_CAPTURE_W(name) constexpr std::uint32_t w_##name = sys::w::name;
#define HB_CAPTURE_ERR(name) constexpr std::uint32_t err_##name = sys::err::name;
HB_W_CONSTANTS(HB_CAPTURE_W)
HB_ERR_CONSTANTS(HB_CAPTURE_ERR)
}  // namespace hb_captured

#include <windows.h>
#include <winioctl.h>

// The shared constants must be the headers' values, or the simulated machine and the real one
// would be answering different questions.
#define HB_CHECK_W(name) static_assert(hb_captured::w_##name == (name), #name);
#define HB_CHECK_ERR(name) static_assert(hb_captured::err_##name == (ERROR_##name), #name);
HB_W_CONSTANTS(HB_CHECK_W)
HB_ERR_CONSTANTS(HB_CHECK_ERR)
static_assert(INVALID_SET_FILE_POINTER == sys::kInvalidSetFilePointer &&
              INVALID_FILE_ATTRIBUTES == sys::kInvalidFileAttributes &&
              INVALID_FILE_SIZE == sys::kInvalidFileSize);

namespace sys {
namespace {

// Handles travel as 32-bit values; on 64-bit Windows they are widened with sign extension so
// that -1 stays INVALID_HANDLE_VALUE.
HANDLE wide(Handle h) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(h));
}
Handle narrow(HANDLE h) {
    return static_cast<Handle>(reinterpret_cast<std::intptr_t>(h));
}

class Win32Kernel final : public Kernel {
  public:
    Handle CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override {
        return narrow(::CreateFileA(fileName.c_str(), desiredAccess, shareMode, nullptr,
                                    creationDisposition, flagsAndAttributes, nullptr));
    }
    BOOL CloseHandle(Handle h) override { return ::CloseHandle(wide(h)); }
    BOOL ReadFile(Handle h, void* buffer, DWORD toRead, DWORD* read) override {
        return ::ReadFile(wide(h), buffer, toRead, reinterpret_cast<::DWORD*>(read), nullptr);
    }
    BOOL WriteFile(Handle h, const void* buffer, DWORD toWrite, DWORD* written) override {
        return ::WriteFile(wide(h), buffer, toWrite, reinterpret_cast<::DWORD*>(written), nullptr);
    }
    DWORD SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                         DWORD moveMethod) override {
        static_assert(sizeof(LONG) == sizeof(std::int32_t));
        return ::SetFilePointer(wide(h), distanceLow, reinterpret_cast<PLONG>(distanceHigh),
                                moveMethod);
    }
    BOOL SetEndOfFile(Handle h) override { return ::SetEndOfFile(wide(h)); }
    BOOL FlushFileBuffers(Handle h) override { return ::FlushFileBuffers(wide(h)); }
    DWORD GetFileSize(Handle h, DWORD* sizeHigh) override {
        return ::GetFileSize(wide(h), reinterpret_cast<::DWORD*>(sizeHigh));
    }
    DWORD GetFileType(Handle h) override { return ::GetFileType(wide(h)); }
    BOOL DeleteFileA(const std::string& fileName) override {
        return ::DeleteFileA(fileName.c_str());
    }
    BOOL DeviceIoControl(Handle h, DWORD ioControlCode, const void* inBuffer, DWORD inSize,
                         void* outBuffer, DWORD outSize, DWORD* bytesReturned) override {
        return ::DeviceIoControl(wide(h), ioControlCode, const_cast<void*>(inBuffer), inSize,
                                 outBuffer, outSize, reinterpret_cast<::DWORD*>(bytesReturned),
                                 nullptr);
    }

    DWORD GetDriveTypeA(const std::string& rootPath) override {
        return ::GetDriveTypeA(rootPath.c_str());
    }
    BOOL GetDiskFreeSpaceA(const std::string& rootPath, DWORD* sectorsPerCluster,
                           DWORD* bytesPerSector, DWORD* freeClusters,
                           DWORD* totalClusters) override {
        return ::GetDiskFreeSpaceA(rootPath.c_str(), reinterpret_cast<::DWORD*>(sectorsPerCluster),
                                   reinterpret_cast<::DWORD*>(bytesPerSector),
                                   reinterpret_cast<::DWORD*>(freeClusters),
                                   reinterpret_cast<::DWORD*>(totalClusters));
    }
    BOOL GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* freeToCaller,
                             std::uint64_t* totalBytes, std::uint64_t* totalFree) override {
        ULARGE_INTEGER a{}, b{}, c{};
        const BOOL ok = ::GetDiskFreeSpaceExA(directory.c_str(), freeToCaller ? &a : nullptr,
                                              totalBytes ? &b : nullptr, totalFree ? &c : nullptr);
        // Plain stores: the last error is left as the call set it.
        if (ok) {
            if (freeToCaller) *freeToCaller = a.QuadPart;
            if (totalBytes) *totalBytes = b.QuadPart;
            if (totalFree) *totalFree = c.QuadPart;
        }
        return ok;
    }
    BOOL GetVolumeInformationA(const std::string& rootPath, char* volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, char* fileSystemName,
                               DWORD fileSystemNameSize) override {
        return ::GetVolumeInformationA(
            rootPath.c_str(), volumeName, volumeNameSize, reinterpret_cast<::DWORD*>(serialNumber),
            reinterpret_cast<::DWORD*>(maxComponentLength),
            reinterpret_cast<::DWORD*>(fileSystemFlags), fileSystemName, fileSystemNameSize);
    }
    BOOL GetVolumePathNameA(const std::string& fileName, char* volumePath,
                            DWORD bufferLength) override {
        return ::GetVolumePathNameA(fileName.c_str(), volumePath, bufferLength);
    }
    DWORD GetFileAttributesA(const std::string& fileName) override {
        return ::GetFileAttributesA(fileName.c_str());
    }

    void* VirtualAlloc(std::size_t size, DWORD allocationType, DWORD protect) override {
        return ::VirtualAlloc(nullptr, size, allocationType, protect);
    }
    BOOL VirtualLock(void* address, std::size_t size) override {
        return ::VirtualLock(address, size);
    }
    BOOL VirtualFree(void* address, std::size_t size, DWORD freeType) override {
        return ::VirtualFree(address, size, freeType);
    }

    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
    void SetLastError(DWORD code) override { ::SetLastError(code); }
    DWORD GetLastError() override { return ::GetLastError(); }
    BOOL SetDllDirectoryA(const std::string& path) override {
        return ::SetDllDirectoryA(path.c_str());
    }
    DWORD GetCurrentProcessId() override { return ::GetCurrentProcessId(); }
    DWORD SetErrorMode(DWORD mode) override { return ::SetErrorMode(mode); }
    DWORD GetACP() override { return ::GetACP(); }
    DWORD GetWindowsDirectoryA(char* buffer, DWORD size) override {
        return ::GetWindowsDirectoryA(buffer, size);
    }
    BOOL SetCurrentDirectoryA(const std::string& path) override {
        return ::SetCurrentDirectoryA(path.c_str());
    }
};

static_assert(sizeof(::DWORD) == sizeof(DWORD) && sizeof(::BOOL) == sizeof(BOOL));

}  // namespace

std::unique_ptr<Kernel> MakeWin32Kernel() {
    return std::make_unique<Win32Kernel>();
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace sys
