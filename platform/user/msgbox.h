// msgbox.h: message boxes of the headless platform.
//
// Owns: MessageBoxW with its style bits and answers, and the test support
// that scripts the answers and records every box shown. Nothing is drawn:
// a box is a record (owner, text, caption, style) and an answer taken from
// the script, or the box's default button when the script is empty.
#pragma once

#include "platform/windef.h"

// Buttons (low nibble of the style).
#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_ABORTRETRYIGNORE 0x00000002
#define MB_YESNOCANCEL 0x00000003
#define MB_YESNO 0x00000004
#define MB_RETRYCANCEL 0x00000005
#define MB_TYPEMASK 0x0000000F
// Icons.
#define MB_ICONHAND 0x00000010
#define MB_ICONERROR 0x00000010
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONWARNING 0x00000030
#define MB_ICONASTERISK 0x00000040
#define MB_ICONINFORMATION 0x00000040
// Default button and modality.
#define MB_DEFBUTTON1 0x00000000
#define MB_DEFBUTTON2 0x00000100
#define MB_DEFBUTTON3 0x00000200
#define MB_APPLMODAL 0x00000000
#define MB_SYSTEMMODAL 0x00001000
#define MB_TASKMODAL 0x00002000
#define MB_SETFOREGROUND 0x00010000
#define MB_TOPMOST 0x00040000

// Answers.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

// Shows a box and answers the button chosen; 0 (ERROR_INVALID_PARAMETER) for
// a style whose button bits name no button set.
int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);

// Test support. Answers queued here are taken one per box, first in first
// out; with none queued a box answers its default button. Every box is
// recorded until PlatMsgBoxReset, which also empties the queue.
void PlatMsgBoxPushAnswer(int iAnswer);
void PlatMsgBoxReset();
int PlatMsgBoxCount();
// Box i (0 = the first since the reset): FALSE when there is no such box.
// The texts point into the record and stay valid until the next reset.
BOOL PlatMsgBoxGet(int i, HWND* phWnd, LPCWSTR* ppszText, LPCWSTR* ppszCaption, UINT* puType);
