// Stands in for the browser and the mail program in the end-to-end run: the
// prefix's "open" command for http and mailto addresses points here, so a
// click on a link line is observed without any network. Appends each
// argument it is given as one line to C:\links.txt.
#include <cstdio>

int main(int argc, char** argv) {
    std::FILE* log = std::fopen("C:\\links.txt", "a");
    if (!log) return 1;
    for (int i = 1; i < argc; ++i) std::fprintf(log, "%s\n", argv[i]);
    std::fclose(log);
    return 0;
}
