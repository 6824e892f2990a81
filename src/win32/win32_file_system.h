// The product's view of the disk: the walk by folder handles on every NT
// system, the walk by the current directory where ntdll's calls are missing.
#pragma once

#include "tree/file_system.h"

FileSystem& win32FileSystem();

#ifdef QUORVEL_TEST_HOOKS
// Runs the walk by the current directory even where the handle walk could
// run, so that tests read the same drives through both.
void useThePathWalk(bool byPath);
// While false, no drive's file table is read: every drive is walked.
void readFileTables(bool read);
#endif
