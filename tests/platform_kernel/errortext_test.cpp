// The texts of system error codes (FormatMessageW).
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <string>

TEST(ErrorText, EveryCodeThePlatformSetsHasItsSentence)
{
    struct {
        DWORD dwCode;
        const char16_t* pszText;
    } rows[] = {
        {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified.\r\n"},
        {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified.\r\n"},
        {ERROR_ACCESS_DENIED, u"Access is denied.\r\n"},
        {ERROR_DISK_FULL, u"There is not enough space on the disk.\r\n"},
        {ERROR_INVALID_PRINTER_NAME, u"The printer name is invalid.\r\n"},
    };
    for (const auto& row : rows) {
        WCHAR sz[256];
        DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, row.dwCode, 0, sz,
                                 256, nullptr);
        EXPECT_EQ(std::u16string(sz, n), row.pszText) << row.dwCode;
        EXPECT_EQ(sz[n], 0) << row.dwCode;
    }
    // Without its line end.
    WCHAR sz[256];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, ERROR_ACCESS_DENIED, 0, sz, 256, nullptr);
    EXPECT_EQ(std::u16string(sz, n), u"Access is denied.");
}

TEST(ErrorText, UnknownCodesSmallBuffersAndOtherFormsFail)
{
    WCHAR sz[8] = {};
    const DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(kSystem, nullptr, 99999, 0, sz, 8, nullptr), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_MR_MID_NOT_FOUND);
    EXPECT_EQ(FormatMessageW(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, sz, 8, nullptr), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, sz, 8, nullptr), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_EQ(FormatMessageW(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, nullptr, 8, nullptr), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
}
