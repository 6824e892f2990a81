// make-fixtures: writes a fixture tree and DIR.manifest beside it, then prints
// "folders=N bytes=B" (folders below the root, and the root's total).
//   make-fixtures tree DIR SEED FOLDERS FILES
//   make-fixtures sparse DIR
//   make-fixtures loops DIR
//   make-fixtures wide DIR
// Or counts a folder that exists already and prints its manifest:
//   make-fixtures count DIR

#include "fixture_trees.h"
#include "folder_count.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: make-fixtures tree DIR SEED FOLDERS FILES\n"
                 "       make-fixtures sparse DIR\n"
                 "       make-fixtures loops DIR\n"
                 "       make-fixtures wide DIR\n"
                 "       make-fixtures count DIR\n");
    return 2;
}

bool readNumber(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *text && !*end;
}

bool validArguments(int argc, char** argv) {
    unsigned long long number;
    if (argc == 6 && std::strcmp(argv[1], "tree") == 0)
        return readNumber(argv[3], number) && readNumber(argv[4], number) && readNumber(argv[5], number);
    return argc == 3 && (std::strcmp(argv[1], "sparse") == 0 || std::strcmp(argv[1], "loops") == 0 ||
                         std::strcmp(argv[1], "wide") == 0 || std::strcmp(argv[1], "count") == 0);
}

bool make(char** argv, FixtureManifest& manifest) {
    const char* dir = argv[2];
    if (std::strcmp(argv[1], "sparse") == 0) return makeSparseTree(dir, manifest);
    if (std::strcmp(argv[1], "loops") == 0) return makeLoopTree(dir, manifest);
    if (std::strcmp(argv[1], "wide") == 0) return makeWideTree(dir, manifest);
    unsigned folders = static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10));
    unsigned files = static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10));
    return makeRandomTree(dir, std::strtoull(argv[3], nullptr, 10), folders, files, manifest);
}

int count(const char* dir) {
    FixtureManifest manifest;
    if (!countFolder(dir, manifest)) {
        std::fprintf(stderr, "make-fixtures: could not count %s\n", dir);
        return 1;
    }
    return writeManifest(stdout, manifest) && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!validArguments(argc, argv)) return usage();
    if (std::strcmp(argv[1], "count") == 0) return count(argv[2]);
    FixtureManifest manifest;
    if (!make(argv, manifest)) {
        std::fprintf(stderr, "make-fixtures: could not make %s (does it exist already?)\n", argv[2]);
        return 1;
    }
    std::string manifestFile = manifestFileFor(argv[2]);
    if (!writeManifest(manifestFile, manifest)) {
        std::fprintf(stderr, "make-fixtures: could not write %s\n", manifestFile.c_str());
        return 1;
    }
    for (const FixtureFolder& folder : manifest) {
        if (folder.path != ".") continue;
        std::printf("folders=%zu bytes=%llu\n", manifest.size() - 1,
                    static_cast<unsigned long long>(folder.filesBytes + folder.subfoldersBytes));
    }
    return 0;
}
