// script.h: the scripted user, who acts on windows as a person does.
//
// Owns: finding the active top-level window and a control in it, the
// actions of a person (click, check, pick a radio button, choose a list or
// combo item, type text and leave the field, press OK / Cancel / the
// default button, answer a message box, choose a menu item, pick a tab,
// move a slider), and the queue of what to do when a dialog opens.
//
// Rules the callers rely on:
//  1. Every action goes through the messages real input causes: mouse down
//     and up at a control's (or item's) place, WM_KEYDOWN / WM_CHAR /
//     WM_KEYUP for each key, focus moves. Nothing is poked into a
//     control's state behind its back, so subclass procedures and the
//     owner's notifications see what they would see.
//  2. A control is named by its id or by the label a person reads: its own
//     caption, or the text of the static just before it in tab order (a
//     static followed by several controls without labels of their own
//     names each of them: an action takes the one it fits, a choice the
//     list that offers the item). Labels compare without the '&' of
//     mnemonics and without regard to ASCII case; a trailing ':' is
//     ignored. A label two controls share is qualified by what heads the
//     control: "Group/Label" names the control labelled Label inside the
//     group box Group, or in the row that the check box or static Group
//     begins ("Back cover/Printed"). A control without a label is named by
//     its group box when it is the only one there of the kind the action
//     needs. A label that matches nothing matches by a prefix when exactly
//     one label begins with it. A label that names several controls fails
//     and shows the qualified names; one that names none fails and shows
//     the labels of the window, the closest first.
//  3. A step that cannot be done (no such window or control, a disabled or
//     hidden control, no such item) fails: the call answers FALSE,
//     PlatScriptError() says which step and why (a missing item comes with
//     the items the control offers), and the windows are left as they were
//     (the failing step changed nothing). Some failures are found only by
//     doing the step: a key the field refuses (PlatScriptTypeExact; the
//     field keeps what it took), a tick its owner refuses.
//  4. Control classes the scripted user does not know are sent
//     WM_PLAT_SCRIPT with a PLATSCRIPTACTION (winuser.h); such a control
//     does the action on itself through its own input messages and answers
//     PSR_DONE, or PSR_FAILED with the reason, or PSR_UNKNOWN.
//  5. Queued scripts: PlatScriptOnDialog(id, steps) queues a list of steps
//     to run when a dialog made from template id starts its modal loop (or
//     a window given that id by PlatSetWindowTemplateId runs
//     PlatRunModalLoop). Each queued list runs once, in the order queued;
//     a dialog opened by a step starts its own list there and then, so
//     modal dialogs nest. A modal loop whose list is done, or that has no
//     list, and is still open is ended with IDCANCEL and the script error
//     is set, so that a test never hangs.
//  6. Message boxes are answered by PlatScriptAnswerMessageBox (or by the
//     answers queued with PlatMsgBoxPushAnswer); every box is recorded.
#pragma once

#include "platform/windef.h"
#include "platform/user/winuser.h"

// A step of a queued script.
#define PSS_CLICK 1      // click the control (button, check box, radio)
#define PSS_CHECK 2      // set the check box to iValue (BST_*)
#define PSS_CHOOSE 3     // choose an item of a list or combo by text or index
#define PSS_TYPE 4       // type pszText into the edit and leave it (Tab)
#define PSS_OK 5         // press OK
#define PSS_CANCEL 6     // press Cancel (Escape)
#define PSS_ENTER 7      // press Enter (the default button)
#define PSS_SETPOS 8     // move a track bar, up-down or scroll bar to iValue
#define PSS_PICKTAB 9    // pick a tab by text or index
#define PSS_CONTROL 10   // send any PLATSCRIPTACTION (uAction = iValue)
#define PSS_MENU 11      // choose the menu item whose text is pszText
#define PSS_ANSWER 12    // answer the next message box with iValue
#define PSS_FOCUS 13     // move the focus to the control
#define PSS_KEY 14       // press virtual key iValue on the focused control (F1 asks for help)
#define PSS_MENUBUTTON 15  // press the button and choose pszText in the menu it opens

// One step. The control is named by id (nonzero) or by label.
struct PLATSCRIPTSTEP {
    int iStep;          // PSS_*
    int id;             // control id, 0 to use pszLabel
    LPCWSTR pszLabel;   // the label a person reads
    LPCWSTR pszText;    // item text / text to type / menu item text
    int iIndex;         // item index when pszText is null (-1: none)
    int iValue;         // check state, position, answer, PSA_* action
};

extern "C" {

// The active top-level window: the innermost open modal dialog, else the
// last shown top-level window; null when none is open.
HWND PlatScriptActiveWindow();
// A control of hDlg (or of its visible child dialogs, such as a property
// sheet's current page) by id or label; null with the error set.
HWND PlatScriptFindControl(HWND hDlg, int id, LPCWSTR pszLabel);

// Immediate actions on the active window (hDlg null) or on hDlg. A click
// on a button that opens a pop-up menu fails when no menu choice was queued
// (PlatScriptChooseMenuItem; PlatScriptMenu does both).
BOOL PlatScriptClick(HWND hDlg, int id, LPCWSTR pszLabel);
BOOL PlatScriptCheck(HWND hDlg, int id, LPCWSTR pszLabel, UINT uState);
BOOL PlatScriptChoose(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszItem, int iIndex);
BOOL PlatScriptType(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszText);
// Types as PlatScriptType, but stops and fails at the first key the field
// refuses (a letter in a number field, a key past its length): the error
// says which key and why, and the field keeps what it took.
BOOL PlatScriptTypeExact(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszText);
BOOL PlatScriptFocus(HWND hDlg, int id, LPCWSTR pszLabel);
BOOL PlatScriptSetPos(HWND hDlg, int id, LPCWSTR pszLabel, int iPos);
BOOL PlatScriptPickTab(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszTab, int iIndex);
// Presses the button and chooses pszItem in the pop-up menu it opens, as a
// person reads the item (owner-drawn items by the text their owner draws;
// a unique prefix is enough). Fails when the button opens no menu, or the
// menu has no such item (the error lists its items) or shows it disabled.
BOOL PlatScriptMenu(HWND hDlg, int id, LPCWSTR pszButton, LPCWSTR pszItem);
// Sends any action to a control (the common controls' own actions).
BOOL PlatScriptAct(HWND hDlg, int id, LPCWSTR pszLabel, PLATSCRIPTACTION* pAction);
BOOL PlatScriptPressOK(HWND hDlg);
BOOL PlatScriptPressCancel(HWND hDlg);
BOOL PlatScriptPressEnter(HWND hDlg);
// Presses a key on the focused control as a person does: the dialog
// manager first (Tab, Enter, Escape, arrows, F1 for help), then the
// control (WM_KEYDOWN, WM_CHAR with ch when not 0, WM_KEYUP).
BOOL PlatScriptPressKey(HWND hDlg, UINT vk, WCHAR ch);
// Runs one step on the active window (what a queued script does).
BOOL PlatScriptRunStep(const PLATSCRIPTSTEP* pStep);

// Queues steps (copied) for the next time template idTemplate opens.
BOOL PlatScriptOnDialog(int idTemplate, const PLATSCRIPTSTEP* pSteps, int cSteps);
// Answers for the next message boxes (the same queue as
// PlatMsgBoxPushAnswer).
void PlatScriptAnswerMessageBox(int iAnswer);
// The menu item chosen by the next TrackPopupMenu: by text, or by
// position (pszItem null); a null text and -1 dismiss the menu.
void PlatScriptChooseMenuItem(LPCWSTR pszItem, int iPos);

// The last failure: "step N (what): why", empty when nothing failed since
// the last PlatScriptReset. Valid until the next script call.
LPCWSTR PlatScriptError();
// Forgets queued scripts, menu choices and the error.
void PlatScriptReset();

// For modal loops (the dialog manager, property sheets): runs the script
// queued for window hwnd's template id, if any. Answers TRUE when a list
// ran (whatever it did).
BOOL PlatScriptRunQueued(HWND hwnd);

// A watcher of modal loops (the command line uses it to act on and picture
// every window that opens): called once each time a modal loop starts (a
// dialog, a property sheet, a message box), when the window is shown and
// before any message posted to it is handled, so a message box is still
// open; a loop started from inside the hook calls it again, nested. What is
// queued for the window runs after the hook returns. pfn null removes it.
typedef void (*PLATMODALHOOK)(HWND hwnd, void* pvContext);
void PlatSetModalLoopHook(PLATMODALHOOK pfn, void* pvContext);

}  // extern "C"
