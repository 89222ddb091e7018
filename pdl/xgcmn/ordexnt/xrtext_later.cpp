// xrtext_later.cpp: what the text output and the image writer reach in the
// blank-page file, answering as if every drawing put ink on the page.
//
// Each is a weak definition: the file that builds the real one replaces it
// without touching this one; delete a fallback here once its file exists.
#include "pdl/xgcmn/ordexnt/xrtext.h"

#define PDL_LATER __attribute__((weak))

