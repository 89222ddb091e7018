// q730: the command line that plays the application and the spooler around
// the driver libraries.
//
// Owns: the commands "preferences" and "properties" (the printer's sheets,
// shown on the desktop for a person, or headless and acted on through the
// scripted user), "install" (a printer of
// this driver added to the root), "print" (a job through the
// whole road, from the printer's installation to the bytes in its port
// file: the built-in sample document, or a plain-text file laid out in
// pages), "version" and the help texts. Everything it does goes through the platform's own calls, as
// an application and the spooler would: the printer is installed into the
// root and initialised through the user-interface library's DrvPrinterEvent,
// the job DEVMODE comes from DocumentPropertiesW, CreateDCW loads the
// graphics library, and the pages are drawn with application-side GDI calls.
//
// Exit status: 0 done, 1 a failure (the job could not be printed, a sheet
// could not be shown or saved), 2 a usage error: a mistake in what was
// asked (an unknown option, printer, label or item, a failed action).
#include "platform/windows.h"
#include "platform/gdi/gditext.h"
#include "platform/spooler/drvinterface.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <deque>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kLibraries[] = {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"};
const char kDefaultPrinter[] = "QX-730";
const char kSampleName[] = "q730 sample document";

enum { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// ---------------------------------------------------------------------------
// Text.

std::u16string _Wide(const std::string& s)
{
    std::u16string w;
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, NULL, 0);
    if (n > 0) {
        w.resize(n);
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, (LPWSTR)w.data(), n);
        w.resize(n - 1);
    }
    return w;
}

int _Fail(const std::string& message)
{
    fprintf(stderr, "q730: %s\n", message.c_str());
    return kExitFailed;
}

std::string _Narrow(const std::u16string& w);

// A system error code with its text: "error 3: The system cannot find the
// path specified."
std::string _ErrorText(DWORD dwError)
{
    WCHAR sz[512] = {};
    std::string text = "error " + std::to_string(dwError);
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0, sz, 512, NULL)) {
        std::string words = _Narrow((const char16_t*)sz);
        while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
            words.pop_back();
        text += ": " + words;
    }
    return text;
}

int _FailCall(const char* what, const std::string& printer)
{
    return _Fail(std::string(what) + " failed for printer \"" + printer + "\" (" + _ErrorText(GetLastError()) + ")");
}

int _Usage(FILE* out)
{
    fprintf(out,
            "usage: q730 COMMAND [OPTIONS]\n"
            "\n"
            "commands:\n"
            "  print        print a document on a QX-730 printer (see q730 print --help)\n"
            "  preferences  the printing preferences, in a window or acted on from the\n"
            "               command line (see q730 preferences --help)\n"
            "  properties   the printer properties, in a window or acted on from the\n"
            "               command line (see q730 properties --help)\n"
            "  install      add a printer of this driver (see q730 install --help)\n"
            "  version      load the three driver libraries and report them\n"
            "  --help       show this text\n"
            "\n"
            "The printer \"%s\" is installed on first use; any other is added with\n"
            "q730 install --printer NAME first.\n"
            "Exit status: 0 done, 1 a failure, 2 a usage error (a mistake in what was\n"
            "asked).\n",
            kDefaultPrinter);
    return out == stdout ? kExitOk : kExitUsage;
}

int _PrintUsage(FILE* out)
{
    fprintf(out,
            "usage: q730 print [--printer NAME] [--output FILE] [FILE]\n"
            "\n"
            "Prints FILE, or without one the built-in sample document, through the\n"
            "driver: the printer is installed into the machine's root folder on first\n"
            "use, the job's settings come from the driver, and the job stream (PJL and\n"
            "ORDEX2) is written to the printer's port file.\n"
            "\n"
            "FILE is plain text in UTF-8, or in Shift-JIS when it is not valid UTF-8.\n"
            "It is printed in a 10-point monospaced face on the paper, in the\n"
            "orientation and within the margins of the printing preferences (see q730\n"
            "preferences): long lines wrap, a page holds as many lines as fit, and a\n"
            "form feed starts a new page.\n"
            "\n"
            "options:\n"
            "  --printer NAME   the printer to print on (default \"%s\", installed on\n"
            "                   first use); another printer must have been added with\n"
            "                   q730 install --printer NAME\n"
            "  --output FILE    write the job to FILE instead of the printer's port\n"
            "                   file\n"
            "  --help           show this text\n"
            "\n"
            "The root folder is $Q730_ROOT, else $XDG_DATA_HOME/q730, else\n"
            "~/.local/share/q730. A new printer's port file is\n"
            "<root>/c/ports/NAME.prn.\n"
            "Exit status: 0 printed, 1 the job could not be printed, 2 a usage error\n"
            "(an unknown option or printer).\n",
            kDefaultPrinter);
    return out == stdout ? kExitOk : kExitUsage;
}

// ---------------------------------------------------------------------------
// The printer.

// The port file of a new printer: a Windows path inside the root.
std::u16string _DefaultPort(const std::u16string& printer)
{
    std::u16string name;
    for (char16_t c : printer)
        name += (c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?') ? u'_' : c;
    return u"C:\\ports\\" + name + u".prn";
}

typedef BOOL (*PFN_PRINTEREVENT)(LPWSTR, INT, DWORD, LPARAM);

// Runs the driver's printer initialisation, as the spooler does when it adds
// a printer: the user-interface library (the driver's configuration file)
// stores the printer's default settings.
bool _bInitialisePrinter(HANDLE hPrinter, std::u16string& printer)
{
    DWORD cb = 0;
    GetPrinterDriverW(hPrinter, NULL, 2, NULL, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (!cb || !GetPrinterDriverW(hPrinter, NULL, 2, info.data(), cb, &cb))
        return false;
    const DRIVER_INFO_2W* pdi = (const DRIVER_INFO_2W*)info.data();
    HMODULE hUi = LoadLibraryW(pdi->pConfigFile);
    if (!hUi)
        return false;
    auto pfn = reinterpret_cast<PFN_PRINTEREVENT>(
        reinterpret_cast<void*>(GetProcAddress(hUi, "DrvPrinterEvent")));
    bool bOk = pfn && pfn((LPWSTR)printer.c_str(), PRINTER_EVENT_INITIALIZE, 0, 0);
    FreeLibrary(hUi);
    return bOk;
}

// The printer's port as the spooler keeps it (a Windows or host path).
std::u16string _Port(HANDLE hPrinter)
{
    DWORD cb = 0;
    GetPrinterW(hPrinter, 2, NULL, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (!cb || !GetPrinterW(hPrinter, 2, info.data(), cb, &cb))
        return std::u16string();
    const PRINTER_INFO_2W* pi2 = (const PRINTER_INFO_2W*)info.data();
    return pi2->pPortName ? std::u16string((const char16_t*)pi2->pPortName) : std::u16string();
}

// The printer's port as a host path.
std::string _PortHostPath(HANDLE hPrinter)
{
    std::u16string port = _Port(hPrinter);
    return port.empty() ? std::string() : PlatHostPath(port.c_str());
}

// The printers installed in the root, in the spooler's order.
std::vector<std::string> _InstalledPrinters()
{
    std::vector<std::string> names;
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SPL_PRINTERS_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        WCHAR szName[256] = {};
        DWORD cch = 256;
        if (RegEnumKeyExW(hKey, i, szName, &cch, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(_Narrow((const char16_t*)szName));
    }
    RegCloseKey(hKey);
    return names;
}

// Whether a command may use the printer: it is installed, or it is the
// default printer, which the first use installs. Says what to do when not.
bool _bPrinterKnown(const std::string& printerName)
{
    // Printer names, like registry keys, do not depend on letter case.
    if (strcasecmp(printerName.c_str(), kDefaultPrinter) == 0)
        return true;
    std::vector<std::string> names = _InstalledPrinters();
    for (const std::string& n : names)
        if (strcasecmp(n.c_str(), printerName.c_str()) == 0)
            return true;
    std::string list;
    for (const std::string& n : names)
        list += (list.empty() ? "\"" : ", \"") + n + "\"";
    fprintf(stderr, "q730: no printer \"%s\" is installed; %s\nq730: add it with: q730 install --printer '%s'\n",
            printerName.c_str(),
            list.empty() ? "none is installed yet" : ("the installed printers are " + list).c_str(),
            printerName.c_str());
    return false;
}

// Opens the printer, installing and initialising it first when it does not
// exist. An existing printer gets the driver files beside this program again
// (its port, data and defaults stay), so that a job always runs the driver
// that was just built. Null with a message printed on failure.
HANDLE _hOpenOrInstall(std::u16string& printer, const std::string& printerName)
{
    HANDLE hPrinter = NULL;
    if (OpenPrinterW((LPWSTR)printer.c_str(), &hPrinter, NULL)) {
        std::u16string port = _Port(hPrinter);
        if (port.empty() || !PlatInstallPrinter(printer.c_str(), port.c_str(), NULL)) {
            _FailCall("updating the printer's driver files", printerName);
            ClosePrinter(hPrinter);
            return NULL;
        }
        return hPrinter;
    }
    std::u16string port = _DefaultPort(printer);
    if (!PlatInstallPrinter(printer.c_str(), port.c_str(), NULL)) {
        _FailCall("installing the printer", printerName);
        return NULL;
    }
    // The ports folder holds the port files; a job writes its file beside
    // the port, so the folder must exist.
    if (!CreateDirectoryW(u"C:\\ports", NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
        _FailCall("creating the ports folder", printerName);
        return NULL;
    }
    if (!OpenPrinterW((LPWSTR)printer.c_str(), &hPrinter, NULL)) {
        _FailCall("opening the installed printer", printerName);
        return NULL;
    }
    if (!_bInitialisePrinter(hPrinter, printer)) {
        _FailCall("initialising the printer", printerName);
        ClosePrinter(hPrinter);
        return NULL;
    }
    printf("installed printer \"%s\" with port %s\n", printerName.c_str(),
           PlatHostPath(port.c_str()).c_str());
    return hPrinter;
}

// ---------------------------------------------------------------------------
// The job.

// The driver's job DEVMODE: the user's printing preferences, turned to
// sOrientation when it is not 0.
bool _bJobDevmode(HANDLE hPrinter, std::u16string& printer, SHORT sOrientation,
                  std::vector<BYTE>* pdm)
{
    LONG cb = DocumentPropertiesW(NULL, hPrinter, (LPWSTR)printer.c_str(), NULL, NULL, 0);
    if (cb < (LONG)sizeof(DEVMODEW))
        return false;
    std::vector<BYTE> plain(cb);
    if (DocumentPropertiesW(NULL, hPrinter, (LPWSTR)printer.c_str(), (DEVMODEW*)plain.data(), NULL,
                            DM_OUT_BUFFER) != 1)
        return false;
    DEVMODEW* pIn = (DEVMODEW*)plain.data();
    if (sOrientation) {
        pIn->dmOrientation = sOrientation;
        pIn->dmFields |= DM_ORIENTATION;
    }
    pdm->assign(cb, 0);
    return DocumentPropertiesW(NULL, hPrinter, (LPWSTR)printer.c_str(), (DEVMODEW*)pdm->data(), pIn,
                               DM_IN_BUFFER | DM_OUT_BUFFER) == 1;
}

// One line of text on a sample page.
struct SAMPLETEXT {
    const char16_t* pszFace;
    int iPoints;
    int iWeight;
    BOOL bItalic;
    int iTenthsDegrees;  // baseline angle, counter-clockwise
    int x, y;            // position in 1/100 inch from the printable area's corner
    const char16_t* pszText;
};

// Draws one line in its face, size and angle; the font is the DC's only
// while the line is drawn.
bool _bDrawSampleText(HDC hdc, const SAMPLETEXT& t)
{
    LOGFONTW lf = {};
    int dpiX = GetDeviceCaps(hdc, LOGPIXELSX), dpiY = GetDeviceCaps(hdc, LOGPIXELSY);
    lf.lfHeight = -(t.iPoints * dpiY / 72);
    lf.lfWeight = t.iWeight;
    lf.lfItalic = (BYTE)t.bItalic;
    lf.lfEscapement = lf.lfOrientation = t.iTenthsDegrees;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::u16string face = t.pszFace;
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    HFONT hfont = CreateFontIndirectW(&lf);
    if (!hfont)
        return false;
    HGDIOBJ hOld = SelectObject(hdc, hfont);
    std::u16string text = t.pszText;
    bool bOk = TextOutW(hdc, t.x * dpiX / 100, t.y * dpiY / 100, (LPCWSTR)text.c_str(),
                        (int)text.size()) != FALSE;
    SelectObject(hdc, hOld);
    DeleteObject(hfont);
    return bOk;
}

// The text of the sample document: several faces, sizes and angles, and a
// Japanese line.
const SAMPLETEXT kSampleText1[] = {
    {u"Arial", 24, FW_BOLD, FALSE, 0, 50, 50, u"QX-730 sample document"},
    {u"Times New Roman", 12, FW_NORMAL, FALSE, 0, 50, 120,
     u"Times New Roman, 12 points: the quick brown fox jumps over the lazy dog."},
    {u"Arial", 11, FW_NORMAL, TRUE, 0, 50, 150, u"Arial italic, 11 points: 0123456789"},
    {u"Courier New", 10, FW_BOLD, FALSE, 0, 50, 180, u"Courier New bold, 10 points: ABC xyz {}[]"},
    {u"Arial", 14, FW_NORMAL, FALSE, 450, 100, 450, u"Turned 45 degrees"},
    {u"Arial", 14, FW_NORMAL, FALSE, 900, 400, 500, u"Turned 90 degrees"},
    {u"Times New Roman", 14, FW_NORMAL, FALSE, 300, 450, 450, u"Turned 30 degrees"},
    {u"ＭＳ 明朝", 12, FW_NORMAL, FALSE, 0, 50, 600, u"日本語の印字見本：ＱＸ－７３０プリンタドライバ"},
    {u"ＭＳ Ｐゴシック", 12, FW_NORMAL, FALSE, 0, 50, 650, u"ゴシック体の行です。"},
};
const SAMPLETEXT kSampleText2[] = {
    {u"Arial", 18, FW_NORMAL, FALSE, 0, 50, 50, u"A landscape page"},
    {u"Times New Roman", 12, FW_NORMAL, TRUE, 1800, 600, 400, u"Upside down"},
};
const SAMPLETEXT kSampleText3[] = {
    {u"Courier New", 10, FW_NORMAL, FALSE, 0, 50, 50, u"Page 3"},
};
const SAMPLETEXT kSampleText4[] = {
    {u"Courier New", 10, FW_NORMAL, FALSE, 0, 50, 50, u"Page 4"},
};

// The drawing of the sample pages. Coordinates are in 1/100 inch from the
// printable area's corner; each function selects its own pens and brushes
// and puts the DC's back before it returns.
struct SAMPLEDRAW {
    HDC hdc;
    int dpiX, dpiY;
    int X(int v) const { return v * dpiX / 100; }
    int Y(int v) const { return v * dpiY / 100; }
};

// Selects a new pen and brush (either may be null to keep the current one),
// runs the drawing, restores the old ones and deletes the new ones.
template <typename F>
bool _bWithPenBrush(HDC hdc, HPEN hpen, HBRUSH hbr, F draw)
{
    if (hpen == NULL && hbr == NULL)
        return draw();
    HGDIOBJ hOldPen = hpen ? SelectObject(hdc, hpen) : NULL;
    HGDIOBJ hOldBrush = hbr ? SelectObject(hdc, hbr) : NULL;
    bool bOk = draw();
    if (hOldPen)
        SelectObject(hdc, hOldPen);
    if (hOldBrush)
        SelectObject(hdc, hOldBrush);
    if (hpen)
        DeleteObject(hpen);
    if (hbr)
        DeleteObject(hbr);
    return bOk;
}

// Page 1: shapes with solid, hatch and grey fills and pens of several styles.
bool _bDrawShapes(const SAMPLEDRAW& d)
{
    HDC hdc = d.hdc;
    bool bOk = _bWithPenBrush(hdc, CreatePen(PS_SOLID, d.X(2), RGB(0, 0, 0)),
                              CreateSolidBrush(RGB(192, 192, 192)), [&] {
                                  return Rectangle(hdc, d.X(50), d.Y(250), d.X(250), d.Y(400)) != FALSE;
                              });
    bOk = bOk && _bWithPenBrush(hdc, CreatePen(PS_SOLID, 0, RGB(0, 0, 0)),
                                CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0)), [&] {
                                    return Ellipse(hdc, d.X(300), d.Y(250), d.X(500), d.Y(400)) != FALSE;
                                });
    const int aStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT};
    for (int i = 0; bOk && i < 4; ++i) {
        bOk = _bWithPenBrush(hdc, CreatePen(aStyles[i], 0, RGB(0, 0, 0)), NULL, [&] {
            int y = d.Y(430 + 15 * i);
            return MoveToEx(hdc, d.X(550), y, NULL) && LineTo(hdc, d.X(750), y);
        });
    }
    return bOk;
}

// Page 2 (landscape): a star polygon filled by the winding rule and a curve.
bool _bDrawCurves(const SAMPLEDRAW& d)
{
    HDC hdc = d.hdc;
    POINT star[5];
    const int cx = 250, cy = 300, r = 150;
    // The five points of a star, every second corner of a pentagon.
    const int aDx[5] = {0, 88, -143, 143, -88};
    const int aDy[5] = {-150, 121, -46, -46, 121};
    for (int i = 0; i < 5; ++i) {
        star[i].x = d.X(cx + aDx[i] * r / 150);
        star[i].y = d.Y(cy + aDy[i] * r / 150);
    }
    int iOldMode = SetPolyFillMode(hdc, WINDING);
    bool bOk = _bWithPenBrush(hdc, CreatePen(PS_SOLID, d.X(1), RGB(0, 0, 0)),
                              CreateSolidBrush(RGB(128, 128, 128)),
                              [&] { return Polygon(hdc, star, 5) != FALSE; });
    SetPolyFillMode(hdc, iOldMode);
    POINT bez[4] = {{d.X(450), d.Y(400)}, {d.X(550), d.Y(150)},
                    {d.X(700), d.Y(550)}, {d.X(800), d.Y(250)}};
    bOk = bOk && _bWithPenBrush(hdc, CreatePen(PS_SOLID, d.X(3), RGB(0, 0, 0)), NULL,
                                [&] { return PolyBezier(hdc, bez, 4) != FALSE; });
    return bOk;
}

// Page 3: a clip rectangle cuts a fan of lines and a filled circle.
bool _bDrawClipped(const SAMPLEDRAW& d)
{
    HDC hdc = d.hdc;
    HGDIOBJ hOldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    bool bOk = _bWithPenBrush(hdc, CreatePen(PS_DOT, 0, RGB(0, 0, 0)), NULL, [&] {
        return Rectangle(hdc, d.X(100), d.Y(150), d.X(500), d.Y(450)) != FALSE;
    });
    SelectObject(hdc, hOldBrush);
    HRGN hrgn = CreateRectRgn(d.X(100), d.Y(150), d.X(500), d.Y(450));
    bOk = bOk && hrgn && SelectClipRgn(hdc, hrgn) != ERROR;
    for (int i = 0; bOk && i <= 20; ++i)
        bOk = MoveToEx(hdc, d.X(50), d.Y(500), NULL) && LineTo(hdc, d.X(50 + 30 * i), d.Y(100));
    bOk = bOk && _bWithPenBrush(hdc, NULL, CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 0)), [&] {
              return Ellipse(hdc, d.X(350), d.Y(300), d.X(650), d.Y(600)) != FALSE;
          });
    SelectClipRgn(hdc, NULL);
    if (hrgn)
        DeleteObject(hrgn);
    return bOk;
}

// Page 4 (landscape): a path of lines and a curve, filled and outlined, and
// a rectangle drawn with an inverting raster operation.
bool _bDrawPath(const SAMPLEDRAW& d)
{
    HDC hdc = d.hdc;
    bool bOk = BeginPath(hdc) && MoveToEx(hdc, d.X(100), d.Y(400), NULL) &&
               LineTo(hdc, d.X(300), d.Y(150));
    POINT bez[4] = {{d.X(300), d.Y(150)}, {d.X(400), d.Y(100)}, {d.X(500), d.Y(500)},
                    {d.X(600), d.Y(400)}};
    bOk = bOk && PolyBezier(hdc, bez, 4);
    bOk = bOk && CloseFigure(hdc) && EndPath(hdc);
    bOk = bOk && _bWithPenBrush(hdc, CreatePen(PS_SOLID, d.X(2), RGB(0, 0, 0)),
                                CreateHatchBrush(HS_FDIAGONAL, RGB(0, 0, 0)),
                                [&] { return StrokeAndFillPath(hdc) != FALSE; });
    int iOldRop = SetROP2(hdc, R2_NOT);
    bOk = bOk && Rectangle(hdc, d.X(500), d.Y(250), d.X(800), d.Y(450));
    SetROP2(hdc, iOldRop);
    return bOk;
}

// One page of the sample document: its orientation, its drawing and its text.
struct SAMPLEPAGE {
    SHORT sOrientation;
    bool (*pfnDraw)(const SAMPLEDRAW& d);
    const SAMPLETEXT* pText;
    size_t cText;
};
// The sample document: portrait and landscape pages in turn.
const SAMPLEPAGE kSamplePages[] = {
    {DMORIENT_PORTRAIT, _bDrawShapes, kSampleText1, sizeof(kSampleText1) / sizeof(kSampleText1[0])},
    {DMORIENT_LANDSCAPE, _bDrawCurves, kSampleText2, sizeof(kSampleText2) / sizeof(kSampleText2[0])},
    {DMORIENT_PORTRAIT, _bDrawClipped, kSampleText3, 1},
    {DMORIENT_LANDSCAPE, _bDrawPath, kSampleText4, 1},
};

struct JOBRESULT {
    int cPages;
    std::string strOutput;  // host path of the file the job went to
};

// Prints the sample document; false with a message printed on failure.
bool _bPrintSample(HANDLE hPrinter, std::u16string& printer, const std::string& printerName,
                   const std::u16string& output, JOBRESULT* pResult)
{
    std::vector<BYTE> dmPortrait, dmLandscape;
    if (!_bJobDevmode(hPrinter, printer, DMORIENT_PORTRAIT, &dmPortrait) ||
        !_bJobDevmode(hPrinter, printer, DMORIENT_LANDSCAPE, &dmLandscape)) {
        _FailCall("getting the job settings from the driver", printerName);
        return false;
    }
    HDC hdc = CreateDCW(NULL, printer.c_str(), NULL, (const DEVMODEW*)dmPortrait.data());
    if (!hdc) {
        _FailCall("creating the printer device context", printerName);
        return false;
    }
    std::u16string docName = _Wide(kSampleName);
    DOCINFOW di = {};
    di.cbSize = sizeof(di);
    di.lpszDocName = docName.c_str();
    di.lpszOutput = output.empty() ? NULL : output.c_str();
    bool bOk = StartDocW(hdc, &di) > 0;
    if (!bOk)
        _FailCall("starting the document", printerName);
    SHORT sCurrent = DMORIENT_PORTRAIT;
    int cPages = 0;
    for (const SAMPLEPAGE& page : kSamplePages) {
        if (!bOk)
            break;
        if (page.sOrientation != sCurrent) {
            const std::vector<BYTE>& dm =
                page.sOrientation == DMORIENT_LANDSCAPE ? dmLandscape : dmPortrait;
            bOk = ResetDCW(hdc, (const DEVMODEW*)dm.data()) != NULL;
            if (!bOk) {
                _FailCall("changing the page orientation", printerName);
                break;
            }
            sCurrent = page.sOrientation;
        }
        bOk = StartPage(hdc) > 0;
        if (bOk) {
            SAMPLEDRAW d = {hdc, GetDeviceCaps(hdc, LOGPIXELSX), GetDeviceCaps(hdc, LOGPIXELSY)};
            bOk = page.pfnDraw(d);
        }
        for (size_t i = 0; bOk && i < page.cText; ++i)
            bOk = _bDrawSampleText(hdc, page.pText[i]);
        bOk = bOk && EndPage(hdc) > 0;
        if (!bOk)
            _FailCall("printing a page", printerName);
        else
            ++cPages;
    }
    if (bOk) {
        bOk = EndDoc(hdc) > 0;
        if (!bOk)
            _FailCall("ending the document", printerName);
    } else {
        AbortDoc(hdc);
    }
    DeleteDC(hdc);
    pResult->cPages = cPages;
    pResult->strOutput = output.empty() ? _PortHostPath(hPrinter) : PlatHostPath(output.c_str());
    return bOk;
}

// ---------------------------------------------------------------------------
// Text files.
//
// A text file is never held whole: one reading settles its encoding and
// face, a second decodes and lays it out piece by piece while the pages are
// printed, so a long file costs no more memory than a short one.

const size_t kTextPiece = 64 * 1024;  // bytes read at a time

// Characters a monospaced layout counts as two columns wide.
bool _bWide(char16_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

// How many bytes at the start of a piece of text in code page cp are whole
// characters: a character cut by the end of the piece waits for the next.
size_t _WholeChars(UINT cp, const std::string& bytes)
{
    size_t n = bytes.size();
    if (cp == 932) {
        size_t i = 0;
        while (i < n)
            i += IsDBCSLeadByteEx(932, (BYTE)bytes[i]) ? 2 : 1;
        return i > n ? n - 1 : n;
    }
    // UTF-8: find the last byte that starts a character; keep it back when
    // the bytes after it do not complete it.
    for (size_t k = 1; k <= 4 && k <= n; ++k) {
        BYTE b = (BYTE)bytes[n - k];
        if ((b & 0xC0) == 0x80)
            continue;
        size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return k >= len ? n : n - k;
    }
    return n;
}

// A text file read in pieces in one code page: the characters of each
// piece, no character split between two.
class TEXTREADER {
public:
    TEXTREADER(FILE* f, UINT cp) : m_f(f), m_cp(cp) { rewind(f); }

    // The next characters into *pText; false at the end of the file or with
    // *pbBad set when the bytes are not text in the code page (a NUL byte
    // is never text).
    bool bNext(std::u16string* pText, bool* pbBad)
    {
        pText->clear();
        *pbBad = false;
        while (pText->empty()) {
            if (m_bEnd && m_pending.empty())
                return false;
            if (!m_bEnd) {
                size_t have = m_pending.size();
                m_pending.resize(have + kTextPiece);
                size_t got = fread(&m_pending[have], 1, kTextPiece, m_f);
                m_pending.resize(have + got);
                if (got < kTextPiece)
                    m_bEnd = true;
                if (memchr(m_pending.data() + have, 0, got)) {
                    *pbBad = true;
                    return false;
                }
                if (m_bFirst && (m_bEnd || m_pending.size() >= 3)) {
                    // A leading byte-order mark is no part of the text.
                    if (m_pending.compare(0, 3, "\xEF\xBB\xBF") == 0)
                        m_pending.erase(0, 3);
                    m_bFirst = false;
                }
                if (m_bFirst)
                    continue;
            }
            size_t cb = m_bEnd ? m_pending.size() : _WholeChars(m_cp, m_pending);
            if (cb == 0)
                continue;
            int n = MultiByteToWideChar(m_cp, MB_ERR_INVALID_CHARS, m_pending.data(), (int)cb,
                                        NULL, 0);
            if (n <= 0) {
                *pbBad = true;
                return false;
            }
            pText->resize(n);
            MultiByteToWideChar(m_cp, MB_ERR_INVALID_CHARS, m_pending.data(), (int)cb,
                                (LPWSTR)pText->data(), n);
            m_pending.erase(0, cb);
        }
        return true;
    }

private:
    FILE* m_f;
    UINT m_cp;
    std::string m_pending;  // bytes read and not yet decoded
    bool m_bEnd = false;    // the file has been read to its end
    bool m_bFirst = true;   // a byte-order mark may still come
};

// How a text file is to be read: UTF-8 when all of it is valid UTF-8, else
// Shift-JIS when all of it is valid there; and whether it needs the
// Japanese face. False for a file that is neither, or that holds NUL bytes.
bool _bScanText(FILE* f, UINT* pCp, bool* pbJapanese)
{
    std::u16string piece;
    for (UINT cp : {(UINT)CP_UTF8, 932u}) {
        TEXTREADER reader(f, cp);
        bool bBad = false, bJapanese = false;
        while (reader.bNext(&piece, &bBad))
            bJapanese = bJapanese || std::any_of(piece.begin(), piece.end(),
                                                 [](char16_t c) { return c >= 0x0370; });
        if (bBad && ferror(f))
            return false;
        if (!bBad) {
            *pCp = cp;
            *pbJapanese = bJapanese;
            return true;
        }
    }
    return false;
}

// Lays a text out in pages as its characters come: lines cut to cColumns
// columns (tabs every 8 columns, wide characters two), cLines lines a page,
// a form feed starting a new page. Control characters other than tab, line
// end and form feed are left out. A text always has one page; a form feed
// at its end adds none. Finished pages wait in the queue until taken.
class TEXTPAGER {
public:
    TEXTPAGER(int cColumns, int cLines) : m_cColumns(cColumns), m_cLines(cLines) {}

    void Put(char16_t c)
    {
        bool bAfterCr = m_bAfterCr;
        m_bAfterCr = false;
        if (m_bFormFeed) {
            // The form feed was not the text's last character.
            m_bFormFeed = false;
            _NewPage();
        }
        if (c == u'\n' && bAfterCr)
            return;  // the second half of a CR LF
        if (c == u'\r') {
            m_bAfterCr = true;
            c = u'\n';
        }
        if (c == u'\n') {
            _EndLine();
            return;
        }
        if (c == u'\f') {
            if (m_bLineOpen)
                _EndLine();
            m_bFormFeed = true;
            return;
        }
        if (c == u'\t') {
            int next = (m_col / 8 + 1) * 8;
            if (next > m_cColumns)
                next = m_cColumns;
            while (m_col < next) {
                m_line += u' ';
                ++m_col;
            }
            m_bLineOpen = true;
            if (m_col >= m_cColumns)
                _EndLine();
            return;
        }
        if (c < 0x20 || c == 0x7F)
            return;
        int w = _bWide(c) ? 2 : 1;
        if (m_col + w > m_cColumns)
            _EndLine();
        m_line += c;
        m_col += w;
        m_bLineOpen = true;
    }

    // The end of the text: its last page joins the queue.
    void Finish()
    {
        if (m_bLineOpen)
            _EndLine();
        m_ready.push_back(std::move(m_page));
        m_page.clear();
    }

    bool bHavePage() const { return !m_ready.empty(); }

    std::vector<std::u16string> TakePage()
    {
        std::vector<std::u16string> page = std::move(m_ready.front());
        m_ready.pop_front();
        return page;
    }

private:
    void _NewPage()
    {
        m_ready.push_back(std::move(m_page));
        m_page.clear();
    }

    void _EndLine()
    {
        if ((int)m_page.size() >= m_cLines)
            _NewPage();
        m_page.push_back(m_line);
        m_line.clear();
        m_col = 0;
        m_bLineOpen = false;
    }

    int m_cColumns, m_cLines;
    std::vector<std::u16string> m_page;  // the page being filled
    std::deque<std::vector<std::u16string>> m_ready;
    std::u16string m_line;
    int m_col = 0;
    bool m_bLineOpen = false;  // the current line holds something or was begun
    bool m_bAfterCr = false;   // the last character was a CR
    bool m_bFormFeed = false;  // the last character was a form feed
};

// Prints a text file in a monospaced resident face: Courier New, or the
// Japanese Gothic when the text needs it. The file is read in code page cp
// as the pages go out. False with a message printed on failure.
bool _bPrintText(HANDLE hPrinter, std::u16string& printer, const std::string& printerName,
                 const std::u16string& output, const std::u16string& docName, FILE* f, UINT cp,
                 bool bJapanese, JOBRESULT* pResult)
{
    // The text goes on the paper, in the orientation and within the margins
    // of the user's printing preferences.
    std::vector<BYTE> dm;
    if (!_bJobDevmode(hPrinter, printer, 0, &dm)) {
        _FailCall("getting the job settings from the driver", printerName);
        return false;
    }
    HDC hdc = CreateDCW(NULL, printer.c_str(), NULL, (const DEVMODEW*)dm.data());
    if (!hdc) {
        _FailCall("creating the printer device context", printerName);
        return false;
    }
    LOGFONTW lf = {};
    lf.lfHeight = -(10 * GetDeviceCaps(hdc, LOGPIXELSY) / 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = bJapanese ? SHIFTJIS_CHARSET : ANSI_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::u16string face = bJapanese ? u"ＭＳ ゴシック" : u"Courier New";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    HFONT hfont = CreateFontIndirectW(&lf);
    HGDIOBJ hOld = hfont ? SelectObject(hdc, hfont) : NULL;
    TEXTMETRICW tm = {};
    SIZE sizeCell = {};
    bool bOk = hfont && GetTextMetricsW(hdc, &tm) && GetTextExtentPoint32W(hdc, u"0", 1, &sizeCell);
    if (!bOk)
        _FailCall("choosing the font", printerName);
    bool bLaidOut = bOk;
    // The printable area of the job's paper: the driver gives it for the
    // DEVMODE's paper size, orientation and margins.
    int cx = GetDeviceCaps(hdc, HORZRES), cy = GetDeviceCaps(hdc, VERTRES);
    int cyLine = tm.tmHeight + tm.tmExternalLeading;
    int cColumns = sizeCell.cx > 0 ? std::max(1, (int)(cx / sizeCell.cx)) : 1;
    int cLines = cyLine > 0 ? std::max(1, cy / cyLine) : 1;

    DOCINFOW di = {};
    di.cbSize = sizeof(di);
    di.lpszDocName = docName.c_str();
    di.lpszOutput = output.empty() ? NULL : output.c_str();
    if (bOk) {
        bOk = StartDocW(hdc, &di) > 0;
        if (!bOk)
            _FailCall("starting the document", printerName);
    }
    int cPages = 0;
    auto printPage = [&](const std::vector<std::u16string>& lines) {
        bOk = StartPage(hdc) > 0;
        for (size_t i = 0; bOk && i < lines.size(); ++i) {
            const std::u16string& line = lines[i];
            size_t n = line.find_last_not_of(u' ');
            if (n == std::u16string::npos)
                continue;  // a blank line puts nothing on paper
            bOk = TextOutW(hdc, 0, (int)i * cyLine, (LPCWSTR)line.c_str(), (int)n + 1) != FALSE;
        }
        bOk = bOk && EndPage(hdc) > 0;
        if (bOk)
            ++cPages;
        else
            _FailCall("printing a page", printerName);
    };
    if (bOk) {
        TEXTPAGER pager(cColumns, cLines);
        TEXTREADER reader(f, cp);
        std::u16string piece;
        bool bBad = false;
        while (bOk && reader.bNext(&piece, &bBad)) {
            for (char16_t c : piece) {
                pager.Put(c);
                while (bOk && pager.bHavePage())
                    printPage(pager.TakePage());
            }
        }
        if (bOk && bBad) {
            // The file changed after it was read through once.
            fprintf(stderr, "q730: the file changed while it was printed\n");
            bOk = false;
        }
        if (bOk)
            pager.Finish();
        while (bOk && pager.bHavePage())
            printPage(pager.TakePage());
    }
    if (hOld)
        SelectObject(hdc, hOld);
    if (hfont)
        DeleteObject(hfont);
    if (bOk) {
        bOk = EndDoc(hdc) > 0;
        if (!bOk)
            _FailCall("ending the document", printerName);
    } else if (bLaidOut) {
        AbortDoc(hdc);
    }
    DeleteDC(hdc);
    pResult->cPages = cPages;
    pResult->strOutput = output.empty() ? _PortHostPath(hPrinter) : PlatHostPath(output.c_str());
    return bOk;
}

// ---------------------------------------------------------------------------
// Commands.

// An absolute host path for a path given on the command line.
std::string _Absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof(cwd)))
        return path;
    return std::string(cwd) + "/" + path;
}

// Whether the folder of a file to write exists (a job's output file is
// created there); says which folder when not.
bool _bOutputFolderExists(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st;
    if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    fprintf(stderr, "q730: cannot write the job to %s: the folder %s %s\n", path.c_str(), folder.c_str(),
            stat(folder.c_str(), &st) == 0 ? "is not a folder" : "does not exist");
    return false;
}

// ---------------------------------------------------------------------------
// The sheets: "preferences" and "properties".

// One action of the command line, done as a person does it.
struct ACTION {
    std::string strOption;  // as given, for messages
    int iKind;              // PSS_*
    std::u16string label, text;
    int iValue;
};

// What the watcher of modal loops keeps while a sheet is open.
struct SHEETRUN {
    std::vector<ACTION> actions;
    size_t iNext = 0;
    std::string pngDir;          // empty: no pictures
    int cDepth = 0;              // open dialogs and sheets (not boxes)
    int cBoxesSeen = 0;
    int cDialogs = 0;
    std::vector<int> answers;    // the answers queued, not yet taken
    bool bFailed = false;
    std::string error;
    bool bOkPressed = false;     // the sheet itself was closed with OK
    bool bPictureFailed = false;
};

std::string _Narrow(const std::u16string& w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, (LPCWSTR)w.c_str(), (int)w.size(), NULL, 0, NULL, NULL);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, (LPCWSTR)w.c_str(), (int)w.size(), &s[0], n, NULL, NULL);
    return s;
}

std::u16string _WindowText(HWND hwnd)
{
    WCHAR buf[256] = {};
    GetWindowTextW(hwnd, buf, 256);
    return std::u16string((const char16_t*)buf);
}

// A file-name part from a caption: letters and digits kept, runs of others
// become one '-'.
std::string _FilePart(const std::u16string& text)
{
    std::string out;
    for (char c : _Narrow(text)) {
        bool bKeep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     (unsigned char)c >= 0x80;
        if (bKeep)
            out += c;
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out.empty() ? "untitled" : out;
}

void _Picture(SHEETRUN* r, HWND hwnd, const std::string& name)
{
    if (r->pngDir.empty())
        return;
    std::string path = r->pngDir + "/" + name + ".png";
    if (PlatWriteWindowPng(hwnd, path.c_str())) {
        printf("picture: %s\n", path.c_str());
    } else {
        fprintf(stderr, "q730: cannot write the picture %s\n", path.c_str());
        r->bPictureFailed = true;
    }
}

// A picture of every page of a sheet, each picked in turn as a person
// picks its tab; the page that was showing is picked again afterwards.
void _PicturePages(SHEETRUN* r, HWND hSheet)
{
    if (r->pngDir.empty())
        return;
    HWND hTab = PropSheet_GetTabControl(hSheet);
    int n = hTab ? (int)SendMessageW(hTab, TCM_GETITEMCOUNT, 0, 0) : 0;
    int iShown = hTab ? (int)SendMessageW(hTab, TCM_GETCURSEL, 0, 0) : 0;
    for (int i = 0; i < n; ++i) {
        WCHAR szText[128] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = szText;
        item.cchTextMax = 128;
        SendMessageW(hTab, TCM_GETITEMW, i, (LPARAM)&item);
        if (i != (int)SendMessageW(hTab, TCM_GETCURSEL, 0, 0) && !PlatScriptPickTab(hSheet, 0, NULL, NULL, i)) {
            fprintf(stderr, "q730: the page \"%s\" could not be shown for its picture\n",
                    _Narrow((const char16_t*)szText).c_str());
            r->bPictureFailed = true;
            continue;
        }
        char num[24];
        snprintf(num, sizeof(num), "page-%02d-", i + 1);
        _Picture(r, hSheet, num + _FilePart((const char16_t*)szText));
    }
    if (n > 0 && iShown >= 0 && iShown != (int)SendMessageW(hTab, TCM_GETCURSEL, 0, 0))
        PlatScriptPickTab(hSheet, 0, NULL, NULL, iShown);
}

const char* _AnswerName(int id)
{
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    }
    return "?";
}

// The button a box without a queued answer takes: its default button.
int _DefaultAnswer(UINT uType)
{
    static const int kSets[][3] = {{IDOK, 0, 0},          {IDOK, IDCANCEL, 0},  {IDABORT, IDRETRY, IDIGNORE},
                                   {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, 0},    {IDRETRY, IDCANCEL, 0}};
    UINT uSet = uType & MB_TYPEMASK;
    if (uSet > MB_RETRYCANCEL)
        return IDOK;
    UINT iDef = (uType >> 8) & 0xF;
    if (iDef > 2 || !kSets[uSet][iDef])
        iDef = 0;
    return kSets[uSet][iDef];
}

// One action on the window the person faces. False with r->error set.
bool _bDoAction(SHEETRUN* r, const ACTION& a, HWND hSheet)
{
    PlatScriptReset();
    HWND hActive = PlatScriptActiveWindow();
    // OK or Cancel on the sheet itself ends it: it must be the last action,
    // and its pages are pictured first.
    if ((a.iKind == PSS_OK || a.iKind == PSS_CANCEL) && hActive == hSheet && r->iNext < r->actions.size()) {
        r->error = r->actions[r->iNext].strOption + ": comes after " + a.strOption +
                   ", which closes the sheet";
        r->bFailed = true;
        return false;
    }
    if ((a.iKind == PSS_OK || a.iKind == PSS_CANCEL) && hActive == hSheet) {
        _PicturePages(r, hSheet);
        if (a.iKind == PSS_OK)
            r->bOkPressed = true;
    }
    BOOL bOk;
    switch (a.iKind) {
    case PSS_PICKTAB: bOk = PlatScriptPickTab(NULL, 0, NULL, (LPCWSTR)a.text.c_str(), -1); break;
    case PSS_CHECK: bOk = PlatScriptCheck(NULL, 0, (LPCWSTR)a.label.c_str(), (UINT)a.iValue); break;
    case PSS_CHOOSE:
        bOk = PlatScriptChoose(NULL, 0, (LPCWSTR)a.label.c_str(), (LPCWSTR)a.text.c_str(), -1);
        break;
    case PSS_TYPE: bOk = PlatScriptTypeExact(NULL, 0, (LPCWSTR)a.label.c_str(), (LPCWSTR)a.text.c_str()); break;
    case PSS_CLICK: bOk = PlatScriptClick(NULL, 0, (LPCWSTR)a.label.c_str()); break;
    case PSS_MENUBUTTON:
        bOk = PlatScriptMenu(NULL, 0, (LPCWSTR)a.label.c_str(), (LPCWSTR)a.text.c_str());
        break;
    case PSS_SETPOS: bOk = PlatScriptSetPos(NULL, 0, (LPCWSTR)a.label.c_str(), a.iValue); break;
    case PSS_OK: bOk = PlatScriptPressOK(NULL); break;
    case PSS_CANCEL: bOk = PlatScriptPressCancel(NULL); break;
    case PSS_ANSWER:
        r->answers.push_back(a.iValue);
        PlatScriptAnswerMessageBox(a.iValue);
        bOk = TRUE;
        break;
    default: bOk = FALSE; break;
    }
    // OK that leaves a dialog open: the dialog refused what it holds (and
    // said why in a message box).
    if (bOk && a.iKind == PSS_OK && hActive != hSheet && IsWindow(hActive) && !PlatIsModalLoopEnded(hActive) &&
        !r->bFailed) {
        if (HWND hFront = PlatScriptActiveWindow())
            _Picture(r, hFront, "failed-" + _FilePart(_WindowText(hFront)));
        r->error = a.strOption + ": the dialog \"" + _Narrow(_WindowText(hActive)) +
                   "\" stayed open: it did not take what it holds";
        r->bFailed = true;
        return false;
    }
    if (!bOk && r->bFailed) {
        // An action of a dialog this one opened failed first: that one is
        // named, and its window was pictured.
        if (a.iKind == PSS_OK)
            r->bOkPressed = false;
        return false;
    }
    if (!bOk) {
        if (a.iKind == PSS_OK)
            r->bOkPressed = false;
        // The window as the failure left it.
        if (HWND hFront = PlatScriptActiveWindow())
            _Picture(r, hFront, "failed-" + _FilePart(_WindowText(hFront)));
        // The scripted user says "step N (what): why"; the option says what.
        std::u16string why = (const char16_t*)PlatScriptError();
        size_t at = why.find(u"): ");
        if (at != std::u16string::npos)
            why = why.substr(at + 3);
        r->error = a.strOption + ": " + (why.empty() ? std::string("cannot be done") : _Narrow(why));
        r->bFailed = true;
    }
    return bOk;
}

// The watcher of every modal loop while a sheet runs: message boxes are
// reported (and pictured), the sheet and the dialogs opened from it take
// the actions in order; the sheet ends with OK after the last action, a
// failed action cancels every open window, so nothing is saved.
void _ModalHook(HWND hwnd, void* pv)
{
    SHEETRUN* r = (SHEETRUN*)pv;
    static HWND s_hSheet = NULL;
    if (PlatMsgBoxCount() > r->cBoxesSeen) {
        r->cBoxesSeen = PlatMsgBoxCount();
        LPCWSTR pszText = NULL, pszCaption = NULL;
        UINT uType = 0;
        PlatMsgBoxGet(r->cBoxesSeen - 1, NULL, &pszText, &pszCaption, &uType);
        int iAnswer;
        if (!r->answers.empty()) {
            iAnswer = r->answers.front();
            r->answers.erase(r->answers.begin());
        } else {
            iAnswer = _DefaultAnswer(uType);
        }
        char num[24];
        snprintf(num, sizeof(num), "message-%02d", r->cBoxesSeen);
        _Picture(r, hwnd, num);
        printf("message box \"%s\": %s\n  answered: %s\n", _Narrow((const char16_t*)pszCaption).c_str(),
               _Narrow((const char16_t*)pszText).c_str(), _AnswerName(iAnswer));
        return;
    }
    PlatPumpMessages();
    if (!IsWindow(hwnd) || PlatIsModalLoopEnded(hwnd))
        return;
    bool bSheet = r->cDepth == 0;
    ++r->cDepth;
    if (bSheet) {
        s_hSheet = hwnd;
    } else {
        char num[24];
        snprintf(num, sizeof(num), "dialog-%02d-", ++r->cDialogs);
        _Picture(r, hwnd, num + _FilePart(_WindowText(hwnd)));
        printf("dialog \"%s\" opened\n", _Narrow(_WindowText(hwnd)).c_str());
    }
    while (!r->bFailed && r->iNext < r->actions.size() && IsWindow(hwnd) && !PlatIsModalLoopEnded(hwnd)) {
        const ACTION& a = r->actions[r->iNext++];
        _bDoAction(r, a, s_hSheet);
    }
    if (IsWindow(hwnd) && !PlatIsModalLoopEnded(hwnd)) {
        if (!r->bFailed && !bSheet) {
            _Picture(r, hwnd, "failed-" + _FilePart(_WindowText(hwnd)));
            r->error = "the dialog \"" + _Narrow(_WindowText(hwnd)) +
                       "\" is still open after the last action (end it with --ok or --cancel)";
            r->bFailed = true;
        }
        if (!r->bFailed) {
            _PicturePages(r, hwnd);
            r->bOkPressed = true;
            PlatScriptReset();
            if (!PlatScriptPressOK(hwnd)) {
                r->bOkPressed = false;
                r->error = "the sheet's OK button cannot be pressed: " + _Narrow((const char16_t*)PlatScriptError());
                r->bFailed = true;
            }
        }
        // The page may refuse OK (a setting it does not accept): then
        // everything is cancelled.
        if (r->bFailed || (IsWindow(hwnd) && !PlatIsModalLoopEnded(hwnd))) {
            if (!r->bFailed) {
                r->error = "the sheet did not close with OK (a page refused its settings)";
                r->bFailed = true;
            }
            r->bOkPressed = false;
            PlatScriptPressCancel(hwnd);
        }
    } else if (bSheet && r->iNext < r->actions.size() && !r->bFailed) {
        r->error = r->actions[r->iNext].strOption + ": the sheet is closed already";
        r->bFailed = true;
    }
    --r->cDepth;
    if (bSheet)
        s_hSheet = NULL;
}

int _SheetUsage(FILE* out, bool bPreferences)
{
    fprintf(out,
            "usage: q730 %s [--printer NAME] [--png DIR] [ACTION...]\n"
            "\n"
            "%s\n"
            "Without actions and without --png, the sheet opens in a window on the X\n"
            "display (DISPLAY): every dialog and message box it opens is a window of\n"
            "its own, and the mouse and the keyboard work as on any dialog. OK %s;\n"
            "Cancel or the close box ends it unsaved. With no display, say what to do\n"
            "with actions, or picture the pages with --png.\n"
            "\n"
            "With actions or --png no window appears: the actions act on the sheet as\n"
            "a person would, in the order given, on the window in front (the sheet, or\n"
            "a dialog an action opened); then the sheet is closed with OK.\n"
            "A failed action (a label that is not there, a disabled control, an item a\n"
            "list does not offer, text a field does not take, a tick refused) cancels\n"
            "the sheet: nothing is saved, exit status 2. The message names the action\n"
            "and says why, with the labels or items that are there.\n"
            "\n"
            "options:\n"
            "  --printer NAME        the printer (default \"%s\", installed on first use;\n"
            "                        add another with q730 install --printer NAME)\n"
            "  --png DIR             write a picture of every page, dialog and message\n"
            "                        box into DIR, and of the window a failed action\n"
            "                        left (failed-TITLE.png)\n"
            "  --help                show this text\n"
            "\n"
            "actions (a LABEL is the text a person reads on or beside the control;\n"
            "'&' and a trailing ':' do not matter, nor does letter case; the beginning\n"
            "of a long label is enough when no other label begins so; a label two\n"
            "controls share is qualified by the group box or the row it is in,\n"
            "\"Back cover/Printed\"; a control without a label of its own is named by\n"
            "the label above or left of it, or by its group box):\n"
            "  --page TITLE          pick the page with this tab title (or the one\n"
            "                        title that begins so)\n"
            "  --check LABEL         tick a check box, or pick a radio button\n"
            "  --uncheck LABEL       clear a check box\n"
            "  --choose LABEL=ITEM   choose ITEM in a list or drop-down list (the label\n"
            "                        of a check box means the list beside it)\n"
            "  --select LABEL=ROW    select the row whose text is ROW in a list\n"
            "  --type LABEL=TEXT     type TEXT (a number, a name) into a field; a key\n"
            "                        the field refuses fails the action\n"
            "  --set LABEL=N         move a slider or up-down control (or the one of\n"
            "                        the field LABEL) to N\n"
            "  --click LABEL         press a button (it may open a dialog)\n"
            "  --menu BUTTON>ITEM    press the button BUTTON and choose ITEM in the menu\n"
            "                        it opens, \"Save/Recall>Save Settings\" (the\n"
            "                        beginning of the item's text is enough)\n"
            "  --answer ANSWER       the next message box is answered with ANSWER:\n"
            "                        yes, no, ok, cancel, retry, ignore or abort; a\n"
            "                        box without one takes its default button\n"
            "  --ok, --cancel        press OK or Cancel of the window in front (a\n"
            "                        dialog; on the sheet, --cancel ends it unsaved)\n"
            "\n"
            "Every message box is printed with its text and the answer taken.\n"
            "\n"
            "The settings library is the Save/Recall menu of a page: a set is saved\n"
            "with --menu \"Save/Recall>Save Settings\" --type \"Name=Draft\" --ok, and\n"
            "recalled with --menu \"Save/Recall>Draft\" (or --menu\n"
            "\"Save/Recall>Recall Settings\" --select \"Saved settings=Draft\" --ok).\n"
            "\n"
            "Exit status: 0 done (saved, or cancelled by --cancel), 1 the sheet could\n"
            "not be shown or saved, 2 a usage error or a failed action.\n",
            bPreferences ? "preferences" : "properties",
            bPreferences ? "Opens the printing preferences of the printer: the document settings the\n"
                           "user starts every job with."
                         : "Opens the properties of the printer: its installed options and device\n"
                           "settings, kept with the printer.",
            bPreferences ? "makes the settings the user's default for every\nlater job (q730 print starts from them)"
                         : "stores the printer's settings",
            kDefaultPrinter);
    return out == stdout ? kExitOk : kExitUsage;
}

int _SheetCommand(int argc, char** argv, bool bPreferences)
{
    const char* pszCommand = bPreferences ? "preferences" : "properties";
    std::string printerName = kDefaultPrinter;
    SHEETRUN run;
    for (int i = 0; i < argc; ++i) {
        std::string option = argv[i];
        std::string value;
        bool bHasValue = false;
        size_t eq = option.find('=');
        if (option.rfind("--", 0) == 0 && eq != std::string::npos &&
            (option.compare(0, eq, "--printer") == 0 || option.compare(0, eq, "--png") == 0)) {
            value = option.substr(eq + 1);
            option = option.substr(0, eq);
            bHasValue = true;
        }
        auto needValue = [&]() -> bool {
            if (!bHasValue) {
                if (i + 1 >= argc)
                    return false;
                value = argv[++i];
            }
            return !value.empty();
        };
        if (option == "--help" || option == "-h")
            return _SheetUsage(stdout, bPreferences);
        if (option == "--ok" || option == "--cancel") {
            run.actions.push_back({option, option == "--ok" ? PSS_OK : PSS_CANCEL, u"", u"", 0});
            continue;
        }
        static const char* const kValued[] = {"--printer", "--png",    "--page",  "--check", "--uncheck",
                                              "--choose",  "--type",   "--click", "--answer", "--menu",
                                              "--select",  "--set"};
        if (std::find_if(std::begin(kValued), std::end(kValued),
                         [&](const char* p) { return option == p; }) == std::end(kValued)) {
            fprintf(stderr, "q730: unknown option '%s' (see q730 %s --help)\n", option.c_str(), pszCommand);
            return kExitUsage;
        }
        if (!needValue()) {
            fprintf(stderr, "q730: option %s needs a value (see q730 %s --help)\n", option.c_str(), pszCommand);
            return kExitUsage;
        }
        std::string shown = option + " \"" + value + "\"";
        if (option == "--printer") {
            printerName = value;
        } else if (option == "--png") {
            run.pngDir = _Absolute(value);
        } else if (option == "--page") {
            run.actions.push_back({shown, PSS_PICKTAB, u"", _Wide(value), 0});
        } else if (option == "--check" || option == "--uncheck" || option == "--click") {
            run.actions.push_back({shown, option == "--click" ? PSS_CLICK : PSS_CHECK, _Wide(value), u"",
                                   option == "--check" ? BST_CHECKED : BST_UNCHECKED});
        } else if (option == "--menu") {
            size_t at = value.find('>');
            if (at == std::string::npos || at == 0 || at + 1 == value.size()) {
                fprintf(stderr, "q730: option --menu takes BUTTON>ITEM (see q730 %s --help)\n", pszCommand);
                return kExitUsage;
            }
            run.actions.push_back({shown, PSS_MENUBUTTON, _Wide(value.substr(0, at)), _Wide(value.substr(at + 1)), 0});
        } else if (option == "--choose" || option == "--type" || option == "--select" || option == "--set") {
            size_t at = value.find('=');
            if (at == std::string::npos || at == 0) {
                fprintf(stderr, "q730: option %s takes LABEL=%s (see q730 %s --help)\n", option.c_str(),
                        option == "--choose" ? "ITEM" : option == "--select" ? "ROW" : option == "--set" ? "N" : "TEXT",
                        pszCommand);
                return kExitUsage;
            }
            std::string text = value.substr(at + 1);
            int iPos = 0;
            if (option == "--set") {
                char* end = nullptr;
                errno = 0;
                long long v = strtoll(text.c_str(), &end, 10);
                if (text.empty() || *end || errno || v < INT32_MIN || v > INT32_MAX) {
                    fprintf(stderr, "q730: option --set takes LABEL=N with a whole number N, not '%s' (see q730 %s --help)\n",
                            text.c_str(), pszCommand);
                    return kExitUsage;
                }
                iPos = (int)v;
            }
            int iKind = option == "--type" ? PSS_TYPE : option == "--set" ? PSS_SETPOS : PSS_CHOOSE;
            run.actions.push_back({shown, iKind, _Wide(value.substr(0, at)), _Wide(text), iPos});
        } else {  // --answer
            static const struct {
                const char* name;
                int id;
            } kAnswers[] = {{"yes", IDYES},     {"no", IDNO},         {"ok", IDOK},      {"cancel", IDCANCEL},
                            {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"abort", IDABORT}};
            std::string lower = value;
            for (char& c : lower)
                c = (char)tolower((unsigned char)c);
            int id = 0;
            for (const auto& a : kAnswers)
                if (lower == a.name)
                    id = a.id;
            if (!id) {
                fprintf(stderr, "q730: --answer takes yes, no, ok, cancel, retry, ignore or abort, not '%s'\n",
                        value.c_str());
                return kExitUsage;
            }
            run.actions.push_back({shown, PSS_ANSWER, u"", u"", id});
        }
    }
    if (!run.pngDir.empty()) {
        struct stat st;
        if (stat(run.pngDir.c_str(), &st) != 0 && mkdir(run.pngDir.c_str(), 0755) != 0) {
            fprintf(stderr, "q730: cannot create the picture folder %s\n", run.pngDir.c_str());
            return kExitFailed;
        }
    }

    if (!_bPrinterKnown(printerName))
        return kExitUsage;
    // Without actions or pictures the sheet is shown on the desktop, where a
    // person acts on it.
    bool bDesktop = run.actions.empty() && run.pngDir.empty();
    if (bDesktop) {
        const char* pszWhy = "";
        if (!PlatDesktopOpen(&pszWhy)) {
            fprintf(stderr,
                    "q730: the %s cannot be shown in a window: %s\n"
                    "q730: act on them from the command line, for example\n"
                    "q730:   q730 %s --page TITLE --check LABEL --ok\n"
                    "q730: or picture every page with q730 %s --png DIR (see q730 %s --help)\n",
                    bPreferences ? "printing preferences" : "printer properties", pszWhy, pszCommand, pszCommand,
                    pszCommand);
            return kExitUsage;
        }
    }
    std::u16string printer = _Wide(printerName);
    HANDLE hPrinter = _hOpenOrInstall(printer, printerName);
    if (!hPrinter) {
        PlatDesktopClose();
        return kExitFailed;
    }
    if (!bPreferences) {
        // The properties change the printer: the handle may administer it.
        ClosePrinter(hPrinter);
        PRINTER_DEFAULTSW pd = {NULL, NULL, PRINTER_ALL_ACCESS};
        if (!OpenPrinterW((LPWSTR)printer.c_str(), &hPrinter, &pd))
            return _FailCall("opening the printer", printerName);
    }

    PlatScriptReset();
    PlatMsgBoxReset();
    LONG lResult;
    if (bDesktop) {
        // A person answers every window: OK, Cancel or the close box.
        lResult = bPreferences ? PlatPrintingPreferences(NULL, hPrinter) : PlatPrinterProperties(NULL, hPrinter);
        run.bOkPressed = lResult == IDOK;
    } else {
        PlatSetModalLoopHook(_ModalHook, &run);
        if (bPreferences) {
            lResult = PlatPrintingPreferences(NULL, hPrinter);
        } else {
            lResult = PrinterProperties(NULL, hPrinter) ? (run.bOkPressed ? IDOK : IDCANCEL) : -1;
        }
    }
    DWORD dwError = GetLastError();
    PlatSetModalLoopHook(NULL, NULL);
    PlatDesktopClose();
    ClosePrinter(hPrinter);

    for (int iAnswer : run.answers)
        fprintf(stderr, "q730: warning: the answer %s was not taken: no more message boxes opened\n",
                _AnswerName(iAnswer));
    if (run.bFailed) {
        fprintf(stderr, "q730: %s\nq730: the %s were cancelled: nothing was saved\n", run.error.c_str(),
                bPreferences ? "printing preferences" : "printer properties");
        return kExitUsage;
    }
    if (lResult < 0) {
        SetLastError(dwError);
        return _FailCall(bPreferences ? "showing the printing preferences" : "showing the printer properties",
                         printerName);
    }
    if (lResult == IDOK && run.bOkPressed)
        printf("saved the %s of printer \"%s\"\n", bPreferences ? "printing preferences" : "properties",
               printerName.c_str());
    else
        printf("cancelled: nothing was saved for printer \"%s\"\n", printerName.c_str());
    return run.bPictureFailed ? kExitFailed : kExitOk;
}


int _Print(int argc, char** argv)
{
    std::string printerName = kDefaultPrinter;
    std::string outputPath;
    std::string inputPath;
    bool bHaveInput = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool bHasValue = false;
        std::string option = arg;
        size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            bHasValue = true;
        }
        if (option == "--help" || option == "-h") {
            return _PrintUsage(stdout);
        } else if (option == "--printer" || option == "--output") {
            if (!bHasValue) {
                if (i + 1 >= argc) {
                    fprintf(stderr, "q730: option %s needs a value (see q730 print --help)\n",
                            option.c_str());
                    return kExitUsage;
                }
                value = argv[++i];
            }
            if (value.empty()) {
                fprintf(stderr, "q730: option %s needs a value (see q730 print --help)\n",
                        option.c_str());
                return kExitUsage;
            }
            (option == "--printer" ? printerName : outputPath) = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            fprintf(stderr, "q730: unknown option '%s' (see q730 print --help)\n", arg.c_str());
            return kExitUsage;
        } else if (bHaveInput) {
            fprintf(stderr, "q730: only one FILE can be printed at a time (see q730 print --help)\n");
            return kExitUsage;
        } else {
            inputPath = arg;
            bHaveInput = true;
        }
    }

    if (!_bPrinterKnown(printerName))
        return kExitUsage;

    std::string docName = kSampleName;
    std::unique_ptr<FILE, int (*)(FILE*)> input(nullptr, fclose);
    UINT cp = CP_UTF8;
    bool bJapanese = false;
    if (bHaveInput) {
        struct stat st;
        if (stat(inputPath.c_str(), &st) != 0)
            return _Fail(inputPath + ": no such file");
        if (!S_ISREG(st.st_mode))
            return _Fail(inputPath + ": not a file");
        input.reset(fopen(inputPath.c_str(), "rb"));
        if (!input)
            return _Fail(inputPath + ": cannot be read");
        if (!_bScanText(input.get(), &cp, &bJapanese)) {
            if (ferror(input.get()))
                return _Fail(inputPath + ": cannot be read");
            return _Fail(inputPath + ": not a text file (neither UTF-8 nor Shift-JIS text)");
        }
        size_t slash = inputPath.find_last_of('/');
        docName = slash == std::string::npos ? inputPath : inputPath.substr(slash + 1);
    }

    std::u16string printer = _Wide(printerName);
    std::u16string output = outputPath.empty() ? std::u16string() : _Wide(_Absolute(outputPath));
    if (!outputPath.empty() && !_bOutputFolderExists(_Absolute(outputPath)))
        return kExitFailed;
    HANDLE hPrinter = _hOpenOrInstall(printer, printerName);
    if (!hPrinter)
        return kExitFailed;
    JOBRESULT result = {};
    bool bOk = bHaveInput ? _bPrintText(hPrinter, printer, printerName, output, _Wide(docName),
                                        input.get(), cp, bJapanese, &result)
                          : _bPrintSample(hPrinter, printer, printerName, output, &result);
    ClosePrinter(hPrinter);
    if (!bOk) {
        // The driver's own word on why the job stopped, as a person at the
        // screen would have read it in its message box.
        for (int i = 0; i < PlatMsgBoxCount(); ++i) {
            LPCWSTR pszText = NULL, pszCaption = NULL;
            if (PlatMsgBoxGet(i, NULL, &pszText, &pszCaption, NULL))
                fprintf(stderr, "q730: the driver said (\"%s\"): %s\n", _Narrow((const char16_t*)pszCaption).c_str(),
                        _Narrow((const char16_t*)pszText).c_str());
        }
        // A port file whose folder went away: say which folder.
        size_t slash = result.strOutput.find_last_of('/');
        struct stat st;
        if (slash != std::string::npos && slash > 0 && stat(result.strOutput.substr(0, slash).c_str(), &st) != 0)
            fprintf(stderr, "q730: the job goes to %s, but the folder %s does not exist\n", result.strOutput.c_str(),
                    result.strOutput.substr(0, slash).c_str());
        return kExitFailed;
    }

    struct stat st;
    if (result.strOutput.empty() || stat(result.strOutput.c_str(), &st) != 0)
        return _Fail("the job ended but its file " + result.strOutput + " is missing");
    printf("printed \"%s\" (%d pages) on printer \"%s\": %lld bytes to %s\n", docName.c_str(),
           result.cPages, printerName.c_str(), (long long)st.st_size, result.strOutput.c_str());
    return kExitOk;
}

int _InstallUsage(FILE* out)
{
    fprintf(out,
            "usage: q730 install [--printer NAME]\n"
            "\n"
            "Adds the printer NAME (default \"%s\") to the machine's root folder\n"
            "with this driver: the driver files, the printer with its port file\n"
            "<root>/c/ports/NAME.prn, and its default settings. A printer that is\n"
            "installed already keeps its port and settings and gets this build's\n"
            "driver files.\n"
            "\n"
            "options:\n"
            "  --printer NAME   the printer to add\n"
            "  --help           show this text\n"
            "\n"
            "Exit status: 0 installed, 1 the printer could not be installed, 2 a\n"
            "usage error.\n",
            kDefaultPrinter);
    return out == stdout ? kExitOk : kExitUsage;
}

int _Install(int argc, char** argv)
{
    std::string printerName = kDefaultPrinter;
    for (int i = 0; i < argc; ++i) {
        std::string option = argv[i], value;
        bool bHasValue = false;
        size_t eq = option.find('=');
        if (option.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option = option.substr(0, eq);
            bHasValue = true;
        }
        if (option == "--help" || option == "-h")
            return _InstallUsage(stdout);
        if (option != "--printer") {
            fprintf(stderr, "q730: %s '%s' (see q730 install --help)\n",
                    option.rfind("-", 0) == 0 ? "unknown option" : "unexpected argument", argv[i]);
            return kExitUsage;
        }
        if (!bHasValue && i + 1 < argc)
            value = argv[++i];
        if (value.empty()) {
            fprintf(stderr, "q730: option --printer needs a value (see q730 install --help)\n");
            return kExitUsage;
        }
        printerName = value;
    }
    std::u16string printer = _Wide(printerName);
    HANDLE hPrinter = NULL;
    bool bExisted = OpenPrinterW((LPWSTR)printer.c_str(), &hPrinter, NULL);
    if (bExisted)
        ClosePrinter(hPrinter);
    hPrinter = _hOpenOrInstall(printer, printerName);
    if (!hPrinter)
        return kExitFailed;
    if (bExisted)
        printf("printer \"%s\" was installed already: it keeps its port %s and its settings, and has this "
               "build's driver files\n",
               printerName.c_str(), _PortHostPath(hPrinter).c_str());
    ClosePrinter(hPrinter);
    return kExitOk;
}

int _Version()
{
    int failed = 0;
    printf("q730 QX-730 printer driver, driver version 04.03\n");
    for (const char* lib : kLibraries) {
        // Beside the program in the build, in the library folder of an
        // installed tree.
        std::string path = std::string(PlatGetProgramDir()) + "/" + lib;
        if (access(path.c_str(), F_OK) != 0)
            path = std::string(PlatGetLibraryDir()) + "/" + lib;
        void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            fprintf(stderr, "q730: cannot load %s: %s\n", path.c_str(), dlerror());
            ++failed;
            continue;
        }
        printf("  %s: loaded from %s\n", lib, path.c_str());
        dlclose(h);
    }
    return failed ? kExitFailed : kExitOk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return _Usage(stderr);
    if (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "help"))
        return _Usage(stdout);
    if (!strcmp(argv[1], "print"))
        return _Print(argc - 2, argv + 2);
    if (!strcmp(argv[1], "version"))
        return _Version();
    if (!strcmp(argv[1], "preferences"))
        return _SheetCommand(argc - 2, argv + 2, true);
    if (!strcmp(argv[1], "properties"))
        return _SheetCommand(argc - 2, argv + 2, false);
    if (!strcmp(argv[1], "install"))
        return _Install(argc - 2, argv + 2);
    fprintf(stderr, "q730: unknown command '%s' (see q730 --help)\n", argv[1]);
    return kExitUsage;
}
