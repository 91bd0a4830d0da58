// The descriptions of the protocols the compositor is asked in, as
// wayland-scanner writes them (in C), compiled with the rest of the program:
// declared first through their headers, so that they keep C's linkage. (Their
// hidden visibility, meant for shared libraries, then comes too late to
// count, which is all one in a program.)
#include "xdg-decoration-unstable-v1-client.h"
#include "xdg-shell-client.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#include "xdg-decoration-unstable-v1.c"
#include "xdg-shell.c"
#pragma GCC diagnostic pop
