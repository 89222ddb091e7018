#include "ordexfix.h"

namespace {

BOOL _CaptureWrite(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    // The fixture's PDEV block starts the TestPdev record it belongs to's
    // vector; the owner is found through the reserved bytes.
    TestPdev* pOwner = nullptr;
    memcpy(&pOwner, pPDev->abReserved, sizeof(pOwner));
    pOwner->sStream.append(reinterpret_cast<const char*>(pb), cb);
    ++pOwner->cWrites;
    return TRUE;
}

}  // namespace

TestPdev::TestPdev() : block(PDEV_BLOCK_SIZE, 0)
{
    PDEV* p = pdev();
    p->dwSignature = PDEV_SIGNATURE;
    p->dwSignatureEnd = PDEV_SIGNATURE;
    p->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
    p->wPdevSize = (WORD)PDEV_TOTAL_SIZE;
    p->lNupScale = 10000;
    SetPdevWriteJobData(p, _CaptureWrite);
    TestPdev* self = this;
    memcpy(p->abReserved, &self, sizeof(self));

    DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(dm());
    pdm->dmSpecVersion = DM_SPECVERSION;
    pdm->dmSize = 220;
    pdm->dmDriverExtra = 2395;
    // The shadow copy of the public header the graphics library reads.
    Short(296, 1);     // portrait
    Short(298, 9);     // A4
    Short(306, 1);     // one copy
    Short(314, 1);     // one-sided
    Short(316, 600);   // dpi
    Short(776, 9);     // output paper A4
    Short(1543, 7);    // tray: auto
    Short(1545, 1);    // output bin: default
    Byte(1561, 1);     // face down
    Byte(1570, 1);     // no front cover
    Short(1571, 1);
    Byte(1573, 1);     // no back cover
    Short(1574, 1);
    Byte(2158, 1);     // smoothing off
    Byte(2167, 2);     // print job
    Long(2407, 500);   // printable rectangle of the output paper
    Long(2411, 400);
    Long(2415, 20500);
    Long(2419, 29300);
}

TestPdev::~TestPdev()
{
    // A job a test left open still gives its buffers back.
    if (work()->bDocOpen) {
        PdlEndDoc(pdev());
    }
}

void TestPdev::Wide(int off, const char16_t* psz, int cchField, bool bComplement)
{
    std::u16string text = psz;
    for (int i = 0; i < cchField; ++i) {
        WCHAR wc = i < (int)text.size() ? text[i] : 0;
        Short(off + 2 * i, (SHORT)(bComplement ? (WCHAR)~wc : wc));
        if (wc == 0) {
            break;
        }
    }
}

void TestPdev::UserName(const char16_t* psz)
{
    std::u16string s = psz;
    memset(work()->szUserName, 0, sizeof(work()->szUserName));
    memcpy(work()->szUserName, s.data(), s.size() * 2);
}

std::string TestPdev::Take()
{
    std::string s;
    s.swap(sStream);
    return s;
}

std::vector<std::string> Lines(const std::string& s)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        size_t j = s.find('\n', i);
        if (j == std::string::npos) {
            out.push_back(s.substr(i));
            break;
        }
        out.push_back(s.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

bool HasRun(const std::vector<std::string>& have, const std::vector<std::string>& want)
{
    if (want.empty()) {
        return true;
    }
    for (size_t i = 0; i + want.size() <= have.size(); ++i) {
        bool bAll = true;
        for (size_t k = 0; k < want.size() && bAll; ++k) {
            bAll = have[i + k] == want[k];
        }
        if (bAll) {
            return true;
        }
    }
    return false;
}
