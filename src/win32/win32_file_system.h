// The product's view of the disk: the system's ANSI listing calls.
#pragma once

#include "tree/file_system.h"

FileSystem& win32FileSystem();
