// lasterror.cpp: the per-thread last error, the texts of the error codes
// and critical sections.
#include "platform/kernel/kernel.h"
// Every area's error codes, for their texts.
#include "platform/windows.h"

#include <cstring>
#include <mutex>

namespace {
thread_local DWORD t_lastError = 0;
}

void SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}

DWORD GetLastError()
{
    return t_lastError;
}

namespace {

// The sentence of every error code the platform sets.
struct ERRORTEXT {
    DWORD dwCode;
    const char16_t* pszText;
};
const ERRORTEXT kErrorTexts[] = {
    {ERROR_SUCCESS, u"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, u"Incorrect function."},
    {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, u"The system cannot open the file: too many files are open."},
    {ERROR_ACCESS_DENIED, u"Access is denied."},
    {ERROR_INVALID_HANDLE, u"The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, u"Not enough memory resources are available to process this command."},
    {ERROR_BAD_FORMAT, u"The file is not in the expected format."},
    {ERROR_INVALID_DATA, u"The data is invalid."},
    {ERROR_OUTOFMEMORY, u"Not enough memory resources are available to complete this operation."},
    {ERROR_NO_MORE_FILES, u"There are no more files."},
    {ERROR_WRITE_FAULT, u"The system cannot write to the specified device."},
    {ERROR_READ_FAULT, u"The system cannot read from the specified device."},
    {ERROR_SHARING_VIOLATION, u"The process cannot access the file because it is being used by another process."},
    {ERROR_HANDLE_EOF, u"Reached the end of the file."},
    {ERROR_NOT_SUPPORTED, u"The request is not supported."},
    {ERROR_PRINT_CANCELLED, u"Your file waiting to be printed was deleted."},
    {ERROR_FILE_EXISTS, u"The file exists."},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect."},
    {ERROR_BUFFER_OVERFLOW, u"The file name is too long."},
    {ERROR_DISK_FULL, u"There is not enough space on the disk."},
    {ERROR_BAD_DRIVER_LEVEL, u"The system does not support the command requested."},
    {ERROR_CALL_NOT_IMPLEMENTED, u"This function is not supported on this system."},
    {ERROR_INSUFFICIENT_BUFFER, u"The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, u"The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_INVALID_LEVEL, u"The system call level is not correct."},
    {ERROR_MOD_NOT_FOUND, u"The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, u"The specified procedure could not be found."},
    {ERROR_NEGATIVE_SEEK, u"An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_DIR_NOT_EMPTY, u"The directory is not empty."},
    {ERROR_NOT_LOCKED, u"The segment is already unlocked."},
    {ERROR_BAD_PATHNAME, u"The specified path is invalid."},
    {ERROR_ALREADY_EXISTS, u"Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, u"The filename or extension is too long."},
    {ERROR_MORE_DATA, u"More data is available."},
    {ERROR_NO_MORE_ITEMS, u"No more data is available."},
    {ERROR_DIRECTORY, u"The directory name is invalid."},
    {ERROR_MR_MID_NOT_FOUND, u"The system cannot find message text for the message number."},
    {ERROR_INVALID_ADDRESS, u"Attempt to access invalid address."},
    {ERROR_NOACCESS, u"Invalid access to memory location."},
    {ERROR_CAN_NOT_COMPLETE, u"Cannot complete this function."},
    {ERROR_INVALID_FLAGS, u"Invalid flags."},
    {ERROR_BADDB, u"The configuration registry database is corrupt."},
    {ERROR_BADKEY, u"The configuration registry key is invalid."},
    {ERROR_CANTOPEN, u"The configuration registry key could not be opened."},
    {ERROR_CANTREAD, u"The configuration registry key could not be read."},
    {ERROR_CANTWRITE, u"The configuration registry key could not be written."},
    {ERROR_KEY_DELETED, u"Illegal operation attempted on a registry key that has been marked for deletion."},
    {ERROR_NO_UNICODE_TRANSLATION, u"No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_DLL_INIT_FAILED, u"A dynamic link library (DLL) initialization routine failed."},
    {ERROR_CANCELLED, u"The operation was canceled by the user."},
    {ERROR_INVALID_WINDOW_HANDLE, u"Invalid window handle."},
    {ERROR_INVALID_MENU_HANDLE, u"Invalid menu handle."},
    {ERROR_INVALID_TIMER_ID, u"Invalid timer identifier."},
    {ERROR_CANNOT_FIND_WND_CLASS, u"Cannot find window class."},
    {ERROR_WINDOW_OF_OTHER_THREAD, u"Invalid window; it belongs to other thread."},
    {ERROR_CLASS_ALREADY_EXISTS, u"Class already exists."},
    {ERROR_CLASS_DOES_NOT_EXIST, u"Class does not exist."},
    {ERROR_CLASS_HAS_WINDOWS, u"Class still has open windows."},
    {ERROR_INVALID_INDEX, u"Invalid index."},
    {ERROR_CLIPBOARD_NOT_OPEN, u"Thread does not have a clipboard open."},
    {ERROR_CONTROL_ID_NOT_FOUND, u"Control ID not found."},
    {ERROR_UNKNOWN_PRINTER_DRIVER, u"The printer driver is unknown."},
    {ERROR_INVALID_PRINTER_NAME, u"The printer name is invalid."},
    {ERROR_PRINTER_ALREADY_EXISTS, u"The printer already exists."},
    {ERROR_INVALID_PRINTER_COMMAND, u"The printer command is invalid."},
    {ERROR_INVALID_ENVIRONMENT, u"The environment specified is invalid."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, u"The specified image file did not contain a resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, u"The specified resource type cannot be found in the image file."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, u"The specified resource name cannot be found in the image file."},
    {ERROR_INVALID_PRINTER_STATE, u"The state of the printer is invalid."},
    {ERROR_SPL_NO_STARTDOC, u"No StartDoc was called before a page or data was sent."},
};

}  // namespace

DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, void* Arguments)
{
    (void)lpSource;
    (void)dwLanguageId;
    (void)Arguments;
    if ((dwFlags & ~(FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK)) != FORMAT_MESSAGE_FROM_SYSTEM ||
        !(dwFlags & FORMAT_MESSAGE_IGNORE_INSERTS) || !lpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (const ERRORTEXT& e : kErrorTexts) {
        if (e.dwCode != dwMessageId)
            continue;
        std::u16string text = e.pszText;
        // FORMAT_MESSAGE_MAX_WIDTH_MASK alone: no line end.
        if ((dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK) != FORMAT_MESSAGE_MAX_WIDTH_MASK)
            text += u"\r\n";
        if (text.size() + 1 > nSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(lpBuffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
        return static_cast<DWORD>(text.size());
    }
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}

void InitializeCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs)
        return;
    pcs->pImpl = new std::recursive_mutex;
    pcs->cRecursion = 0;
}

void EnterCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs || !pcs->pImpl)
        return;
    static_cast<std::recursive_mutex*>(pcs->pImpl)->lock();
    ++pcs->cRecursion;
}

void LeaveCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs || !pcs->pImpl)
        return;
    --pcs->cRecursion;
    static_cast<std::recursive_mutex*>(pcs->pImpl)->unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs || !pcs->pImpl)
        return;
    delete static_cast<std::recursive_mutex*>(pcs->pImpl);
    pcs->pImpl = nullptr;
    pcs->cRecursion = 0;
}
