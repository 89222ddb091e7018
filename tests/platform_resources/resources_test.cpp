// The resource library and the resource calls: LoadStringW's buffer rules,
// the texts the driver formats, images of the sizes the pages rely on, and a
// missing library that only gives empty answers.
#include "platform/windows.h"
#include "platform/gdi/resload.h"
#include "platform/kernel/resource.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

namespace {

class Resources : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_h = LoadLibraryW(u"Q730MVT3.DLL");
    }
    static void TearDownTestSuite()
    {
        if (s_h)
            FreeLibrary(s_h);
        s_h = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(s_h, nullptr) << "libQ730MVT3.so must be built beside the test";
    }

    // The whole text of a string, through the read-only pointer form.
    static std::u16string Text(UINT id)
    {
        const WCHAR* p = nullptr;
        int n = LoadStringW(s_h, id, reinterpret_cast<LPWSTR>(&p), 0);
        return n > 0 && p ? std::u16string(p, n) : std::u16string();
    }

    static HMODULE s_h;
};

HMODULE Resources::s_h = nullptr;

// The printf directives of a format, in order ("%%" is none), e.g. "sdd".
std::string Directives(const std::u16string& fmt)
{
    std::string out;
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != u'%')
            continue;
        ++i;
        if (i < fmt.size() && fmt[i] == u'%')
            continue;
        while (i < fmt.size() && (fmt[i] == u'-' || fmt[i] == u'0' || fmt[i] == u'#' || (fmt[i] >= u'1' && fmt[i] <= u'9')))
            ++i;
        while (i < fmt.size() && (fmt[i] == u'l' || fmt[i] == u'h'))
            ++i;
        if (i < fmt.size())
            out.push_back(fmt[i] == u'u' || fmt[i] == u'i' ? 'd' : (char)fmt[i]);
    }
    return out;
}

}  // namespace

// ---- LoadStringW ---------------------------------------------------------------

TEST_F(Resources, LoadStringTruncatesAndAlwaysTerminates)
{
    const UINT id = 20000;  // the first id of the table
    std::u16string whole = Text(id);
    ASSERT_GE(whole.size(), 4u);
    struct {
        int cch;
        size_t want;
    } cases[] = {{1, 0}, {2, 1}, {4, 3}, {(int)whole.size(), whole.size() - 1}, {(int)whole.size() + 1, whole.size()},
                 {200, whole.size()}};
    for (const auto& c : cases) {
        WCHAR buf[256];
        std::fill(std::begin(buf), std::end(buf), (WCHAR)0xCDCD);
        int n = LoadStringW(s_h, id, buf, c.cch);
        EXPECT_EQ(n, (int)c.want) << "cch " << c.cch;
        EXPECT_EQ(std::u16string(buf, c.want), whole.substr(0, c.want)) << "cch " << c.cch;
        EXPECT_EQ(buf[c.want], 0) << "cch " << c.cch;
        EXPECT_EQ(buf[c.cch], (WCHAR)0xCDCD) << "nothing past the buffer, cch " << c.cch;
    }
}

TEST_F(Resources, MissingIdsGiveZeroAndAnEmptyBuffer)
{
    for (UINT id : {19999u, 21007u, 64001u, 0u}) {
        WCHAR buf[8] = {u'x', u'x', 0};
        EXPECT_EQ(LoadStringW(s_h, id, buf, 8), 0) << id;
        EXPECT_EQ(buf[0], 0) << id;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_NAME_NOT_FOUND) << id;
    }
    EXPECT_EQ(LoadStringW(s_h, 20000, nullptr, 10), 0);
}

TEST_F(Resources, RangeEndsAndTheNeverShownIdAreInTheTable)
{
    for (UINT id : {20000u, 64000u, 21200u})
        EXPECT_FALSE(Text(id).empty()) << id;
}

// ---- the texts the driver relies on ----------------------------------------------

TEST_F(Resources, FormatsTakeTheArgumentsTheirCallersPass)
{
    struct {
        UINT id;
        const char* args;  // s text, d number, in the callers' order
    } cases[] = {
        {21000, "sss"},  {21010, "d"},       {21012, "s"},     {21013, "s"},     {21014, "sdd"},
        {21017, "sdd"},  {21018, "ss"},      {21020, "d"},     {20162, "dd"},    {21570, "dd"},
        {21571, "dddd"}, {22103, "sd"},      {22203, "s"},     {22205, "s"},     {22207, "sd"},
        {22210, "s"},    {22212, "s"},       {22213, "s"},     {22310, "ss"},    {22311, "sd"},
        {25005, "s"},    {25007, "ssssss"},  {25708, "sssssss"}, {25714, "d"},   {25727, "s"},
        {28501, "d"},    {28512, "s"},       {28514, "sd"},    {28597, "d"},     {29001, "d"},
        {29514, "s"},    {29515, "s"},       {29518, "s"},     {29519, "s"},     {29522, "s"},
        {31621, "s"},    {31622, "s"},       {31623, "s"},     {31625, "s"},     {31652, "s"},
        {31655, "s"},    {31663, "ddd"},     {31667, "s"},     {32004, "ddddd"}, {32006, "ss"},
        {32007, "sds"},  {32009, "s"},       {32020, "ddddd"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Directives(Text(c.id)), c.args) << "string " << c.id;
    // Labels and parts that are appended or passed as arguments hold none.
    for (UINT id : {20000u, 21016u, 21011u, 25101u, 25203u, 26411u, 26408u, 28513u, 30001u, 32001u})
        EXPECT_EQ(Directives(Text(id)), "") << "string " << id;
}

TEST_F(Resources, TextsFitTheFieldsThatHoldThem)
{
    // The window-title suffixes are compared on exactly 4 and 5 characters.
    EXPECT_EQ(Text(31632).size(), 4u);
    EXPECT_EQ(Text(31633).size(), 5u);
    // User paper names and insert-sheet list names live in wchar[17] fields.
    for (UINT id = 21550; id <= 21559; ++id)
        EXPECT_LE(Text(id).size(), 16u) << id;
    for (UINT id = 28587; id <= 28596; ++id)
        EXPECT_LE(Text(id).size(), 16u) << id;
    // The watermark size warning is formatted into 64 characters.
    WCHAR buf[WSPRINTF_MAX];
    std::u16string size = Text(30001);
    int n = wsprintfW(buf, Text(21014).c_str(), size.c_str(), 8, 400);
    EXPECT_LT(n, 64);
    // The default watermarks: 15 texts after the empty first one.
    for (UINT id = 30002; id <= 30016; ++id)
        EXPECT_FALSE(Text(id).empty()) << id;
}

// ---- images -----------------------------------------------------------------------

namespace {

BITMAP BitmapOf(HBITMAP h)
{
    BITMAP bm = {};
    EXPECT_EQ(GetObjectW(h, sizeof(bm), &bm), (int)sizeof(bm));
    return bm;
}

}  // namespace

TEST_F(Resources, BitmapsComeInTheirSizesAndMasksAreMonochrome)
{
    // The image-quality region has the picture's size and is black and white.
    HBITMAP pic = LoadBitmapW(s_h, MAKEINTRESOURCEW(11202));
    HBITMAP region = LoadBitmapW(s_h, MAKEINTRESOURCEW(11205));
    ASSERT_NE(pic, nullptr);
    ASSERT_NE(region, nullptr);
    BITMAP a = BitmapOf(pic), b = BitmapOf(region);
    EXPECT_EQ(a.bmWidth, b.bmWidth);
    EXPECT_EQ(a.bmHeight, b.bmHeight);
    EXPECT_EQ(b.bmBitsPixel, 1);
    EXPECT_EQ(a.bmBitsPixel, 24);
    DeleteObject(pic);
    DeleteObject(region);

    // Masked pairs blitted over each other share a size.
    for (auto pair : {std::pair<int, int>{10200, 10201}, {15884, 15885}, {12200, 12201}, {15921, 15920}, {15800, 15803}}) {
        HBITMAP i = LoadBitmapW(s_h, MAKEINTRESOURCEW(pair.first));
        HBITMAP m = LoadBitmapW(s_h, MAKEINTRESOURCEW(pair.second));
        ASSERT_TRUE(i && m) << pair.first;
        BITMAP bi = BitmapOf(i), bmk = BitmapOf(m);
        EXPECT_EQ(bi.bmWidth, bmk.bmWidth) << pair.first;
        EXPECT_EQ(bi.bmHeight, bmk.bmHeight) << pair.first;
        DeleteObject(i);
        DeleteObject(m);
    }

    EXPECT_EQ(LoadBitmapW(s_h, MAKEINTRESOURCEW(9999)), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_NAME_NOT_FOUND);
}

TEST_F(Resources, ResourceDataIsAPackedDib)
{
    HRSRC r = FindResourceW(s_h, MAKEINTRESOURCEW(15000), RT_BITMAP);
    ASSERT_NE(r, nullptr);
    DWORD cb = SizeofResource(s_h, r);
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(s_h, r)));
    ASSERT_NE(p, nullptr);
    ASSERT_GE(cb, 40u);
    DWORD biSize;
    memcpy(&biSize, p, 4);
    EXPECT_EQ(biSize, 40u);
    EXPECT_EQ(FindResourceW(s_h, MAKEINTRESOURCEW(15000), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(FindResourceW(s_h, u"BYNAME", RT_BITMAP), nullptr);
}

TEST_F(Resources, IconsAreSixteenPixelsAndCursorsLoad)
{
    LONG before = PlatLiveIcons();
    for (int id = 14000; id <= 14013; ++id) {
        HICON h = LoadIconW(s_h, MAKEINTRESOURCEW(id));
        ASSERT_NE(h, nullptr) << id;
        ICONINFO ii = {};
        ASSERT_TRUE(GetIconInfo(h, &ii));
        EXPECT_TRUE(ii.fIcon);
        BITMAP bm = BitmapOf(ii.hbmColor);
        EXPECT_EQ(bm.bmWidth, 16) << id;
        EXPECT_EQ(bm.bmHeight, 16) << id;
        EXPECT_EQ(BitmapOf(ii.hbmMask).bmBitsPixel, 1);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        EXPECT_TRUE(DestroyIcon(h));
    }
    for (int id : {11000, 11001}) {
        HCURSOR c = LoadCursorW(s_h, MAKEINTRESOURCEW(id));
        ASSERT_NE(c, nullptr) << id;
        EXPECT_TRUE(DestroyCursor(c));
    }
    EXPECT_EQ(PlatLiveIcons(), before);

    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow) << "the platform's cursors are shared";
    EXPECT_TRUE(DestroyCursor(arrow));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
    EXPECT_FALSE(DestroyIcon((HICON)&before));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

// ---- a missing library ------------------------------------------------------------

TEST(ResourcesMissing, MissingLibraryGivesNullAndEmptyAnswers)
{
    // A resource library that is not there anywhere.
    HMODULE h = LoadLibraryW(SPL_DRIVER_VERSION_DIRECTORY u"\\Q730NONE.DLL");
    EXPECT_EQ(h, nullptr);
    WCHAR buf[16] = {u'x', 0};
    EXPECT_EQ(LoadStringW(h, 20000, buf, 16), 0);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(FindResourceW(h, MAKEINTRESOURCEW(15000), RT_BITMAP), nullptr);
    EXPECT_EQ(LoadBitmapW(h, MAKEINTRESOURCEW(15000)), nullptr);
    EXPECT_EQ(LoadIconW(h, MAKEINTRESOURCEW(14000)), nullptr);
    EXPECT_EQ(SizeofResource(h, nullptr), 0u);
}

TEST(ResourcesInstalled, LibraryLoadsFromTheDriverFolderOfTheRoot)
{
    std::string dir = PlatHostPath(SPL_DRIVER_VERSION_DIRECTORY);
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(std::string(PlatGetProgramDir()) + "/libQ730MVT3.so", dir + "/libQ730MVT3.so",
                               std::filesystem::copy_options::overwrite_existing);
    WCHAR sys[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(sys, MAX_PATH), 0u);
    std::u16string path = std::u16string(sys) + SPL_DRIVER_SUBDIRECTORY u"\\Q730MVT3.DLL";
    HMODULE h = LoadLibraryW(path.c_str());
    ASSERT_NE(h, nullptr);
    WCHAR buf[8];
    EXPECT_EQ(LoadStringW(h, 31632, buf, 8), 4);
    FreeLibrary(h);
}

namespace {

// Heap bytes in use, where they are counted exactly: in a sanitized build
// (the C library counts the blocks it keeps for reuse as in use). 0 when
// they are not counted.
size_t HeapBytesInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return 0;
#endif
}

}  // namespace

TEST(ResourcesReloaded, FreeingTheLibraryDropsWhatItsLookupsKept)
{
    // Every print job loads and frees the resource library; what a lookup
    // keeps for a loaded library must go with it, or each job leaves some
    // behind (and it would point into a library that is gone).
    size_t cbWarm = 0;
    for (int i = 0; i < 12; ++i) {
        HMODULE h = LoadLibraryW(u"Q730MVT3.DLL");
        ASSERT_NE(h, nullptr);
        WCHAR buf[8];
        EXPECT_EQ(LoadStringW(h, 31632, buf, 8), 4) << "load " << i;
        EXPECT_NE(FindResourceW(h, MAKEINTRESOURCEW(31633), RT_STRING), nullptr) << "load " << i;
        FreeLibrary(h);
        if (i == 1)
            cbWarm = HeapBytesInUse();
    }
    EXPECT_LE(HeapBytesInUse(), cbWarm) << "heap bytes after the twelfth load and after the second";
}
