// A Kernel that hands every call to another one unchanged. Derive from it and override the one
// call to time, count or alter; everything else still reaches the wrapped kernel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sys/Kernel.h"

namespace sys {

class ForwardingKernel : public Kernel {
  public:
    explicit ForwardingKernel(Kernel& inner) : inner_(inner) {}

    Handle CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override {
        return inner_.CreateFileA(fileName, desiredAccess, shareMode, creationDisposition,
                                  flagsAndAttributes);
    }
    BOOL CloseHandle(Handle h) override { return inner_.CloseHandle(h); }
    BOOL ReadFile(Handle h, void* buffer, DWORD toRead, DWORD* read) override {
        return inner_.ReadFile(h, buffer, toRead, read);
    }
    BOOL WriteFile(Handle h, const void* buffer, DWORD toWrite, DWORD* written) override {
        return inner_.WriteFile(h, buffer, toWrite, written);
    }
    DWORD SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                         DWORD moveMethod) override {
        return inner_.SetFilePointer(h, distanceLow, distanceHigh, moveMethod);
    }
    BOOL SetEndOfFile(Handle h) override { return inner_.SetEndOfFile(h); }
    BOOL FlushFileBuffers(Handle h) override { return inner_.FlushFileBuffers(h); }
    DWORD GetFileSize(Handle h, DWORD* sizeHigh) override {
        return inner_.GetFileSize(h, sizeHigh);
    }
    DWORD GetFileType(Handle h) override { return inner_.GetFileType(h); }
    BOOL DeleteFileA(const std::string& fileName) override { return inner_.DeleteFileA(fileName); }
    BOOL DeviceIoControl(Handle h, DWORD ioControlCode, const void* inBuffer, DWORD inSize,
                         void* outBuffer, DWORD outSize, DWORD* bytesReturned) override {
        return inner_.DeviceIoControl(h, ioControlCode, inBuffer, inSize, outBuffer, outSize,
                                      bytesReturned);
    }

    DWORD GetDriveTypeA(const std::string& rootPath) override {
        return inner_.GetDriveTypeA(rootPath);
    }
    BOOL GetDiskFreeSpaceA(const std::string& rootPath, DWORD* sectorsPerCluster,
                           DWORD* bytesPerSector, DWORD* freeClusters,
                           DWORD* totalClusters) override {
        return inner_.GetDiskFreeSpaceA(rootPath, sectorsPerCluster, bytesPerSector, freeClusters,
                                        totalClusters);
    }
    BOOL GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* freeToCaller,
                             std::uint64_t* totalBytes, std::uint64_t* totalFree) override {
        return inner_.GetDiskFreeSpaceExA(directory, freeToCaller, totalBytes, totalFree);
    }
    BOOL GetVolumeInformationA(const std::string& rootPath, char* volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, char* fileSystemName,
                               DWORD fileSystemNameSize) override {
        return inner_.GetVolumeInformationA(rootPath, volumeName, volumeNameSize, serialNumber,
                                            maxComponentLength, fileSystemFlags, fileSystemName,
                                            fileSystemNameSize);
    }
    BOOL GetVolumePathNameA(const std::string& fileName, char* volumePath,
                            DWORD bufferLength) override {
        return inner_.GetVolumePathNameA(fileName, volumePath, bufferLength);
    }
    DWORD GetFileAttributesA(const std::string& fileName) override {
        return inner_.GetFileAttributesA(fileName);
    }

    void* VirtualAlloc(std::size_t size, DWORD allocationType, DWORD protect) override {
        return inner_.VirtualAlloc(size, allocationType, protect);
    }
    BOOL VirtualLock(void* address, std::size_t size) override {
        return inner_.VirtualLock(address, size);
    }
    BOOL VirtualFree(void* address, std::size_t size, DWORD freeType) override {
        return inner_.VirtualFree(address, size, freeType);
    }

    void Sleep(DWORD milliseconds) override { inner_.Sleep(milliseconds); }
    void SetLastError(DWORD code) override { inner_.SetLastError(code); }
    DWORD GetLastError() override { return inner_.GetLastError(); }
    BOOL SetDllDirectoryA(const std::string& path) override {
        return inner_.SetDllDirectoryA(path);
    }
    DWORD GetCurrentProcessId() override { return inner_.GetCurrentProcessId(); }
    DWORD SetErrorMode(DWORD mode) override { return inner_.SetErrorMode(mode); }
    DWORD GetACP() override { return inner_.GetACP(); }
    DWORD GetWindowsDirectoryA(char* buffer, DWORD size) override {
        return inner_.GetWindowsDirectoryA(buffer, size);
    }
    BOOL SetCurrentDirectoryA(const std::string& path) override {
        return inner_.SetCurrentDirectoryA(path);
    }

  protected:
    // The wrapped kernel, for a wrapper that makes its calls otherwise.
    Kernel& inner() const { return inner_; }

  private:
    Kernel& inner_;
};

}  // namespace sys
