#include "ntfs_volumes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

extern char** environ;

namespace {

// Long enough for the bench volume to be made.
const int makeSeconds = 600;
const int unmountSeconds = 60;

std::string volumesFolder() {
    const char* set = std::getenv("QUORVEL_NTFS_VOLUMES");
    return set && *set ? set : QUORVEL_SOURCE_DIR "/build/ntfs";
}

// The lines the helper writes until it says "ready" or ends; false when it
// ended first or took too long.
bool readUntilReady(int fd, std::vector<std::string>& lines) {
    std::string pending;
    time_t deadline = std::time(nullptr) + makeSeconds;
    char buffer[4096];
    for (;;) {
        pollfd wait = {fd, POLLIN, 0};
        int left = static_cast<int>(deadline - std::time(nullptr));
        if (left <= 0 || poll(&wait, 1, left * 1000) <= 0) {
            lines.push_back("no answer from make-ntfs-volumes within " + std::to_string(makeSeconds) + " s");
            return false;
        }
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) return false;
        pending.append(buffer, static_cast<size_t>(got));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            lines.push_back(pending.substr(0, end));
            if (lines.back() == "ready") return true;
        }
    }
}

// "NAME<TAB>MOUNT<TAB>IMAGE<TAB>MANIFEST"
bool parseVolume(const std::string& line, NtfsVolume& volume) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    if (fields.size() != 4) return false;
    volume = NtfsVolume{fields[0], fields[1], fields[2], fields[3]};
    return true;
}

}  // namespace

MountedNtfsVolumes::MountedNtfsVolumes(std::initializer_list<const char*> names) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) {
        failure = "no pipe";
        return;
    }
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        failure = "no pipe";
        return;
    }
    std::string script = QUORVEL_SOURCE_DIR "/tests/support/make-ntfs-volumes";
    std::string folder = volumesFolder();
    std::vector<std::string> arguments = {"bash", script, "hold", folder};
    for (const char* name : names) arguments.emplace_back(name);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    setenv("QUORVEL_MAKE_FIXTURES", QUORVEL_MAKE_FIXTURES, 0);

    // Its own session: a test run that stops this process's group leaves
    // the helper to see its input end and unmount.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, "bash", &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(in[0]);
    close(out[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        failure = "cannot start bash";
        return;
    }
    holder = pid;
    toHolder = in[1];

    std::vector<std::string> lines;
    bool ready = readUntilReady(out[0], lines);
    close(out[0]);
    std::string said;
    for (const std::string& line : lines) {
        NtfsVolume volume;
        if (line != "ready" && parseVolume(line, volume)) volumes.push_back(volume);
        else if (line != "ready") said += line + "\n";
    }
    if (!ready || volumes.size() != names.size())
        failure = "the NTFS volumes could not be mounted:\n" + (said.empty() ? std::string("(nothing said)\n") : said);
}

MountedNtfsVolumes::~MountedNtfsVolumes() {
    if (holder < 0) return;
    close(toHolder);
    for (int tenths = 0; tenths < unmountSeconds * 10; ++tenths) {
        if (waitpid(holder, nullptr, WNOHANG) == holder) return;
        usleep(100000);
    }
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
}

const NtfsVolume* MountedNtfsVolumes::find(const std::string& name) const {
    for (const NtfsVolume& volume : volumes)
        if (volume.name == name) return &volume;
    return nullptr;
}
