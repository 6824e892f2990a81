// The tree's UTF-8 texts as UTF-16 for the wide calls of the list and the
// pane: tree/utf8.h's utf8ToUtf16 for WCHAR, compiled once (wide_text.cpp)
// for every caller rather than in each.
#pragma once

#include "tree/utf8.h"

#include <windows.h>

extern template size_t utf8ToUtf16<WCHAR>(const char* in, size_t bytes, WCHAR* out, size_t room);
