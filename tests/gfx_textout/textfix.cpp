#include "textfix.h"

#include <cstring>

namespace {

BOOL _CaptureWrite(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    TextPdev* pOwner = nullptr;
    memcpy(&pOwner, pPDev->abReserved, sizeof(pOwner));
    pOwner->sStream.append(reinterpret_cast<const char*>(pb), cb);
    return TRUE;
}

void _Short(BYTE* p, int off, int v)
{
    p[off] = (BYTE)(v & 0xFF);
    p[off + 1] = (BYTE)((v >> 8) & 0xFF);
}

}  // namespace

TextPdev::TextPdev() : block(PDEV_BLOCK_SIZE, 0)
{
    PDEV* p = pdev();
    p->dwSignature = PDEV_SIGNATURE;
    p->dwSignatureEnd = PDEV_SIGNATURE;
    p->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
    p->wPdevSize = (WORD)PDEV_TOTAL_SIZE;
    p->lNupScale = 10000;
    SetPdevWriteJobData(p, _CaptureWrite);
    TextPdev* self = this;
    memcpy(p->abReserved, &self, sizeof(self));
    DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(dm());
    pdm->dmSpecVersion = DM_SPECVERSION;
    pdm->dmSize = 220;
    pdm->dmDriverExtra = 2395;
    _Short(dm(), 310, 600);  // dpi of the settings' copy of the public header
    _Short(dm(), 316, 600);
    dm()[778] = 2;           // ORDEX graphics
    dm()[1411] = 1;          // device fonts on
    dm()[2167] = 2;          // print job
    work()->nPageSide = 1;
    so.iType = STYPE_DEVICE;
    so.dhpdev = reinterpret_cast<DHPDEV>(p);
    so.sizlBitmap = {4960, 7016};
    // What StartDoc does to the state: every cached attribute unknown, and
    // the grey levels of the job's tone curve.
    LoadToneCurve(p);
    PdlResetState(p);
}

TextPdev::~TextPdev()
{
    SetFontSubstList(pdev(), nullptr, 0);
}

void TextPdev::Substitute(const std::vector<std::pair<std::u16string, std::u16string>>& pairs)
{
    aNodes.assign(pairs.size(), FONTSUBNODE{});
    for (size_t i = 0; i < pairs.size(); ++i) {
        aNodes[i].dwNext = i + 1 < pairs.size() ? static_cast<DWORD>(i + 2) : 0;
        memcpy(aNodes[i].szTrueType, pairs[i].first.c_str(), 2 * (pairs[i].first.size() + 1));
        memcpy(aNodes[i].szDevice, pairs[i].second.c_str(), 2 * (pairs[i].second.size() + 1));
    }
    SetFontSubstList(pdev(), aNodes.empty() ? nullptr : &aNodes[0], static_cast<DWORD>(aNodes.size()));
}

void TextPdev::SubstituteDefaults()
{
    Substitute({
        {u"ＭＳ Ｐ明朝", u"HGP明朝L"}, {u"ＭＳ 明朝", u"HG明朝L"}, {u"ＭＳ Ｐゴシック", u"HGPゴシックB"},
        {u"ＭＳ ゴシック", u"HGゴシックB"}, {u"Albertus Extra Bold", u"Albertus Extra Bold"},
        {u"Albertus Medium", u"Albertus Medium"}, {u"Antique Olive", u"Antique Olive"},
        {u"Arial", u"Arial"}, {u"CG Omega", u"CG Omega"}, {u"CG Times", u"CG Times"},
        {u"Clarendon Condensed", u"Clarendon Condensed"}, {u"Coronet", u"Coronet"},
        {u"Courier New", u"Courier"}, {u"CourierPS", u"CourierPS"}, {u"Garamond", u"Garamond"},
        {u"Helvetica", u"Helvetica"}, {u"Helvetica Narrow", u"Helvetica Narrow"},
        {u"ITC Avant Garde Gothic", u"ITC Avant Garde Gothic"}, {u"ITC Bookman", u"ITC Bookman"},
        {u"ITC Zapf Chancery", u"ITC Zapf Chancery"}, {u"ITC Zapf Dingbats", u"ITC Zapf Dingbats"},
        {u"Letter Gothic", u"Letter Gothic"}, {u"Marigold", u"Marigold"},
        {u"New Century Schoolbook", u"New Century Schoolbook"}, {u"Palatino", u"Palatino"},
        {u"Symbol", u"Symbol"}, {u"SymbolPS", u"SymbolPS"}, {u"Times", u"Times"},
        {u"Times New Roman", u"Times New Roman"}, {u"Univers", u"Univers"},
        {u"Univers Condensed", u"Univers Condensed"}, {u"Wingdings", u"Wingdings"},
    });
}

std::string TextPdev::Take()
{
    std::string s;
    s.swap(sStream);
    return s;
}

TestFont::TestFont(const char16_t* pszFace, LONG lHeight, LONG lWeight, BOOL bItalic,
                   LONG lEscapement, LONG lWidth, BYTE jCharSet)
{
    LOGFONTW lf = {};
    lf.lfHeight = lHeight;
    lf.lfWidth = lWidth;
    lf.lfEscapement = lEscapement;
    lf.lfOrientation = lEscapement;
    lf.lfWeight = lWeight;
    lf.lfItalic = (BYTE)bItalic;
    lf.lfCharSet = jCharSet;
    std::u16string face = pszFace;
    memcpy(lf.lfFaceName, face.c_str(), 2 * (face.size() + 1));
    pfo = PlatFontRealize(&lf, 600, 600);
}

TestFont::~TestFont()
{
    if (pfo)
        PlatFontRelease(pfo);
}

TestString::TestString(FONTOBJ* pfo, const std::u16string& text, LONG x, LONG y,
                       BOOL bGlyphIndex)
{
    pstro = PlatStrCreate(pfo, (LPCWSTR)text.c_str(), (ULONG)text.size(), nullptr, FALSE,
                          bGlyphIndex, POINTL{x, y});
}

TestString::~TestString()
{
    if (pstro)
        PlatStrDelete(pstro);
}

std::vector<std::string> Lines(const std::string& s)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < s.size()) {
        size_t end = s.find('\n', pos);
        if (end == std::string::npos) {
            out.push_back(s.substr(pos));
            break;
        }
        out.push_back(s.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

std::vector<std::string> LinesWith(const std::string& s, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& line : Lines(s))
        if (line.compare(0, prefix.size(), prefix) == 0)
            out.push_back(line);
    return out;
}

BOOL DrawText(TextPdev& t, FONTOBJ* pfo, STROBJ* pstro, RECTL* prclExtra, RECTL* prclOpaque)
{
    BRUSHOBJ boFore = {};
    boFore.iSolidColor = 0;
    BRUSHOBJ boOpaque = {};
    boOpaque.iSolidColor = 0xFFFFFF;
    return DrawTextBody(&t.so, pstro, pfo, nullptr, prclExtra, prclOpaque, &boFore, &boOpaque,
                        nullptr, R2_COPYPEN);
}
