// What a user meets through q730 when something stored was damaged or is not
// the driver's: one bad value of the list of saved settings sets, a settings
// file cut short, a file of someone else's where a form is to be created,
// and a driver library copied while it was still being written. Bad input
// gets a clear refusal, and nothing already stored is lost or overwritten.
#include "platform/windows.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <fcntl.h>

namespace {

bool Has(const std::string& text, const std::string& what)
{
    return text.find(what) != std::string::npos;
}

void WriteHostFile(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), (std::streamsize)bytes.size());
}

// The first file of that name under the root ("" when there is none).
std::string FindInRoot(const std::string& name)
{
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(TestRootPath(), ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->path().filename() == name)
            return it->path().string();
    return "";
}

std::string PjlLine(const std::string& job, const std::string& key)
{
    size_t at = job.find("@PJL SET " + key + " = ");
    return at == std::string::npos ? "" : job.substr(at, job.find('\n', at) - at);
}

std::string Print(const std::string& file)
{
    RunResult r = RunQ730("print --output " + file);
    EXPECT_EQ(r.iExit, 0) << r.strErr;
    return ReadFile(TestRootFile(file));
}

// Saves the current settings as a set under that name.
void SaveSet(const std::string& name)
{
    RunResult r = RunQ730("preferences --menu 'Save/Recall>Save Settings' --type 'Name=" + name + "' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
}

// What the Save/Recall menu offers, as q730 names its items.
std::string MenuItems()
{
    RunResult menu = RunQ730("preferences --click Save/Recall");
    return menu.strErr;
}

// ---- the list of saved sets -----------------------------------------------------------

// The path under HKEY_CURRENT_USER of the first key named name below path.
std::u16string FindKey(const std::u16string& path, const std::u16string& name, int depth = 8)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return u"";
    std::u16string found;
    for (DWORD i = 0; found.empty(); ++i) {
        WCHAR sz[260];
        DWORD cch = 260;
        if (RegEnumKeyExW(h, i, sz, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::u16string sub = path + u"\\" + sz;
        if (name == sz)
            found = sub;
        else if (depth > 0)
            found = FindKey(sub, name, depth - 1);
    }
    RegCloseKey(h);
    return found;
}

struct LISTDAMAGE {
    const char* what;
    const char16_t* key;    // under "Locate Info"
    const char16_t* value;
    DWORD dwType;           // REG_NONE: the value is deleted
    const char* offered;    // what the menu offers afterwards
};

class Q730DamagedList : public testing::TestWithParam<LISTDAMAGE> {};

// Three sets saved, one value of the stored list damaged: the menu offers
// every set whose entry can still be read, and still does on the run after
// (the list rewritten from what was read never forgets them).
TEST_P(Q730DamagedList, CostsOnlyTheDamagedEntry)
{
    TestNewRoot();
    for (const char* name : {"Draft", "Final", "Memo"})
        SaveSet(name);
    ASSERT_TRUE(Has(MenuItems(), "\"Organize Settings\", \"Draft\", \"Final\", \"Memo\", \"Recall Details...\""));

    const LISTDAMAGE& d = GetParam();
    std::u16string locate = FindKey(u"Software", u"Locate Info");
    ASSERT_FALSE(locate.empty());
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (locate + u"\\" + d.key).c_str(), 0, KEY_ALL_ACCESS, &h),
              ERROR_SUCCESS);
    if (d.dwType == REG_NONE) {
        EXPECT_EQ(RegDeleteValueW(h, d.value), ERROR_SUCCESS);
    } else if (d.dwType == REG_SZ) {
        static const char16_t kText[] = u"three";
        EXPECT_EQ(RegSetValueExW(h, d.value, 0, REG_SZ, (const BYTE*)kText, sizeof(kText)), ERROR_SUCCESS);
    } else {
        DWORD v = 7;
        EXPECT_EQ(RegSetValueExW(h, d.value, 0, d.dwType, (const BYTE*)&v, 4), ERROR_SUCCESS);
    }
    RegCloseKey(h);

    const std::string offered = std::string("\"Organize Settings\", ") + d.offered + "\"Recall Details...\"";
    EXPECT_TRUE(Has(MenuItems(), offered)) << MenuItems();
    EXPECT_TRUE(Has(MenuItems(), offered)) << "on the next run: " << MenuItems();
}

INSTANTIATE_TEST_SUITE_P(
    Library, Q730DamagedList,
    testing::Values(
        LISTDAMAGE{"CountStoredAsText", u"Count", u"count", REG_SZ, "\"Draft\", \"Final\", \"Memo\", "},
        LISTDAMAGE{"CountDeleted", u"Count", u"count", REG_NONE, "\"Draft\", \"Final\", \"Memo\", "},
        LISTDAMAGE{"OneTurnValueAsText", u"Turn", u"1", REG_SZ, "\"Draft\", \"Memo\", "},
        LISTDAMAGE{"OnePathStoredAsANumber", u"File Info 02", u"Path", REG_DWORD, "\"Draft\", \"Final\", "}),
    [](const testing::TestParamInfo<LISTDAMAGE>& i) { return std::string(i.param.what); });

// ---- settings files cut short -----------------------------------------------------------

std::u16string Utf16(const std::string& bytes)
{
    return std::u16string((const char16_t*)bytes.data(), bytes.size() / 2);
}

std::string Bytes(const std::u16string& text)
{
    return std::string((const char*)text.data(), text.size() * 2);
}

// A set saved with three copies; the copies then set back to one, so that a
// recall of the set shows in the job.
std::string SaveThreeCopiesSet()
{
    RunResult r = RunQ730("preferences --set Copies=3");
    EXPECT_EQ(r.iExit, 0) << r.strErr;
    SaveSet("Draft");
    r = RunQ730("preferences --type Copies=1");
    EXPECT_EQ(r.iExit, 0) << r.strErr;
    return FindInRoot("Draft.xsf");
}

std::string RecallDraft()
{
    RunResult r = RunQ730("preferences --menu 'Save/Recall>Recall Details' --check 'Original size' --ok "
                          "--menu 'Save/Recall>Draft'");
    EXPECT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    return Print("recalled.prn");
}

// A file cut short before its end is refused: the set is not offered and
// never recalls as defaults for what was cut off.
TEST(Q730SettingsFile, CutShortIsRefusedNotReadAsDefaults)
{
    for (int iCut : {4, 2}) {
        TestNewRoot();
        const std::string path = SaveThreeCopiesSet();
        ASSERT_FALSE(path.empty());
        const std::string whole = ReadFile(path);
        ASSERT_TRUE(Has(MenuItems(), "\"Draft\"")) << MenuItems();
        WriteHostFile(path, whole.substr(0, whole.size() / iCut / 2 * 2));
        EXPECT_FALSE(Has(MenuItems(), "\"Draft\"")) << "cut to 1/" << iCut << ": " << MenuItems();
        // The file itself stays as it was left.
        EXPECT_EQ(ReadFile(path).size(), whole.size() / iCut / 2 * 2);
    }
}

// A file of an older writer (no end mark, and no word of one) still loads
// and recalls what it holds, also when it lacks keys.
TEST(Q730SettingsFile, FileOfAnOlderWriterStillRecalls)
{
    TestNewRoot();
    const std::string path = SaveThreeCopiesSet();
    ASSERT_FALSE(path.empty());
    std::u16string text = Utf16(ReadFile(path));
    size_t mark = text.find(u"endmark=1\r\n");
    ASSERT_NE(mark, std::u16string::npos);
    text.erase(mark, 11);
    size_t end = text.find(u"[QX_SETTING LIBRARY END]");
    ASSERT_NE(end, std::u16string::npos);
    text.erase(end);
    // A key the older writer did not know yet: read as its default.
    size_t page = text.find(u"pagenumStr=");
    ASSERT_NE(page, std::u16string::npos);
    text.erase(page, text.find(u"\r\n", page) + 2 - page);
    WriteHostFile(path, Bytes(text));
    EXPECT_TRUE(Has(MenuItems(), "\"Draft\"")) << MenuItems();
    EXPECT_EQ(PjlLine(RecallDraft(), "COPIES"), "@PJL SET COPIES = 3");
}

// ---- creating a form where a file is --------------------------------------------------

// Create form at the path of a file that is not a form file: the job stops
// and says why, and the file is left as it was. A form file there is
// replaced as before.
TEST(Q730Form, CreateNeverReplacesAFileThatIsNotAForm)
{
    TestNewRoot();
    mkdir(TestRootFile("c").c_str(), 0755);
    mkdir(TestRootFile("c/forms").c_str(), 0755);
    const std::string notes = "Someone's notes, not a form.\n";
    WriteHostFile(TestRootFile("c/forms/letter.xfo"), notes);
    RunResult r = RunQ730("preferences --page Form --check 'Create form' --type 'File name=C:\\forms\\letter' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    r = RunQ730("print --output port.prn");
    EXPECT_EQ(r.iExit, 1) << r.strOut << r.strErr;
    EXPECT_TRUE(Has(r.strErr, "a file that is not a form file is already there and is not replaced")) << r.strErr;
    EXPECT_TRUE(Has(r.strErr, "letter.xfo")) << r.strErr;
    EXPECT_EQ(ReadFile(TestRootFile("c/forms/letter.xfo")), notes);

    // An older form there is replaced by the new one.
    WriteHostFile(TestRootFile("c/forms/letter.xfo"), "foc old form;\n");
    r = RunQ730("print --output port.prn");
    EXPECT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    const std::string form = ReadFile(TestRootFile("c/forms/letter.xfo"));
    EXPECT_EQ(form.rfind("foc ", 0), 0u);
    EXPECT_FALSE(Has(form, "old form"));
    EXPECT_TRUE(Has(form, "txo #"));
}

// ---- a damaged copy of a driver library ------------------------------------------------

// A driver library in the root with the size and time of its original but
// not its bytes (copied while the build was still writing it) is copied
// again by the next run, which prints; in a fresh root the first run does.
TEST(Q730Install, DamagedCopyOfADriverLibraryIsRepaired)
{
    TestNewRoot();
    ASSERT_EQ(RunQ730("print --output zero.prn").iExit, 0);
    const std::string copy = FindInRoot("libQ730MVG3.so");
    ASSERT_FALSE(copy.empty());
    const std::string relative = copy.substr(TestRootPath().size());
    const std::string original = std::string(PlatGetProgramDir()) + "/libQ730MVG3.so";
    const std::string bytes = ReadFile(original);
    ASSERT_GT(bytes.size(), 4096u);
    struct stat st;
    ASSERT_EQ(stat(original.c_str(), &st), 0);
    auto damage = [&](const std::string& path) {
        std::string half = bytes;
        std::fill(half.begin() + (long)half.size() / 2, half.end(), '\0');
        std::fill(half.begin(), half.begin() + 64, '\0');
        WriteHostFile(path, half);
        struct timespec ts[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), ts, 0), 0);
    };

    // A root that works, its copy damaged afterwards.
    damage(copy);
    RunResult r = RunQ730("print --output one.prn");
    EXPECT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_EQ(ReadFile(copy), bytes);

    // A fresh root whose first copy was damaged.
    TestNewRoot();
    std::filesystem::create_directories(std::filesystem::path(TestRootPath() + relative).parent_path());
    damage(TestRootPath() + relative);
    r = RunQ730("print --output two.prn");
    EXPECT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_FALSE(Has(r.strErr, "error 193")) << r.strErr;
    EXPECT_EQ(ReadFile(TestRootPath() + relative), bytes);
}

}  // namespace
