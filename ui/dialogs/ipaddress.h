// ipaddress.h: the network address dialog.
//
// Owns: IpAddressDlgProc (template 1810), which edits a network address in
// dotted-decimal form, one octet per edit. Its creation parameter is the
// caller's text (at least IPADDRESS_CCH units), not a settings object.
//
// Rules the callers rely on:
//  1. OK writes four octets of 1 to 3 digits, each at most 255, joined by
//     dots; it stays open, with the focus on the octet, while one is empty
//     or out of range.
//  2. Cancel leaves the caller's text unchanged.
#pragma once

#include "platform/windows.h"

#define IDD_IPADDRESS 1810
#define IDC_IP_LABEL 1811
#define IDC_IP_OCTET1 1812
#define IDC_IP_OCTET2 1813
#define IDC_IP_OCTET3 1814
#define IDC_IP_OCTET4 1815

// The caller's buffer: four octets of 3 digits, three dots, the terminator.
#define IPADDRESS_CCH 16

INT_PTR CALLBACK IpAddressDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// What the octet filter does with a digit typed into an octet holding
// pszText with the selection dwSel (as EM_GETSEL answers it): IPKEY_REFUSE,
// IPKEY_ACCEPT, or IPKEY_ACCEPT_NEXT when it completes the octet (the focus
// then moves on).
#define IPKEY_REFUSE 0
#define IPKEY_ACCEPT 1
#define IPKEY_ACCEPT_NEXT 2
int IpOctetKeyDecision(LPCWSTR pszText, DWORD dwSel, WCHAR ch);
