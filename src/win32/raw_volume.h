// A drive's volume opened as a device ("\\.\X:") and read as bytes, for its
// file table. Windows takes reads of a volume only at offsets and lengths
// that are whole sectors, into memory aligned as well; test builds refuse
// any other read, as Wine does not.
#pragma once

#include "tree/file_system.h"

#include <windows.h>

class RawVolumeBytes final : public VolumeBytes {
public:
    // False where the volume cannot be opened: not the administrator, or
    // no local volume behind the letter (or Windows 9x, which has no such
    // devices).
    bool open(const char* rootPath, RawVolume& volume);
    void close(RawVolume& volume);
    bool read(uint64_t offset, void* into, uint32_t length) override;

private:
    HANDLE device = nullptr;
    uint8_t* buffer = nullptr;  // from VirtualAlloc: page-aligned
};

// Whether the drive's volume refuses this process for lack of rights (not
// started as the administrator) while the system names its file system
// NTFS. The boot sector cannot tell, as it cannot be read; the system's
// name can, on Windows (Wine names nearly every drive NTFS, but refuses a
// volume only where its image cannot be read).
bool ntfsVolumeNeedsAdministrator(const char* rootPath);

#ifdef QUORVEL_TEST_HOOKS
// Test builds only: reads of the volume are refused unless they are whole
// sectors of this size (512 at first); how many were refused.
void checkVolumeReadsAgainst(uint32_t sectorSize);
uint32_t refusedVolumeReads();
#endif
