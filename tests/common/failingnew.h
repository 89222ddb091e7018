// failingnew.h: the non-throwing new, which the driver uses beside
// GlobalAlloc, counted, with one allocation that can be made to fail. A
// program that wants it compiles failingnew.cpp in (it replaces the
// program's own operator new (nothrow) and new[] (nothrow)).
#pragma once

// Allocations made with the non-throwing new so far.
extern long g_cNew;
// When above zero: the allocation that many from now fails (returns null)
// and the count goes back to zero.
extern long g_failNewIn;
