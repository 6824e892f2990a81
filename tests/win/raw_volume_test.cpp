// The raw devices of the NTFS drives as a program under Wine reads them:
// \\.\P: reads the image of the volume mounted as P:, with no alignment
// asked of the reads; a drive whose device is not mapped opens and then
// fails every read.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

HANDLE openVolume(char letter) {
    char device[] = "\\\\.\\X:";
    device[4] = letter;
    return CreateFileA(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

bool readAt(HANDLE volume, uint64_t offset, void* out, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return SetFilePointerEx(volume, at, nullptr, FILE_BEGIN) && ReadFile(volume, out, size, &read, nullptr) &&
           read == size;
}

TEST(RawVolume, BootSectorAndFirstRecordOfEachNtfsDrive) {
    for (char letter : {'P', 'G'}) {
        HANDLE volume = openVolume(letter);
        ASSERT_NE(volume, INVALID_HANDLE_VALUE) << letter;
        unsigned char boot[512];
        ASSERT_TRUE(readAt(volume, 0, boot, sizeof boot)) << letter;
        EXPECT_EQ(std::memcmp(boot + 3, "NTFS    ", 8), 0) << letter;
        uint64_t cluster = (boot[11] | boot[12] << 8) * uint64_t{boot[13]};
        uint64_t mftCluster;
        std::memcpy(&mftCluster, boot + 0x30, sizeof mftCluster);
        char magic[4];
        ASSERT_TRUE(readAt(volume, mftCluster * cluster, magic, sizeof magic)) << letter;
        EXPECT_EQ(std::memcmp(magic, "FILE", 4), 0) << letter;
        CloseHandle(volume);
    }
}

// The error depends on the folder behind the drive: ERROR_BAD_DEV_TYPE over
// ext4, ERROR_INVALID_FUNCTION over an ntfs-3g mount.
TEST(RawVolume, DriveWithoutADeviceOpensButCannotBeRead) {
    HANDLE volume = openVolume('Q');
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    unsigned char boot[512];
    EXPECT_FALSE(readAt(volume, 0, boot, sizeof boot));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_DEV_TYPE));
    CloseHandle(volume);
}

}  // namespace
