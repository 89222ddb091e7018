// The registry: the size protocol, names without regard to case, leaf-only
// deletes, enumeration, a second process seeing the same registry, and bad
// database files.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const BYTE kGuard = 0xCD;

// A key of its own under HKEY_CURRENT_USER for each test.
HKEY CreateKey(LPCWSTR path, DWORD* pDisposition = nullptr)
{
    HKEY h = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, pDisposition),
              ERROR_SUCCESS);
    return h;
}

// ---- a second process ---------------------------------------------------------
// The test program runs itself again with Q730_REGCHILD set; this hook runs
// before main in that copy, does one registry step in the given root and
// exits with 0 when it went as expected.
//   write  sets HKCU\Shared "FromChild" = REG_BINARY 01 02 03 00 FF
//   read   expects HKCU\Shared "FromParent" = REG_SZ u"parent" without terminator
//   change under HKCU\Seen: sets "Cached" to 2, deletes "Gone", deletes the
//          key Doomed and creates the key Born
int RunChildStep(const char* step, const char* root)
{
    PlatSetRoot(root);
    HKEY h = nullptr;
    if (!strcmp(step, "write")) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr))
            return 2;
        const BYTE data[] = {1, 2, 3, 0, 0xFF};
        LONG err = RegSetValueExW(h, u"FromChild", 0, REG_BINARY, data, sizeof(data));
        RegCloseKey(h);
        return err == ERROR_SUCCESS ? 0 : 3;
    }
    if (!strcmp(step, "read")) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, u"shared", 0, KEY_READ, &h))
            return 2;
        BYTE buf[64];
        DWORD cb = sizeof(buf), type = 0;
        LONG err = RegQueryValueExW(h, u"FROMPARENT", nullptr, &type, buf, &cb);
        RegCloseKey(h);
        if (err != ERROR_SUCCESS || type != REG_SZ || cb != 12 || memcmp(buf, u"parent", 12))
            return 4;
        return 0;
    }
    if (!strcmp(step, "change")) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Seen", 0, KEY_ALL_ACCESS, &h))
            return 2;
        DWORD v = 2;
        HKEY hBorn = nullptr;
        bool bOk = RegSetValueExW(h, u"Cached", 0, REG_DWORD, (const BYTE*)&v, 4) == ERROR_SUCCESS &&
                   RegDeleteValueW(h, u"Gone") == ERROR_SUCCESS && RegDeleteKeyW(h, u"Doomed") == ERROR_SUCCESS &&
                   RegCreateKeyExW(h, u"Born", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hBorn, nullptr) ==
                       ERROR_SUCCESS;
        RegCloseKey(hBorn);
        RegCloseKey(h);
        return bOk ? 0 : 3;
    }
    return 9;
}

struct ChildHook {
    ChildHook()
    {
        const char* step = getenv("Q730_REGCHILD");
        const char* root = getenv("Q730_REGCHILD_ROOT");
        if (step && root)
            _exit(RunChildStep(step, root));
    }
} g_childHook;

int RunChild(const char* step)
{
    std::string stepEnv = std::string("Q730_REGCHILD=") + step;
    std::string rootEnv = "Q730_REGCHILD_ROOT=" + TestRootPath();
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (strncmp(*e, "Q730_REGCHILD", 13))
            env.push_back(*e);
    env.push_back(stepEnv.data());
    env.push_back(rootEnv.data());
    env.push_back(nullptr);
    char self[] = "/proc/self/exe";
    char* argv[] = {self, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, env.data()))
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

}  // namespace

TEST(RegistryProcesses, ValueWrittenInOneProcessIsReadInAnother)
{
    ASSERT_EQ(RunChild("write"), 0);
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Shared", 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    BYTE buf[16];
    DWORD cb = sizeof(buf), type = 0;
    ASSERT_EQ(RegQueryValueExW(h, u"FromChild", nullptr, &type, buf, &cb), ERROR_SUCCESS);
    const BYTE want[] = {1, 2, 3, 0, 0xFF};
    EXPECT_EQ(type, (DWORD)REG_BINARY);
    ASSERT_EQ(cb, sizeof(want));
    EXPECT_EQ(memcmp(buf, want, sizeof(want)), 0);

    // The other way round, while this process keeps its handle open.
    ASSERT_EQ(RegSetValueExW(h, u"FromParent", 0, REG_SZ, (const BYTE*)u"parent", 12), ERROR_SUCCESS);
    EXPECT_EQ(RunChild("read"), 0);
    RegCloseKey(h);
}

// What this process read before (values, missing values, keys, a missing
// key) is read again after another process changed it, and a handle on a
// key that the other process deleted fails.
TEST(RegistryProcesses, ChangesOfAnotherProcessReplaceWhatThisOneRead)
{
    HKEY h = CreateKey(u"Seen");
    DWORD v = 1;
    ASSERT_EQ(RegSetValueExW(h, u"Cached", 0, REG_DWORD, (const BYTE*)&v, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(h, u"Gone", 0, REG_DWORD, (const BYTE*)&v, 4), ERROR_SUCCESS);
    HKEY hDoomed = CreateKey(u"Seen\\Doomed");
    HKEY hBorn = nullptr;
    // Read twice, so that the second read is the remembered one.
    for (int i = 0; i < 2; ++i) {
        DWORD got = 0, cb = 4;
        EXPECT_EQ(RegQueryValueExW(h, u"Cached", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_SUCCESS);
        EXPECT_EQ(got, 1u);
        cb = 4;
        EXPECT_EQ(RegQueryValueExW(h, u"Gone", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_SUCCESS);
        cb = 4;
        EXPECT_EQ(RegQueryValueExW(hDoomed, u"Any", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(RegOpenKeyExW(h, u"Born", 0, KEY_READ, &hBorn), ERROR_FILE_NOT_FOUND);
    }

    ASSERT_EQ(RunChild("change"), 0);

    DWORD got = 0, cb = 4;
    EXPECT_EQ(RegQueryValueExW(h, u"Cached", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_SUCCESS);
    EXPECT_EQ(got, 2u);
    cb = 4;
    EXPECT_EQ(RegQueryValueExW(h, u"Gone", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_FILE_NOT_FOUND);
    cb = 4;
    EXPECT_EQ(RegQueryValueExW(hDoomed, u"Any", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_KEY_DELETED);
    HKEY hAgain = nullptr;
    EXPECT_EQ(RegOpenKeyExW(h, u"Doomed", 0, KEY_READ, &hAgain), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExW(h, u"Born", 0, KEY_READ, &hBorn), ERROR_SUCCESS);
    RegCloseKey(hBorn);
    RegCloseKey(hDoomed);
    RegCloseKey(h);
}

// This process's own changes, deletes included, are read back at once.
TEST(RegistryProcesses, OwnChangesAreReadBackAtOnce)
{
    HKEY h = CreateKey(u"Own");
    for (DWORD v = 1; v <= 3; ++v) {
        ASSERT_EQ(RegSetValueExW(h, u"Count", 0, REG_DWORD, (const BYTE*)&v, 4), ERROR_SUCCESS);
        DWORD got = 0, cb = 4;
        EXPECT_EQ(RegQueryValueExW(h, u"Count", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_SUCCESS);
        EXPECT_EQ(got, v);
    }
    ASSERT_EQ(RegDeleteValueW(h, u"Count"), ERROR_SUCCESS);
    DWORD got = 0, cb = 4;
    EXPECT_EQ(RegQueryValueExW(h, u"Count", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_FILE_NOT_FOUND);
    HKEY hSub = CreateKey(u"Own\\Sub");
    RegCloseKey(hSub);
    ASSERT_EQ(RegDeleteKeyW(h, u"Sub"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(h, u"Sub", 0, KEY_READ, &hSub), ERROR_FILE_NOT_FOUND);
    RegCloseKey(h);
}

TEST(RegistryProcesses, ForkedChildUsesItsOwnConnection)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Forked", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        DWORD v = 42;
        LONG err = RegSetValueExW(h, u"FromChild", 0, REG_DWORD, (const BYTE*)&v, 4);
        _exit(err == ERROR_SUCCESS ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    DWORD v = 0, cb = 4;
    EXPECT_EQ(RegQueryValueExW(h, u"FromChild", nullptr, nullptr, (BYTE*)&v, &cb), ERROR_SUCCESS);
    EXPECT_EQ(v, 42u);
    RegCloseKey(h);
}

// ---- size protocol ------------------------------------------------------------

struct SizeCase {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
};

class RegistrySizeProtocol : public testing::TestWithParam<SizeCase> {};

TEST_P(RegistrySizeProtocol, SizeFirstThenExactBytesAndNoOverrun)
{
    const SizeCase& c = GetParam();
    HKEY h = CreateKey(u"Software\\SizeProtocol");
    ASSERT_EQ(RegSetValueExW(h, u"V", 0, c.type, c.data.data(), (DWORD)c.data.size()), ERROR_SUCCESS);

    DWORD type = 0, cb = 0;
    ASSERT_EQ(RegQueryValueExW(h, u"V", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(cb, c.data.size());

    if (!c.data.empty()) {
        std::vector<BYTE> small(c.data.size() + 8, kGuard);
        DWORD cbSmall = (DWORD)c.data.size() - 1;
        EXPECT_EQ(RegQueryValueExW(h, u"V", nullptr, &type, small.data(), &cbSmall), ERROR_MORE_DATA);
        EXPECT_EQ(cbSmall, c.data.size());
        for (BYTE b : small)
            EXPECT_EQ(b, kGuard) << "nothing may be copied into a buffer that is too small";
    }

    std::vector<BYTE> buf(c.data.size() + 8, kGuard);
    DWORD cbBuf = (DWORD)buf.size();
    ASSERT_EQ(RegQueryValueExW(h, u"V", nullptr, &type, buf.data(), &cbBuf), ERROR_SUCCESS);
    ASSERT_EQ(cbBuf, c.data.size());
    EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), buf.begin()));
    EXPECT_EQ(buf[c.data.size()], kGuard) << "no terminator is added";
    RegDeleteValueW(h, u"V");
    RegCloseKey(h);
}

INSTANTIATE_TEST_SUITE_P(
    Types, RegistrySizeProtocol,
    testing::Values(SizeCase{"sz with terminator", REG_SZ, {'a', 0, 'b', 0, 0, 0}},
                    SizeCase{"sz without terminator", REG_SZ, {'a', 0, 'b', 0}},
                    SizeCase{"odd-sized sz", REG_SZ, {'a', 0, 'b'}},
                    SizeCase{"expand sz", REG_EXPAND_SZ, {'%', 0, 'x', 0, '%', 0, 0, 0}},
                    SizeCase{"multi sz", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
                    SizeCase{"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
                    SizeCase{"2615-byte binary", REG_BINARY, std::vector<BYTE>(2615, 0x5A)},
                    SizeCase{"empty binary", REG_BINARY, {}}),
    [](const testing::TestParamInfo<SizeCase>& info) {
        std::string n = info.param.what;
        for (char& ch : n)
            if (!isalnum((unsigned char)ch))
                ch = '_';
        return n;
    });

TEST(RegistryValues, MissingValueKeyAndBadArguments)
{
    HKEY h = CreateKey(u"Software\\Missing");
    DWORD cb = 4, type = 0;
    BYTE buf[4];
    EXPECT_EQ(RegQueryValueExW(h, u"Nope", nullptr, &type, buf, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(h, u"Nope"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(h, u"Nope", nullptr, &type, buf, nullptr), ERROR_INVALID_PARAMETER);
    HKEY h2 = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Missing\\Below", 0, KEY_READ, &h2), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\\\Missing", 0, KEY_READ, &h2), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegQueryValueExW((HKEY)&cb, u"V", nullptr, nullptr, nullptr, &cb), ERROR_INVALID_HANDLE);

    // A value replaced by another type keeps only the new type and bytes.
    DWORD dw = 7;
    ASSERT_EQ(RegSetValueExW(h, u"T", 0, REG_DWORD, (const BYTE*)&dw, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(h, u"t", 0, REG_BINARY, (const BYTE*)"\x01\x02", 2), ERROR_SUCCESS);
    cb = sizeof(buf);
    ASSERT_EQ(RegQueryValueExW(h, u"T", nullptr, &type, buf, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_BINARY);
    EXPECT_EQ(cb, 2u);
    RegCloseKey(h);
}

// ---- names ------------------------------------------------------------------

TEST(RegistryNames, NamesDifferingOnlyInCaseAreOneKeyAndKeepTheirFirstSpelling)
{
    DWORD disp = 0;
    HKEY a = CreateKey(u"Software\\Case Test\\MixedCase Ünïcode", &disp);
    EXPECT_EQ(disp, (DWORD)REG_CREATED_NEW_KEY);
    HKEY b = CreateKey(u"SOFTWARE\\case test\\MIXEDCASE ÜNÏCODE", &disp);
    EXPECT_EQ(disp, (DWORD)REG_OPENED_EXISTING_KEY);

    DWORD dw = 0x11223344;
    ASSERT_EQ(RegSetValueExW(a, u"Value", 0, REG_DWORD, (const BYTE*)&dw, 4), ERROR_SUCCESS);
    DWORD got = 0, cb = 4;
    ASSERT_EQ(RegQueryValueExW(b, u"VALUE", nullptr, nullptr, (BYTE*)&got, &cb), ERROR_SUCCESS);
    EXPECT_EQ(got, dw);

    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\CASE TEST", 0, KEY_READ, &parent), ERROR_SUCCESS);
    WCHAR name[64];
    DWORD cch = 64;
    ASSERT_EQ(RegEnumKeyExW(parent, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, cch), u"MixedCase Ünïcode");
    cch = 64;
    EXPECT_EQ(RegEnumKeyExW(parent, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    DWORD cchValue = 64;
    ASSERT_EQ(RegEnumValueW(b, 0, name, &cchValue, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, cchValue), u"Value");
    RegCloseKey(parent);
    RegCloseKey(a);
    RegCloseKey(b);
}

// ---- delete -----------------------------------------------------------------

TEST(RegistryDelete, KeyWithSubkeysIsNotDeletedAndDeletedKeyHandlesFail)
{
    HKEY leaf = CreateKey(u"Software\\Tree\\Branch\\Leaf");
    DWORD dw = 1;
    ASSERT_EQ(RegSetValueExW(leaf, u"v", 0, REG_DWORD, (const BYTE*)&dw, 4), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch"), ERROR_ACCESS_DENIED);
    HKEY check = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch\\Leaf", 0, KEY_READ, &check), ERROR_SUCCESS);
    RegCloseKey(check);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch\\LEAF"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch\\Leaf"), ERROR_FILE_NOT_FOUND);
    DWORD cb = 4;
    EXPECT_EQ(RegQueryValueExW(leaf, u"v", nullptr, nullptr, (BYTE*)&dw, &cb), ERROR_KEY_DELETED);

    // A key of the same name made again is a new, empty key.
    HKEY again = CreateKey(u"Software\\Tree\\Branch\\Leaf");
    EXPECT_EQ(RegQueryValueExW(again, u"v", nullptr, nullptr, nullptr, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(leaf, u"v", nullptr, nullptr, nullptr, &cb), ERROR_KEY_DELETED);
    RegCloseKey(again);
    RegCloseKey(leaf);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch\\Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tree\\Branch"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED) << "a root is never deleted";
}

TEST(RegistryDelete, DeniedKeyRefusesChangesButStaysReadable)
{
    HKEY h = CreateKey(u"Software\\Locked\\Child");
    RegCloseKey(h);
    PlatRegDenyAccess(HKEY_CURRENT_USER, u"software\\locked\\child", TRUE);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Locked\\Child"), ERROR_ACCESS_DENIED);
    HKEY w = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Locked\\Child", 0, KEY_ALL_ACCESS, &w),
              ERROR_ACCESS_DENIED);
    HKEY r = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Locked\\Child", 0, KEY_READ, &r), ERROR_SUCCESS);
    DWORD dw = 1;
    EXPECT_EQ(RegSetValueExW(r, u"v", 0, REG_DWORD, (const BYTE*)&dw, 4), ERROR_ACCESS_DENIED);
    RegCloseKey(r);

    PlatRegDenyAccess(HKEY_CURRENT_USER, u"Software\\Locked\\Child", FALSE);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Locked\\Child"), ERROR_SUCCESS);
}

TEST(RegistryAccess, ReadOnlyHandleCannotWrite)
{
    RegCloseKey(CreateKey(u"Software\\ReadOnly"));
    HKEY r = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\ReadOnly", 0, KEY_READ, &r), ERROR_SUCCESS);
    DWORD dw = 1;
    EXPECT_EQ(RegSetValueExW(r, u"v", 0, REG_DWORD, (const BYTE*)&dw, 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(r), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(r), ERROR_INVALID_HANDLE);
}

// ---- enumeration and key info --------------------------------------------------

TEST(RegistryEnum, KeysInNameOrderValuesInWritingOrderAndSmallBuffers)
{
    HKEY h = CreateKey(u"Software\\Enum");
    for (LPCWSTR n : {u"beta", u"Alpha", u"gamma"})
        RegCloseKey(CreateKey((std::u16string(u"Software\\Enum\\") + n).c_str()));
    const BYTE three[3] = {1, 2, 3};
    ASSERT_EQ(RegSetValueExW(h, u"zz", 0, REG_BINARY, three, 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(h, u"aa", 0, REG_SZ, (const BYTE*)u"x", 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(h, u"ZZ", 0, REG_BINARY, three, 2), ERROR_SUCCESS);  // replaces, keeps its place

    std::vector<std::u16string> keys;
    WCHAR name[32];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 32;
        LONG err = RegEnumKeyExW(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (err == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(err, ERROR_SUCCESS);
        keys.emplace_back(name, cch);
    }
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"beta", u"gamma"}));

    DWORD cch = 5;  // "Alpha" needs 6 with its terminator
    EXPECT_EQ(RegEnumKeyExW(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

    DWORD type = 0, cb = 0;
    cch = 32;
    ASSERT_EQ(RegEnumValueW(h, 0, name, &cch, nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, cch), u"zz");
    EXPECT_EQ(cb, 2u);
    BYTE data[1];
    cb = 1;
    cch = 32;
    EXPECT_EQ(RegEnumValueW(h, 0, name, &cch, nullptr, &type, data, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 2u);
    cch = 32;
    EXPECT_EQ(RegEnumValueW(h, 2, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    DWORD nKeys = 0, maxKey = 0, nValues = 0, maxValueName = 0, maxValue = 0;
    ASSERT_EQ(RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &nKeys, &maxKey, nullptr, &nValues, &maxValueName,
                               &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(nKeys, 3u);
    EXPECT_EQ(maxKey, 5u);
    EXPECT_EQ(nValues, 2u);
    EXPECT_EQ(maxValueName, 2u);
    EXPECT_EQ(maxValue, 4u);
    RegCloseKey(h);
}

TEST(RegistryEnum, RestartingAfterEachDeleteEmptiesATree)
{
    HKEY h = CreateKey(u"Software\\Purge");
    for (int i = 0; i < 5; ++i) {
        std::u16string p = u"Software\\Purge\\k";
        p.push_back(u'0' + i);
        RegCloseKey(CreateKey(p.c_str()));
    }
    WCHAR name[520];
    DWORD cch = 520;
    int deleted = 0;
    while (RegEnumKeyExW(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        ASSERT_EQ(RegDeleteKeyW(h, name), ERROR_SUCCESS);
        ++deleted;
        cch = 520;
        ASSERT_LE(deleted, 5);
    }
    EXPECT_EQ(deleted, 5);
    RegCloseKey(h);
}

// ---- the database file -----------------------------------------------------------

TEST(RegistryDatabase, MissingFileIsCreatedAndCorruptFileGivesBadDb)
{
    std::string root = TestNewRoot();
    HKEY h = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(access(TestRootFile("registry.db").c_str(), F_OK), 0);

    TestNewRoot();
    FILE* f = fopen(TestRootFile("registry.db").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::string junk(8192, 'x');
    fwrite(junk.data(), 1, junk.size(), f);
    fclose(f);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_BADDB);
    DWORD cb = 0;
    EXPECT_EQ(RegQueryValueExW(HKEY_CURRENT_USER, u"x", nullptr, nullptr, nullptr, &cb), ERROR_BADDB);
    // The damaged file is left as it was for the user to inspect.
    f = fopen(TestRootFile("registry.db").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char first[4] = {};
    EXPECT_EQ(fread(first, 1, 4, f), 4u);
    fclose(f);
    EXPECT_EQ(std::string(first, 4), "xxxx");

    TestNewRoot();
    ASSERT_EQ(mkdir(TestRootFile("registry.db").c_str(), 0755), 0);  // a folder where the file should be
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_CANTOPEN);
    TestNewRoot();  // leave a sound machine to the tests that follow
}
