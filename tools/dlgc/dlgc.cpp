// dlgc.cpp: the dialog-template compiler of the build.
//
// Reads dialog templates in their readable text form, one file per
// template, and writes a C++ file that holds each in the binary form the
// dialog manager reads (DLGTEMPLATE and its items, platform/user/winuser.h)
// and exports the module's resource directory (platform/kernel/resource.h).
//
//   dlgc OUT.cpp FILE.dlg...
//
// The text form (UTF-8; '#' starts a comment line; names are the usual
// style names, joined with '|'; "NOT NAME" takes a default style away):
//
//   DIALOG  id  x y cx cy  "Caption"
//   STYLE   WS_POPUP | WS_CAPTION | DS_MODALFRAME      (optional)
//   EXSTYLE WS_EX_CONTEXTHELP                          (optional)
//   FONT    9 "ＭＳ Ｐゴシック"                          (optional)
//   then one line per control, in tab order:
//   KIND    id "text" x y cx cy [styles]
//   CONTROL id "text" "Class" x y cx cy [styles]
//
// KIND is one of LTEXT CTEXT RTEXT ICON GROUPBOX PUSHBUTTON DEFPUSHBUTTON
// CHECKBOX AUTOCHECKBOX STATE3 AUTO3STATE RADIOBUTTON AUTORADIOBUTTON
// OWNERBUTTON EDITTEXT COMBOBOX LISTBOX SCROLLBAR, each with the default
// styles a resource compiler gives it. Errors name the file and line and
// fail the build.
#include "platform/user/winuser.h"
#include "platform/comctl/commctrl.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

#define S(x) {#x, static_cast<DWORD>(x)}
const std::map<std::string, DWORD> kStyles = {
    S(WS_OVERLAPPED), S(WS_POPUP), S(WS_CHILD), S(WS_VISIBLE), S(WS_DISABLED), S(WS_CLIPSIBLINGS),
    S(WS_CLIPCHILDREN), S(WS_CAPTION), S(WS_BORDER), S(WS_DLGFRAME), S(WS_VSCROLL), S(WS_HSCROLL),
    S(WS_SYSMENU), S(WS_THICKFRAME), S(WS_GROUP), S(WS_TABSTOP), S(WS_MINIMIZEBOX), S(WS_MAXIMIZEBOX),
    S(WS_EX_DLGMODALFRAME), S(WS_EX_NOPARENTNOTIFY), S(WS_EX_TOPMOST), S(WS_EX_TRANSPARENT),
    S(WS_EX_TOOLWINDOW), S(WS_EX_WINDOWEDGE), S(WS_EX_CLIENTEDGE), S(WS_EX_CONTEXTHELP), S(WS_EX_RIGHT),
    S(WS_EX_CONTROLPARENT), S(WS_EX_STATICEDGE), S(WS_EX_APPWINDOW),
    S(DS_ABSALIGN), S(DS_SYSMODAL), S(DS_LOCALEDIT), S(DS_SETFONT), S(DS_MODALFRAME), S(DS_NOIDLEMSG),
    S(DS_SETFOREGROUND), S(DS_3DLOOK), S(DS_FIXEDSYS), S(DS_NOFAILCREATE), S(DS_CONTROL), S(DS_CENTER),
    S(DS_CENTERMOUSE), S(DS_CONTEXTHELP), S(DS_SHELLFONT),
    S(BS_PUSHBUTTON), S(BS_DEFPUSHBUTTON), S(BS_CHECKBOX), S(BS_AUTOCHECKBOX), S(BS_RADIOBUTTON),
    S(BS_3STATE), S(BS_AUTO3STATE), S(BS_GROUPBOX), S(BS_AUTORADIOBUTTON), S(BS_OWNERDRAW),
    S(BS_LEFTTEXT), S(BS_ICON), S(BS_BITMAP), S(BS_LEFT), S(BS_RIGHT), S(BS_CENTER), S(BS_TOP),
    S(BS_BOTTOM), S(BS_VCENTER), S(BS_PUSHLIKE), S(BS_MULTILINE), S(BS_NOTIFY), S(BS_FLAT),
    S(SS_LEFT), S(SS_CENTER), S(SS_RIGHT), S(SS_ICON), S(SS_BLACKRECT), S(SS_GRAYRECT), S(SS_WHITERECT),
    S(SS_BLACKFRAME), S(SS_GRAYFRAME), S(SS_WHITEFRAME), S(SS_SIMPLE), S(SS_LEFTNOWORDWRAP),
    S(SS_OWNERDRAW), S(SS_BITMAP), S(SS_ETCHEDHORZ), S(SS_ETCHEDVERT), S(SS_ETCHEDFRAME), S(SS_NOPREFIX),
    S(SS_NOTIFY), S(SS_CENTERIMAGE), S(SS_RIGHTJUST), S(SS_REALSIZEIMAGE), S(SS_SUNKEN),
    S(SS_ENDELLIPSIS), S(SS_PATHELLIPSIS),
    S(ES_LEFT), S(ES_CENTER), S(ES_RIGHT), S(ES_MULTILINE), S(ES_UPPERCASE), S(ES_LOWERCASE),
    S(ES_PASSWORD), S(ES_AUTOVSCROLL), S(ES_AUTOHSCROLL), S(ES_NOHIDESEL), S(ES_OEMCONVERT),
    S(ES_READONLY), S(ES_WANTRETURN), S(ES_NUMBER),
    S(CBS_SIMPLE), S(CBS_DROPDOWN), S(CBS_DROPDOWNLIST), S(CBS_OWNERDRAWFIXED), S(CBS_OWNERDRAWVARIABLE),
    S(CBS_AUTOHSCROLL), S(CBS_SORT), S(CBS_HASSTRINGS), S(CBS_NOINTEGRALHEIGHT), S(CBS_DISABLENOSCROLL),
    S(LBS_NOTIFY), S(LBS_SORT), S(LBS_NOREDRAW), S(LBS_MULTIPLESEL), S(LBS_OWNERDRAWFIXED),
    S(LBS_OWNERDRAWVARIABLE), S(LBS_HASSTRINGS), S(LBS_USETABSTOPS), S(LBS_NOINTEGRALHEIGHT),
    S(LBS_MULTICOLUMN), S(LBS_WANTKEYBOARDINPUT), S(LBS_EXTENDEDSEL), S(LBS_DISABLENOSCROLL), S(LBS_NOSEL),
    S(LBS_STANDARD), S(SBS_HORZ), S(SBS_VERT),
    // Common controls: list views, up-downs and track bars of the pages.
    S(LVS_REPORT), S(LVS_LIST), S(LVS_SINGLESEL), S(LVS_SHOWSELALWAYS), S(LVS_OWNERDRAWFIXED),
    S(LVS_NOSORTHEADER), S(LVS_NOCOLUMNHEADER), S(UDS_WRAP), S(UDS_SETBUDDYINT), S(UDS_ALIGNRIGHT),
    S(UDS_ALIGNLEFT), S(UDS_AUTOBUDDY), S(UDS_ARROWKEYS), S(UDS_HORZ), S(UDS_NOTHOUSANDS), S(TBS_AUTOTICKS),
    S(TBS_VERT), S(TBS_HORZ), S(TBS_TOP), S(TBS_BOTTOM), S(TBS_BOTH), S(TBS_NOTICKS),
};
#undef S

struct KIND {
    const char* pszName;
    WORD wClass;      // 0x80.. ordinal
    DWORD dwStyle;    // defaults
};

const KIND kKinds[] = {
    // Texts and pictures: no tab stop, as people do not type into them.
    {"LTEXT", 0x82, SS_LEFT | WS_GROUP},
    {"CTEXT", 0x82, SS_CENTER | WS_GROUP},
    {"RTEXT", 0x82, SS_RIGHT | WS_GROUP},
    {"ICON", 0x82, SS_ICON},
    {"GROUPBOX", 0x80, BS_GROUPBOX},
    // Buttons are tab stops.
    {"PUSHBUTTON", 0x80, BS_PUSHBUTTON | WS_TABSTOP},
    {"DEFPUSHBUTTON", 0x80, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"CHECKBOX", 0x80, BS_CHECKBOX | WS_TABSTOP},
    {"AUTOCHECKBOX", 0x80, BS_AUTOCHECKBOX | WS_TABSTOP},
    {"STATE3", 0x80, BS_3STATE | WS_TABSTOP},
    {"AUTO3STATE", 0x80, BS_AUTO3STATE | WS_TABSTOP},
    // Radio buttons: the first of a group carries WS_GROUP in the file.
    {"RADIOBUTTON", 0x80, BS_RADIOBUTTON},
    {"AUTORADIOBUTTON", 0x80, BS_AUTORADIOBUTTON},
    {"OWNERBUTTON", 0x80, BS_OWNERDRAW},
    // Fields and lists.
    {"EDITTEXT", 0x81, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
    {"COMBOBOX", 0x85, CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL},
    {"LISTBOX", 0x83, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
    {"SCROLLBAR", 0x84, SBS_HORZ},
};

struct LINE {
    std::vector<std::string> tok;   // words and quoted strings ("..." kept with the quote mark)
};

bool Tokenise(const std::string& s, LINE* pOut, std::string* pErr)
{
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ' ' || s[i] == '\t' || s[i] == '\r') {
            ++i;
            continue;
        }
        if (s[i] == '"') {
            std::string t = "\"";
            ++i;
            while (i < s.size() && s[i] != '"') {
                if (s[i] == '\\' && i + 1 < s.size()) {
                    ++i;
                    t += s[i] == 'n' ? '\n' : s[i] == 't' ? '\t' : s[i];
                } else {
                    t += s[i];
                }
                ++i;
            }
            if (i >= s.size()) {
                *pErr = "unterminated string";
                return false;
            }
            ++i;
            pOut->tok.push_back(t);
            continue;
        }
        if (s[i] == '|') {
            pOut->tok.push_back("|");
            ++i;
            continue;
        }
        size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t' && s[j] != '\r' && s[j] != '|' && s[j] != '"')
            ++j;
        pOut->tok.push_back(s.substr(i, j - i));
        i = j;
    }
    return true;
}

std::u16string Utf16(const std::string& s)
{
    std::u16string r;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp;
        int n;
        if (c < 0x80) { cp = c; n = 1; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
        else { cp = c & 0x07; n = 4; }
        for (int k = 1; k < n && i + static_cast<size_t>(k) < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
        i += static_cast<size_t>(n);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            r += static_cast<char16_t>(0xD800 + (cp >> 10));
            r += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            r += static_cast<char16_t>(cp);
        }
    }
    return r;
}

// A number of the file: decimal, 0x hex or 0 octal, in the range of a
// 32-bit value (signed or not). Parsed in 64 bits, so that a style such as
// 0x80000000 means the same in the i386 build, where a long is 32 bits and
// strtol would saturate it, as in the native one; past 32 bits it is an
// error in both.
bool Number(const std::string& s, long long* pv)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    *pv = std::strtoll(s.c_str(), &end, 0);
    return end && *end == 0 && errno == 0 && *pv >= -2147483648ll && *pv <= 4294967295ll;
}

// Styles from tokens [i, end): NAME | NAME | NOT NAME | number.
bool Styles(const std::vector<std::string>& t, size_t i, DWORD dwBase, DWORD* pOut, std::string* pErr)
{
    DWORD v = dwBase;
    bool bNot = false;
    for (; i < t.size(); ++i) {
        if (t[i] == "|")
            continue;
        if (t[i] == "NOT") {
            bNot = true;
            continue;
        }
        long long n;
        DWORD bits;
        if (Number(t[i], &n)) {
            bits = static_cast<DWORD>(n);
        } else {
            auto it = kStyles.find(t[i]);
            if (it == kStyles.end()) {
                *pErr = "unknown style " + t[i];
                return false;
            }
            bits = it->second;
        }
        v = bNot ? (v & ~bits) : (v | bits);
        bNot = false;
    }
    *pOut = v;
    return true;
}

struct OUTBUF {
    std::vector<BYTE> b;
    void Align4() { while (b.size() % 4) b.push_back(0); }
    void Word(WORD w) { b.push_back(LOBYTE(w)); b.push_back(HIBYTE(w)); }
    void Dword(DWORD d) { Word(LOWORD(d)); Word(HIWORD(d)); }
    void Str(const std::u16string& s) { for (char16_t c : s) Word(c); Word(0); }
};

bool Compile(const std::string& path, int* pId, std::vector<BYTE>* pOut, std::string* pErr)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        *pErr = path + ": cannot be read";
        return false;
    }
    std::string line;
    int lineno = 0;
    bool bHead = false;
    long long id = 0, x = 0, y = 0, cx = 0, cy = 0;
    std::u16string caption, face, cls;
    long long points = 0;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, exStyle = 0;
    OUTBUF items;
    int cItems = 0;
    while (std::getline(f, line)) {
        ++lineno;
        if (lineno == 1 && line.size() >= 3 && static_cast<unsigned char>(line[0]) == 0xEF)
            line = line.substr(3);
        std::string where = path + ":" + std::to_string(lineno) + ": ";
        LINE l;
        std::string err;
        if (!Tokenise(line, &l, &err)) {
            *pErr = where + err;
            return false;
        }
        if (l.tok.empty() || l.tok[0][0] == '#')
            continue;
        const std::vector<std::string>& t = l.tok;
        const std::string& k = t[0];
        if (k == "DIALOG") {
            if (t.size() != 7 || !Number(t[1], &id) || !Number(t[2], &x) || !Number(t[3], &y) ||
                !Number(t[4], &cx) || !Number(t[5], &cy) || t[6][0] != '"') {
                *pErr = where + "expected DIALOG id x y cx cy \"caption\"";
                return false;
            }
            caption = Utf16(t[6].substr(1));
            bHead = true;
            continue;
        }
        if (!bHead) {
            *pErr = where + "the file must start with DIALOG";
            return false;
        }
        if (k == "STYLE" || k == "EXSTYLE") {
            if (!Styles(t, 1, 0, k == "STYLE" ? &style : &exStyle, &err)) {
                *pErr = where + err;
                return false;
            }
            continue;
        }
        if (k == "FONT") {
            if (t.size() != 3 || !Number(t[1], &points) || t[2][0] != '"') {
                *pErr = where + "expected FONT points \"face\"";
                return false;
            }
            face = Utf16(t[2].substr(1));
            continue;
        }
        if (k == "CLASS") {
            if (t.size() != 2 || t[1][0] != '"') {
                *pErr = where + "expected CLASS \"name\"";
                return false;
            }
            cls = Utf16(t[1].substr(1));
            continue;
        }
        // A control.
        const KIND* pKind = nullptr;
        for (const KIND& kk : kKinds)
            if (k == kk.pszName)
                pKind = &kk;
        bool bControl = k == "CONTROL";
        if (!pKind && !bControl) {
            *pErr = where + "unknown line kind " + k;
            return false;
        }
        size_t need = bControl ? 8 : 7;
        long long cid, ix, iy, icx, icy;
        if (t.size() < need || !Number(t[1], &cid) || t[2][0] != '"' || (bControl && t[3][0] != '"') ||
            !Number(t[need - 4], &ix) || !Number(t[need - 3], &iy) || !Number(t[need - 2], &icx) ||
            !Number(t[need - 1], &icy)) {
            *pErr = where + (bControl ? "expected CONTROL id \"text\" \"class\" x y cx cy [styles]"
                                      : "expected " + k + " id \"text\" x y cx cy [styles]");
            return false;
        }
        if (cid < -1 || cid > 0xFFFF) {
            *pErr = where + "control id out of range";
            return false;
        }
        DWORD istyle;
        if (!Styles(t, need, (pKind ? pKind->dwStyle : 0) | WS_CHILD | WS_VISIBLE, &istyle, &err)) {
            *pErr = where + err;
            return false;
        }
        items.Align4();
        items.Dword(istyle);
        items.Dword(0);
        items.Word(static_cast<WORD>(ix));
        items.Word(static_cast<WORD>(iy));
        items.Word(static_cast<WORD>(icx));
        items.Word(static_cast<WORD>(icy));
        items.Word(static_cast<WORD>(cid));
        if (bControl) {
            items.Str(Utf16(t[3].substr(1)));
        } else {
            items.Word(0xFFFF);
            items.Word(pKind->wClass);
        }
        std::u16string text = Utf16(t[2].substr(1));
        // "#n" as an icon's text names the icon resource n.
        long long ord;
        if (text.size() > 1 && text[0] == u'#' && Number(t[2].substr(2), &ord)) {
            items.Word(0xFFFF);
            items.Word(static_cast<WORD>(ord));
        } else {
            items.Str(text);
        }
        items.Word(0);
        ++cItems;
    }
    if (!bHead) {
        *pErr = path + ": no DIALOG line";
        return false;
    }
    if (!face.empty())
        style |= DS_SETFONT;
    OUTBUF o;
    o.Dword(style);
    o.Dword(exStyle);
    o.Word(static_cast<WORD>(cItems));
    o.Word(static_cast<WORD>(x));
    o.Word(static_cast<WORD>(y));
    o.Word(static_cast<WORD>(cx));
    o.Word(static_cast<WORD>(cy));
    o.Word(0);  // no menu
    if (cls.empty())
        o.Word(0);
    else
        o.Str(cls);
    o.Str(caption);
    if (style & DS_SETFONT) {
        o.Word(static_cast<WORD>(points));
        o.Str(face);
    }
    // Items start DWORD-aligned from the template's start.
    o.Align4();
    size_t base = o.b.size();
    (void)base;
    o.b.insert(o.b.end(), items.b.begin(), items.b.end());
    *pId = static_cast<int>(id);
    *pOut = o.b;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: dlgc OUT.cpp FILE.dlg...\n");
        return 2;
    }
    std::ostringstream body, entries;
    std::map<int, std::string> seen;
    int count = 0;
    for (int i = 2; i < argc; ++i) {
        int id = 0;
        std::vector<BYTE> data;
        std::string err;
        if (!Compile(argv[i], &id, &data, &err)) {
            std::fprintf(stderr, "%s\n", err.c_str());
            return 1;
        }
        if (seen.count(id)) {
            std::fprintf(stderr, "%s: dialog %d is also defined in %s\n", argv[i], id, seen[id].c_str());
            return 1;
        }
        seen[id] = argv[i];
        body << "alignas(4) const unsigned char k_dialog" << id << "[] = {";
        for (size_t k = 0; k < data.size(); ++k)
            body << (k % 16 ? " " : "\n    ") << static_cast<int>(data[k]) << ",";
        body << "\n};\n";
        entries << "    {5, " << id << ", sizeof(k_dialog" << id << "), k_dialog" << id << "},\n";
        ++count;
    }
    std::ostringstream out;
    out << "// Generated from the dialog templates by dlgc; do not edit.\n"
        << "#include \"platform/kernel/resource.h\"\n\nnamespace {\n\n"
        << body.str() << "\nconst PLATRESENTRY k_entries[] = {\n" << entries.str()
        << (count ? "" : "    {0, 0, 0, nullptr},\n") << "};\n\n}  // namespace\n\n"
        << "// The directory the loader finds by name in this module.\n"
        << "Q730_EXPORT const PLATRESDIR q730_resources = {PLATRES_MAGIC, PLATRES_VERSION, " << count
        << ", k_entries};\n";
    std::string text = out.str();
    // Rewrite only on change, so that nothing rebuilds for nothing.
    std::ifstream old(argv[1], std::ios::binary);
    std::stringstream oldText;
    oldText << old.rdbuf();
    if (old && oldText.str() == text)
        return 0;
    std::ofstream f(argv[1], std::ios::binary);
    f << text;
    return f ? 0 : 1;
}
