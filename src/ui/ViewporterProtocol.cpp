// The viewporter protocol's interface tables as wayland-scanner writes them,
// after their declarations, which give them C linkage (and default
// visibility, so the tables' own "hidden" is ignored).
#include "viewporter-client-protocol.h"

#if defined(__clang__)
#pragma clang diagnostic ignored "-Wignored-attributes"
#else
#pragma GCC diagnostic ignored "-Wattributes"
#endif
#include "viewporter-protocol.c"
