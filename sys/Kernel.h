// The operating-system seam: one method per kernel32 call the program makes, with the Win32
// argument and result conventions, so that handlers read like the calls they make.
//
// Handles are 32-bit values compared as signed (INVALID_HANDLE_VALUE is -1); the Win32
// implementation widens them with sign extension on 64-bit Windows. Security attributes,
// template handles and OVERLAPPED pointers are always NULL in this program and are not passed.
// Every method leaves the thread's last error as Windows would; callers read it with
// GetLastError() on the very next line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sys {

using Handle = std::int32_t;
using BOOL = std::int32_t;
using DWORD = std::uint32_t;

inline constexpr Handle kInvalidHandle = -1;
inline constexpr DWORD kInvalidSetFilePointer = 0xFFFFFFFFu;
inline constexpr DWORD kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr DWORD kInvalidFileSize = 0xFFFFFFFFu;

// Win32 constants the program and the simulated machine share (values from the Windows headers).
namespace w {
inline constexpr DWORD GENERIC_READ = 0x80000000u, GENERIC_WRITE = 0x40000000u,
                       GENERIC_EXECUTE = 0x20000000u, GENERIC_ALL = 0x10000000u;
inline constexpr DWORD FILE_READ_DATA = 0x1, FILE_WRITE_DATA = 0x2, FILE_APPEND_DATA = 0x4,
                       DELETE = 0x10000, MAXIMUM_ALLOWED = 0x02000000u;
inline constexpr DWORD FILE_SHARE_READ = 1, FILE_SHARE_WRITE = 2, FILE_SHARE_DELETE = 4;
inline constexpr DWORD CREATE_NEW = 1, CREATE_ALWAYS = 2, OPEN_EXISTING = 3, OPEN_ALWAYS = 4,
                       TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1, FILE_ATTRIBUTE_DIRECTORY = 0x10,
                       FILE_ATTRIBUTE_ARCHIVE = 0x20, FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000u,
                       FILE_FLAG_DELETE_ON_CLOSE = 0x04000000u;
inline constexpr DWORD FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2;
inline constexpr DWORD FILE_TYPE_UNKNOWN = 0, FILE_TYPE_DISK = 1, FILE_TYPE_CHAR = 2,
                       FILE_TYPE_PIPE = 3;
inline constexpr DWORD DRIVE_UNKNOWN = 0, DRIVE_NO_ROOT_DIR = 1, DRIVE_REMOVABLE = 2,
                       DRIVE_FIXED = 3, DRIVE_REMOTE = 4, DRIVE_CDROM = 5, DRIVE_RAMDISK = 6;
inline constexpr DWORD MEM_COMMIT = 0x1000, MEM_RELEASE = 0x8000, PAGE_READWRITE = 4;
inline constexpr DWORD MEM_RESERVE = 0x2000, MEM_DECOMMIT = 0x4000, PAGE_NOACCESS = 1,
                       PAGE_READONLY = 2, PAGE_EXECUTE_READWRITE = 0x40;
inline constexpr DWORD FILE_EXECUTE = 0x20, FILE_READ_ATTRIBUTES = 0x80,
                       FILE_WRITE_ATTRIBUTES = 0x100, READ_CONTROL = 0x20000,
                       SYNCHRONIZE = 0x100000, FILE_ALL_ACCESS = 0x1F01FF;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2, FILE_ATTRIBUTE_SYSTEM = 0x4;
inline constexpr DWORD SEM_FAILCRITICALERRORS = 0x1, SEM_NOGPFAULTERRORBOX = 0x2,
                       SEM_NOOPENFILEERRORBOX = 0x8000;
}  // namespace w

// Error codes the program and the simulated machine use by name.
namespace err {
inline constexpr DWORD SUCCESS = 0, INVALID_FUNCTION = 1, FILE_NOT_FOUND = 2, PATH_NOT_FOUND = 3,
                       ACCESS_DENIED = 5, INVALID_HANDLE = 6, NOT_ENOUGH_MEMORY = 8, NOT_READY = 21,
                       SHARING_VIOLATION = 32, HANDLE_EOF = 38, NOT_SUPPORTED = 50,
                       DEV_NOT_EXIST = 55, FILE_EXISTS = 80, INVALID_PARAMETER = 87,
                       INSUFFICIENT_BUFFER = 122, INVALID_NAME = 123, NEGATIVE_SEEK = 131,
                       DIR_NOT_ROOT = 144, ALREADY_EXISTS = 183, MORE_DATA = 234,
                       NOT_A_REPARSE_POINT = 4390, DIRECTORY = 267, UNRECOGNIZED_VOLUME = 1005,
                       BAD_NETPATH = 53, FILENAME_EXCED_RANGE = 206, INVALID_ADDRESS = 487,
                       NOACCESS = 998, WRITE_PROTECT = 19, NOT_LOCKED = 158,
                       OPERATION_ABORTED = 995;
}  // namespace err

class Kernel {
  public:
    virtual ~Kernel() = default;

    // Handles and file I/O.
    virtual Handle CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                               DWORD creationDisposition, DWORD flagsAndAttributes) = 0;
    virtual BOOL CloseHandle(Handle h) = 0;
    virtual BOOL ReadFile(Handle h, void* buffer, DWORD toRead, DWORD* read) = 0;
    virtual BOOL WriteFile(Handle h, const void* buffer, DWORD toWrite, DWORD* written) = 0;
    // Like Windows: a failed move leaves *distanceHigh as passed.
    virtual DWORD SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                                 DWORD moveMethod) = 0;
    virtual BOOL SetEndOfFile(Handle h) = 0;
    virtual BOOL FlushFileBuffers(Handle h) = 0;
    virtual DWORD GetFileSize(Handle h, DWORD* sizeHigh) = 0;
    virtual DWORD GetFileType(Handle h) = 0;
    virtual BOOL DeleteFileA(const std::string& fileName) = 0;
    virtual BOOL DeviceIoControl(Handle h, DWORD ioControlCode, const void* inBuffer, DWORD inSize,
                                 void* outBuffer, DWORD outSize, DWORD* bytesReturned) = 0;

    // Queries on a path.
    virtual DWORD GetDriveTypeA(const std::string& rootPath) = 0;
    virtual BOOL GetDiskFreeSpaceA(const std::string& rootPath, DWORD* sectorsPerCluster,
                                   DWORD* bytesPerSector, DWORD* freeClusters,
                                   DWORD* totalClusters) = 0;
    virtual BOOL GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* freeToCaller,
                                     std::uint64_t* totalBytes, std::uint64_t* totalFree) = 0;
    virtual BOOL GetVolumeInformationA(const std::string& rootPath, char* volumeName,
                                       DWORD volumeNameSize, DWORD* serialNumber,
                                       DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                       char* fileSystemName, DWORD fileSystemNameSize) = 0;
    virtual BOOL GetVolumePathNameA(const std::string& fileName, char* volumePath,
                                    DWORD bufferLength) = 0;
    virtual DWORD GetFileAttributesA(const std::string& fileName) = 0;

    // Memory.
    virtual void* VirtualAlloc(std::size_t size, DWORD allocationType, DWORD protect) = 0;
    virtual BOOL VirtualLock(void* address, std::size_t size) = 0;
    virtual BOOL VirtualFree(void* address, std::size_t size, DWORD freeType) = 0;

    // Process and thread.
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual void SetLastError(DWORD code) = 0;
    virtual DWORD GetLastError() = 0;
    virtual BOOL SetDllDirectoryA(const std::string& path) = 0;
    virtual DWORD GetCurrentProcessId() = 0;
    virtual DWORD SetErrorMode(DWORD mode) = 0;
    virtual DWORD GetACP() = 0;
    virtual DWORD GetWindowsDirectoryA(char* buffer, DWORD size) = 0;
    // The current drive, changed as "X:" with SetCurrentDirectoryA.
    virtual BOOL SetCurrentDirectoryA(const std::string& path) = 0;
};

// The real kernel32; exists only in the Windows build.
std::unique_ptr<Kernel> MakeWin32Kernel();
// True when the Windows build runs under Wine (its ntdll exports wine_get_version); tests use
// it to state where Wine answers differently from Windows.
bool RunningUnderWine();

}  // namespace sys
