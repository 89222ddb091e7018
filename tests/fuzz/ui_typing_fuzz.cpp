// Text typed by a person into every edit field of every page of the printing
// preferences and of every dialog a page opens, through the scripted user
// (keys sent as a person presses them, so that every filter, limit and
// notification of the field and its page sees them): names, numbers,
// passwords, paths, comments, whatever the person typed or pasted.
//
// Input: one byte of pages (bit i: page i is visited), one byte of the
// dialog buttons opened on a visited page (bit i: the page's button number
// i whose caption ends in "..."), one byte of endings (bit 0 OK on the
// sheet, else Cancel; bit 1 OK in the dialogs, else Cancel), then the text
// as UTF-16 (at most 300 characters). What must hold besides no fault: the
// sheet closes (a page may refuse OK: then Cancel closes it), and the
// user's default it leaves (if any) is a DEVMODE the driver validates.
#include "tests/fuzz/fuzz.h"

#include "platform/spooler/drvinterface.h"
#include "platform/user/script.h"

namespace {

struct RUN {
    BYTE bPages, bButtons, bEndings;
    std::u16string text;
    int cDepth = 0;
};

std::u16string _Class(HWND h)
{
    WCHAR sz[64] = {};
    GetClassNameW(h, sz, 64);
    return sz;
}

std::u16string _Text(HWND h)
{
    WCHAR sz[256] = {};
    GetWindowTextW(h, sz, 256);
    return sz;
}

// The visible, enabled children of hwnd of a kind, in window order (the
// children of visible child dialogs too: a sheet's current page).
void _Collect(HWND hwnd, bool (*pfnWant)(HWND), std::vector<HWND>* pOut)
{
    for (HWND h = GetWindow(hwnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (!IsWindowVisible(h))
            continue;
        if (pfnWant(h) && IsWindowEnabled(h))
            pOut->push_back(h);
        if (GetWindow(h, GW_CHILD))
            _Collect(h, pfnWant, pOut);
    }
}

bool _IsEdit(HWND h)
{
    std::u16string c = _Class(h);
    return c == u"Edit" || c == u"EDIT";
}

bool _IsDialogButton(HWND h)
{
    std::u16string c = _Class(h), t = _Text(h);
    return (c == u"Button" || c == u"BUTTON") && t.size() > 3 && t.compare(t.size() - 3, 3, u"...") == 0;
}

void _TypeEverywhere(HWND hwnd, const std::u16string& text)
{
    std::vector<HWND> edits;
    _Collect(hwnd, _IsEdit, &edits);
    for (HWND h : edits) {
        if (!IsWindow(h) || !IsWindowVisible(h) || !IsWindowEnabled(h))
            continue;
        PlatScriptType(GetParent(h), GetDlgCtrlID(h), nullptr, text.c_str());
        PlatScriptReset();
        PlatPumpMessages();
    }
}

void _End(HWND hwnd, bool bOk)
{
    if (IsWindow(hwnd) && !PlatIsModalLoopEnded(hwnd) && bOk)
        PlatScriptPressOK(hwnd);
    PlatPumpMessages();
    if (IsWindow(hwnd) && !PlatIsModalLoopEnded(hwnd))
        PlatScriptPressCancel(hwnd);
    PlatScriptReset();
}

void _Hook(HWND hwnd, void* pv)
{
    RUN* r = (RUN*)pv;
    PlatPumpMessages();
    if (!IsWindow(hwnd) || PlatIsModalLoopEnded(hwnd))
        return;
    ++r->cDepth;
    if (r->cDepth == 1) {
        for (int iPage = 0; iPage < 8; ++iPage) {
            if (!(r->bPages & (1 << iPage)))
                continue;
            if (!IsWindow(hwnd) || PlatIsModalLoopEnded(hwnd))
                break;
            if (!PlatScriptPickTab(hwnd, 0, nullptr, nullptr, iPage)) {
                PlatScriptReset();
                break;
            }
            _TypeEverywhere(hwnd, r->text);
            std::vector<HWND> buttons;
            _Collect(hwnd, _IsDialogButton, &buttons);
            for (size_t i = 0; i < buttons.size() && i < 8; ++i)
                if ((r->bButtons & (1 << i)) && IsWindow(buttons[i]) && IsWindowEnabled(buttons[i])) {
                    PlatScriptClick(GetParent(buttons[i]), GetDlgCtrlID(buttons[i]), nullptr);
                    PlatScriptReset();
                }
        }
        _End(hwnd, r->bEndings & 1);
    } else {
        // A dialog a page opened (or one of its own): every field typed
        // into, then ended; nothing opened from it goes deeper.
        if (r->cDepth <= 2)
            _TypeEverywhere(hwnd, r->text);
        _End(hwnd, r->cDepth <= 2 && (r->bEndings & 2));
    }
    --r->cDepth;
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    RUN run;
    run.bPages = in.U8();
    run.bButtons = in.U8();
    run.bEndings = in.U8();
    std::vector<uint8_t> bytes = in.Take(300 * sizeof(WCHAR));
    if (bytes.size() >= sizeof(WCHAR))
        run.text.assign((const char16_t*)bytes.data(), bytes.size() / sizeof(WCHAR));
    // A NUL ends what a person can type.
    run.text = run.text.c_str();

    HANDLE hPrinter = nullptr;
    if (!OpenPrinterW((LPWSTR)FUZZ_PRINTER, &hPrinter, nullptr))
        FuzzFail("the fuzz printer cannot be opened");
    PlatScriptReset();
    PlatSetModalLoopHook(_Hook, &run);
    PlatPrintingPreferences(nullptr, hPrinter);
    PlatSetModalLoopHook(nullptr, nullptr);
    PlatScriptReset();
    if (PlatScriptActiveWindow())
        FuzzFail("a window stayed open after the sheet closed");

    // The user's default, if the sheet made one, is the driver's own.
    DWORD cb = 0;
    GetPrinterW(hPrinter, 9, nullptr, 0, &cb);
    if (cb) {
        std::vector<BYTE> buf(cb);
        if (GetPrinterW(hPrinter, 9, buf.data(), cb, &cb)) {
            DEVMODEW* pdm = ((PRINTER_INFO_9W*)buf.data())->pDevMode;
            if (pdm) {
                std::vector<BYTE> out((size_t)pdm->dmSize + pdm->dmDriverExtra);
                std::memcpy(out.data(), pdm, out.size());
                LONG r = DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)FUZZ_PRINTER, (DEVMODEW*)out.data(),
                                             pdm, DM_IN_BUFFER | DM_OUT_BUFFER);
                if (r != 1)
                    FuzzFail("the user's default the sheet saved is refused by the driver");
            }
        }
        // The next case starts from the driver's default again.
        PRINTER_INFO_9W pi = {nullptr};
        SetPrinterW(hPrinter, 9, (LPBYTE)&pi, 0);
    }
    ClosePrinter(hPrinter);
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto add = [&](BYTE bPages, BYTE bButtons, BYTE bEndings, const std::u16string& text) {
        std::string s;
        s.push_back((char)bPages);
        s.push_back((char)bButtons);
        s.push_back((char)bEndings);
        s.append((const char*)text.data(), text.size() * sizeof(WCHAR));
        pSeeds->push_back(s);
    };
    add(0xFF, 0x00, 1, u"12");
    add(0xFF, 0x00, 0, u"abc");
    add(0x01, 0xFF, 3, u"Monthly report");
    add(0x02, 0xFF, 3, u"99999999999");
    add(0x04, 0xFF, 2, u"C:\\forms\\letter");
    add(0x08, 0xFF, 3, u"-1");
    add(0x10, 0xFF, 3, u"\u6A5F\u5BC6 \u20AC%s%n");
    add(0x20, 0xFF, 3, std::u16string(300, u'W'));
    add(0x40, 0xFF, 3, u"0");
    add(0x80, 0xFF, 3, u"..\\..\\x");
}
