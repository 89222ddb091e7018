// The resource library binding and the string cache.
#include "platform/spooler/winspool.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/windows.h"
#include "platform/gdi/resload.h"
#include "tests/settings_core/printer_fixture.h"
#include "ui/settings/papertable.h"
#include "ui/settings/strcache.h"

namespace {

// A library stand-in: text n is "<n>:" followed by filler up to its length.
std::map<UINT, int> g_lengths;
int g_calls = 0;

std::u16string TextOf(UINT id) {
    if (id == 41000) return u"<%s>";
    std::string s = std::to_string(id) + ":";
    auto it = g_lengths.find(id);
    int n = it != g_lengths.end() ? it->second : 50;
    while ((int)s.size() < n) s += (char)('a' + s.size() % 26);
    s.resize((size_t)n);
    return std::u16string(s.begin(), s.end());
}

int FakeLoadString(HMODULE, UINT id, LPWSTR psz, int cch) {
    g_calls++;
    if (id == 30000) return 0;  // no such text
    std::u16string t = TextOf(id);
    int n = (int)t.size() < cch ? (int)t.size() : cch - 1;  // cut, as the platform does
    for (int i = 0; i < n; i++) psz[i] = t[(size_t)i];
    psz[n] = 0;
    return n;
}

struct StringCacheTest : InstalledPrinter {
    void SetUp() override {
        InstalledPrinter::SetUp();
        g_lengths.clear();
        g_calls = 0;
        StringCacheSetLoader(FakeLoadString);
        ASSERT_NE(LoadResourceDll(), nullptr);
    }
    void TearDown() override {
        while (GetResourceDllHandle()) FreeResourceDll();
        StringCacheSetLoader(nullptr);
        InstalledPrinter::TearDown();
    }
};

TEST_F(StringCacheTest, IdRangeAndTheNeverShownId) {
    const struct { UINT id; bool bText; } kCases[] = {
        {19999, false}, {20000, true}, {64000, true}, {64001, false}, {21200, false}, {30000, false}, {0, false},
    };
    for (const auto& c : kCases) {
        LPCWSTR p = GetResString(c.id);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::u16string(p), c.bText ? TextOf(c.id) : u"") << c.id;
    }
}

TEST_F(StringCacheTest, PaperNamesComeWithTheLibrary) {
    // Paper display names: the row's text, at most 31 characters.
    EXPECT_EQ(std::u16string(GetPaperDisplayName(9)), TextOf(21313).substr(0, 31));
    EXPECT_EQ(std::u16string(GetPaperDisplayName(257)), TextOf(21300).substr(0, 31));
}

TEST_F(StringCacheTest, EachIdIsLoadedOnce) {
    LPCWSTR a = GetResString(20100);
    int calls = g_calls;
    LPCWSTR b = GetResString(20100);
    EXPECT_EQ(a, b);
    EXPECT_EQ(g_calls, calls);
}

TEST_F(StringCacheTest, LongTextsAreRefusedNotCut) {
    g_lengths[20001] = 999;
    g_lengths[20002] = 1000;
    g_lengths[20003] = 1500;
    EXPECT_EQ(std::u16string(GetResString(20001)).size(), 999u);
    EXPECT_EQ(std::u16string(GetResString(20002)), u"");
    EXPECT_EQ(std::u16string(GetResString(20003)), u"");
}

TEST_F(StringCacheTest, OldTextsStayValidWhileTheCacheGrows) {
    // 200 texts of 900 characters: far more than the first 100 KB.
    std::vector<LPCWSTR> texts;
    for (UINT id = 40000; id < 40200; id++) {
        g_lengths[id] = 900;
        texts.push_back(GetResString(id));
    }
    for (UINT id = 40000; id < 40200; id++) EXPECT_EQ(std::u16string(texts[id - 40000]), TextOf(id)) << id;
    // Two fresh texts in one call, the second one growing the cache.
    g_lengths[41001] = 990;
    WCHAR out[2048];
    wsprintfW(out, GetResString(41000), GetResString(41001));
    EXPECT_EQ(std::u16string(out), u"<" + TextOf(41001) + u">");
    EXPECT_EQ(std::u16string(GetResString(41001)), TextOf(41001));
}

TEST_F(StringCacheTest, ThreadsShareOneCache) {
    for (UINT id = 50000; id < 50400; id++) g_lengths[id] = 600;
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([t, &bad] {
            LoadResourceDll();
            std::vector<LPCWSTR> mine;
            for (UINT id = 50000 + t; id < 50400; id += 2) mine.push_back(GetResString(id));
            UINT id = 50000 + t;
            for (LPCWSTR p : mine) {
                if (std::u16string(p) != TextOf(id)) bad[t]++;
                id += 2;
            }
            FreeResourceDll();
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; t++) EXPECT_EQ(bad[t], 0) << t;
    EXPECT_NE(GetResourceDllHandle(), nullptr);  // the fixture's use remains
}

TEST_F(StringCacheTest, UsesAreCountedAndAStrayFreeIsIgnored) {
    LPCWSTR p = GetResString(20500);
    ASSERT_NE(LoadResourceDll(), nullptr);  // a second holder
    FreeResourceDll();
    // The other holder still has the library and its texts.
    EXPECT_NE(GetResourceDllHandle(), nullptr);
    EXPECT_EQ(std::u16string(p), TextOf(20500));
    int calls = g_calls;
    GetResString(20500);
    EXPECT_EQ(g_calls, calls);
    FreeResourceDll();  // the last use
    EXPECT_EQ(GetResourceDllHandle(), nullptr);
    EXPECT_EQ(std::u16string(GetResString(20500)), u"");
    FreeResourceDll();  // no use left: ignored
    EXPECT_NE(LoadResourceDll(), nullptr);
    EXPECT_EQ(std::u16string(GetResString(20500)), TextOf(20500));
    EXPECT_TRUE(bResStringExists(20500));
    EXPECT_FALSE(bResStringExists(30000));
    EXPECT_FALSE(bResStringExists(64001));
}

TEST(ResourceLibrary, UnboundLibraryGivesEmptyTexts) {
    // Frees without loads are ignored and take nothing from a later holder.
    FreeResourceDll();
    FreeResourceDll();
    EXPECT_EQ(GetResourceDllHandle(), nullptr);
    EXPECT_EQ(std::u16string(GetResString(20000)), u"");
    EXPECT_FALSE(bResStringExists(20000));
    ASSERT_NE(LoadResourceDll(), nullptr);
    EXPECT_NE(GetResourceDllHandle(), nullptr);
    FreeResourceDll();
    EXPECT_EQ(GetResourceDllHandle(), nullptr);
}

TEST(ResourceLibrary, PathInTheDriverDirectory) {
    WCHAR sz[MAX_PATH + 64];
    ASSERT_TRUE(GetResourceDllPath(sz, MAX_PATH + 64));
    std::u16string path(sz);
    const std::u16string tail = std::u16string(SPL_DRIVER_SUBDIRECTORY) + u"\\Q730MVT3.DLL";
    ASSERT_GT(path.size(), tail.size());
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
    EXPECT_FALSE(GetResourceDllPath(sz, 10));
}

}  // namespace

namespace {

TEST_F(StringCacheTest, BitmapsIconsAndCursorsOfTheLibrary) {
    HMODULE h = GetResourceDllHandle();
    ASSERT_NE(h, nullptr);
    HBITMAP hbm = LoadResBitmap(h, MAKEINTRESOURCEW(10000));
    EXPECT_NE(hbm, nullptr);
    if (hbm) DeleteObject(hbm);
    HICON hi = LoadResIcon(h, MAKEINTRESOURCEW(14000));
    EXPECT_NE(hi, nullptr);
    if (hi) DestroyIcon(hi);
    HCURSOR hc = LoadResCursor(h, MAKEINTRESOURCEW(11000));
    EXPECT_NE(hc, nullptr);
    if (hc) DestroyCursor(hc);
    EXPECT_EQ(LoadResBitmap(h, MAKEINTRESOURCEW(1)), nullptr);
    // Without the library every picture is missing.
    EXPECT_EQ(LoadResBitmap(nullptr, MAKEINTRESOURCEW(10000)), nullptr);
    EXPECT_EQ(LoadResIcon(nullptr, MAKEINTRESOURCEW(14000)), nullptr);
    EXPECT_EQ(LoadResCursor(nullptr, MAKEINTRESOURCEW(11000)), nullptr);
}

}  // namespace
