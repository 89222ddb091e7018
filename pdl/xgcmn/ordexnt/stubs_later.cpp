// stubs_later.cpp: the entry points of the page generator's later files
// (attribute cache and brushes, clipping and raster operations, paths,
// text, images, special pages and their schedule, recorded segments and
// overlays, blank-page skipping), answering as if nothing were scheduled,
// recorded, buffered or cached.
//
// Each is a weak definition: the file that builds the real one replaces it
// without touching this one; delete a stub here once its file exists.
#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "ui/settings/papertable.h"

#define PDL_LATER __attribute__((weak))



