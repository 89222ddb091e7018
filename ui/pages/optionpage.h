// optionpage.h: the Options page of the device sheet (template 800).
//
// Owns: the page's record, its refresh bits and the directory publishing
// of the printer's capabilities (see optionpage.cpp).
#pragma once

#include "platform/windows.h"

#include <cstddef>

struct UISETTINGS;

#define OPTION_LIST_COUNT 18
#define OPTION_NETADDRESS_CCH 16
// Every refresh bit of the page (at creation and at every activation).
#define OPTION_ALL_BITS 0x1BFFBFu

#pragma pack(push, 1)
// The page's record (in DWLP_USER): settings object, the block of index
// arrays and one array per list (802, 804, 806, 808, 810, 812, 820, 822,
// 824, 826, 828, 830, 832, 836, 834, 838, 840, 842), then the page's copy
// of the network address.
struct OPTIONPAGEREC {
    UISETTINGS* pSettings;
    WORD* pIndexBlock;
    WORD* apIndex[OPTION_LIST_COUNT];
    WCHAR szNetAddress[OPTION_NETADDRESS_CCH];
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(OPTIONPAGEREC) == 112);
static_assert(sizeof(void*) != 4 || offsetof(OPTIONPAGEREC, szNetAddress) == 80);

// The refresh bit of a control of the page; 0 for any other id.
DWORD GetOptionDirtyBit(WORD wControl);
// Marks a control for redrawing and redraws it when the page is in front;
// answers the bits set (0 without a record or for an id of no bit).
int OptionPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue);
// Redraws what the page's refresh mask asks for.
void OptionPageRefresh(HWND hwnd);
// Publishes printStaplingSupported (0 when the output unit value is 1,
// else 1) and printDuplexSupported (1) under the printer data key
// "DsDriver", through SetPrinterDataExW looked up at run time in the
// system's spooler library. Answers how many values were handed to it (0
// when the library or the entry point is missing); its results are not
// looked at.
DWORD PublishDirectoryCapabilities(HANDLE hPrinter, SHORT sOutputUnit);
