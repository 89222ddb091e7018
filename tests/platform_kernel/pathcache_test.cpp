// The path mapping remembers folders and folder listings between calls; a
// name is always found as the folder holds it now, whether the platform or
// another process changed it.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Host(const std::string& relative)
{
    return TestRootPath() + "/" + relative;
}

void HostMkdir(const std::string& relative)
{
    ASSERT_EQ(mkdir(Host(relative).c_str(), 0777), 0) << relative;
}

void HostTouch(const std::string& relative)
{
    std::ofstream(Host(relative)) << "x";
}

// Gives a host folder a time of last change an hour ago, as a folder that
// has been left alone for a while has: its listing may then be kept.
void Age(const std::string& relative)
{
    struct timespec t[2];
    clock_gettime(CLOCK_REALTIME, &t[0]);
    t[0].tv_sec -= 3600;
    t[1] = t[0];
    ASSERT_EQ(utimensat(AT_FDCWD, Host(relative).c_str(), t, 0), 0) << relative;
}

// Puts a folder's time of last change back to what it was, as a file
// system with coarse times (or a change in the same clock tick) leaves it.
struct KeepTime {
    std::string relative;
    struct timespec t[2];
    explicit KeepTime(const std::string& r) : relative(r)
    {
        struct stat st;
        stat(Host(r).c_str(), &st);
        t[0] = st.st_atim;
        t[1] = st.st_mtim;
    }
    void Restore() const { utimensat(AT_FDCWD, Host(relative).c_str(), t, 0); }
};

}  // namespace

TEST(PathCache, NamesAreSeenAsTheyAreNow)
{
    struct Case {
        const char* what;
        std::function<void()> prepare;  // host folders, aged, and first lookups
        std::function<void()> change;   // what the platform or another process does
        const char16_t* win;
        const char* host;  // expected, relative to the root
    };
    auto lookUp = [](const char16_t* w) { (void)PlatHostPath(w); };
    const Case cases[] = {
        {"another process renames a remembered folder to another case",
         [&] { HostMkdir("c/Data"); HostMkdir("c/Data/Sub"); Age("c/Data"); Age("c");
               lookUp(u"C:\\data\\sub\\f.txt"); },
         [] { rename(Host("c/Data").c_str(), Host("c/DATA").c_str()); },
         u"c:\\data\\SUB\\f.txt", "c/DATA/Sub/f.txt"},
        {"another process removes a remembered folder",
         [&] { HostMkdir("c/Tmp1"); HostMkdir("c/Tmp1/In"); Age("c"); lookUp(u"C:\\tmp1\\in\\f"); },
         [] { rmdir(Host("c/Tmp1/In").c_str()); rmdir(Host("c/Tmp1").c_str()); },
         u"C:\\tmp1\\in\\f", "c/tmp1/in/f"},
        {"another process adds a name a kept listing lacked",
         [&] { HostMkdir("c/Old"); Age("c/Old"); Age("c"); lookUp(u"C:\\old\\NEW.TXT"); },
         [] { HostTouch("c/Old/new.txt"); },
         u"C:\\old\\NEW.TXT", "c/Old/new.txt"},
        {"another process removes a name a kept listing held",
         [&] { HostMkdir("c/Old2"); HostTouch("c/Old2/Report.TXT"); Age("c/Old2"); Age("c");
               lookUp(u"C:\\old2\\report.txt"); },
         [] { unlink(Host("c/Old2/Report.TXT").c_str()); },
         u"C:\\old2\\report.txt", "c/Old2/report.txt"},
        {"another process adds a name in the clock tick of the listing",
         [&] { HostMkdir("c/Fresh"); lookUp(u"C:\\fresh\\LATE.TXT"); },
         [] { KeepTime k("c/Fresh"); HostTouch("c/Fresh/late.txt"); k.Restore(); },
         u"C:\\fresh\\LATE.TXT", "c/Fresh/late.txt"},
        {"the platform creates a file (folder time left as it was)",
         [&] { HostMkdir("c/Mine"); Age("c/Mine"); Age("c"); lookUp(u"C:\\mine\\MADE.TXT"); },
         [] {
             KeepTime k("c/Mine");
             HANDLE h = CreateFileW(u"C:\\Mine\\Made.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
             EXPECT_NE(h, INVALID_HANDLE_VALUE);
             CloseHandle(h);
             k.Restore();
         },
         u"c:\\mine\\MADE.TXT", "c/Mine/Made.txt"},
        {"the platform deletes a file (folder time left as it was)",
         [&] { HostMkdir("c/Mine2"); HostTouch("c/Mine2/Gone.txt"); Age("c/Mine2"); Age("c");
               lookUp(u"C:\\mine2\\GONE.TXT"); },
         [] { KeepTime k("c/Mine2"); EXPECT_TRUE(DeleteFileW(u"C:\\Mine2\\Gone.txt")); k.Restore(); },
         u"C:\\mine2\\GONE.TXT", "c/Mine2/GONE.TXT"},
        {"the platform renames a remembered folder",
         [&] { HostMkdir("c/Ren"); HostMkdir("c/Ren/Dir1"); HostMkdir("c/Ren/Dir1/Deep");
               Age("c/Ren"); Age("c"); lookUp(u"C:\\ren\\dir1\\deep\\f"); },
         [] { KeepTime k("c/Ren"); EXPECT_TRUE(MoveFileW(u"C:\\Ren\\Dir1", u"C:\\Ren\\Dir2")); k.Restore(); },
         u"C:\\ren\\dir1\\deep\\f", "c/Ren/dir1/deep/f"},
        {"the platform renames a folder: the new name is found",
         [&] { HostMkdir("c/Ren2"); HostMkdir("c/Ren2/Dir1"); Age("c/Ren2"); Age("c");
               lookUp(u"C:\\ren2\\DIR2\\f"); },
         [] { KeepTime k("c/Ren2"); EXPECT_TRUE(MoveFileW(u"C:\\Ren2\\Dir1", u"C:\\Ren2\\Dir2")); k.Restore(); },
         u"C:\\ren2\\DIR2\\f", "c/Ren2/Dir2/f"},
        {"the platform removes a folder and makes it again in another case",
         [&] { HostMkdir("c/Re"); HostMkdir("c/Re/Keep"); Age("c/Re"); Age("c");
               lookUp(u"C:\\re\\keep\\f"); },
         [] {
             KeepTime k("c/Re");
             EXPECT_TRUE(RemoveDirectoryW(u"C:\\Re\\Keep"));
             EXPECT_TRUE(CreateDirectoryW(u"C:\\Re\\KEEP", nullptr));
             k.Restore();
         },
         u"c:\\re\\keep\\f", "c/Re/KEEP/f"},
    };
    for (const Case& c : cases) {
        TestNewRoot();
        HostMkdir("c");
        c.prepare();
        c.change();
        EXPECT_EQ(PlatHostPath(c.win), Host(c.host)) << c.what;
        // And again, now that the new state may be remembered.
        EXPECT_EQ(PlatHostPath(c.win), Host(c.host)) << c.what << " (second lookup)";
    }
}

// A root set again starts the folders afresh: the same Windows path lands
// in the new root.
TEST(PathCache, ANewRootForgetsTheOldFolders)
{
    std::string first = TestNewRoot();
    HostMkdir("c");
    HostMkdir("c/Shared");
    Age("c");
    EXPECT_EQ(PlatHostPath(u"C:\\shared\\f"), first + "/c/Shared/f");
    std::string second = TestNewRoot();
    HostMkdir("c");
    HostMkdir("c/SHARED");
    EXPECT_EQ(PlatHostPath(u"C:\\shared\\f"), second + "/c/SHARED/f");
}
