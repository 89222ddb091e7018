// windows.h: everything the platform layer offers, in one include.
// Each area keeps its own header; this one gathers those that exist.
#pragma once

#include "platform/windef.h"
#include "platform/kernel/root.h"

#if __has_include("platform/kernel/kernel.h")
#include "platform/kernel/kernel.h"
#endif
#if __has_include("platform/kernel/wstr.h")
#include "platform/kernel/wstr.h"
#endif
#if __has_include("platform/kernel/codepage.h")
#include "platform/kernel/codepage.h"
#endif
#if __has_include("platform/kernel/memory.h")
#include "platform/kernel/memory.h"
#endif
#if __has_include("platform/kernel/files.h")
#include "platform/kernel/files.h"
#endif
#if __has_include("platform/kernel/profile.h")
#include "platform/kernel/profile.h"
#endif
#if __has_include("platform/kernel/system.h")
#include "platform/kernel/system.h"
#endif
#if __has_include("platform/kernel/modules.h")
#include "platform/kernel/modules.h"
#endif
#if __has_include("platform/registry/registry.h")
#include "platform/registry/registry.h"
#endif
#if __has_include("platform/spooler/winspool.h")
#include "platform/spooler/winspool.h"
#endif
#if __has_include("platform/spooler/drvinterface.h")
#include "platform/spooler/drvinterface.h"
#endif
#if __has_include("platform/kernel/resource.h")
#include "platform/kernel/resource.h"
#endif
#if __has_include("platform/gdi/wingdi.h")
#include "platform/gdi/wingdi.h"
#endif
#if __has_include("platform/gdi/winddi.h")
#include "platform/gdi/winddi.h"
#endif
#if __has_include("platform/gdi/resload.h")
#include "platform/gdi/resload.h"
#endif
#if __has_include("platform/gdi/engobj.h")
#include "platform/gdi/engobj.h"
#endif
#if __has_include("platform/gdi/gdidraw.h")
#include "platform/gdi/gdidraw.h"
#endif
#if __has_include("platform/gdi/fontobj.h")
#include "platform/gdi/fontobj.h"
#endif
#if __has_include("platform/gdi/gditext.h")
#include "platform/gdi/gditext.h"
#endif
#if __has_include("platform/user/winuser.h")
#include "platform/user/winuser.h"
#endif
#if __has_include("platform/user/script.h")
#include "platform/user/script.h"
#endif
#if __has_include("platform/comdlg/commdlg.h")
#include "platform/comdlg/commdlg.h"
#endif
#if __has_include("platform/comdlg/shlobj.h")
#include "platform/comdlg/shlobj.h"
#endif
#if __has_include("platform/comdlg/winhelp.h")
#include "platform/comdlg/winhelp.h"
#endif
#if __has_include("platform/comctl/commctrl.h") && __has_include("platform/user/winuser.h")
#include "platform/comctl/commctrl.h"
#endif
