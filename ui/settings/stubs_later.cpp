// stubs_later.cpp: nothing is left standing in for a later step here; the
// rule indexes and the table counters are the constraint engine's own
// (ui/constraints/rules.h).
#include "ui/settings/stubs_later.h"
