// pdlcalls.h: the page generator's callbacks as the generic layer reaches them.
//
// The page generator (pdl/xgcmn/ordexnt) owns and declares the callbacks;
// the generic layer includes them from here only, so that the one place
// naming the generator's header is this file.
#pragma once

#include "customnt/xrddigfx/pdev.h"
#include "pdl/xgcmn/ordexnt/xgientnt.h"
