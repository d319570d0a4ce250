// A deterministic in-memory Windows machine behind the Kernel seam, for fast tests of the
// handlers on any host. It answers with the results and error codes Windows gives; where Wine
// differs, the machine follows Windows and the conformance tests say so.
//
// The set-up API below (addFile, failNext, ...) is not part of Kernel: handlers never see it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sys/Kernel.h"

namespace sys {

class SimMachine : public Kernel {
  public:
    // A fresh machine: fixed drive C: (NTFS) holding C:\windows, the disk \\.\PhysicalDrive0
    // under it, the volume \\.\C:, the character device \\.\COM1, code page 1252, process id 312.
    SimMachine();
    ~SimMachine() override;

    // --- Set-up -------------------------------------------------------------------------------
    void addDirectory(const std::string& path);  // parents must exist
    void addFile(const std::string& path, std::string contents = {});
    void setFileSize(const std::string& path, std::uint64_t size);  // sparse: reads as zeros
    void setReadOnly(const std::string& path, bool readOnly);
    bool exists(const std::string& path) const;
    std::string fileContents(const std::string& path) const;  // "" when missing
    std::uint64_t fileSize(const std::string& path) const;
    void setAcp(DWORD codePage);
    void setProcessId(DWORD pid);
    // Make the next call of the named Kernel method (e.g. "ReadFile") fail with this error:
    // it returns its failure value, changes nothing, and sets the last error.
    void failNext(const std::string& call, DWORD error);
    // Make the next call of the named Kernel method block, as a read of a pipe with no data or
    // a request a driver holds does, on whatever thread made it, until releaseBlocked() lets it
    // go on or cancelBlocked() ends it: it then fails with OPERATION_ABORTED and changes
    // nothing, as a call cancelled with CancelSynchronousIo does.
    void blockNext(const std::string& call);
    // True once a call blocks, waiting up to `milliseconds` for one to get there.
    bool waitUntilBlocked(int milliseconds = 10000);
    // Each is false when no call was blocked (CancelSynchronousIo then fails with NOT_FOUND).
    bool releaseBlocked();
    bool cancelBlocked();
    // Make every VirtualAlloc above this many bytes fail with NOT_ENOUGH_MEMORY (0 = no limit).
    void setAllocLimit(std::size_t bytes);
    // A removable drive (a 1.44 MB FAT floppy when media is in). Without media its paths and
    // volume queries fail with NOT_READY, while `\\.\X:` still opens.
    void addRemovableDrive(char letter, bool withMedia = false);
    void setMediaPresent(char letter, bool present);
    void setVolumeSpace(char letter, std::uint64_t totalBytes, std::uint64_t freeBytes);
    void setVolumeLabel(char letter, const std::string& label, DWORD serial);
    // A drive of another kind, empty when withMedia is false: DRIVE_FIXED (NTFS on a disk of
    // its own), DRIVE_REMOTE (a share), DRIVE_CDROM (CDFS, 2048-byte sectors, full),
    // DRIVE_RAMDISK (FAT32); DRIVE_REMOVABLE is addRemovableDrive.
    void addDrive(char letter, DWORD driveType, bool withMedia = true);
    // The code GetDriveTypeA reports for the drive, any value (7 has no name).
    void setDriveType(char letter, DWORD driveType);
    // A user quota: the caller may use this many more bytes of the volume's free space.
    void setCallerQuota(char letter, std::uint64_t bytes);
    // The attribute word as stored; DIRECTORY is implied for directories, and NORMAL is kept
    // only alone, as Windows keeps it.
    void setAttributes(const std::string& path, DWORD attributes);
    // `\\.\pipe\<name>`: what is written to it is read back.
    void addNamedPipe(const std::string& name);
    // Raw bytes of a disk's image, e.g. "PhysicalDrive0", as sector reads return them.
    void setDeviceBytes(const std::string& device, std::uint64_t offset, const std::string& bytes);

    // --- Disks and volumes for the device controls ---------------------------------------------
    struct Extent {
        std::string disk;  // e.g. "PhysicalDrive1"
        std::uint64_t offset = 0, length = 0;
    };
    // A fixed NVMe disk `\\.\name`, numbered after the disks before it.
    void addDisk(const std::string& name);
    void setDiskGeometry(const std::string& disk, std::int64_t cylinders, DWORD tracksPerCylinder,
                         DWORD sectorsPerTrack, DWORD bytesPerSector, DWORD mediaType = 12);
    void setDiskSize(const std::string& disk, std::uint64_t bytes);
    void setDiskIdentity(const std::string& disk, DWORD deviceNumber, std::int32_t busType,
                         bool removable);
    // The device descriptor's vendor, product, revision and serial; "" leaves one out.
    void setDiskStrings(const std::string& disk, const std::string& vendor,
                        const std::string& product, const std::string& revision,
                        const std::string& serial);
    void setDiskReadOnly(const std::string& disk, bool readOnly);  // DISK_ATTRIBUTE_READ_ONLY
    void setDiskAttributes(const std::string& disk, std::uint64_t attributes);
    std::uint64_t diskAttributes(const std::string& disk) const;
    bool diskAttributesPersist(const std::string& disk) const;  // of the last change
    // A volume's partition: GPT with this attribute word, or MBR (no word).
    void setVolumeGpt(char letter, bool gpt, std::uint64_t attributes = 0);
    std::uint64_t gptAttributes(char letter) const;
    bool gptAppliedToAll(char letter) const;  // the last change asked for every volume
    // Where a volume lies; the first extent names the disk it is on.
    void setVolumeExtents(char letter, const std::vector<Extent>& extents);
    // A disk's own partition table, which the layout request lists in place of the one its
    // volumes make. MBR entries are listed as given, in slots of four as Windows lists them
    // (type 0: an empty slot; 0x05 or 0x0F: an extended partition, not recognized); GPT entries
    // are basic-data partitions with their names, cut to 36 characters (the last of the 128 has a
    // longer one).
    struct Partition {
        std::uint64_t offset = 0, length = 0;
        DWORD number = 0;
        std::uint8_t mbrType = 0x07;
        bool boot = false;
        std::string name;
    };
    void setDiskPartitions(const std::string& disk, bool gpt, std::vector<Partition> entries);
    // Three disks for the decoders: PhysicalDrive1, MBR, three primary partitions (one of a
    // type Windows does not recognize) and an extended one holding a logical drive;
    // PhysicalDrive2, GPT, three partitions whose names use all 36 characters, and a descriptor
    // without a serial; PhysicalDrive3, GPT, 128 entries.
    void addPartitionedDisks();
    // The next request with this code, on any open handle, answers as given instead: `bytes`
    // in the output buffer (cut to its size), `returned` as the count and `result` as the
    // call's result, the last error untouched. Drivers may answer anything; the bench must cope.
    void answerNextControl(DWORD code, std::vector<std::uint8_t> bytes, DWORD returned,
                           BOOL result = 1);
    // The next request with this code fails with this error.
    void failNextControl(DWORD code, DWORD error);

    // --- Inspection ---------------------------------------------------------------------------
    // Every Kernel call in order, as its method name ("CreateFileA", "GetLastError" excluded).
    const std::vector<std::string>& calls() const;
    void clearCalls();
    int openHandles() const;
    std::string currentDirectory() const;
    DWORD errorMode() const;
    std::size_t liveAllocations() const;       // VirtualAlloc blocks not yet freed
    const std::vector<DWORD>& sleeps() const;  // every Sleep, in milliseconds, in order
    std::string dllDirectory() const;          // as last set with SetDllDirectoryA
    std::string toString() const;              // the whole state, for failing tests
    // The last device control as it arrived: its code, input, and output buffer before the
    // machine wrote to it.
    struct ControlRecord {
        DWORD code = 0;
        std::vector<std::uint8_t> input, outputAsPassed;
    };
    const ControlRecord& lastControl() const;

    // --- Kernel -------------------------------------------------------------------------------
    Handle CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes) override;
    BOOL CloseHandle(Handle h) override;
    BOOL ReadFile(Handle h, void* buffer, DWORD toRead, DWORD* read) override;
    BOOL WriteFile(Handle h, const void* buffer, DWORD toWrite, DWORD* written) override;
    DWORD SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                         DWORD moveMethod) override;
    BOOL SetEndOfFile(Handle h) override;
    BOOL FlushFileBuffers(Handle h) override;
    DWORD GetFileSize(Handle h, DWORD* sizeHigh) override;
    DWORD GetFileType(Handle h) override;
    BOOL DeleteFileA(const std::string& fileName) override;
    BOOL DeviceIoControl(Handle h, DWORD ioControlCode, const void* inBuffer, DWORD inSize,
                         void* outBuffer, DWORD outSize, DWORD* bytesReturned) override;
    DWORD GetDriveTypeA(const std::string& rootPath) override;
    BOOL GetDiskFreeSpaceA(const std::string& rootPath, DWORD* sectorsPerCluster,
                           DWORD* bytesPerSector, DWORD* freeClusters,
                           DWORD* totalClusters) override;
    BOOL GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* freeToCaller,
                             std::uint64_t* totalBytes, std::uint64_t* totalFree) override;
    BOOL GetVolumeInformationA(const std::string& rootPath, char* volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, char* fileSystemName,
                               DWORD fileSystemNameSize) override;
    BOOL GetVolumePathNameA(const std::string& fileName, char* volumePath,
                            DWORD bufferLength) override;
    DWORD GetFileAttributesA(const std::string& fileName) override;
    void* VirtualAlloc(std::size_t size, DWORD allocationType, DWORD protect) override;
    BOOL VirtualLock(void* address, std::size_t size) override;
    BOOL VirtualFree(void* address, std::size_t size, DWORD freeType) override;
    void Sleep(DWORD milliseconds) override;
    void SetLastError(DWORD code) override;
    DWORD GetLastError() override;
    BOOL SetDllDirectoryA(const std::string& path) override;
    DWORD GetCurrentProcessId() override;
    DWORD SetErrorMode(DWORD mode) override;
    DWORD GetACP() override;
    DWORD GetWindowsDirectoryA(char* buffer, DWORD size) override;
    BOOL SetCurrentDirectoryA(const std::string& path) override;

  private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace sys
