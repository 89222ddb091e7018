// ordexfix.h: a PDEV built in the test, with its job DEVMODE set field by
// field and a capture of what the output router hands to the job record
// stream, and a splitter of a stream into its PJL lines and ORDEX commands.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "pdl/xgcmn/ordexnt/xgientnt.h"

// A zeroed PDEV block with both signatures, the ENVEXTRA offset and a job
// DEVMODE of a one-page A4 ORDEX print job at 600 dpi. Every byte written
// to the job record stream lands in sStream.
struct TestPdev {
    std::vector<BYTE> block;
    std::string sStream;
    int cWrites = 0;

    TestPdev();
    ~TestPdev();
    TestPdev(const TestPdev&) = delete;
    TestPdev& operator=(const TestPdev&) = delete;
    PDEV* pdev() { return reinterpret_cast<PDEV*>(block.data()); }
    PDLWORK* work() { return PdlWork(pdev()); }
    BYTE* dm() { return block.data() + PDEV_DEVMODE_OFFSET; }
    void Byte(int off, int v) { dm()[off] = (BYTE)v; }
    void Short(int off, int v) { DmSetShort(pdev(), off, (SHORT)v); }
    void Long(int off, LONG v) { memcpy(dm() + off, &v, 4); }
    void Wide(int off, const char16_t* psz, int cchField, bool bComplement = false);
    void UserName(const char16_t* psz);
    // The stream so far, cleared.
    std::string Take();
};

// A field of the packed work area by value: the area lies at an odd offset
// in the PDEV, so its fields are read, never bound to references.
template <class T>
T Val(T v)
{
    return v;
}

// The stream cut at each line end: PJL lines and ORDEX commands without
// their "\n". A last piece without a line end is kept as it is.
std::vector<std::string> Lines(const std::string& s);

// TRUE when want appears in have as consecutive lines.
bool HasRun(const std::vector<std::string>& have, const std::vector<std::string>& want);
