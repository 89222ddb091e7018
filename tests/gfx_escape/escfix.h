// A PDEV enabled as GDI enables it, reached through the library's own
// DrvEscape hook, with byte access to its image by PDEV, DEVMODE and work
// area offset.
#pragma once

#include "tests/gfx_frame/frame_fixture.h"

#include "graphics/ddi/escape.h"

#include <initializer_list>

#define OFF_D(x) (PDEV_DEVMODE_OFFSET + (x))
#define OFF_W(x) (PDEV_PDLWORK_OFFSET + (x))

struct EscPdev {
    std::vector<BYTE> dm = DefaultDevmode();
    PDEV* p = nullptr;
    SURFOBJ so = {};
    PFN_DrvEscape pfnEscape = nullptr;

    EscPdev()
    {
        GDIINFO gi = {};
        DEVINFO di = {};
        p = GenEnablePDEV(reinterpret_cast<DEVMODEW*>(dm.data()), nullptr, 0, nullptr, sizeof(gi),
                          reinterpret_cast<ULONG*>(&gi), sizeof(di), &di, nullptr,
                          const_cast<LPWSTR>(u"QX-730 Frame"), nullptr);
        so.dhpdev = reinterpret_cast<DHPDEV>(p);
        so.iType = STYPE_DEVICE;
        DRVENABLEDATA ded = {};
        DrvEnableDriver(0x20000, sizeof(ded), &ded);
        pfnEscape = reinterpret_cast<PFN_DrvEscape>(
            reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvEscape)));
    }
    ~EscPdev()
    {
        if (p)
            GenDisablePDEV(p);
    }
    EscPdev(const EscPdev&) = delete;
    EscPdev& operator=(const EscPdev&) = delete;

    ULONG Esc(ULONG iEsc, ULONG cjIn, const void* pvIn, ULONG cjOut = 0, void* pvOut = nullptr)
    {
        return pfnEscape(&so, iEsc, cjIn, const_cast<void*>(pvIn), cjOut, pvOut);
    }
    ULONG Esc(ULONG iEsc, const std::vector<BYTE>& in, ULONG cjOut = 0, void* pvOut = nullptr)
    {
        return Esc(iEsc, static_cast<ULONG>(in.size()), in.empty() ? nullptr : in.data(), cjOut,
                   pvOut);
    }
    BYTE* At(size_t off) { return reinterpret_cast<BYTE*>(p) + off; }
    std::vector<BYTE> Image() { return std::vector<BYTE>(At(0), At(PDEV_TOTAL_SIZE)); }
    void Poke(size_t off, std::initializer_list<BYTE> bytes)
    {
        std::memcpy(At(off), bytes.begin(), bytes.size());
    }
    LONG Long(size_t off)
    {
        LONG l;
        std::memcpy(&l, At(off), 4);
        return l;
    }
    void PokeLong(size_t off, LONG l) { std::memcpy(At(off), &l, 4); }
};

// Little-endian bytes of a 32-bit value.
inline std::vector<BYTE> LE32(DWORD v)
{
    return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}

// UTF-16 bytes of a text in a field of cb bytes (zero-padded, cut at cb).
inline std::vector<BYTE> Wide(const std::u16string& s, size_t cb)
{
    std::vector<BYTE> v(cb, 0);
    std::memcpy(v.data(), s.data(), std::min(cb, s.size() * 2));
    return v;
}

// The offsets where two images differ.
inline std::vector<size_t> Diff(const std::vector<BYTE>& a, const std::vector<BYTE>& b)
{
    std::vector<size_t> out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            out.push_back(i);
    return out;
}
