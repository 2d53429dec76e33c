#pragma once
// The Windows-style window API of the layer: the message queue, timers, capture, focus, window
// scroll bars, caret, cursor and window geometry calls, over the layer's own window handles.
//
// The queue: Qt input events for our windows become messages (with the message time and the
// key state), posted messages join them in order, and the layer dispatches them one at a time
// (through Application's preprocessing). PeekMessage can look at waiting messages with or without
// removing them. A message to a window that no longer exists is dropped.

#include "platform/ui/Messages.h"
#include "platform/ui/Types.h"

#include <functional>

class QWidget;
class QEvent;
class TWinControl;
struct TGdiObject;

struct tagMSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    TPoint pt;
};
using MSG = tagMSG;
using TMsg = tagMSG;

enum : UINT {
    PM_NOREMOVE = 0x0000,
    PM_REMOVE = 0x0001,
    PM_NOYIELD = 0x0002,
};

// --- queue
BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Synchronous: the window's WindowProc runs now; 0 for an invalid window.
LRESULT SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// hWnd nullptr: any window of the application. Filter 0,0: any message.
BOOL PeekMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
void PostQuitMessage(int nExitCode);
// Hands a message to its window (WindowProc); answers the result.
LRESULT DispatchMessage(const MSG* lpMsg);
BOOL TranslateMessage(const MSG* lpMsg); // characters are queued with the key already
// The time (GetTickCount) and screen position of the message being dispatched.
LONG GetMessageTime();
DWORD GetMessagePos();
// Number of waiting messages (tests).
int QueuedMessageCount();
// Dispatches every waiting message (not Qt's events). Answers the count.
int DispatchQueuedMessages();
// Called for each queued message before it is dispatched; true = handled, do not dispatch.
using TMessagePreprocessor = std::function<bool(MSG& Msg)>;
void SetMessagePreprocessor(TMessagePreprocessor Proc);
// The original Qt event of the input message being dispatched to hWnd (nullptr when none).
QEvent* CurrentInputEvent(HWND hWnd, UINT Msg);
// Marks the current input event as handed to the widget (DefaultHandler did it).
void MarkInputEventDelivered(HWND hWnd, UINT Msg);

// --- windows
using TWndMethodFn = std::function<void(TMessage& Message)>;
// A message-only window: messages sent or posted to it go to Method.
HWND AllocateHWnd(TWndMethodFn Method);
void DeallocateHWnd(HWND Wnd);
LRESULT DefWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL IsWindowEnabled(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsChild(HWND hWndParent, HWND hWnd);
HWND GetParent(HWND hWnd);
HWND SetParent(HWND hWndChild, HWND hWndNewParent);
HWND GetDesktopWindow();
HWND WindowFromPoint(TPoint Point);
HWND ChildWindowFromPoint(HWND hWndParent, TPoint Point);
HWND GetTopWindow(HWND hWnd);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
LONG_PTR GetWindowLong(HWND hWnd, int nIndex);
LONG_PTR SetWindowLong(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
inline LONG_PTR GetWindowLongPtr(HWND h, int i) {
    return GetWindowLong(h, i);
}
inline LONG_PTR SetWindowLongPtr(HWND h, int i, LONG_PTR v) {
    return SetWindowLong(h, i, v);
}
int GetWindowText(HWND hWnd, Char* lpString, int nMaxCount);
BOOL SetWindowText(HWND hWnd, const String& Text);
BOOL GetClientRect(HWND hWnd, TRect* lpRect);
BOOL GetWindowRect(HWND hWnd, TRect* lpRect);
BOOL ClientToScreen(HWND hWnd, TPoint* lpPoint);
BOOL ScreenToClient(HWND hWnd, TPoint* lpPoint);
int MapWindowPoints(HWND hWndFrom, HWND hWndTo, TPoint* lpPoints, UINT cPoints);
inline int MapWindowPoints(HWND f, HWND t, TRect* r, UINT n) {
    return MapWindowPoints(f, t, reinterpret_cast<TPoint*>(r), n * 2);
}
// Adds the non-client area of the given styles to a client rectangle.
BOOL AdjustWindowRectEx(TRect* lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);

enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_NORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
};
enum : UINT {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
    SWP_NOCOPYBITS = 0x0100,
    SWP_NOOWNERZORDER = 0x0200,
};
inline HWND const HWND_TOP = reinterpret_cast<HWND>(0);
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);

// --- painting
enum : UINT {
    RDW_INVALIDATE = 0x0001,
    RDW_INTERNALPAINT = 0x0002,
    RDW_ERASE = 0x0004,
    RDW_VALIDATE = 0x0008,
    RDW_NOINTERNALPAINT = 0x0010,
    RDW_NOERASE = 0x0020,
    RDW_NOCHILDREN = 0x0040,
    RDW_ALLCHILDREN = 0x0080,
    RDW_UPDATENOW = 0x0100,
    RDW_ERASENOW = 0x0200,
    RDW_FRAME = 0x0400,
    RDW_NOFRAME = 0x0800,
    SW_SCROLLCHILDREN = 0x0001,
    SW_INVALIDATE = 0x0002,
    SW_ERASE = 0x0004,
};
BOOL InvalidateRect(HWND hWnd, const TRect* lpRect, BOOL bErase);
BOOL ValidateRect(HWND hWnd, const TRect* lpRect);
BOOL UpdateWindow(HWND hWnd);
BOOL RedrawWindow(HWND hWnd, const TRect* lprcUpdate, TGdiObject* hrgnUpdate, UINT flags);
// Scrolls the client area by dx,dy: the part of lprcScroll (client when null) inside lprcClip
// moves, the uncovered part is invalidated (SW_INVALIDATE) and returned in prcUpdate.
int ScrollWindowEx(HWND hWnd, int dx, int dy, const TRect* prcScroll, const TRect* prcClip,
                   TGdiObject* hrgnUpdate, TRect* prcUpdate, UINT flags);
BOOL ScrollWindow(HWND hWnd, int XAmount, int YAmount, const TRect* lpRect, const TRect* lpClipRect);
BOOL LockWindowUpdate(HWND hWndLock);

// --- scroll bars (Win32 rules: the range nMin..nMax includes the page; nPos is kept within
// nMin..nMax-max(nPage-1,0); a bar whose page covers the range, or a 0..0 range, is hidden,
// or disabled with SIF_DISABLENOSCROLL)
struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
using TScrollInfo = SCROLLINFO;
enum : LONG {
    STATE_SYSTEM_UNAVAILABLE = 0x00000001,
    STATE_SYSTEM_PRESSED = 0x00000008,
    STATE_SYSTEM_INVISIBLE = 0x00008000,
    STATE_SYSTEM_OFFSCREEN = 0x00010000,
};
enum : LONG {
    OBJID_HSCROLL = LONG(0xFFFFFFFA),
    OBJID_VSCROLL = LONG(0xFFFFFFFB),
    OBJID_CLIENT = LONG(0xFFFFFFFC),
};
struct SCROLLBARINFO {
    DWORD cbSize = sizeof(SCROLLBARINFO);
    TRect rcScrollBar; // screen coordinates
    int dxyLineButton = 0;
    int xyThumbTop = 0;
    int xyThumbBottom = 0;
    int reserved = 0;
    DWORD rgstate[6] = {0, 0, 0, 0, 0, 0};
};
int SetScrollInfo(HWND hWnd, int nBar, const SCROLLINFO* lpsi, BOOL redraw);
BOOL GetScrollInfo(HWND hWnd, int nBar, SCROLLINFO* lpsi);
int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);
int GetScrollPos(HWND hWnd, int nBar);
BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
BOOL GetScrollRange(HWND hWnd, int nBar, int* lpMinPos, int* lpMaxPos);
BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow);
BOOL EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows);
BOOL GetScrollBarInfo(HWND hWnd, LONG idObject, SCROLLBARINFO* psbi);

// --- timers (0 ms runs at 10 ms; a timer of the same window and id is replaced)
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc = nullptr);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// --- keyboard and mouse state
SHORT GetKeyState(int nVirtKey);         // bit 15 = down, bit 0 = toggled (as of the current message)
SHORT GetAsyncKeyState(int vKey);        // bit 15 = down now
BOOL GetKeyboardState(Byte* lpKeyState); // 256 bytes
BOOL SetKeyboardState(const Byte* lpKeyState);
// Tests and the event bridge update the key state through this.
void SetKeyDown(int vKey, bool Down);
UINT GetDoubleClickTime();
BOOL MessageBeep(UINT uType);
// Number of beeps so far (tests).
int MessageBeepCount();
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();
HWND GetFocus();
HWND SetFocus(HWND hWnd);
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hWnd);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hWnd);
BOOL GetCursorPos(TPoint* lpPoint);
BOOL SetCursorPos(int X, int Y);
using HCURSOR = intptr_t; // a cursor id (TCursor) of the screen's cursor table
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();
HCURSOR LoadCursor(void* hInstance, intptr_t lpCursorName);
enum : intptr_t {
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_CROSS = 32515,
    IDC_UPARROW = 32516,
    IDC_SIZENWSE = 32642,
    IDC_SIZENESW = 32643,
    IDC_SIZEWE = 32644,
    IDC_SIZENS = 32645,
    IDC_SIZEALL = 32646,
    IDC_NO = 32648,
    IDC_HAND = 32649,
    IDC_APPSTARTING = 32650,
    IDC_HELP = 32651,
};

// --- caret (one per application, owned by a window)
BOOL CreateCaret(HWND hWnd, TGdiObject* hBitmap, int nWidth, int nHeight);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hWnd);
BOOL HideCaret(HWND hWnd);
BOOL SetCaretPos(int X, int Y);
BOOL GetCaretPos(TPoint* lpPoint);

// --- system metrics and parameters
enum : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CYVTHUMB = 9,
    SM_CXHTHUMB = 10,
    SM_CXICON = 11,
    SM_CYICON = 12,
    SM_CXCURSOR = 13,
    SM_CYCURSOR = 14,
    SM_CYMENU = 15,
    SM_CXFULLSCREEN = 16,
    SM_CYFULLSCREEN = 17,
    SM_CYVSCROLL = 20,
    SM_CXHSCROLL = 21,
    SM_SWAPBUTTON = 23,
    SM_CXMIN = 28,
    SM_CYMIN = 29,
    SM_CXSIZE = 30,
    SM_CYSIZE = 31,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CXDOUBLECLK = 36,
    SM_CYDOUBLECLK = 37,
    SM_CXEDGE = 45,
    SM_CYEDGE = 46,
    SM_CXSMICON = 49,
    SM_CYSMICON = 50,
    SM_CYSMCAPTION = 51,
    SM_CXMENUCHECK = 71,
    SM_CYMENUCHECK = 72,
    SM_CXDRAG = 68,
    SM_CYDRAG = 69,
    SM_CXVIRTUALSCREEN = 78,
    SM_CYVIRTUALSCREEN = 79,
    SM_CMONITORS = 80,
};
int GetSystemMetrics(int nIndex);
enum : UINT {
    SPI_GETWORKAREA = 0x0030,
    SPI_GETWHEELSCROLLLINES = 0x0068,
    SPI_GETDRAGFULLWINDOWS = 0x0026,
};
BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

// --- monitors
struct HMONITOR__;
using HMONITOR = HMONITOR__*;
enum : DWORD {
    MONITOR_DEFAULTTONULL = 0,
    MONITOR_DEFAULTTOPRIMARY = 1,
    MONITOR_DEFAULTTONEAREST = 2,
    MONITORINFOF_PRIMARY = 1,
};
struct MONITORINFO {
    DWORD cbSize = sizeof(MONITORINFO);
    TRect rcMonitor;
    TRect rcWork;
    DWORD dwFlags = 0;
};
HMONITOR MonitorFromRect(const TRect* lprc, DWORD dwFlags);
HMONITOR MonitorFromPoint(TPoint pt, DWORD dwFlags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags);
BOOL GetMonitorInfo(HMONITOR hMonitor, MONITORINFO* lpmi);

// --- message boxes (the layer's MessageBox; Application.MessageBox goes through it)
enum : UINT {
    MB_OK = 0x00000000,
    MB_OKCANCEL = 0x00000001,
    MB_ABORTRETRYIGNORE = 0x00000002,
    MB_YESNOCANCEL = 0x00000003,
    MB_YESNO = 0x00000004,
    MB_RETRYCANCEL = 0x00000005,
    MB_ICONHAND = 0x00000010,
    MB_ICONERROR = 0x00000010,
    MB_ICONSTOP = 0x00000010,
    MB_ICONQUESTION = 0x00000020,
    MB_ICONEXCLAMATION = 0x00000030,
    MB_ICONWARNING = 0x00000030,
    MB_ICONASTERISK = 0x00000040,
    MB_ICONINFORMATION = 0x00000040,
    MB_DEFBUTTON1 = 0x00000000,
    MB_DEFBUTTON2 = 0x00000100,
    MB_DEFBUTTON3 = 0x00000200,
    MB_APPLMODAL = 0x00000000,
    MB_SYSTEMMODAL = 0x00001000,
    MB_TASKMODAL = 0x00002000,
    MB_SETFOREGROUND = 0x00010000,
    MB_TOPMOST = 0x00040000,
    MB_TYPEMASK = 0x0000000F,
    MB_ICONMASK = 0x000000F0,
    MB_DEFMASK = 0x00000F00,
};
enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
    IDCLOSE = 8,
    IDHELP = 9,
};
// Shows a message box ("\r" and "\n" break lines) and answers the ID of the button chosen.
int MessageBox(HWND hWnd, const String& Text, const String& Caption, UINT uType);
// Tests answer message boxes without UI: the hook receives text, caption and flags and returns
// the ID to answer (nullptr restores the real box).
using TMessageBoxHook = std::function<int(const String& Text, const String& Caption, UINT Flags)>;
void SetMessageBoxHook(TMessageBoxHook Hook);
