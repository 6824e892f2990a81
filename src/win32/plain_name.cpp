#include "win32/plain_name.h"

#include <cstring>

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameLetters(const char* text, size_t length, const char* word) {
    if (std::strlen(word) != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (upper(text[i]) != word[i]) return false;
    return true;
}

// COM and LPT take one digit; superscript 1, 2 and 3 of the code page count too.
bool isPortDigit(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (c >= '0' && c <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
}

// The part before the first dot, blanks at its end dropped, as the system
// compares it with the device names.
bool isDeviceName(const char* name) {
    size_t length = std::strcspn(name, ".");
    while (length > 0 && name[length - 1] == ' ') --length;
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : devices)
        if (sameLetters(name, length, device)) return true;
    if (length == 4 && isPortDigit(name[3]))
        return sameLetters(name, 3, "COM") || sameLetters(name, 3, "LPT");
    return false;
}

}  // namespace

bool isPlainWin32Name(const char* name) {
    size_t length = std::strlen(name);
    if (length == 0 || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || std::strchr("<>:\"/\\|?*", c)) return false;
    }
    if (name[length - 1] == '.' || name[length - 1] == ' ') return false;
    return !isDeviceName(name);
}
