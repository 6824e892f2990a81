// The system's texts as the tree keeps them: UTF-8. The wide calls' UTF-16
// goes through tree/utf8.h's utf16ToUtf8 for WCHAR, compiled once
// (utf8_text.cpp) for every caller in win32/ rather than in each.
#pragma once

#include "tree/utf8.h"

#include <windows.h>

extern template size_t utf16ToUtf8<WCHAR>(const WCHAR* in, size_t units, char* out, size_t room);

// A NUL-terminated text of the 8-bit calls, at most MAX_PATH characters in
// the ANSI code page (what the path walk lists, and a volume label where the
// wide call fails), written as UTF-8 to `out`, which has room for `room`
// bytes; returns its length. An empty text when the code page cannot
// convert it.
size_t utf8FromCodePage(const char* text, char* out, size_t room);
