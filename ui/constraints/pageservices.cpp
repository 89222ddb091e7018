// pageservices.cpp: the page and dialog operations the engine calls (see
// pageservices.h). The index-tab texts are the Cover / Insert page's
// (ui/pages/insertlist.cpp).
#include "ui/constraints/pageservices.h"

#include "ui/constraints/features.h"
