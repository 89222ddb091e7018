// A settings object of an installed printer, edited the way a page edits
// it: bind, take the snapshot, write the user's value, resolve.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/msgbox.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/constraints/rules.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

inline const char16_t* RulesPrinter() { return u"QX-730 Rules"; }

class ConstraintTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        ASSERT_TRUE(PlatInstallPrinter(RulesPrinter(), u"C:\\rules.prn", nullptr));
        pdb = OpenOptionDb();
        ASSERT_NE(nullptr, pdb);
        dm.assign(DRV_DEVMODE_SIZE, 0);
        ASSERT_TRUE(InitDefaultDevmode(pdb, (DEVMODEW*)dm.data(), RulesPrinter(), nullptr));
        ValidateDevmode(pdb, (DEVMODEW*)dm.data(), nullptr);
        ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, (DEVMODEW*)dm.data(), 0, RulesPrinter()));
        BindFeatureFields(pObj);
        PlatMsgBoxReset();
    }
    void TearDown() override
    {
        DestroySettingsObject(&pObj);
        CloseOptionDb(pdb);
        PlatMsgBoxReset();
    }
    // Writes values without resolving (the state a test starts from).
    void Set(std::initializer_list<std::pair<WORD, SHORT>> values)
    {
        BindFeatureFields(pObj);
        for (auto& v : values)
            SetFeatureValue(v.first, v.second);
    }
    SHORT Get(WORD f)
    {
        BindFeatureFields(pObj);
        return GetFeatureValue(f);
    }
    // The user changes one control; answers are queued for the notices.
    void Change(WORD f, SHORT v, std::initializer_list<int> answers = {})
    {
        BindFeatureFields(pObj);
        SaveFeatureValues(pObj);
        SetFeatureValue(f, v);
        for (int a : answers)
            PlatMsgBoxPushAnswer(a);
        ResolveConstraintsOnChange(nullptr, pObj, f);
    }
    std::vector<BYTE> Bytes()
    {
        std::vector<BYTE> b((BYTE*)pObj, (BYTE*)pObj + pObj->trailer.cbFixed);
        b.insert(b.end(), pObj->trailer.pVariable, pObj->trailer.pVariable + pObj->trailer.cbVariable);
        return b;
    }
    // The object's bytes equal a copy taken before; names the first offset
    // that differs.
    void ExpectSameBytes(const std::vector<BYTE>& before, int f = 0, int v = 0)
    {
        std::vector<BYTE> now = Bytes();
        ASSERT_EQ(before.size(), now.size());
        for (size_t i = 0; i < now.size(); ++i)
            if (before[i] != now[i]) {
                // The parameter whose item starts nearest below the byte.
                int iOwner = -1;
                size_t best = 0;
                for (int k = 0; k < pObj->trailer.cParamRows; ++k) {
                    BYTE* p = GetParamSlot(pObj, pObj->trailer.pParamRows[k].row.wParamId);
                    if (!p || p < (BYTE*)pObj || p >= (BYTE*)pObj + pObj->trailer.cbFixed)
                        continue;
                    size_t off = p - (BYTE*)pObj;
                    if (off <= i && off >= best) {
                        best = off;
                        iOwner = pObj->trailer.pParamRows[k].row.wParamId;
                    }
                }
                int wOwner = iOwner;
                ADD_FAILURE() << "item offset " << (i - best);
                ADD_FAILURE() << "byte " << i << " differs (" << (int)before[i] << " -> " << (int)now[i]
                              << ") after feature " << f << " value " << v << " in parameter " << wOwner;
                return;
            }
    }
    std::u16string BoxText(int i)
    {
        HWND h;
        LPCWSTR t = nullptr, c = nullptr;
        UINT u;
        if (!PlatMsgBoxGet(i, &h, &t, &c, &u) || !t)
            return u"";
        return t;
    }
    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;
};

inline std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 128 ? (char)c : '?';
    return r;
}
