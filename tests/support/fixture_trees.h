// Real folder trees for the tests and the benchmarks, each made together with
// the totals a walk must find in it. The totals come from the generator's own
// records of what it wrote, never from reading the disk back. Names are short
// lower-case ASCII (a few begin with a dot), so the same trees serve as
// mapped drives under Wine.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One folder as the walk meets it: a folder reached through a directory link
// is listed under the link's path, and a link that leads back to a folder on
// its own path is listed with zero totals (the walk does not enter it).
struct FixtureFolder {
    std::string path;  // relative to the tree's root, '/' between names; "." is the root
    uint64_t filesBytes;
    uint64_t subfoldersBytes;
};

using FixtureManifest = std::vector<FixtureFolder>;  // sorted by path

// Each maker creates `dir` (which must not exist yet) and what lies below it,
// and fills `manifest`. False when something could not be written.

// A pseudo-random tree of `folders` folders (the root among them) and `files`
// files, the same for the same seed: several levels, empty folders, folders
// holding only files, sizes from 0 bytes up to 64 MiB (larger ones sparse).
// The root's first folder is ".git" and its first file ".profile": names
// that a walk skipping dot-names would miss.
bool makeRandomTree(const std::string& dir, uint64_t seed, unsigned folders, unsigned files,
                    FixtureManifest& manifest);

// A sparse file of exactly 5 GiB alone in "big", beside a few small files.
bool makeSparseTree(const std::string& dir, FixtureManifest& manifest);

// Folders whose listings take many reads: "wide" holds 3,000 files with
// names of 100 characters and more, each of its own size, and three
// subfolders between them; "wide/s2/wider" 2,000 more.
bool makeWideTree(const std::string& dir, FixtureManifest& manifest);

// Directory links: "a/b/up" leads to the root, "a/c/x" and "a/c/y" both lead
// to "a", "d/tob" leads to "a/b" (not an ancestor: followed); a link to a file
// counts the file's size and a dangling link counts nothing.
bool makeLoopTree(const std::string& dir, FixtureManifest& manifest);

// One line per folder: path, TAB, filesBytes, TAB, subfoldersBytes.
bool writeManifest(const std::string& file, const FixtureManifest& manifest);
bool writeManifest(std::FILE* out, const FixtureManifest& manifest);
bool readManifest(const std::string& file, FixtureManifest& manifest);

// The manifest's file for a tree made in `dir`: "DIR.manifest".
std::string manifestFileFor(const std::string& dir);

// Removes `dir` and everything below it without following links, holding one
// descriptor at a time, so any depth can go.
bool removeTree(const std::string& dir);
