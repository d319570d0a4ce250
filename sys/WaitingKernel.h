// A Kernel whose calls that can block — every call that reaches a file system or a device —
// are handed to a waiter instead of being made on the caller's stack. The program's waiter
// (ui::Toolkit::waitFor) makes them on a worker thread while the window paints, and lets the
// user cancel them; the handlers stay the plain synchronous code they are.
//
// The last error is the thread's: the worker reads it right after the call, and it is set again
// on the caller's thread before the call returns, so the caller's GetLastError() sees what the
// call left. Calls that never wait (memory, last error, process state) are made directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "sys/ForwardingKernel.h"

namespace sys {

class WaitingKernel : public ForwardingKernel {
  public:
    // Makes `call` (somewhere) and returns once it has ended.
    using Waiter = std::function<void(const std::function<void()>& call)>;

    WaitingKernel(Kernel& inner, Waiter waiter)
        : ForwardingKernel(inner), waiter_(std::move(waiter)) {}

    Handle CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override {
        return wait([&] {
            return inner().CreateFileA(fileName, desiredAccess, shareMode, creationDisposition,
                                      flagsAndAttributes);
        });
    }
    BOOL CloseHandle(Handle h) override {
        return wait([&] { return inner().CloseHandle(h); });
    }
    BOOL ReadFile(Handle h, void* buffer, DWORD toRead, DWORD* read) override {
        return wait([&] { return inner().ReadFile(h, buffer, toRead, read); });
    }
    BOOL WriteFile(Handle h, const void* buffer, DWORD toWrite, DWORD* written) override {
        return wait([&] { return inner().WriteFile(h, buffer, toWrite, written); });
    }
    DWORD SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                         DWORD moveMethod) override {
        return wait(
            [&] { return inner().SetFilePointer(h, distanceLow, distanceHigh, moveMethod); });
    }
    BOOL SetEndOfFile(Handle h) override {
        return wait([&] { return inner().SetEndOfFile(h); });
    }
    BOOL FlushFileBuffers(Handle h) override {
        return wait([&] { return inner().FlushFileBuffers(h); });
    }
    DWORD GetFileSize(Handle h, DWORD* sizeHigh) override {
        return wait([&] { return inner().GetFileSize(h, sizeHigh); });
    }
    DWORD GetFileType(Handle h) override {
        return wait([&] { return inner().GetFileType(h); });
    }
    BOOL DeleteFileA(const std::string& fileName) override {
        return wait([&] { return inner().DeleteFileA(fileName); });
    }
    BOOL DeviceIoControl(Handle h, DWORD ioControlCode, const void* inBuffer, DWORD inSize,
                         void* outBuffer, DWORD outSize, DWORD* bytesReturned) override {
        return wait([&] {
            return inner().DeviceIoControl(h, ioControlCode, inBuffer, inSize, outBuffer, outSize,
                                          bytesReturned);
        });
    }

    DWORD GetDriveTypeA(const std::string& rootPath) override {
        return wait([&] { return inner().GetDriveTypeA(rootPath); });
    }
    BOOL GetDiskFreeSpaceA(const std::string& rootPath, DWORD* sectorsPerCluster,
                           DWORD* bytesPerSector, DWORD* freeClusters,
                           DWORD* totalClusters) override {
        return wait([&] {
            return inner().GetDiskFreeSpaceA(rootPath, sectorsPerCluster, bytesPerSector,
                                            freeClusters, totalClusters);
        });
    }
    BOOL GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* freeToCaller,
                             std::uint64_t* totalBytes, std::uint64_t* totalFree) override {
        return wait([&] {
            return inner().GetDiskFreeSpaceExA(directory, freeToCaller, totalBytes, totalFree);
        });
    }
    BOOL GetVolumeInformationA(const std::string& rootPath, char* volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, char* fileSystemName,
                               DWORD fileSystemNameSize) override {
        return wait([&] {
            return inner().GetVolumeInformationA(rootPath, volumeName, volumeNameSize, serialNumber,
                                                maxComponentLength, fileSystemFlags, fileSystemName,
                                                fileSystemNameSize);
        });
    }
    BOOL GetVolumePathNameA(const std::string& fileName, char* volumePath,
                            DWORD bufferLength) override {
        return wait([&] { return inner().GetVolumePathNameA(fileName, volumePath, bufferLength); });
    }
    DWORD GetFileAttributesA(const std::string& fileName) override {
        return wait([&] { return inner().GetFileAttributesA(fileName); });
    }

  private:
    // The call starts from the caller's last error, as a call that leaves it untouched must
    // leave it, and what it leaves goes back to the caller's thread.
    template <class Call>
    std::invoke_result_t<Call> wait(Call call) {
        std::invoke_result_t<Call> result{};
        DWORD error = inner().GetLastError();
        waiter_([&] {
            inner().SetLastError(error);
            result = call();
            error = inner().GetLastError();
        });
        inner().SetLastError(error);
        return result;
    }

    Waiter waiter_;
};

}  // namespace sys
