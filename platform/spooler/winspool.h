// winspool.h: the print spooler of this machine (the WINSPOOL.DRV calls).
//
// Owns: printer handles, the printer and driver records with their two-call
// size protocol, printer data, print jobs written to the printer's port,
// the installer that adds a printer with this driver, and the test switches
// of the spooler.
// Leaves to others: the registry itself (registry.h), which holds every
// printer as the platform keeps it:
//   HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers\<name>
//       "Name", "Printer Driver", "Port", "Share Name", "Description",
//       "Location", "Print Processor", "Datatype", "Parameters",
//       "Separator File", "Attributes", "Priority", "Default Priority",
//       "StartTime", "UntilTime", "Status", "Default DevMode" (REG_BINARY)
//       \PrinterDriverData   the printer data (GetPrinterDataW and friends)
//       \DsDriver, \DsSpooler, \DsUser   the directory keys of the Ex calls
//   HKCU\Printers\DevModePerUser
//       "<printer name>" (REG_BINARY)   the user's own default DEVMODE of
//                                       the printer (printing preferences)
//   HKLM\SYSTEM\CurrentControlSet\Control\Print\Environments\<environment>
//       \Drivers\Version-3\<driver>
//       "Driver", "Configuration File", "Data File", "Help File",
//       "Dependent Files", "Version", "Datatype"
// A driver is installed per environment (processor architecture), each
// with its own key above and its own driver folder, as the spooler keeps
// them: "Windows NT x86" in spool\drivers\w32x86 for the i386 build,
// "Windows x64" in spool\drivers\x64 for the native x86-64 one. A root
// used by both builds holds both, side by side; a build installs, finds and
// loads only its own environment's files (SPL_ENVIRONMENT).
// A printer name holding "\" (a connection such as "\\server\queue") is
// kept under a key name with "," in place of each "\", as the platform does.
//
// Rules the callers rely on:
//  1. Record calls (GetPrinterW, GetPrinterDriverW, GetPrinterDriverDirectoryW)
//     report the size needed in *pcbNeeded and fail with
//     ERROR_INSUFFICIENT_BUFFER when cbBuf is smaller; nothing is written
//     then. The record's strings and DEVMODE are packed behind it in the
//     caller's buffer.
//  2. Data calls (GetPrinterDataW, GetPrinterDataExW) return an error code:
//     ERROR_MORE_DATA with the size in *pcbNeeded when nSize is smaller (no
//     byte is copied), ERROR_FILE_NOT_FOUND when the value is missing.
//     Type and exact size are kept as with registry values.
//  3. A job writes its bytes, exactly as given and in order, to a temporary
//     file beside its target (the printer's port, or the output file of the
//     job's DOC_INFO_1W); EndDocPrinter renames it over the target. A job
//     that is aborted, closed unfinished or that had a failed WritePrinter
//     leaves the target as it was. A target is a Windows path (mapped into
//     the root) or an absolute host path.
#pragma once

#include "platform/windef.h"
#include "platform/registry/registry.h"

#ifndef ERROR_SPL_NO_STARTDOC
#define ERROR_SPL_NO_STARTDOC 3003L
#endif
#ifndef ERROR_INVALID_PRINTER_STATE
#define ERROR_INVALID_PRINTER_STATE 1906L
#endif
#ifndef ERROR_INVALID_ENVIRONMENT
#define ERROR_INVALID_ENVIRONMENT 1805L
#endif

// Printer access rights.
#define SERVER_ACCESS_ADMINISTER 0x00000001
#define SERVER_ACCESS_ENUMERATE 0x00000002
#define PRINTER_ACCESS_ADMINISTER 0x00000004
#define PRINTER_ACCESS_USE 0x00000008
#define PRINTER_ALL_ACCESS 0x000F000C
#define PRINTER_READ 0x00020008
#define PRINTER_WRITE 0x00020008
#define PRINTER_EXECUTE 0x00020008

// PRINTER_INFO_2W Attributes.
#define PRINTER_ATTRIBUTE_QUEUED 0x00000001
#define PRINTER_ATTRIBUTE_DIRECT 0x00000002
#define PRINTER_ATTRIBUTE_DEFAULT 0x00000004
#define PRINTER_ATTRIBUTE_SHARED 0x00000008
#define PRINTER_ATTRIBUTE_NETWORK 0x00000010
#define PRINTER_ATTRIBUTE_HIDDEN 0x00000020
#define PRINTER_ATTRIBUTE_LOCAL 0x00000040
#define PRINTER_ATTRIBUTE_RAW_ONLY 0x00001000

// PRINTER_INFO_1W Flags.
#define PRINTER_ENUM_ICON8 0x00800000

// Printer events (DrvPrinterEvent).
#define PRINTER_EVENT_ADD_CONNECTION 1
#define PRINTER_EVENT_DELETE_CONNECTION 2
#define PRINTER_EVENT_INITIALIZE 3
#define PRINTER_EVENT_DELETE 4
#define PRINTER_EVENT_CACHE_REFRESH 5
#define PRINTER_EVENT_CACHE_DELETE 6
#define PRINTER_EVENT_ATTRIBUTES_CHANGED 7

// The environments (processor architectures) the spooler knows, and the
// name of each one's driver folder under spool\drivers.
#define SPL_ENVIRONMENT_X86 u"Windows NT x86"
#define SPL_ENVIRONMENT_X64 u"Windows x64"
#define SPL_ARCH_DIRECTORY_X86 u"w32x86"
#define SPL_ARCH_DIRECTORY_X64 u"x64"

// This build's environment: the one whose driver files it installs and
// loads, and the one GetPrinterDriverW and GetPrinterDriverDirectoryW answer
// for when they are given none.
#if defined(__x86_64__) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 8)
#define SPL_ENVIRONMENT SPL_ENVIRONMENT_X64
#define SPL_ARCH_DIRECTORY SPL_ARCH_DIRECTORY_X64
#else
#define SPL_ENVIRONMENT SPL_ENVIRONMENT_X86
#define SPL_ARCH_DIRECTORY SPL_ARCH_DIRECTORY_X86
#endif

// This build's driver folders: the environment's folder and its version-3
// folder, where the driver files are; SPL_DRIVER_SUBDIRECTORY is the
// version-3 folder below the system folder (GetSystemDirectoryW), for code
// that builds the path of a driver file from there.
#define SPL_DRIVERS_ROOT u"C:\\WINDOWS\\system32\\spool\\drivers\\"
#define SPL_DRIVER_DIRECTORY SPL_DRIVERS_ROOT SPL_ARCH_DIRECTORY
#define SPL_DRIVER_VERSION_DIRECTORY SPL_DRIVER_DIRECTORY u"\\3"
#define SPL_DRIVER_SUBDIRECTORY u"\\spool\\drivers\\" SPL_ARCH_DIRECTORY u"\\3"
#define SPL_PRINTERS_KEY u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers"
#define SPL_USER_DEVMODES_KEY u"Printers\\DevModePerUser"
#define SPL_ENVIRONMENTS_KEY u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments"
#define SPL_DRIVERS_KEY SPL_ENVIRONMENTS_KEY u"\\" SPL_ENVIRONMENT u"\\Drivers\\Version-3"

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// PRINTER_DEFAULTSW, 12 bytes.
//
//  off size field
//    0    4 pDatatype
//    4    4 pDevMode
//    8    4 DesiredAccess
struct PRINTER_DEFAULTSW {
    LPWSTR pDatatype;
    LPDEVMODEW pDevMode;
    DWORD DesiredAccess;
};
typedef PRINTER_DEFAULTSW* PPRINTER_DEFAULTSW;
typedef PRINTER_DEFAULTSW* LPPRINTER_DEFAULTSW;

// PRINTER_INFO_1W, 16 bytes.
//
//  off size field
//    0    4 Flags
//    4    4 pDescription   "name,driver,location"
//    8    4 pName
//   12    4 pComment
struct PRINTER_INFO_1W {
    DWORD Flags;
    LPWSTR pDescription;
    LPWSTR pName;
    LPWSTR pComment;
};
typedef PRINTER_INFO_1W* PPRINTER_INFO_1W;
typedef PRINTER_INFO_1W* LPPRINTER_INFO_1W;

// PRINTER_INFO_2W, 84 bytes.
//
//  off size field                off size field
//    0    4 pServerName           44    4 pParameters
//    4    4 pPrinterName          48    4 pSecurityDescriptor (always null)
//    8    4 pShareName            52    4 Attributes
//   12    4 pPortName             56    4 Priority
//   16    4 pDriverName           60    4 DefaultPriority
//   20    4 pComment              64    4 StartTime
//   24    4 pLocation             68    4 UntilTime
//   28    4 pDevMode (or null)    72    4 Status
//   32    4 pSepFile              76    4 cJobs
//   36    4 pPrintProcessor       80    4 AveragePPM
//   40    4 pDatatype
struct PRINTER_INFO_2W {
    LPWSTR pServerName;
    LPWSTR pPrinterName;
    LPWSTR pShareName;
    LPWSTR pPortName;
    LPWSTR pDriverName;
    LPWSTR pComment;
    LPWSTR pLocation;
    LPDEVMODEW pDevMode;
    LPWSTR pSepFile;
    LPWSTR pPrintProcessor;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    LPVOID pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};
typedef PRINTER_INFO_2W* PPRINTER_INFO_2W;
typedef PRINTER_INFO_2W* LPPRINTER_INFO_2W;

// PRINTER_INFO_8W (the printer's global default DEVMODE) and
// PRINTER_INFO_9W (the user's own default DEVMODE), 4 bytes each: pDevMode.
struct PRINTER_INFO_8W {
    LPDEVMODEW pDevMode;
};
typedef PRINTER_INFO_8W* PPRINTER_INFO_8W;
struct PRINTER_INFO_9W {
    LPDEVMODEW pDevMode;
};
typedef PRINTER_INFO_9W* PPRINTER_INFO_9W;

// DRIVER_INFO_1W, 4 bytes: pName.
struct DRIVER_INFO_1W {
    LPWSTR pName;
};
typedef DRIVER_INFO_1W* PDRIVER_INFO_1W;

// DRIVER_INFO_2W, 24 bytes.
//
//  off size field
//    0    4 cVersion       3
//    4    4 pName          the driver's name
//    8    4 pEnvironment   the environment asked for (SPL_ENVIRONMENT for none)
//   12    4 pDriverPath    full path of the graphics library
//   16    4 pDataFile      full path of the data file
//   20    4 pConfigFile    full path of the user-interface library
struct DRIVER_INFO_2W {
    DWORD cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;
    LPWSTR pDataFile;
    LPWSTR pConfigFile;
};
typedef DRIVER_INFO_2W* PDRIVER_INFO_2W;
typedef DRIVER_INFO_2W* LPDRIVER_INFO_2W;

// DOC_INFO_1W, 12 bytes.
//
//  off size field
//    0    4 pDocName
//    4    4 pOutputFile   null: the printer's port
//    8    4 pDatatype
struct DOC_INFO_1W {
    LPWSTR pDocName;
    LPWSTR pOutputFile;
    LPWSTR pDatatype;
};
typedef DOC_INFO_1W* PDOC_INFO_1W;
typedef DOC_INFO_1W* LPDOC_INFO_1W;

Q730_API_PACK_END

static_assert(sizeof(void*) != 4 || sizeof(PRINTER_DEFAULTSW) == 12);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_DEFAULTSW, DesiredAccess) == 8);
static_assert(sizeof(void*) != 4 || sizeof(PRINTER_INFO_1W) == 16);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_1W, pName) == 8);
static_assert(sizeof(void*) != 4 || sizeof(PRINTER_INFO_2W) == 84);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_2W, pPortName) == 12);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_2W, pDriverName) == 16);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_2W, pDevMode) == 28);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_2W, pSecurityDescriptor) == 48);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_2W, Attributes) == 52);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_2W, Status) == 72);
static_assert(sizeof(void*) != 4 || offsetof(PRINTER_INFO_2W, AveragePPM) == 80);
static_assert(sizeof(void*) != 4 || sizeof(PRINTER_INFO_8W) == 4);
static_assert(sizeof(void*) != 4 || sizeof(PRINTER_INFO_9W) == 4);
static_assert(sizeof(void*) != 4 || sizeof(DRIVER_INFO_2W) == 24);
static_assert(sizeof(void*) != 4 || offsetof(DRIVER_INFO_2W, pDriverPath) == 12);
static_assert(sizeof(void*) != 4 || offsetof(DRIVER_INFO_2W, pConfigFile) == 20);
static_assert(sizeof(void*) != 4 || sizeof(DOC_INFO_1W) == 12);

extern "C" {

// Opens a printer by name.
//  pPrinterName  in   the printer's name (case-insensitive)
//  phPrinter     out  the handle (close with ClosePrinter)
//  pDefault      in   may be null; its DEVMODE and access are kept with the handle
// FALSE with ERROR_INVALID_PRINTER_NAME for an unknown printer.
Q730_EXPORT BOOL OpenPrinterW(LPWSTR pPrinterName, HANDLE* phPrinter, LPPRINTER_DEFAULTSW pDefault);

// Closes a handle; an unfinished job on it is aborted.
Q730_EXPORT BOOL ClosePrinter(HANDLE hPrinter);

// PRINTER_INFO_1W (Level 1), PRINTER_INFO_2W (Level 2), PRINTER_INFO_8W
// (Level 8) or PRINTER_INFO_9W (Level 9) of the printer.
//  pPrinter   out  the record with its strings and DEVMODE behind it
//  cbBuf      in   its size in bytes
//  pcbNeeded  out  the size needed
// The DEVMODEs: Level 8 the printer's global default; Level 9 the user's
// own default (null when the user has none); Level 2 the user's own
// default when there is one, else the global default. Null pDevMode when
// there is none. ERROR_INVALID_LEVEL for another level.
Q730_EXPORT BOOL GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded);

// Level 2: sets the printer's port, share name, comment, location,
// attributes and priorities from the record, and, when pDevMode is given
// (dmSize + dmDriverExtra bytes), both its global default DEVMODE and the
// user's own default. Level 8: sets the global default DEVMODE (pDevMode
// required) and drops the user's own default, so the user gets the global
// one again. Level 9: sets the user's own default DEVMODE; a null pDevMode
// drops it. A DEVMODE whose dmSize is below 72 is refused with
// ERROR_INVALID_PARAMETER. Command must be 0.
Q730_EXPORT BOOL SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command);

// DRIVER_INFO_1W or DRIVER_INFO_2W of the printer's driver as installed for
// an environment, with the paths of its files in that environment's driver
// folder.
//  pEnvironment  in  null or empty (this build's, SPL_ENVIRONMENT), "Windows
//                    NT x86" or "Windows x64"; another name fails with
//                    ERROR_INVALID_ENVIRONMENT. A driver that is not
//                    installed for the environment: ERROR_UNKNOWN_PRINTER_DRIVER.
Q730_EXPORT BOOL GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                   DWORD cbBuf, LPDWORD pcbNeeded);

// The environment's driver folder, without the version folder, as the
// platform answers: "C:\WINDOWS\system32\spool\drivers\w32x86" for "Windows
// NT x86", "...\drivers\x64" for "Windows x64", this build's
// (SPL_DRIVER_DIRECTORY) for a null or empty pEnvironment; another name
// fails with ERROR_INVALID_ENVIRONMENT. Level 1, cbBuf in bytes. The folder
// exists in the root afterwards.
Q730_EXPORT BOOL GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                            DWORD cbBuf, LPDWORD pcbNeeded);

// Printer data under the printer's PrinterDriverData key (rule 2).
//  pType      out     may be null
//  pData      out     may be null when nSize is 0
//  nSize      in      the buffer size in bytes
//  pcbNeeded  out     the value's size
Q730_EXPORT DWORD GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                  LPDWORD pcbNeeded);
Q730_EXPORT DWORD SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData);
Q730_EXPORT DWORD DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName);

// The same under a named key: "PrinterDriverData" (or empty) is the key of
// the calls above; "DsDriver", "DsSpooler" and "DsUser" lie beside it under
// the printer; any other name is a subkey of PrinterDriverData ("a\b"
// allowed). SetPrinterDataExW creates the key.
Q730_EXPORT DWORD GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType,
                                    LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded);
Q730_EXPORT DWORD SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type, LPBYTE pData,
                                    DWORD cbData);

// Jobs (rule 3). StartDocPrinterW takes Level 1 and answers the job id, 0
// on failure (a job already open: ERROR_INVALID_PRINTER_STATE; a target that
// cannot be written: the file error). The others fail with
// ERROR_SPL_NO_STARTDOC when no job is open.
Q730_EXPORT DWORD StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo);
Q730_EXPORT BOOL StartPagePrinter(HANDLE hPrinter);
Q730_EXPORT BOOL EndPagePrinter(HANDLE hPrinter);
//  pBuf       in   the bytes
//  cbBuf      in   their count
//  pcWritten  out  the count written (may be less after a short write)
Q730_EXPORT BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
// Puts the job's file in place of the target. A job with a failed write is
// discarded instead: FALSE with ERROR_WRITE_FAULT, the target unchanged.
Q730_EXPORT BOOL EndDocPrinter(HANDLE hPrinter);
Q730_EXPORT BOOL AbortPrinter(HANDLE hPrinter);

}  // extern "C"

// ---- the installer -------------------------------------------------------

// Adds (or updates) a printer with this driver in the current root:
//  1. copies libQ730MVU3.so, libQ730MVG3.so and libQ730MVT3.so from
//     pszHostLibDir (in; null: the running program's folder when they are
//     there, else the folder of the platform's libraries) into this
//     build's driver folder of the root, SPL_DRIVER_VERSION_DIRECTORY
//     (C:\WINDOWS\system32\spool\drivers\w32x86\3 in the i386 build,
//     ...\drivers\x64\3 in the native one); the other build's folder and
//     files are never touched;
//  2. writes the driver key "QX-730" of this build's environment
//     (SPL_DRIVERS_KEY): Driver Q730MVG3.DLL, Configuration File
//     Q730MVU3.DLL, Data File Q730MVT3.DLL, Help File Q730MVHZ.hlp;
//  3. writes the printer key of pszPrinterName (in) with that driver and the
//     port pszPortPath (in: a Windows path or an absolute host path; the
//     file need not exist). An existing printer keeps its printer data and
//     default DEVMODE.
// The driver's DrvPrinterEvent is not called. FALSE with the last error set
// when a library is missing or a file or key cannot be written.
BOOL PlatInstallPrinter(LPCWSTR pszPrinterName, LPCWSTR pszPortPath, const char* pszHostLibDir);

// The driver name the installer uses.
#define PLAT_Q730_DRIVER_NAME u"QX-730"

// ---- test switches ---------------------------------------------------------

#define PLAT_WRITEPRINTER_OK 0
#define PLAT_WRITEPRINTER_FAIL 1   // FALSE, ERROR_WRITE_FAULT, nothing written
#define PLAT_WRITEPRINTER_SHORT 2  // TRUE, only the first half written and reported

// From now on in this process, the nCall-th WritePrinter (1 = the next one)
// behaves as dwMode says; once. PLAT_WRITEPRINTER_OK disarms the switch.
void PlatFailWritePrinter(DWORD nCall, DWORD dwMode);

// SetPrinterDataW and SetPrinterDataExW refuse with ERROR_ACCESS_DENIED
// while bDeny is TRUE, as for a user who may not administer the printer.
void PlatDenyPrinterDataWrites(BOOL bDeny);

// From now on in this process, the nCall-th SetPrinterDataW or
// SetPrinterDataExW (1 = the next one) fails with ERROR_WRITE_FAULT and
// writes nothing; once. 0 disarms the switch.
void PlatFailPrinterDataWrite(DWORD nCall);

// WritePrinter calls in this process so far (a job's inside a lock, so
// the count is taken where the job runs), and whether a WritePrinter or
// printer-data switch is still waiting to fire.
DWORD PlatWritePrinterCalls();
BOOL PlatFaultPending();

// Number of SetPrinterDataW / SetPrinterDataExW / DeletePrinterDataW calls
// in this process since the last reset (successful or not).
DWORD PlatSetPrinterDataCalls();
DWORD PlatDeletePrinterDataCalls();
void PlatResetSpoolerCounters();

// Number of printer handles open in this process (for leak checks).
DWORD PlatOpenPrinterCount();
