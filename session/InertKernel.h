// A Kernel that touches no system: every call is written down with its arguments and answered
// as a success with empty outputs. A script runs on it first, so that a wrong name or a refused
// value stops the run before the real kernel sees a call, and a dry run shows what would be
// called. Success answers take the longest path through each handler (dialogs open).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "sys/Kernel.h"

namespace session {

class InertKernel : public sys::Kernel {
  public:
    InertKernel() = default;
    ~InertKernel() override;
    InertKernel(const InertKernel&) = delete;
    InertKernel& operator=(const InertKernel&) = delete;

    // Every call since the last clear, e.g. `CreateFileA("C:\x", 0xC0000000, 0x3, 3, 0x0)`;
    // the last-error calls are left out.
    std::vector<std::string> calls;

    sys::Handle CreateFileA(const std::string& fileName, sys::DWORD desiredAccess,
                            sys::DWORD shareMode, sys::DWORD creationDisposition,
                            sys::DWORD flagsAndAttributes) override;
    sys::BOOL CloseHandle(sys::Handle h) override;
    sys::BOOL ReadFile(sys::Handle h, void* buffer, sys::DWORD toRead, sys::DWORD* read) override;
    sys::BOOL WriteFile(sys::Handle h, const void* buffer, sys::DWORD toWrite,
                        sys::DWORD* written) override;
    sys::DWORD SetFilePointer(sys::Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                              sys::DWORD moveMethod) override;
    sys::BOOL SetEndOfFile(sys::Handle h) override;
    sys::BOOL FlushFileBuffers(sys::Handle h) override;
    sys::DWORD GetFileSize(sys::Handle h, sys::DWORD* sizeHigh) override;
    sys::DWORD GetFileType(sys::Handle h) override;
    sys::BOOL DeleteFileA(const std::string& fileName) override;
    sys::BOOL DeviceIoControl(sys::Handle h, sys::DWORD code, const void* inBuffer,
                              sys::DWORD inSize, void* outBuffer, sys::DWORD outSize,
                              sys::DWORD* bytesReturned) override;
    sys::DWORD GetDriveTypeA(const std::string& rootPath) override;
    sys::BOOL GetDiskFreeSpaceA(const std::string& rootPath, sys::DWORD* sectorsPerCluster,
                                sys::DWORD* bytesPerSector, sys::DWORD* freeClusters,
                                sys::DWORD* totalClusters) override;
    sys::BOOL GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* freeToCaller,
                                  std::uint64_t* totalBytes, std::uint64_t* totalFree) override;
    sys::BOOL GetVolumeInformationA(const std::string& rootPath, char* volumeName,
                                    sys::DWORD volumeNameSize, sys::DWORD* serialNumber,
                                    sys::DWORD* maxComponentLength, sys::DWORD* fileSystemFlags,
                                    char* fileSystemName, sys::DWORD fileSystemNameSize) override;
    sys::BOOL GetVolumePathNameA(const std::string& fileName, char* volumePath,
                                 sys::DWORD bufferLength) override;
    sys::DWORD GetFileAttributesA(const std::string& fileName) override;
    void* VirtualAlloc(std::size_t size, sys::DWORD allocationType, sys::DWORD protect) override;
    sys::BOOL VirtualLock(void* address, std::size_t size) override;
    sys::BOOL VirtualFree(void* address, std::size_t size, sys::DWORD freeType) override;
    void Sleep(sys::DWORD milliseconds) override;
    void SetLastError(sys::DWORD code) override { lastError_ = code; }
    sys::DWORD GetLastError() override { return lastError_; }
    sys::BOOL SetDllDirectoryA(const std::string& path) override;
    sys::DWORD GetCurrentProcessId() override;
    sys::DWORD SetErrorMode(sys::DWORD mode) override;
    sys::DWORD GetACP() override;
    sys::DWORD GetWindowsDirectoryA(char* buffer, sys::DWORD size) override;
    sys::BOOL SetCurrentDirectoryA(const std::string& path) override;

  private:
    void log(std::string call);
    sys::DWORD lastError_ = 0;
    sys::Handle nextHandle_ = 0x100;
    std::map<void*, std::size_t> blocks_;
};

}  // namespace session
