// schedfix.h: a PDEV built in the test with a job DEVMODE set field by
// field, insert-sheet records written byte by byte into the buffer the job
// start allocates, a capture of the job stream, and the sheet table read
// back as (front, back, sides) triples.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "pdl/xgcmn/ordexnt/xrschedule.h"

namespace schedtest {

inline BOOL CaptureWrite(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    std::string* ps = nullptr;
    memcpy(&ps, pPDev->abReserved, sizeof(ps));
    ps->append(reinterpret_cast<const char*>(pb), cb);
    return TRUE;
}

// One insert-sheet record as the user interface writes it.
struct Rec {
    int nType;
    const char16_t* pszPages;
    int nTray = 4096;     // the job's tray
    int nBinding = 1;     // the job's binding
    int nTabKey = 0;      // 1 = carries its tab text
    int bInUse = 1;
};

// A one-sided A4 ORDEX print job with insert sheets switched on.
struct SchedPdev {
    std::vector<BYTE> block = std::vector<BYTE>(PDEV_BLOCK_SIZE, 0);
    std::string sStream;

    SchedPdev()
    {
        PDEV* p = pdev();
        p->dwSignature = PDEV_SIGNATURE;
        p->dwSignatureEnd = PDEV_SIGNATURE;
        p->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
        p->wPdevSize = (WORD)PDEV_TOTAL_SIZE;
        p->lNupScale = 10000;
        SetPdevWriteJobData(p, CaptureWrite);
        std::string* ps = &sStream;
        memcpy(p->abReserved, &ps, sizeof(ps));
        DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(dm());
        pdm->dmSpecVersion = DM_SPECVERSION;
        pdm->dmSize = 220;
        pdm->dmDriverExtra = 2395;
        Short(296, 1);     // portrait
        Short(298, 9);
        Short(306, 1);
        Short(314, 1);     // one-sided
        Short(316, 600);
        Short(776, 9);     // A4
        Short(1543, 7);    // tray: auto
        Short(1545, 1);
        Byte(1570, 1);
        Short(1571, 1);
        Byte(1573, 1);
        Short(1574, 1);
        Byte(1583, 1);     // insert sheets on
        Byte(2167, 2);     // print job
        Long(2407, 500);
        Long(2411, 400);
        Long(2415, 20500);
        Long(2419, 29300);
    }
    ~SchedPdev()
    {
        if (work()->bDocOpen)
            PdlEndDoc(pdev());
    }
    SchedPdev(const SchedPdev&) = delete;
    SchedPdev& operator=(const SchedPdev&) = delete;

    PDEV* pdev() { return reinterpret_cast<PDEV*>(block.data()); }
    PDLWORK* work() { return PdlWork(pdev()); }
    BYTE* dm() { return block.data() + PDEV_DEVMODE_OFFSET; }
    BYTE* w() { return reinterpret_cast<BYTE*>(work()); }
    void Byte(int off, int v) { dm()[off] = (BYTE)v; }
    void Short(int off, int v) { DmSetShort(pdev(), off, (SHORT)v); }
    void Long(int off, LONG v) { memcpy(dm() + off, &v, 4); }
    void WLong(int off, LONG v) { memcpy(w() + off, &v, 4); }
    void TwoSided(int nDuplex = 2)
    {
        Byte(1423, 1);
        Byte(1426, 1);
        Short(314, nDuplex);
    }

    // The record bytes at index i of the buffer.
    static void WriteRec(BYTE* p, const Rec& r)
    {
        memset(p, 0, 476);
        std::u16string s = r.pszPages;
        memcpy(p, s.data(), std::min<size_t>(s.size(), 128) * 2);
        p[258] = (BYTE)r.nType;
        p[259] = (BYTE)(r.nType >> 8);
        p[260] = (BYTE)r.nTray;
        p[261] = (BYTE)(r.nTray >> 8);
        p[262] = (BYTE)r.bInUse;
        p[264] = (BYTE)r.nBinding;
        p[265] = (BYTE)(r.nBinding >> 8);
        p[266] = (BYTE)r.nTabKey;
    }
    // Job start, the records and list values as the escapes leave them.
    void Start(const std::vector<Rec>& recs, LONG lMode = 0, int nCount = -1)
    {
        PdlStartDoc(pdev());
        for (size_t i = 0; i < recs.size(); ++i)
            WriteRec(PdlInsertSheets(pdev()) + i * 476, recs[i]);
        WLong(27180, nCount < 0 ? (LONG)recs.size() : nCount);
        WLong(27192, lMode);
    }
    int P() { return (SHORT)(w()[27160] | (w()[27161] << 8)); }
    int N() { return (SHORT)(w()[27162] | (w()[27163] << 8)); }
    SHEETENTRY* Entries()
    {
        // The header's word at 27168 is the table's slot in the side record.
        DWORD dwSlot = 0;
        memcpy(&dwSlot, w() + 27168, sizeof(dwSlot));
        return PdevRef<SHEETENTRY*>(pdev(), dwSlot, PREF_SHEETTABLE);
    }
    // Sheets 1..N as (front, back, sides).
    std::vector<std::tuple<int, int, int>> Sheets()
    {
        std::vector<std::tuple<int, int, int>> v;
        SHEETENTRY* pe = Entries();
        for (int i = 1; pe && i <= N(); ++i)
            v.emplace_back(pe[i].nFront, pe[i].nBack, pe[i].bSides);
        return v;
    }
    std::string Take()
    {
        std::string s;
        s.swap(sStream);
        return s;
    }
};

inline std::vector<std::string> Lines(const std::string& s)
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

inline bool Has(const std::vector<std::string>& v, const std::string& s)
{
    for (const std::string& x : v)
        if (x == s)
            return true;
    return false;
}

}  // namespace schedtest
