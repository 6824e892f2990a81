#include "win32/raw_volume.h"

namespace {

const uint32_t bufferSize = 1024 * 1024;

#ifdef QUORVEL_TEST_HOOKS
uint32_t checkedSectorSize = 512;
uint32_t refused = 0;
#endif

HANDLE openDevice(const char* rootPath) {
    char devicePath[] = "\\\\.\\*:";
    devicePath[4] = rootPath[0];
    return CreateFileA(devicePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

}  // namespace

bool RawVolumeBytes::open(const char* rootPath, RawVolume& volume) {
    HANDLE opened = openDevice(rootPath);
    if (opened == INVALID_HANDLE_VALUE) return false;
    void* memory = VirtualAlloc(nullptr, bufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!memory) {
        CloseHandle(opened);
        return false;
    }
    device = opened;
    buffer = static_cast<uint8_t*>(memory);
    volume = RawVolume{this, buffer, bufferSize};
    return true;
}

void RawVolumeBytes::close(RawVolume& volume) {
    CloseHandle(device);
    VirtualFree(buffer, 0, MEM_RELEASE);
    device = nullptr;
    buffer = nullptr;
    volume = RawVolume{};
}

bool RawVolumeBytes::read(uint64_t offset, void* into, uint32_t length) {
#ifdef QUORVEL_TEST_HOOKS
    uintptr_t place = static_cast<uintptr_t>(static_cast<uint8_t*>(into) - buffer);
    if (!isWholeSectorRead(offset, length, place, bufferSize, checkedSectorSize)) {
        ++refused;
        return false;
    }
#endif
    // SetFilePointer rather than its Ex form, which older systems lack.
    LONG high = static_cast<LONG>(offset >> 32);
    if (SetFilePointer(device, static_cast<LONG>(offset), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    DWORD read = 0;
    return ReadFile(device, into, length, &read, nullptr) && read == length;
}

bool ntfsVolumeNeedsAdministrator(const char* rootPath) {
    HANDLE opened = openDevice(rootPath);
    if (opened != INVALID_HANDLE_VALUE) {
        CloseHandle(opened);
        return false;
    }
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    const WCHAR root[] = {static_cast<WCHAR>(rootPath[0]), L':', L'\\', 0};
    WCHAR fileSystem[8];
    return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 8) &&
           lstrcmpW(fileSystem, L"NTFS") == 0;
}

#ifdef QUORVEL_TEST_HOOKS
void checkVolumeReadsAgainst(uint32_t sectorSize) {
    checkedSectorSize = sectorSize;
}

uint32_t refusedVolumeReads() {
    return refused;
}
#endif
