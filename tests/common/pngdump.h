// pngdump.h: writes a bitmap surface as a PNG picture, so that a page drawn
// by a test can be looked at.
#pragma once

#include <string>
#include <vector>

#include "platform/windows.h"

// Writes the 1-, 8-, 24- or 32-bit surface to the host path as PNG; FALSE
// when the surface's format is not one of these or the file cannot be
// written.
BOOL TestWritePng(SURFOBJ* pso, const std::string& hostPath);

// When $Q730_TEST_PNG_DIR is set, writes the surface there as NAME.png (for
// looking at a test's page); otherwise does nothing.
void TestDumpPng(SURFOBJ* pso, const std::string& name);

// Reads a PNG picture as 0x00RRGGBB pixels, top row first; FALSE when the
// file cannot be read as PNG.
bool TestReadPng(const std::string& hostPath, int* pcx, int* pcy, std::vector<DWORD>* ppx);
