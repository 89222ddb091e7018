// settext.cpp: the display name and the comment of a settings file (see
// settext.h).
#include "ui/settings/settext.h"

#include <string>

const WCHAR g_szSetfileNameSection[] = u"QX_SETTING LIBRARY NAME";
const WCHAR g_szSetfileCommentSection[] = u"QX_SETTING LIBRARY COMMENT";

namespace {

// A line value: at most 512 characters of text inside the asterisks.
const DWORD kLineCch = SETFILE_COMMENT_CCH + 3;
// A name value: 40 characters inside the asterisks.
const DWORD kNameValueCch = SETFILE_NAME_CCH + 3;

void _CopyDefault(LPWSTR pszOut, DWORD cchOut, LPCWSTR pszDefault)
{
    if (pszOut && cchOut)
        lstrcpynW(pszOut, pszDefault ? pszDefault : u"", (int)cchOut);
}

void _Flush(LPCWSTR pszFile)
{
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, pszFile);
}

}  // namespace

BOOL bWriteSetfileString(LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszText, LPCWSTR pszFile)
{
    if (!pszSection || !pszKey || !pszText || !pszFile)
        return FALSE;
    if (lstrlenW(pszText) > SETFILE_NAME_CCH)
        return FALSE;
    std::u16string value = u"*" + std::u16string(pszText) + u"*";
    _Flush(pszFile);
    return WritePrivateProfileStringW(pszSection, pszKey, value.c_str(), pszFile);
}

int ReadSetfileString(LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszDefault, LPWSTR pszOut, LPCWSTR pszFile)
{
    if (!pszOut)
        return 0;
    const DWORD cchOut = SETFILE_NAME_CCH + 1;
    if (!pszSection || !pszKey || !pszFile) {
        _CopyDefault(pszOut, cchOut, pszDefault);
        return 0;
    }
    // One character more than a name value holds tells a longer one apart.
    WCHAR szValue[kNameValueCch + 1];
    DWORD cch = GetPrivateProfileStringW(pszSection, pszKey, u"**", szValue, kNameValueCch + 1, pszFile);
    if (cch > 2 && cch < kNameValueCch && szValue[0] == u'*' && szValue[cch - 1] == u'*') {
        lstrcpynW(pszOut, szValue + 1, (int)(cch - 1));
        return (int)(cch - 2);
    }
    _CopyDefault(pszOut, cchOut, pszDefault);
    return 0;
}

BOOL bWriteSetfileComment(LPCWSTR pszSection, LPCWSTR pszComment, LPCWSTR pszFile)
{
    if (!pszSection || !pszComment || !pszFile)
        return FALSE;
    _Flush(pszFile);
    // The whole section in one write: it replaces the old lines where the
    // section stands (a file rewritten keeps its order of sections), and a
    // write that fails leaves the old comment whole.
    std::u16string text(pszComment), lines;
    int cLines = 0;
    size_t start = 0;
    for (;;) {
        size_t lf = text.find(u'\n', start);
        size_t end = lf == std::u16string::npos ? text.size() : lf;
        if (lf != std::u16string::npos && end > start && text[end - 1] == u'\r')
            --end;
        std::u16string line = text.substr(start, end - start);
        for (char16_t& c : line)
            if (c == u'\t' || c == u'\r')
                c = u' ';
        WCHAR szKey[16];
        wsprintfW(szKey, u"%d", cLines++);
        lines += std::u16string(szKey) + u"=*" + line + u"*";
        lines.push_back(u'\0');
        if (lf == std::u16string::npos)
            break;
        start = lf + 1;
    }
    WCHAR szCount[16];
    wsprintfW(szCount, u"%d", cLines);
    lines += std::u16string(u"commentX=") + szCount;
    lines.push_back(u'\0');
    lines.push_back(u'\0');
    return WritePrivateProfileSectionW(pszSection, lines.c_str(), pszFile);
}

int ReadSetfileComment(LPCWSTR pszSection, LPCWSTR pszDefault, LPWSTR pszOut, DWORD cbOut, LPCWSTR pszFile)
{
    DWORD cchOut = cbOut / sizeof(WCHAR);
    if (!pszOut || !cchOut)
        return 0;
    if (!pszSection || !pszFile) {
        _CopyDefault(pszOut, cchOut, pszDefault);
        return 0;
    }
    int cLines = (int)GetPrivateProfileIntW(pszSection, u"commentX", 0, pszFile);
    if (cLines <= 0)
        return 0;
    std::u16string joined;
    for (int i = 0; i < cLines; ++i) {
        WCHAR szKey[16];
        wsprintfW(szKey, u"%d", i);
        WCHAR szLine[kLineCch];
        DWORD cch = GetPrivateProfileStringW(pszSection, szKey, u"**", szLine, kLineCch, pszFile);
        // A line must be enclosed; anything else (empty, one character, a
        // hand-edited value without its asterisks) is not a comment line.
        if (cch < 2 || szLine[0] != u'*' || szLine[cch - 1] != u'*') {
            _CopyDefault(pszOut, cchOut, pszDefault);
            return 0;
        }
        if (i > 0)
            joined += u"\r\n";
        joined.append(szLine + 1, cch - 2);
        // The room is checked before anything reaches the output.
        if (joined.size() + 1 > cchOut) {
            _CopyDefault(pszOut, cchOut, pszDefault);
            return 0;
        }
    }
    lstrcpynW(pszOut, joined.c_str(), (int)cchOut);
    return (int)joined.size();
}
