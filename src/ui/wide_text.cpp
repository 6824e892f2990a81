#include "ui/wide_text.h"

template size_t utf8ToUtf16<WCHAR>(const char* in, size_t bytes, WCHAR* out, size_t room);
