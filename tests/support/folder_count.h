// The totals a walk must find in a folder that is already on disk, counted
// over the Linux calls: the reference for volumes written by other programs
// (an ntfs-3g mount), where no generator's records exist.
#pragma once

#include "fixture_trees.h"

#include <string>

// Counts `dir` as Wine shows it to the walk: a link to a folder is entered
// unless it leads to a folder on the path it was reached by (then listed
// with zero totals), a link to a file counts the file's size, a dangling
// link is left out. Every file counts its size once per name it is listed
// by. Holds a descriptor per level. False when something cannot be read
// (a tree deeper than the open-file limit), or a name holds a tab or a
// newline (the manifest could not tell it apart).
bool countFolder(const std::string& dir, FixtureManifest& manifest);
