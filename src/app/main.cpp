// The entry function: the command line and the show flag are not read.
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return runQuorvel(instance);
}
