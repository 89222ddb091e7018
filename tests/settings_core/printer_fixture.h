// A fresh root with one installed printer of this driver (the libraries are
// copied from the folder of the test program).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/windows.h"
#include "tests/common/testroot.h"

struct InstalledPrinter : ::testing::Test {
    HANDLE hPrinter = nullptr;
    void SetUp() override {
        TestNewRoot();
        PlatResetSpoolerCounters();
        PlatDenyPrinterDataWrites(FALSE);
        ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Office", u"C:\\port.prn", nullptr));
        ASSERT_TRUE(OpenPrinterW((LPWSTR)u"QX-730 Office", &hPrinter, nullptr));
        PlatResetSpoolerCounters();
    }
    void TearDown() override {
        if (hPrinter) ClosePrinter(hPrinter);
        PlatDenyPrinterDataWrites(FALSE);
    }
    void Store(LPCWSTR pszValue, const void* pData, DWORD cb) {
        ASSERT_EQ(SetPrinterDataW(hPrinter, (LPWSTR)pszValue, REG_BINARY, (LPBYTE)pData, cb), (DWORD)ERROR_SUCCESS);
    }
    DWORD StoredSize(LPCWSTR pszValue) {
        DWORD cb = 0, type = 0;
        BYTE b;
        GetPrinterDataW(hPrinter, (LPWSTR)pszValue, &type, &b, 1, &cb);
        return cb;
    }
};
