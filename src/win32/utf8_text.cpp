#include "win32/utf8_text.h"

template size_t utf16ToUtf8<WCHAR>(const WCHAR* in, size_t units, char* out, size_t room);

size_t utf8FromCodePage(const char* text, char* out, size_t room) {
    WCHAR wide[MAX_PATH + 1];
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH + 1);
    if (units <= 0) {
        out[0] = 0;
        return 0;
    }
    return utf16ToUtf8(wide, static_cast<size_t>(units - 1), out, room);
}
