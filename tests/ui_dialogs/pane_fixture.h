// A settings object of an installed printer, a 32-bit drawing surface for a
// pane, and PNG files of what was drawn (reference images live beside the
// tests in reference/).
#pragma once

#include "platform/windows.h"
#include "ui/settings/uisettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Pixels {
    int w = 0, h = 0;
    std::vector<DWORD> px;  // 0x00RRGGBB, top row first
    DWORD at(int x, int y) const { return px[(size_t)y * w + x]; }
};

// A memory DC over a 32-bit bitmap, filled white, with the dialog font.
struct Surface {
    HDC hdc = nullptr;
    HBITMAP hbm = nullptr;
    HGDIOBJ hOldBitmap = nullptr;
    HFONT hFont = nullptr;
    HGDIOBJ hOldFont = nullptr;
    int w = 0, h = 0;
    Surface(int width, int height);
    ~Surface();
    Pixels Read() const;
};

bool WritePng(const Pixels& p, const std::string& path);
bool ReadPng(const std::string& path, Pixels* p);
// Path of a reference image in the source tree.
std::string ReferencePath(const std::string& name);
// Compares with the reference: every channel within tolerance, and at most
// maxBadShare of the pixels outside it. With Q730_WRITE_REFERENCES set the
// reference is written instead. The picture is always also written to the
// test root for a person to look at.
void ExpectLikeReference(const Pixels& p, const std::string& name, int tolerance = 24,
                         double maxBadShare = 0.01);

class PaneTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Sets the edited value of a setting by its settings-file key.
    void Set(const char16_t* key, SHORT value);
    SHORT Get(const char16_t* key);
    UISETTINGS* pObj = nullptr;
    void* pdb = nullptr;
    std::vector<BYTE> dm;
};
