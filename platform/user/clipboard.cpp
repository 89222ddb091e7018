// clipboard.cpp: the process clipboard.
//
// Entry points: OpenClipboard, CloseClipboard, EmptyClipboard,
// SetClipboardData, GetClipboardData, IsClipboardFormatAvailable,
// CountClipboardFormats.
//
// Data are global memory handles that the clipboard owns once set, as on
// the desktop: EmptyClipboard frees them. The clipboard must be open to
// change or read it; a second open before the close fails.
#include "platform/user/wnd.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/memory.h"

#include <map>

namespace {

BOOL g_bOpen = FALSE;
HWND g_hwndOpen = nullptr;
// What was set last stays on the clipboard until the process ends, as it
// outlives the program that set it on the desktop; the table is never
// destroyed, so those blocks stay reachable to the very end.
std::map<UINT, HANDLE>& g_data = *new std::map<UINT, HANDLE>();

}  // namespace

extern "C" {

BOOL OpenClipboard(HWND hWndNewOwner)
{
    if (g_bOpen) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    g_bOpen = TRUE;
    g_hwndOpen = hWndNewOwner;
    return TRUE;
}

BOOL CloseClipboard()
{
    if (!g_bOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    g_bOpen = FALSE;
    g_hwndOpen = nullptr;
    return TRUE;
}

BOOL EmptyClipboard()
{
    if (!g_bOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    for (auto& kv : g_data)
        if (kv.second)
            GlobalFree(kv.second);
    g_data.clear();
    return TRUE;
}

HANDLE SetClipboardData(UINT uFormat, HANDLE hMem)
{
    if (!g_bOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto it = g_data.find(uFormat);
    if (it != g_data.end() && it->second && it->second != hMem)
        GlobalFree(it->second);
    g_data[uFormat] = hMem;
    return hMem;
}

HANDLE GetClipboardData(UINT uFormat)
{
    if (!g_bOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto it = g_data.find(uFormat);
    return it == g_data.end() ? nullptr : it->second;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    return g_data.find(format) != g_data.end();
}

int CountClipboardFormats()
{
    return static_cast<int>(g_data.size());
}

}  // extern "C"
