#include "tests/common/failingnew.h"

#include <cstddef>
#include <new>

long g_cNew = 0;
long g_failNewIn = 0;

namespace {

// Counts one allocation; false when it is the armed one.
bool _bNewAllowed()
{
    ++g_cNew;
    return !(g_failNewIn > 0 && --g_failNewIn == 0);
}

}  // namespace

// Each form takes its block from the ordinary form of the same shape, so
// that the ordinary delete, or delete[], frees it.
void* operator new(std::size_t cb, const std::nothrow_t&) noexcept
{
    if (!_bNewAllowed())
        return nullptr;
    try {
        return ::operator new(cb);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t cb, const std::nothrow_t&) noexcept
{
    if (!_bNewAllowed())
        return nullptr;
    try {
        return ::operator new[](cb);
    } catch (...) {
        return nullptr;
    }
}
