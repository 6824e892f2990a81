// The drive list, made once at start-up.
#pragma once

class FileSystem;

// Builds rootNode and one drive node per drive letter, in letter order.
void enumerateDrives(FileSystem& fs);
