// A settings object of an installed printer, and the host side of settings
// files, for the transfer tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/listset.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

inline const char16_t* XferPrinter() { return u"Transfer Printer"; }

// The bytes of a file given by its Windows path ("" when missing).
inline std::string ReadWinFile(LPCWSTR pszPath)
{
    // Kept profile writes go out first.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, pszPath);
    std::ifstream f(PlatHostPath(pszPath), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline void WriteWinFile(LPCWSTR pszPath, const std::string& bytes)
{
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, pszPath);
    std::ofstream f(PlatHostPath(pszPath), std::ios::binary | std::ios::trunc);
    f << bytes;
}

// The lines of one section of a file, header included, up to the next
// header: "[name]\r\n" + its lines.
inline std::string SectionText(const std::string& file, const std::string& name)
{
    std::string header = "[" + name + "]\r\n";
    size_t at = file.find(header);
    if (at == std::string::npos)
        return "";
    size_t end = file.find("\r\n[", at + header.size() - 2);
    return end == std::string::npos ? file.substr(at) : file.substr(at, end + 2 - at);
}

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        ASSERT_TRUE(PlatInstallPrinter(XferPrinter(), u"C:\\port.prn", nullptr));
        pdb = OpenOptionDb();
        ASSERT_NE(nullptr, pdb);
        dm.assign(DRV_DEVMODE_SIZE, 0);
        ASSERT_TRUE(InitDefaultDevmode(pdb, (DEVMODEW*)dm.data(), XferPrinter(), nullptr));
        ValidateDevmode(pdb, (DEVMODEW*)dm.data(), nullptr);
        pObj = NewObject();
        ASSERT_NE(nullptr, pObj);
    }
    void TearDown() override
    {
        for (UISETTINGS*& p : extra)
            DestroySettingsObject(&p);
        DestroySettingsObject(&pObj);
        CloseOptionDb(pdb);
    }
    UISETTINGS* NewObject()
    {
        std::vector<BYTE> copy = dm;
        UISETTINGS* p = nullptr;
        if (CreateSettingsObject(pdb, &p, (DEVMODEW*)copy.data(), 0, XferPrinter()) != 1)
            return nullptr;
        return p;
    }
    UISETTINGS* SecondObject()
    {
        UISETTINGS* p = NewObject();
        extra.push_back(p);
        return p;
    }
    LISTSET* Lists(UISETTINGS* p = nullptr) { return (p ? p : pObj)->trailer.pListSet; }

    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;
    std::vector<UISETTINGS*> extra;
};
