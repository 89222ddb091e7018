// escape_later.cpp: what the escape protocol calls in the page generator's
// special-page schedule and recorded-segment files, until those files exist.
//
// The schedule answers as if no sheet were scheduled, and the segment store
// keeps nothing. The recording switch is small enough to be whole here
// already.
//
// Each is a weak definition: the file that builds the real one replaces it
// without touching this one; delete a fallback here once its file exists.
#include "graphics/ddi/escape.h"

#include "pdl/xgcmn/xgcmn.h"

#include <cstring>

#define ESC_LATER __attribute__((weak))


