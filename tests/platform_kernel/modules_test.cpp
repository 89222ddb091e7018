// Modules: Windows names onto shared objects, use counts, names answered,
// missing modules and functions.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <link.h>

namespace {

// Host file the module was loaded from.
std::string LoadedFrom(HMODULE h)
{
    struct link_map* lm = nullptr;
    if (!PlatModuleHostHandle(h) || dlinfo(PlatModuleHostHandle(h), RTLD_DI_LINKMAP, &lm) != 0 || !lm)
        return std::string();
    return lm->l_name;
}

std::u16string FileName(HMODULE h)
{
    WCHAR buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(h, buf, MAX_PATH);
    return std::u16string(buf, n);
}

// This build's driver folder (w32x86 in the i386 build, x64 in the native one).
const char16_t* const kDriverDir = SPL_DRIVER_VERSION_DIRECTORY;

}  // namespace

TEST(Modules, ResourceLibraryIsFoundBesideTheProgram)
{
    TestNewRoot();
    HMODULE h = LoadLibraryW(u"Q730MVT3.DLL");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(LoadedFrom(h), std::string(PlatGetProgramDir()) + "/libQ730MVT3.so");
    EXPECT_EQ(FileName(h), u"C:\\WINDOWS\\system32\\Q730MVT3.DLL");
    EXPECT_EQ(LoadLibraryW(u"q730mvt3"), h) << "same module, one more use";
    EXPECT_EQ(GetModuleHandleW(u"Q730MVT3.dll"), h);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(GetModuleHandleW(u"Q730MVT3.DLL"), h) << "one use left";
    EXPECT_TRUE(FreeLibrary(h));
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleW(u"Q730MVT3.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
    EXPECT_FALSE(FreeLibrary(h));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

TEST(Modules, PathUnderTheDriverFolderPrefersTheCopyThere)
{
    TestNewRoot();
    std::u16string path = std::u16string(kDriverDir) + u"\\Q730MVT3.DLL";
    // Nothing installed yet: the library beside the program stands in.
    HMODULE h = LoadLibraryW(path.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(LoadedFrom(h), std::string(PlatGetProgramDir()) + "/libQ730MVT3.so");
    EXPECT_EQ(FileName(h), path);
    FreeLibrary(h);

    std::string dir = PlatHostPath(kDriverDir);
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(std::string(PlatGetProgramDir()) + "/libQ730MVT3.so", dir + "/libq730mvt3.so");
    std::u16string mixed = u"c:\\windows\\SYSTEM32\\spool\\drivers\\" SPL_ARCH_DIRECTORY u"\\3\\Q730MVT3.DLL";
    h = LoadLibraryW(mixed.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(LoadedFrom(h), dir + "/libq730mvt3.so");
    EXPECT_EQ(FileName(h), u"C:\\windows\\SYSTEM32\\spool\\drivers\\" SPL_ARCH_DIRECTORY u"\\3\\Q730MVT3.DLL");
    FreeLibrary(h);
}

TEST(Modules, MissingModulesAndFunctions)
{
    const char16_t* missing[] = {u"NOSUCH.DLL", u"C:\\WINDOWS\\system32\\nosuch.dll", u"NOSUCH"};
    for (const char16_t* m : missing) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryW(m), nullptr);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
    }
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);

    HMODULE k = LoadLibraryW(u"KERNEL32.DLL");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(GetProcAddress(k, "GlobalAlloc"), reinterpret_cast<FARPROC>(&GlobalAlloc));
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(k, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(k, reinterpret_cast<LPCSTR>(12)), nullptr) << "ordinals are not exported here";
    EXPECT_EQ(GetProcAddress(nullptr, "GlobalAlloc"), nullptr);
    EXPECT_TRUE(FreeLibrary(k));

    HMODULE w = LoadLibraryW(u"winspool.drv");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(FileName(w), u"C:\\WINDOWS\\system32\\winspool.drv");
    FreeLibrary(w);
}

TEST(Modules, ProgramFileNameAndTruncation)
{
    PlatSetProgramPath(u"C:\\Program Files\\Office\\EXCEL.EXE");
    EXPECT_EQ(FileName(nullptr), u"C:\\Program Files\\Office\\EXCEL.EXE");
    EXPECT_EQ(FileName(GetModuleHandleW(nullptr)), u"C:\\Program Files\\Office\\EXCEL.EXE");
    WCHAR small[8];
    for (WCHAR& c : small)
        c = u'#';
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 6), 6u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(small), u"C:\\Pr") << "cut and terminated";
    EXPECT_EQ(small[6], u'#');
    PlatSetProgramPath(nullptr);
    std::u16string def = FileName(nullptr);
    EXPECT_EQ(def.rfind(u"C:\\WINDOWS\\system32\\", 0), 0u);
    EXPECT_EQ(def.substr(def.size() - 4), u".exe");
}
