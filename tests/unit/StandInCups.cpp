// A CUPS library under a name of its own, as a print plugin may load one
// (CUPS 2.5 and libcups 3 name their calls so): its last request refused.
#include <cups/ipp.h>

extern "C" {
ipp_status_t cupsGetError() { return IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS; }
const char* cupsGetErrorString() { return "not accepting jobs"; }
}
