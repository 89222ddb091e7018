// trackbar.cpp: the track bar (a thumb that slides along a channel over
// a range of whole numbers).
//
// Facts this file relies on:
//  1. The range may be negative: TBM_SETRANGE takes its ends as signed
//     16-bit halves of lParam, TBM_SETRANGEMIN/MAX as whole LONGs. The
//     position always stays inside it.
//  2. Messages that set the position (TBM_SETPOS, a new range) tell
//     nobody; what the user does (keys, a click on the channel, dragging
//     the thumb) sends WM_HSCROLL (WM_VSCROLL under TBS_VERT) with the
//     TB_* code, and TB_ENDTRACK when the key or button is released.
//  3. Pixel and position map both ways through the channel's ends, so a
//     channel at least as wide as the range reaches every position.
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

#include <new>

namespace {

struct TRACKBAR {
    LONG lMin, lMax;   // range
    LONG lPos;         //
    LONG lLine;        // arrow-key step
    LONG lPage;        // page step
    LONG lTicFreq;     //
    BOOL bDragging;    // the thumb follows the mouse
    HFONT hFont;       //
};

const int kThumbLong = 11;  // thumb extent along the channel
const int kThumbWide = 21;  // across it

bool _bVert(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_STYLE) & TBS_VERT) != 0;
}

LONG _Clamp(const TRACKBAR* p, LONG v)
{
    return v < p->lMin ? p->lMin : (v > p->lMax ? p->lMax : v);
}

// The channel's first and last thumb centres along the control.
void _Ends(HWND hwnd, int* pFirst, int* pLast)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int len = _bVert(hwnd) ? rc.bottom - rc.top : rc.right - rc.left;
    *pFirst = kThumbLong / 2 + 4;
    *pLast = len - kThumbLong / 2 - 5;
    if (*pLast < *pFirst)
        *pLast = *pFirst;
}

int _PixelOf(HWND hwnd, const TRACKBAR* p, LONG v)
{
    int a, b;
    _Ends(hwnd, &a, &b);
    if (p->lMax <= p->lMin)
        return a;
    long long num = (long long)(v - p->lMin) * (b - a);
    long long den = (long long)p->lMax - p->lMin;
    return a + (int)((num * 2 + den) / (den * 2));
}

LONG _PosOf(HWND hwnd, const TRACKBAR* p, int px)
{
    int a, b;
    _Ends(hwnd, &a, &b);
    if (b <= a || p->lMax <= p->lMin)
        return p->lMin;
    if (px < a)
        px = a;
    if (px > b)
        px = b;
    long long num = (long long)(px - a) * ((long long)p->lMax - p->lMin);
    long long den = b - a;
    return p->lMin + (LONG)((num * 2 + den) / (den * 2));
}

RECT _ThumbRect(HWND hwnd, const TRACKBAR* p)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int c = _PixelOf(hwnd, p, p->lPos);
    RECT t;
    if (_bVert(hwnd)) {
        int mid = (rc.right - rc.left) / 2;
        SetRect(&t, mid - kThumbWide / 2, c - kThumbLong / 2, mid + kThumbWide / 2 + 1, c + kThumbLong / 2 + 1);
    } else {
        int mid = (rc.bottom - rc.top) / 2;
        SetRect(&t, c - kThumbLong / 2, mid - kThumbWide / 2, c + kThumbLong / 2 + 1, mid + kThumbWide / 2 + 1);
    }
    return t;
}

void _Tell(HWND hwnd, const TRACKBAR* p, int code)
{
    WORD pos = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? (WORD)p->lPos : 0;
    SendMessageW(GetParent(hwnd), _bVert(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), (LPARAM)hwnd);
}

// Moves by the user's hand and tells the parent with code.
void _UserMove(HWND hwnd, TRACKBAR* p, LONG v, int code)
{
    v = _Clamp(p, v);
    if (v != p->lPos) {
        p->lPos = v;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    _Tell(hwnd, p, code);
}

void _Paint(HWND hwnd, TRACKBAR* p)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    int a, b;
    _Ends(hwnd, &a, &b);
    bool bVert = _bVert(hwnd);
    // Channel: a sunken groove between the ends.
    RECT ch;
    if (bVert) {
        int mid = (rc.right - rc.left) / 2;
        SetRect(&ch, mid - 2, a - 2, mid + 2, b + 3);
    } else {
        int mid = (rc.bottom - rc.top) / 2;
        SetRect(&ch, a - 2, mid - 2, b + 3, mid + 2);
    }
    DrawEdge(hdc, &ch, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
    // Tick marks below (or right of) the channel.
    DWORD style = GetWindowLongW(hwnd, GWL_STYLE);
    if (!(style & TBS_NOTICKS) && p->lMax > p->lMin) {
        // A disabled track bar greys its ticks.
        HBRUSH hbr = GetSysColorBrush(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_BTNSHADOW);
        LONG freq = (style & TBS_AUTOTICKS) && p->lTicFreq > 0 ? p->lTicFreq : p->lMax - p->lMin;
        for (LONG v = p->lMin; v <= p->lMax; v += freq) {
            int c = _PixelOf(hwnd, p, v);
            RECT t;
            if (bVert)
                SetRect(&t, rc.right - 4, c, rc.right - 1, c + 1);
            else
                SetRect(&t, c, rc.bottom - 4, c + 1, rc.bottom - 1);
            FillRect(hdc, &t, hbr);
            if (freq <= 0)
                break;
        }
        int cEnd = _PixelOf(hwnd, p, p->lMax);
        RECT t;
        if (bVert)
            SetRect(&t, rc.right - 4, cEnd, rc.right - 1, cEnd + 1);
        else
            SetRect(&t, cEnd, rc.bottom - 4, cEnd + 1, rc.bottom - 1);
        FillRect(hdc, &t, hbr);
    }
    // Thumb: a raised button.
    if (!(style & TBS_NOTHUMB)) {
        RECT t = _ThumbRect(hwnd, p);
        FillRect(hdc, &t, GetSysColorBrush(COLOR_BTNFACE));
        if (!IsWindowEnabled(hwnd)) {
            // A disabled thumb is dithered with the highlight colour, as
            // the classic look shows a control that cannot be moved.
            HBRUSH hbrLight = GetSysColorBrush(COLOR_3DHIGHLIGHT);
            for (int y = t.top; y < t.bottom; ++y) {
                for (int x = t.left + ((y - t.top) & 1); x < t.right; x += 2) {
                    RECT dot = {x, y, x + 1, y + 1};
                    FillRect(hdc, &dot, hbrLight);
                }
            }
        }
        DrawEdge(hdc, &t, EDGE_RAISED, BF_RECT);
    }
    if (GetFocus() == hwnd) {
        RECT f = rc;
        DrawFocusRect(hdc, &f);
    }
    EndPaint(hwnd, &ps);
}

// The scripted user drags the thumb to the position.
LRESULT _Script(HWND hwnd, TRACKBAR* p, PLATSCRIPTACTION* pa)
{
    if (pa->uAction != PSA_SETPOS)
        return PSR_UNKNOWN;
    if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd))
        return CtlScriptFail(pa, u"the track bar is disabled or hidden");
    if (pa->iValue < p->lMin || pa->iValue > p->lMax) {
        std::string range = std::to_string(p->lMin) + " to " + std::to_string(p->lMax);
        return CtlScriptFail(pa, (u"the track bar goes from " + std::u16string(range.begin(), range.end())).c_str());
    }
    RECT t = _ThumbRect(hwnd, p);
    int cx = (t.left + t.right) / 2, cy = (t.top + t.bottom) / 2;
    int to = _PixelOf(hwnd, p, pa->iValue);
    if (_PosOf(hwnd, p, to) != pa->iValue)
        return CtlScriptFail(pa, u"the track bar is too short to reach that position with the mouse");
    SetFocus(hwnd);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
    LPARAM at = _bVert(hwnd) ? MAKELPARAM(cx, to) : MAKELPARAM(to, cy);
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
    return PSR_DONE;
}

LRESULT CALLBACK _TrackBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TRACKBAR* p = CtlState<TRACKBAR>(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        TRACKBAR* pNew = new (std::nothrow) TRACKBAR{0, 100, 0, 1, 20, 1, FALSE, nullptr};
        if (!pNew)
            return FALSE;
        CtlSetState(hwnd, pNew);
        break;
    }
    case WM_NCDESTROY:
        delete p;
        CtlSetState(hwnd, nullptr);
        break;
    case WM_PAINT:
        if (p) {
            _Paint(hwnd, p);
            return 0;
        }
        break;
    case WM_SETFONT:
        p->hFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(p->hFont);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: {
        if (!p || !IsWindowEnabled(hwnd))
            return 0;
        SetFocus(hwnd);
        POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
        RECT t = _ThumbRect(hwnd, p);
        if (PtInRect(&t, pt)) {
            p->bDragging = TRUE;
            SetCapture(hwnd);
            return 0;
        }
        int at = _bVert(hwnd) ? pt.y : pt.x;
        int c = _PixelOf(hwnd, p, p->lPos);
        if (at < c)
            _UserMove(hwnd, p, p->lPos - p->lPage, TB_PAGEUP);
        else
            _UserMove(hwnd, p, p->lPos + p->lPage, TB_PAGEDOWN);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (p && p->bDragging) {
            int at = _bVert(hwnd) ? (SHORT)HIWORD(lParam) : (SHORT)LOWORD(lParam);
            _UserMove(hwnd, p, _PosOf(hwnd, p, at), TB_THUMBTRACK);
        }
        return 0;
    case WM_LBUTTONUP:
        if (!p)
            return 0;
        if (p->bDragging) {
            p->bDragging = FALSE;
            if (GetCapture() == hwnd)
                ReleaseCapture();
            _Tell(hwnd, p, TB_THUMBPOSITION);
        }
        _Tell(hwnd, p, TB_ENDTRACK);
        return 0;
    case WM_KEYDOWN:
        if (!p || !IsWindowEnabled(hwnd))
            return 0;
        switch (wParam) {
        case VK_LEFT:
        case VK_UP:
            _UserMove(hwnd, p, p->lPos - p->lLine, TB_LINEUP);
            break;
        case VK_RIGHT:
        case VK_DOWN:
            _UserMove(hwnd, p, p->lPos + p->lLine, TB_LINEDOWN);
            break;
        case VK_PRIOR:
            _UserMove(hwnd, p, p->lPos - p->lPage, TB_PAGEUP);
            break;
        case VK_NEXT:
            _UserMove(hwnd, p, p->lPos + p->lPage, TB_PAGEDOWN);
            break;
        case VK_HOME:
            _UserMove(hwnd, p, p->lMin, TB_TOP);
            break;
        case VK_END:
            _UserMove(hwnd, p, p->lMax, TB_BOTTOM);
            break;
        }
        return 0;
    case WM_KEYUP:
        if (p && (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN ||
                  wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END))
            _Tell(hwnd, p, TB_ENDTRACK);
        return 0;
    case WM_PLAT_SCRIPT:
        return p && lParam ? _Script(hwnd, p, reinterpret_cast<PLATSCRIPTACTION*>(lParam)) : PSR_UNKNOWN;

    case TBM_GETPOS:
        return p->lPos;
    case TBM_GETRANGEMIN:
        return p->lMin;
    case TBM_GETRANGEMAX:
        return p->lMax;
    case TBM_SETPOS:
        p->lPos = _Clamp(p, (LONG)lParam);
        if (wParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_SETRANGE:
        p->lMin = (SHORT)LOWORD(lParam);
        p->lMax = (SHORT)HIWORD(lParam);
        if (p->lMax < p->lMin)
            p->lMax = p->lMin;
        p->lPos = _Clamp(p, p->lPos);
        p->lPage = (p->lMax - p->lMin) / 5 > 0 ? (p->lMax - p->lMin) / 5 : 1;
        if (wParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX:
        if (msg == TBM_SETRANGEMIN)
            p->lMin = (LONG)lParam;
        else
            p->lMax = (LONG)lParam;
        // A range given end by end may pass through an empty one.
        if (p->lMax < p->lMin) {
            if (msg == TBM_SETRANGEMIN)
                p->lMax = p->lMin;
            else
                p->lMin = p->lMax;
        }
        p->lPos = _Clamp(p, p->lPos);
        if (wParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_SETTICFREQ:
        p->lTicFreq = (LONG)wParam > 0 ? (LONG)wParam : 1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_GETNUMTICS:
        return p->lTicFreq > 0 ? (p->lMax - p->lMin) / p->lTicFreq + 1 : 2;
    case TBM_SETPAGESIZE: {
        LONG l = p->lPage;
        p->lPage = (LONG)lParam;
        return l;
    }
    case TBM_GETPAGESIZE:
        return p->lPage;
    case TBM_SETLINESIZE: {
        LONG l = p->lLine;
        p->lLine = (LONG)lParam;
        return l;
    }
    case TBM_GETLINESIZE:
        return p->lLine;
    case TBM_GETTHUMBRECT:
        if (lParam)
            *reinterpret_cast<RECT*>(lParam) = _ThumbRect(hwnd, p);
        return 0;
    case TBM_CLEARTICS:
    case TBM_SETTIC:
        return TRUE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void TrackBarRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = _TrackBarProc;
    wc.cbWndExtra = CTL_EXTRA_BYTES;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = TRACKBAR_CLASSW;
    PlatRegisterSystemClass(&wc);
}
