// The NTFS test volumes (tests/support/make-ntfs-volumes) for native tests:
// made once into build/ntfs (QUORVEL_NTFS_VOLUMES elsewhere) and mounted
// read-only through ntfs-3g, in a folder of their own, for as long as the
// object lives. A helper process holds the mounts and unmounts them when
// this process ends, however it ends.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

struct NtfsVolume {
    std::string name;      // "parts", "grown", "bench", "bench-million"
    std::string mount;     // the mounted folder
    std::string image;     // the image file: the raw volume
    std::string manifest;  // the count of the mounted folder on Linux
};

class MountedNtfsVolumes {
public:
    // Takes until the volumes are made (seconds; "bench" about a minute).
    explicit MountedNtfsVolumes(std::initializer_list<const char*> names);
    ~MountedNtfsVolumes();
    MountedNtfsVolumes(const MountedNtfsVolumes&) = delete;
    MountedNtfsVolumes& operator=(const MountedNtfsVolumes&) = delete;

    // Empty when every volume is mounted; else why not (ntfs-3g or FUSE
    // missing, not root, the volume could not be made), in the script's words.
    const std::string& error() const { return failure; }
    // The volume named `name`; null when it is not mounted.
    const NtfsVolume* find(const std::string& name) const;

private:
    std::vector<NtfsVolume> volumes;
    std::string failure;
    int holder = -1;  // process id of the helper
    int toHolder = -1;
};
