// fuzz.h: what every fuzz target provides and the helpers they share.
//
// A target is one program per outside input. It defines:
//   FuzzSetUp()     once per process, after the fresh root exists
//   FuzzOne(d, n)   one input; everything it creates it frees again
//   FuzzSeeds(out)  the valid inputs its corpus starts from
// The harness (fuzzharness.cpp) turns these into the libFuzzer entry points
// and checks after each input that nothing leaked: global memory blocks,
// heap bytes (under AddressSanitizer), printer handles and GDI objects. The
// mutation driver (fuzzdriver.cpp) runs them where libFuzzer is not used.
#pragma once

#include "platform/windows.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

void FuzzSetUp();
void FuzzOne(const uint8_t* pData, size_t cbData);
void FuzzSeeds(std::vector<std::string>* pSeeds);

// Reads typed values from the front of an input; past its end every read
// gives zero bytes, so a short input is still a whole (if dull) case.
struct FuzzInput {
    const uint8_t* p;
    size_t cb;
    size_t at = 0;

    FuzzInput(const uint8_t* pData, size_t cbData) : p(pData), cb(cbData) {}
    size_t Left() const { return cb - at; }
    void Bytes(void* pOut, size_t n)
    {
        size_t have = n < Left() ? n : Left();
        if (have)
            std::memcpy(pOut, p + at, have);
        std::memset(static_cast<uint8_t*>(pOut) + have, 0, n - have);
        at += have;
    }
    uint8_t U8() { uint8_t v = 0; Bytes(&v, 1); return v; }
    uint16_t U16() { uint16_t v = 0; Bytes(&v, 2); return v; }
    uint32_t U32() { uint32_t v = 0; Bytes(&v, 4); return v; }
    // The next n bytes (fewer at the end), as a block of their own so that
    // a read past them is a sanitizer report.
    std::vector<uint8_t> Take(size_t n)
    {
        size_t have = n < Left() ? n : Left();
        std::vector<uint8_t> v(p + at, p + at + have);
        at += have;
        return v;
    }
    std::vector<uint8_t> Rest() { return Take(Left()); }
};

// Appends the bytes of a value to a seed.
template <typename T>
void FuzzPut(std::string* pSeed, const T& v)
{
    pSeed->append(reinterpret_cast<const char*>(&v), sizeof(v));
}

// ---- the machine a target runs on ----------------------------------------------

#define FUZZ_PRINTER u"QX-730 Fuzz"
#define FUZZ_PORT u"C:\\ports\\fuzz.prn"

// Installs and initialises the fuzz printer (as the spooler adds a printer);
// aborts the program when that fails, since no case could mean anything.
void FuzzInstallPrinter();
// The driver's default job DEVMODE for the fuzz printer, through
// DocumentPropertiesW as an application asks for it.
std::vector<BYTE> FuzzDefaultDevmode();
// Writes a file given by its Windows path; FALSE when it cannot.
bool FuzzWriteFile(LPCWSTR pszPath, const void* pv, size_t cb);
// The bytes of a host file ("" when missing).
std::string FuzzReadHostFile(const std::string& path);
// Stops the program with a message (a finding that is not a sanitizer's).
[[noreturn]] void FuzzFail(const char* pszWhat);
// Saves the case being run as a finding of the kind ("crash", "leak"), where
// the mutation driver runs the target (libFuzzer saves its own).
void FuzzSaveFinding(const char* pszKind) __attribute__((weak));

// One page of drawing that reaches the graphics library's main roads: text
// in a device face and as glyph images (rotated), shapes with pens and
// brushes, a curve, a clipped path and a small bitmap. FALSE when a call
// failed (which a hostile job may well make happen).
bool FuzzDrawPage(HDC hdc);
// A whole document of cPages pages on hdc: StartDoc, pages, EndDoc (AbortDoc
// when a step fails). TRUE when every step succeeded.
bool FuzzPrintDocument(HDC hdc, int cPages);
