// q730 preferences on a real X display (a virtual one, Xvfb, started by the
// test on a free display number): the sheet is a window, xdotool is the
// person, moving the pointer to places and pressing keys. Where things are
// is learnt beforehand the way a person learns it, by looking: the test
// opens the same sheet in its own process without a display and measures
// the controls. Waits are for a state (a window mapped, the keyboard's
// focus, pixels equal to a picture, the program's end), never fixed sleeps.
#include "platform/windows.h"
#include "platform/spooler/drvinterface.h"
#include "tests/common/pngdump.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <map>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const int kWaitSeconds = 30;

bool OnPath(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A virtual X server on the first free display number it finds itself.
struct XSERVER {
    pid_t pid = -1;
    std::string display;
    std::string why;
    bool Start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        pid = fork();
        if (pid == 0) {
            // The server goes with the test, however the test ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(fds[0]);
            int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   "-noreset", (char*)nullptr);
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number once it takes connections.
        std::string num;
        pollfd p = {fds[0], POLLIN, 0};
        auto end = Clock::now() + std::chrono::seconds(kWaitSeconds);
        while (Clock::now() < end) {
            if (poll(&p, 1, 200) > 0) {
                char c;
                ssize_t n = read(fds[0], &c, 1);
                if (n <= 0 || c == '\n')
                    break;
                num += c;
            }
        }
        close(fds[0]);
        if (num.empty()) {
            why = "Xvfb did not start";
            return false;
        }
        display = ":" + num;
        return true;
    }
    ~XSERVER()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// q730 running with the display, its output in the root.
struct LIVE {
    pid_t pid = -1;
    int iExit = -1;
    bool Start(const std::string& display, const std::string& args)
    {
        pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (chdir(TestRootPath().c_str()) != 0)
                _exit(126);
            setenv("DISPLAY", display.c_str(), 1);
            setenv("Q730_ROOT", TestRootPath().c_str(), 1);
            std::string cmd = "exec '" + std::string(PlatGetProgramDir()) + "/q730' " + args + " >live.out 2>live.err";
            execl("/bin/sh", "sh", "-c", cmd.c_str(), (char*)nullptr);
            _exit(127);
        }
        return pid > 0;
    }
    bool Wait()
    {
        auto end = Clock::now() + std::chrono::seconds(kWaitSeconds);
        while (Clock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                iExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    ~LIVE()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// The person: xdotool on the display.
struct PERSON {
    std::string display;
    std::string lastDiff;  // where the last picture differed
    Display* dpy = nullptr;
    ~PERSON()
    {
        if (dpy)
            XCloseDisplay(dpy);
    }
    std::string Run(const std::string& args)
    {
        std::string cmd = "DISPLAY=" + display + " timeout " + std::to_string(kWaitSeconds) + " xdotool " + args;
        std::string out;
        FILE* f = popen(cmd.c_str(), "r");
        if (!f)
            return out;
        char buf[256];
        while (fgets(buf, sizeof(buf), f))
            out += buf;
        pclose(f);
        return out;
    }
    // The window with this title, once it is shown.
    Window Find(const std::string& title)
    {
        std::string out = Run("search --sync --onlyvisible --name '^" + title + "$'");
        return out.empty() ? 0 : (Window)std::strtoul(out.c_str(), nullptr, 10);
    }
    // Waits until the keyboard goes to the window.
    bool WaitFocus(Window w)
    {
        auto end = Clock::now() + std::chrono::seconds(kWaitSeconds);
        while (Clock::now() < end) {
            Window f = 0;
            int revert = 0;
            XGetInputFocus(dpy, &f, &revert);
            if (f == w)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Waits until a pop-up (a dropped list) is up, or down.
    bool WaitPopup(bool bUp)
    {
        auto end = Clock::now() + std::chrono::seconds(kWaitSeconds);
        while (Clock::now() < end) {
            Window root, parent, *kids = nullptr;
            unsigned n = 0;
            bool bFound = false;
            if (XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &kids, &n)) {
                for (unsigned i = 0; i < n; ++i) {
                    XWindowAttributes a;
                    if (XGetWindowAttributes(dpy, kids[i], &a) && a.override_redirect && a.map_state == IsViewable)
                        bFound = true;
                }
                if (kids)
                    XFree(kids);
            }
            if (bFound == bUp)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    void Click(Window w, POINT pt)
    {
        Run("mousemove --window " + std::to_string(w) + " --sync " + std::to_string(pt.x) + " " +
            std::to_string(pt.y) + " click 1");
    }
    void Keys(const std::string& keys) { Run("key --delay 20 " + keys); }
    // The window's pixels as 0x00RRGGBB.
    std::vector<DWORD> Shot(Window w, int* pcx, int* pcy)
    {
        std::vector<DWORD> px;
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, w, &a))
            return px;
        XImage* img = XGetImage(dpy, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (!img)
            return px;
        *pcx = a.width;
        *pcy = a.height;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                px.push_back((DWORD)(XGetPixel(img, x, y) & 0xFFFFFF));
        XDestroyImage(img);
        return px;
    }
    // Waits until the window shows the picture; answers the pixels that
    // still differ at the end.
    long WaitPicture(Window w, const std::string& png)
    {
        int cx = 0, cy = 0;
        std::vector<DWORD> want;
        if (!TestReadPng(png, &cx, &cy, &want))
            return -1;
        long cDiff = -1;
        auto end = Clock::now() + std::chrono::seconds(kWaitSeconds);
        do {
            int sx = 0, sy = 0;
            std::vector<DWORD> got = Shot(w, &sx, &sy);
            if (sx == cx && sy == cy) {
                cDiff = 0;
                RECT box = {cx, cy, -1, -1};
                for (size_t i = 0; i < got.size(); ++i)
                    if (got[i] != want[i]) {
                        ++cDiff;
                        int x = (int)(i % cx), y = (int)(i / cx);
                        box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                               std::max<LONG>(box.right, x), std::max<LONG>(box.bottom, y)};
                    }
                if (!cDiff)
                    return 0;
                lastDiff = "pixels differ from (" + std::to_string(box.left) + "," + std::to_string(box.top) +
                           ") to (" + std::to_string(box.right) + "," + std::to_string(box.bottom) + ")";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (Clock::now() < end);
        return cDiff;
    }
};

// Where things are in the windows, measured in a headless sheet: window
// coordinates (0,0 the window's top left).
struct LAYOUT {
    std::map<std::string, RECT> at;
    int cTabsToPaperSource = 0;   // Shift+Tab presses from Output order to Paper source
    int cyItem = 0;               // a drop-down list's row
    int iFaceUp = -1;             // "Face up" in Output order
    std::u16string paperSourceNext;  // the item after the shown one
    std::u16string originalSizeNext;  // the same for Original size
    std::u16string boxTitle;
    std::u16string saveTitle;     // the dialog Save/Recall>Save Settings opens
    int cDepth = 0;
    HWND hSheet = nullptr;
};

RECT InWindow(HWND hTop, HWND h)
{
    RECT rt, rc;
    GetWindowRect(hTop, &rt);
    GetWindowRect(h, &rc);
    OffsetRect(&rc, -rt.left, -rt.top);
    return rc;
}

void Measure(HWND hwnd, void* pv)
{
    LAYOUT* l = (LAYOUT*)pv;
    PlatPumpMessages();
    if (l->cDepth > 0) {
        WCHAR sz[128] = {};
        GetWindowTextW(hwnd, sz, 128);
        if (HWND hYes = GetDlgItem(hwnd, IDYES)) {
            // The message box the tick opens.
            l->boxTitle = (const char16_t*)sz;
            l->at["box Yes"] = InWindow(hwnd, hYes);
            if (HWND hNo = GetDlgItem(hwnd, IDNO))
                l->at["box No"] = InWindow(hwnd, hNo);
        } else if (HWND hName = PlatScriptFindControl(hwnd, 0, u"Name")) {
            // The dialog the menu opens.
            l->saveTitle = (const char16_t*)sz;
            l->at["save Name"] = InWindow(hwnd, hName);
            PlatScriptPressCancel(hwnd);
        }
        return;
    }
    ++l->cDepth;
    HWND hSheet = hwnd;
    HWND hTab = PropSheet_GetTabControl(hSheet);
    int n = (int)SendMessageW(hTab, TCM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        WCHAR sz[64] = {};
        TCITEMW it = {};
        it.mask = TCIF_TEXT;
        it.pszText = sz;
        it.cchTextMax = 64;
        SendMessageW(hTab, TCM_GETITEMW, i, (LPARAM)&it);
        RECT rc;
        SendMessageW(hTab, TCM_GETITEMRECT, i, (LPARAM)&rc);
        MapWindowPoints(hTab, nullptr, (POINT*)&rc, 2);
        RECT rt;
        GetWindowRect(hSheet, &rt);
        OffsetRect(&rc, -rt.left, -rt.top);
        std::u16string t = (const char16_t*)sz;
        l->at["tab " + std::string(t.begin(), t.end())] = rc;
    }
    struct {
        const char* name;
        const char16_t* label;
    } kControls[] = {{"N-up", u"N-up"}, {"Copies", u"Copies"}, {"Output order", u"Output order"},
                     {"Paper source", u"Paper source"}, {"Landscape", u"Landscape"},
                     {"Original size", u"Original size"}, {"Setup Duplex", u"Duplex"}};
    std::map<std::string, HWND> h;
    for (const auto& c : kControls) {
        h[c.name] = PlatScriptFindControl(hSheet, 0, c.label);
        if (h[c.name])
            l->at[c.name] = InWindow(hSheet, h[c.name]);
    }
    l->at["OK"] = InWindow(hSheet, GetDlgItem(hSheet, IDOK));
    if (HWND hMenuButton = PlatScriptFindControl(hSheet, 0, u"Save/Recall")) {
        l->at["Save/Recall"] = InWindow(hSheet, hMenuButton);
        PlatScriptMenu(hSheet, 0, u"Save/Recall", u"Save Settings");
        PlatScriptReset();
    }
    l->at["Cancel"] = InWindow(hSheet, GetDlgItem(hSheet, IDCANCEL));
    l->cyItem = (int)SendMessageW(h["Output order"], CB_GETITEMHEIGHT, 0, 0);
    l->iFaceUp = (int)SendMessageW(h["Output order"], CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)u"Face up");
    // The tab order as the choices before it leave the page (a ticked box
    // enables the controls that go with it).
    PlatScriptCheck(hSheet, 0, u"N-up", BST_CHECKED);
    PlatScriptChoose(hSheet, 0, u"Output order", u"Face up", -1);
    for (HWND k = h["Output order"]; k && k != h["Paper source"] && l->cTabsToPaperSource < 100;
         k = GetNextDlgTabItem(hSheet, k, TRUE))
        ++l->cTabsToPaperSource;
    int iSource = (int)SendMessageW(h["Paper source"], CB_GETCURSEL, 0, 0);
    WCHAR sz[64] = {};
    SendMessageW(h["Paper source"], CB_GETLBTEXT, iSource + 1, (LPARAM)sz);
    l->paperSourceNext = (const char16_t*)sz;
    int iSize = (int)SendMessageW(h["Original size"], CB_GETCURSEL, 0, 0);
    WCHAR szSize[64] = {};
    SendMessageW(h["Original size"], CB_GETLBTEXT, iSize + 1, (LPARAM)szSize);
    l->originalSizeNext = (const char16_t*)szSize;
    PlatScriptPickTab(hSheet, 0, nullptr, u"Finishing", -1);
    for (const char16_t* label : {u"Production print", u"Duplex"}) {
        HWND c = PlatScriptFindControl(hSheet, 0, label);
        std::u16string s = label;
        if (c)
            l->at[std::string(s.begin(), s.end())] = InWindow(hSheet, c);
    }
    PlatScriptAnswerMessageBox(IDNO);
    PlatScriptCheck(hSheet, 0, u"Production print", BST_CHECKED);
    PlatScriptReset();
    PlatScriptPressCancel(hSheet);
}

LAYOUT MeasureSheet()
{
    LAYOUT l;
    HANDLE hPrinter = nullptr;
    EXPECT_TRUE(OpenPrinterW((LPWSTR)u"QX-730", &hPrinter, nullptr));
    PlatScriptReset();
    PlatSetModalLoopHook(Measure, &l);
    PlatPrintingPreferences(nullptr, hPrinter);
    PlatSetModalLoopHook(nullptr, nullptr);
    ClosePrinter(hPrinter);
    return l;
}

POINT Centre(const RECT& rc)
{
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

std::string Narrow(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out += (char)c;
    return out;
}


class Desktop : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OnPath("Xvfb") || !OnPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are not installed (tools/setup.sh installs them)";
        ASSERT_TRUE(x.Start()) << x.why;
        person.display = x.display;
        person.dpy = XOpenDisplay(x.display.c_str());
        ASSERT_NE(person.dpy, nullptr);
        TestNewRoot();
    }
    XSERVER x;
    PERSON person;
};

// Clicks and keys on the live sheet save what a person chose: the same
// settings as the same choices made by actions on the command line.
TEST_F(Desktop, ClicksAndKeysOnTheSheetSaveWhatWasChosen)
{
    // The printer, and the pictures the window must look like.
    RunResult r = RunQ730("preferences --png pics --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    r = RunQ730("preferences --png fin --page Finishing --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    LAYOUT l = MeasureSheet();
    for (const char* name : {"tab Finishing", "N-up", "Copies", "Output order", "Paper source", "OK",
                             "Production print", "Duplex", "box Yes"})
        ASSERT_TRUE(l.at.count(name)) << name;
    ASSERT_GT(l.cyItem, 0);
    ASSERT_GE(l.iFaceUp, 0);
    ASSERT_FALSE(l.paperSourceNext.empty());

    LIVE live;
    ASSERT_TRUE(live.Start(x.display, "preferences"));
    Window w = person.Find("QX-730 Printing Preferences");
    ASSERT_NE(w, 0u) << ReadFile(TestRootFile("live.err"));
    ASSERT_TRUE(person.WaitFocus(w));
    // It opens looking as its picture.
    EXPECT_EQ(person.WaitPicture(w, TestRootFile("pics/page-01-Setup.png")), 0) << person.lastDiff;

    // Tick a box; type the copies (the caret after the 1, which goes).
    person.Click(w, Centre(l.at["N-up"]));
    POINT copies = Centre(l.at["Copies"]);
    person.Click(w, copies);
    person.Keys("End BackSpace 3");
    // A drop-down list by the mouse: it drops, and its row is clicked.
    person.Click(w, Centre(l.at["Output order"]));
    ASSERT_TRUE(person.WaitPopup(true));
    const RECT& ro = l.at["Output order"];
    person.Click(w, {ro.left + 10, ro.bottom + 1 + l.cyItem * l.iFaceUp + l.cyItem / 2});
    ASSERT_TRUE(person.WaitPopup(false));
    // One by the keyboard: back along the tab order to it, open it, the
    // next row.
    std::string tabs;
    for (int i = 0; i < l.cTabsToPaperSource; ++i)
        tabs += "shift+Tab ";
    person.Keys(tabs + "alt+Down");
    ASSERT_TRUE(person.WaitPopup(true));
    person.Keys("Down Return");
    ASSERT_TRUE(person.WaitPopup(false));

    // Another page by its tab; it looks as its picture.
    person.Click(w, Centre(l.at["tab Finishing"]));
    // A tick the page asks about: its message box is answered by a click.
    person.Click(w, Centre(l.at["Production print"]));
    Window box = person.Find(Narrow(l.boxTitle));
    ASSERT_NE(box, 0u);
    person.Click(box, Centre(l.at["box Yes"]));
    person.Click(w, Centre(l.at["Duplex"]));
    person.Click(w, Centre(l.at["OK"]));
    ASSERT_TRUE(live.Wait()) << "q730 did not end after OK";
    EXPECT_EQ(live.iExit, 0) << ReadFile(TestRootFile("live.err"));
    EXPECT_NE(ReadFile(TestRootFile("live.out")).find("saved the printing preferences"), std::string::npos)
        << ReadFile(TestRootFile("live.out"));
    std::vector<BYTE> clicked = UserDefault();
    ASSERT_GE(clicked.size(), sizeof(DEVMODEW));
    const DEVMODEW* pdm = (const DEVMODEW*)clicked.data();
    EXPECT_EQ(pdm->dmCopies, 3);
    EXPECT_NE(pdm->dmDuplex, DMDUP_SIMPLEX);

    // The same choices as actions.
    TestNewRoot();
    r = RunQ730("preferences --check N-up --type Copies=3 --choose 'Output order=Face up' --choose 'Paper source=" +
                Narrow(l.paperSourceNext) + "' --page Finishing --answer yes --check 'Production print' --check Duplex");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_EQ(clicked, UserDefault());
}

// The window shows the page picked by its tab, or by Ctrl+Tab, as its
// picture does; a tick the page refuses (its message box answered No by a
// click) leaves it as it was; Escape, the close box, Cancel and the window
// manager's close end it unsaved.
TEST_F(Desktop, APageLooksAsItsPictureAndCancelSavesNothing)
{
    RunResult r = RunQ730("preferences --png fin --page Finishing --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    std::string png = TestRootFile("fin/page-03-Finishing.png");
    std::string pngNext = TestRootFile("fin/page-04-Form.png");
    ASSERT_EQ(ReadFile(png).substr(0, 4), "\x89PNG") << r.strOut;
    ASSERT_EQ(ReadFile(pngNext).substr(0, 4), "\x89PNG") << r.strOut;
    // The refused tick from the command line: the box, and the sheet the
    // refusal leaves.
    r = RunQ730("preferences --png ref --page Finishing --answer no --check 'Production print'");
    ASSERT_EQ(r.iExit, 2) << r.strOut;
    // (The box as it opens: answered by its default button, which keeps the
    // focus where it was.)
    r = RunQ730("preferences --png box --page Finishing --answer yes --check 'Production print' --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strOut;
    std::string pngBox = TestRootFile("box/message-01.png");
    std::string pngRefused = TestRootFile("ref/failed-QX-730-Printing-Preferences.png");
    ASSERT_EQ(ReadFile(pngRefused).substr(0, 4), "\x89PNG") << r.strOut;
    LAYOUT l = MeasureSheet();
    ASSERT_TRUE(l.at.count("tab Finishing") && l.at.count("Production print") && l.at.count("Cancel") &&
                l.at.count("box No"));
    struct Case {
        const char* how;
    } cases[] = {{"Escape"}, {"close box"}, {"Cancel"}, {"window manager"}};
    for (const Case& c : cases) {
        LIVE live;
        ASSERT_TRUE(live.Start(x.display, "preferences"));
        Window w = person.Find("QX-730 Printing Preferences");
        ASSERT_NE(w, 0u);
        ASSERT_TRUE(person.WaitFocus(w));
        person.Click(w, Centre(l.at["tab Finishing"]));
        EXPECT_EQ(person.WaitPicture(w, png), 0) << c.how << ": " << person.lastDiff;
        person.Keys("ctrl+Tab");
        EXPECT_EQ(person.WaitPicture(w, pngNext), 0) << c.how << ": " << person.lastDiff;
        person.Keys("ctrl+shift+Tab");
        EXPECT_EQ(person.WaitPicture(w, png), 0) << c.how << ": " << person.lastDiff;
        person.Click(w, Centre(l.at["Production print"]));
        Window box = person.Find(Narrow(l.boxTitle));
        ASSERT_NE(box, 0u);
        EXPECT_EQ(person.WaitPicture(box, pngBox), 0) << c.how << ": " << person.lastDiff;
        person.Click(box, Centre(l.at["box No"]));
        ASSERT_TRUE(person.WaitFocus(w));
        EXPECT_EQ(person.WaitPicture(w, pngRefused), 0) << c.how << ": " << person.lastDiff;
        if (std::string(c.how) == "Escape") {
            ASSERT_TRUE(person.WaitFocus(w));
            person.Keys("Escape");
        } else if (std::string(c.how) == "close box") {
            XWindowAttributes a;
            XGetWindowAttributes(person.dpy, w, &a);
            person.Click(w, {a.width - 12, 12});
        } else if (std::string(c.how) == "Cancel") {
            person.Click(w, Centre(l.at["Cancel"]));
        } else {
            // What a window manager sends for its own close button.
            XEvent ev = {};
            ev.xclient.type = ClientMessage;
            ev.xclient.window = w;
            ev.xclient.message_type = XInternAtom(person.dpy, "WM_PROTOCOLS", False);
            ev.xclient.format = 32;
            ev.xclient.data.l[0] = (long)XInternAtom(person.dpy, "WM_DELETE_WINDOW", False);
            ev.xclient.data.l[1] = CurrentTime;
            XSendEvent(person.dpy, w, False, NoEventMask, &ev);
            XFlush(person.dpy);
        }
        ASSERT_TRUE(live.Wait()) << c.how;
        EXPECT_EQ(live.iExit, 0) << c.how;
        EXPECT_NE(ReadFile(TestRootFile("live.out")).find("cancelled: nothing was saved"), std::string::npos)
            << c.how << ReadFile(TestRootFile("live.out"));
    }
}

// Every page, reached by Ctrl+Tab from the tab row, shows as its picture:
// what is painted when a page is picked is what the pictures hold.
TEST_F(Desktop, EveryPageLooksAsItsPicture)
{
    RunResult r = RunQ730("preferences --png all --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    std::vector<std::string> pages;
    for (size_t at = r.strOut.find("picture: "); at != std::string::npos; at = r.strOut.find("picture: ", at + 1)) {
        std::string path = r.strOut.substr(at + 9, r.strOut.find('\n', at) - at - 9);
        if (path.find("/page-") != std::string::npos)
            pages.push_back(path);
    }
    ASSERT_GT(pages.size(), 2u) << r.strOut;
    LAYOUT l = MeasureSheet();
    ASSERT_TRUE(l.at.count("tab Setup"));
    LIVE live;
    ASSERT_TRUE(live.Start(x.display, "preferences"));
    Window w = person.Find("QX-730 Printing Preferences");
    ASSERT_NE(w, 0u);
    ASSERT_TRUE(person.WaitFocus(w));
    // The tab row takes the focus, as a picked tab does.
    person.Click(w, Centre(l.at["tab Setup"]));
    for (size_t i = 1; i < pages.size(); ++i) {
        person.Keys("ctrl+Tab");
        EXPECT_EQ(person.WaitPicture(w, pages[i]), 0) << pages[i] << ": " << person.lastDiff;
    }
    person.Keys("Escape");
    ASSERT_TRUE(live.Wait());
    EXPECT_EQ(live.iExit, 0);
}

// After every change made in the window the page is painted again as its
// picture shows the same choices made by actions: the controls the change
// enables, disables or repaints, and those beside or under them, are all
// there (a check box's label beside a picture painted again, the arrows on
// an edit's right end, the controls inside a group box).
TEST_F(Desktop, AfterEachChangeThePageLooksAsItsPicture)
{
    ASSERT_EQ(RunQ730("preferences --cancel").iExit, 0);
    LAYOUT l = MeasureSheet();
    for (const char* name : {"Landscape", "N-up", "Setup Duplex", "Copies", "Original size", "tab Finishing",
                             "tab Setup"})
        ASSERT_TRUE(l.at.count(name)) << name;
    ASSERT_FALSE(l.originalSizeNext.empty());
    PERSON& p = person;
    struct Step {
        const char* what;
        std::string actions;  // the same change as actions on the command line
        const char* picture;  // the page's picture after it
        std::function<void(Window)> make;
    } steps[] = {
        {"Landscape", "--check Landscape", "page-01-Setup.png",
         [&](Window w) { p.Click(w, Centre(l.at["Landscape"])); }},
        {"N-up ticked (its lists enabled)", "--check N-up", "page-01-Setup.png",
         [&](Window w) { p.Click(w, Centre(l.at["N-up"])); }},
        {"Duplex ticked", "--check Duplex", "page-01-Setup.png",
         [&](Window w) { p.Click(w, Centre(l.at["Setup Duplex"])); }},
        {"Copies typed", "--type Copies=3", "page-01-Setup.png",
         [&](Window w) {
             p.Click(w, Centre(l.at["Copies"]));
             p.Keys("End BackSpace 3 Tab");
         }},
        {"Original size chosen from its list", "--choose 'Original size=" + Narrow(l.originalSizeNext) + "'",
         "page-01-Setup.png",
         [&](Window w) {
             p.Click(w, Centre(l.at["Original size"]));
             ASSERT_TRUE(p.WaitPopup(true));
             p.Keys("Down Return");
             ASSERT_TRUE(p.WaitPopup(false));
         }},
        {"another page", "--page Finishing", "page-03-Finishing.png",
         [&](Window w) { p.Click(w, Centre(l.at["tab Finishing"])); }},
        {"back to the first page", "--page Setup", "page-01-Setup.png",
         [&](Window w) { p.Click(w, Centre(l.at["tab Setup"])); }},
    };
    // The pictures: each made by its own run without a display, with the
    // actions of every step up to it.
    std::string actions;
    std::vector<std::string> pictures;
    for (size_t i = 0; i < std::size(steps); ++i) {
        actions += " " + steps[i].actions;
        std::string dir = "step" + std::to_string(i);
        RunResult r = RunQ730("preferences --png " + dir + actions + " --cancel");
        ASSERT_EQ(r.iExit, 0) << steps[i].what << ": " << r.strErr;
        pictures.push_back(TestRootFile(dir + "/" + steps[i].picture));
        ASSERT_EQ(ReadFile(pictures.back()).substr(0, 4), "\x89PNG") << r.strOut;
    }
    LIVE live;
    ASSERT_TRUE(live.Start(x.display, "preferences"));
    Window w = person.Find("QX-730 Printing Preferences");
    ASSERT_NE(w, 0u) << ReadFile(TestRootFile("live.err"));
    ASSERT_TRUE(person.WaitFocus(w));
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i].make(w);
        EXPECT_EQ(person.WaitPicture(w, pictures[i]), 0) << steps[i].what << ": " << person.lastDiff;
    }
    person.Keys("Escape");
    ASSERT_TRUE(live.Wait());
    EXPECT_EQ(live.iExit, 0);
}

// A button's pop-up menu chosen by the keys opens a dialog of its own; what
// is typed there is kept.
TEST_F(Desktop, AMenuChosenByTheKeysOpensItsDialog)
{
    ASSERT_EQ(RunQ730("preferences --ok").iExit, 0);
    LAYOUT l = MeasureSheet();
    ASSERT_TRUE(l.at.count("Save/Recall") && l.at.count("save Name") && l.at.count("Cancel"));
    LIVE live;
    ASSERT_TRUE(live.Start(x.display, "preferences"));
    Window w = person.Find("QX-730 Printing Preferences");
    ASSERT_NE(w, 0u);
    ASSERT_TRUE(person.WaitFocus(w));
    person.Click(w, Centre(l.at["Save/Recall"]));
    ASSERT_TRUE(person.WaitPopup(true));
    // The first item is the menu's heading: Down lights the first choice.
    person.Keys("Down Return");
    ASSERT_TRUE(person.WaitPopup(false));
    Window d = person.Find(Narrow(l.saveTitle));
    ASSERT_NE(d, 0u);
    person.Click(d, Centre(l.at["save Name"]));
    person.Run("type --delay 20 Draft");
    person.Keys("Return");
    ASSERT_TRUE(person.WaitFocus(w));
    person.Click(w, Centre(l.at["Cancel"]));
    ASSERT_TRUE(live.Wait());
    EXPECT_EQ(live.iExit, 0);
    // The library holds it: the menu offers it to the next run.
    RunResult r = RunQ730("preferences --menu 'Save/Recall>Draft' --ok");
    EXPECT_EQ(r.iExit, 0) << r.strErr;
}

// Without a display and without actions the person is told what to do.
TEST(DesktopNone, WithoutADisplayTheMessageSaysHowToUseActions)
{
    TestNewRoot();
    for (const char* command : {"preferences", "properties"}) {
        RunResult r = RunQ730(std::string("-u DISPLAY '") + PlatGetProgramDir() + "/q730' " + command, "env");
        EXPECT_EQ(r.iExit, 2) << command;
        EXPECT_NE(r.strErr.find("cannot be shown in a window: DISPLAY is not set"), std::string::npos) << r.strErr;
        EXPECT_NE(r.strErr.find("--png DIR"), std::string::npos) << r.strErr;
    }
}

}  // namespace
