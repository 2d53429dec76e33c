#pragma once
// Window messages: the numbers, the message record and typed views over it.
//
// A message is a TMessage {Msg, WParam, LParam, Result}. Handlers that want named fields wrap it
// in a typed view (TWMKey, TWMMouse, ...): the view reads and writes the message it wraps, so a
// handler can change CharCode or Result and the caller sees it. `Result` is a reference member so
// that `Message.Result = 1;` reads as it does on the platform.
//
// Messages defined by the control layer itself (CM_*, CN_*) have their numbers here; the views
// that carry control pointers (TCMCancelMode, TCMHintShow, TCMMouseWheel...) live in Controls.h.

#include "platform/rtl/System.h"
#include "platform/ui/Types.h"

#include <cstdint>

using SHORT = int16_t;
using USHORT = uint16_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;

// Window handles are opaque identities: a handle is never dereferenced, and a handle that no
// longer names a window simply finds nothing (posted messages to it are dropped).
struct HWND__;
using HWND = HWND__*;

// ---------------------------------------------------------------------------------------------
// Word and point packing
inline constexpr Word LoWord(uintptr_t v) {
    return Word(v & 0xFFFF);
}
inline constexpr Word HiWord(uintptr_t v) {
    return Word((v >> 16) & 0xFFFF);
}
inline constexpr Word LOWORD(uintptr_t v) {
    return LoWord(v);
}
inline constexpr Word HIWORD(uintptr_t v) {
    return HiWord(v);
}
inline constexpr Byte LOBYTE(uintptr_t v) {
    return Byte(v & 0xFF);
}
inline constexpr Byte HIBYTE(uintptr_t v) {
    return Byte((v >> 8) & 0xFF);
}
inline constexpr LONG MakeLong(Word lo, Word hi) {
    return LONG(uint32_t(lo) | (uint32_t(hi) << 16));
}
inline constexpr LONG MAKELONG(Word lo, Word hi) {
    return MakeLong(lo, hi);
}
inline constexpr WPARAM MAKEWPARAM(Word lo, Word hi) {
    return WPARAM(uint32_t(MakeLong(lo, hi)));
}
inline constexpr LPARAM MAKELPARAM(Word lo, Word hi) {
    return LPARAM(MakeLong(lo, hi));
}
inline constexpr LRESULT MAKELRESULT(Word lo, Word hi) {
    return LRESULT(MakeLong(lo, hi));
}
inline constexpr int GET_X_LPARAM(LPARAM l) {
    return SmallInt(LoWord(uintptr_t(l)));
}
inline constexpr int GET_Y_LPARAM(LPARAM l) {
    return SmallInt(HiWord(uintptr_t(l)));
}
inline constexpr SmallInt GET_WHEEL_DELTA_WPARAM(WPARAM w) {
    return SmallInt(HiWord(w));
}

struct TSmallPoint {
    SmallInt x = 0;
    SmallInt y = 0;
    friend constexpr bool operator==(const TSmallPoint&, const TSmallPoint&) = default;
};
inline constexpr LPARAM PointToLParam(int x, int y) {
    return MAKELPARAM(Word(SmallInt(x)), Word(SmallInt(y)));
}

// ---------------------------------------------------------------------------------------------
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    Word WParamLo() const { return LoWord(WParam); }
    Word WParamHi() const { return HiWord(WParam); }
    Word LParamLo() const { return LoWord(uintptr_t(LParam)); }
    Word LParamHi() const { return HiWord(uintptr_t(LParam)); }
    Word ResultLo() const { return LoWord(uintptr_t(Result)); }
    Word ResultHi() const { return HiWord(uintptr_t(Result)); }
};

// ---------------------------------------------------------------------------------------------
// Window messages
enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SHOWWINDOW = 0x0018,
    WM_SETTINGCHANGE = 0x001A,
    WM_ACTIVATEAPP = 0x001C,
    WM_CANCELMODE = 0x001F,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_GETMINMAXINFO = 0x0024,
    WM_DRAWITEM = 0x002B,
    WM_MEASUREITEM = 0x002C,
    WM_SETFONT = 0x0030,
    WM_GETFONT = 0x0031,
    WM_WINDOWPOSCHANGING = 0x0046,
    WM_WINDOWPOSCHANGED = 0x0047,
    WM_NOTIFY = 0x004E,
    WM_HELP = 0x0053,
    WM_CONTEXTMENU = 0x007B,
    WM_STYLECHANGING = 0x007C,
    WM_STYLECHANGED = 0x007D,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_GETDLGCODE = 0x0087,
    WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_NCLBUTTONUP = 0x00A2,
    WM_NCLBUTTONDBLCLK = 0x00A3,
    WM_KEYFIRST = 0x0100,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_DEADCHAR = 0x0103,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_KEYLAST = 0x0109,
    WM_IME_STARTCOMPOSITION = 0x010D,
    WM_IME_ENDCOMPOSITION = 0x010E,
    WM_IME_COMPOSITION = 0x010F,
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_INITMENU = 0x0116,
    WM_INITMENUPOPUP = 0x0117,
    WM_GESTURE = 0x0119,
    WM_MENUSELECT = 0x011F,
    WM_MENUCHAR = 0x0120,
    WM_ENTERIDLE = 0x0121,
    WM_CTLCOLOREDIT = 0x0133,
    WM_CTLCOLORLISTBOX = 0x0134,
    WM_CTLCOLORBTN = 0x0135,
    WM_CTLCOLORSTATIC = 0x0138,
    WM_MOUSEFIRST = 0x0200,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSEHWHEEL = 0x020E,
    WM_MOUSELAST = 0x020E,
    WM_PARENTNOTIFY = 0x0210,
    WM_ENTERMENULOOP = 0x0211,
    WM_EXITMENULOOP = 0x0212,
    WM_CAPTURECHANGED = 0x0215,
    WM_MOVING = 0x0216,
    WM_ENTERSIZEMOVE = 0x0231,
    WM_EXITSIZEMOVE = 0x0232,
    WM_MOUSEHOVER = 0x02A1,
    WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_PRINT = 0x0317,
    WM_PRINTCLIENT = 0x0318,
    WM_USER = 0x0400,
    WM_APP = 0x8000,
};

// Edit control messages and notifications
enum : UINT {
    EM_GETSEL = 0x00B0,
    EM_SETSEL = 0x00B1,
    EM_GETRECT = 0x00B2,
    EM_SETRECT = 0x00B3,
    EM_SETRECTNP = 0x00B4,
    EM_SCROLL = 0x00B5,
    EM_LINESCROLL = 0x00B6,
    EM_SCROLLCARET = 0x00B7,
    EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9,
    EM_GETLINECOUNT = 0x00BA,
    EM_LINEINDEX = 0x00BB,
    EM_LINELENGTH = 0x00C1,
    EM_REPLACESEL = 0x00C2,
    EM_GETLINE = 0x00C4,
    EM_LIMITTEXT = 0x00C5,
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_LINEFROMCHAR = 0x00C9,
    EM_SETPASSWORDCHAR = 0x00CC,
    EM_EMPTYUNDOBUFFER = 0x00CD,
    EM_SETREADONLY = 0x00CF,
    EM_SETMARGINS = 0x00D3,
    EM_GETMARGINS = 0x00D4,
    EM_POSFROMCHAR = 0x00D6,
    EM_CHARFROMPOS = 0x00D7,

    EN_SETFOCUS = 0x0100,
    EN_KILLFOCUS = 0x0200,
    EN_CHANGE = 0x0300,
    EN_UPDATE = 0x0400,
    EN_MAXTEXT = 0x0501,

    EC_LEFTMARGIN = 1,
    EC_RIGHTMARGIN = 2,
};

// Buttons
enum : UINT {
    BM_GETCHECK = 0x00F0,
    BM_SETCHECK = 0x00F1,
    BM_GETSTATE = 0x00F2,
    BM_SETSTATE = 0x00F3,
    BM_CLICK = 0x00F5,
    BN_CLICKED = 0,
    BN_DOUBLECLICKED = 5,
    BST_UNCHECKED = 0,
    BST_CHECKED = 1,
    BST_INDETERMINATE = 2,
};

// List boxes
enum : UINT {
    LB_ADDSTRING = 0x0180,
    LB_INSERTSTRING = 0x0181,
    LB_DELETESTRING = 0x0182,
    LB_RESETCONTENT = 0x0184,
    LB_SETSEL = 0x0185,
    LB_SETCURSEL = 0x0186,
    LB_GETSEL = 0x0187,
    LB_GETCURSEL = 0x0188,
    LB_GETTEXT = 0x0189,
    LB_GETTEXTLEN = 0x018A,
    LB_GETCOUNT = 0x018B,
    LB_SELECTSTRING = 0x018C,
    LB_GETTOPINDEX = 0x018E,
    LB_FINDSTRING = 0x018F,
    LB_GETSELCOUNT = 0x0190,
    LB_SETTOPINDEX = 0x0197,
    LB_GETITEMRECT = 0x0198,
    LB_SETITEMHEIGHT = 0x01A0,
    LB_GETITEMHEIGHT = 0x01A1,
    LB_FINDSTRINGEXACT = 0x01A2,
    LB_ITEMFROMPOINT = 0x01A9,
    LB_ERR = UINT(-1),
    LBN_SELCHANGE = 1,
    LBN_DBLCLK = 2,
};

// Combo boxes
enum : UINT {
    CB_GETEDITSEL = 0x0140,
    CB_LIMITTEXT = 0x0141,
    CB_SETEDITSEL = 0x0142,
    CB_ADDSTRING = 0x0143,
    CB_DELETESTRING = 0x0144,
    CB_GETCOUNT = 0x0146,
    CB_GETCURSEL = 0x0147,
    CB_GETLBTEXT = 0x0148,
    CB_INSERTSTRING = 0x014A,
    CB_RESETCONTENT = 0x014B,
    CB_FINDSTRING = 0x014C,
    CB_SELECTSTRING = 0x014D,
    CB_SETCURSEL = 0x014E,
    CB_SHOWDROPDOWN = 0x014F,
    CB_GETDROPPEDSTATE = 0x0157,
    CB_ERR = UINT(-1),
    CBN_SELCHANGE = 1,
    CBN_DBLCLK = 2,
    CBN_SETFOCUS = 3,
    CBN_KILLFOCUS = 4,
    CBN_EDITCHANGE = 5,
    CBN_EDITUPDATE = 6,
    CBN_DROPDOWN = 7,
    CBN_CLOSEUP = 8,
    CBN_SELENDOK = 9,
    CBN_SELENDCANCEL = 10,
};

// Month calendar
enum : UINT {
    MCM_FIRST = 0x1000,
    MCM_GETCURSEL = MCM_FIRST + 1,
    MCM_SETCURSEL = MCM_FIRST + 2,
    MCM_GETMINREQRECT = MCM_FIRST + 9,
    MCM_HITTEST = MCM_FIRST + 14,
    MCM_GETCURRENTVIEW = MCM_FIRST + 22,
    MCMV_MONTH = 0,
    MCMV_YEAR = 1,
    MCMV_DECADE = 2,
    MCMV_CENTURY = 3,
    MCHT_TITLE = 0x00010000,
    MCHT_CALENDAR = 0x00020000,
    MCHT_TODAYLINK = 0x00030000,
    MCHT_NEXT = 0x01000000,
    MCHT_PREV = 0x02000000,
    MCHT_NOWHERE = 0x00000000,
    MCHT_TITLEBK = MCHT_TITLE,
    MCHT_TITLEMONTH = MCHT_TITLE | 0x0001,
    MCHT_TITLEYEAR = MCHT_TITLE | 0x0002,
    MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003,
    MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003,
    MCHT_CALENDARBK = MCHT_CALENDAR,
    MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001,
    MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT,
    MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV,
    MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002,
    MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003,
};

// Scroll bar controls
enum : UINT {
    SBM_SETPOS = 0x00E0,
    SBM_GETPOS = 0x00E1,
    SBM_SETRANGE = 0x00E2,
    SBM_GETRANGE = 0x00E3,
    SBM_ENABLE_ARROWS = 0x00E4,
    SBM_SETSCROLLINFO = 0x00E9,
    SBM_GETSCROLLINFO = 0x00EA,
};

// ---------------------------------------------------------------------------------------------
// Messages of the control layer (component messages and reflected notifications)
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0,
    CM_DEACTIVATE = CM_BASE + 1,
    CM_GOTFOCUS = CM_BASE + 2,
    CM_LOSTFOCUS = CM_BASE + 3,
    CM_CANCELMODE = CM_BASE + 4,
    CM_DIALOGKEY = CM_BASE + 5,
    CM_DIALOGCHAR = CM_BASE + 6,
    CM_FOCUSCHANGED = CM_BASE + 7,
    CM_PARENTFONTCHANGED = CM_BASE + 8,
    CM_PARENTCOLORCHANGED = CM_BASE + 9,
    CM_HITTEST = CM_BASE + 10,
    CM_VISIBLECHANGED = CM_BASE + 11,
    CM_ENABLEDCHANGED = CM_BASE + 12,
    CM_COLORCHANGED = CM_BASE + 13,
    CM_FONTCHANGED = CM_BASE + 14,
    CM_CURSORCHANGED = CM_BASE + 15,
    CM_CTL3DCHANGED = CM_BASE + 16,
    CM_PARENTCTL3DCHANGED = CM_BASE + 17,
    CM_TEXTCHANGED = CM_BASE + 18,
    CM_MOUSEENTER = CM_BASE + 19,
    CM_MOUSELEAVE = CM_BASE + 20,
    CM_MENUCHANGED = CM_BASE + 21,
    CM_APPKEYDOWN = CM_BASE + 22,
    CM_APPSYSCOMMAND = CM_BASE + 23,
    CM_BUTTONPRESSED = CM_BASE + 24,
    CM_SHOWINGCHANGED = CM_BASE + 25,
    CM_ENTER = CM_BASE + 26,
    CM_EXIT = CM_BASE + 27,
    CM_DESIGNHITTEST = CM_BASE + 28,
    CM_ICONCHANGED = CM_BASE + 29,
    CM_WANTSPECIALKEY = CM_BASE + 30,
    CM_INVOKEHELP = CM_BASE + 31,
    CM_WINDOWHOOK = CM_BASE + 32,
    CM_RELEASE = CM_BASE + 33,
    CM_SHOWHINTCHANGED = CM_BASE + 34,
    CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
    CM_SYSCOLORCHANGE = CM_BASE + 36,
    CM_WININICHANGE = CM_BASE + 37,
    CM_FONTCHANGE = CM_BASE + 38,
    CM_TIMECHANGE = CM_BASE + 39,
    CM_TABSTOPCHANGED = CM_BASE + 40,
    CM_UIACTIVATE = CM_BASE + 41,
    CM_UIDEACTIVATE = CM_BASE + 42,
    CM_DOCWINDOWACTIVATE = CM_BASE + 43,
    CM_CONTROLLISTCHANGE = CM_BASE + 44,
    CM_GETDATALINK = CM_BASE + 45,
    CM_CHILDKEY = CM_BASE + 46,
    CM_DRAG = CM_BASE + 47,
    CM_HINTSHOW = CM_BASE + 48,
    CM_DIALOGHANDLE = CM_BASE + 49,
    CM_ISTOOLCONTROL = CM_BASE + 50,
    CM_RECREATEWND = CM_BASE + 51,
    CM_INVALIDATE = CM_BASE + 52,
    CM_SYSFONTCHANGED = CM_BASE + 53,
    CM_CONTROLCHANGE = CM_BASE + 54,
    CM_CHANGED = CM_BASE + 55,
    CM_DOCKCLIENT = CM_BASE + 56,
    CM_UNDOCKCLIENT = CM_BASE + 57,
    CM_FLOAT = CM_BASE + 58,
    CM_BORDERCHANGED = CM_BASE + 59,
    CM_BIDIMODECHANGED = CM_BASE + 60,
    CM_PARENTBIDIMODECHANGED = CM_BASE + 61,
    CM_ALLCHILDRENFLIPPED = CM_BASE + 62,
    CM_ACTIONUPDATE = CM_BASE + 63,
    CM_ACTIONEXECUTE = CM_BASE + 64,
    CM_HINTSHOWPAUSE = CM_BASE + 65,
    CM_DOCKNOTIFICATION = CM_BASE + 66,
    CM_MOUSEWHEEL = CM_BASE + 67,
    CM_ISSHORTCUT = CM_BASE + 68,
    CM_UPDATEACTIONS = CM_BASE + 69,
    CM_INVALIDATEDOCKHOST = CM_BASE + 70,
    CM_SETACTIVECONTROL = CM_BASE + 71,
    CM_POPUPHWNDDESTROY = CM_BASE + 72,
    CM_CREATEPOPUP = CM_BASE + 73,
    CM_DESTROYHANDLE = CM_BASE + 74,
    CM_MOUSEACTIVATE = CM_BASE + 75,
    CM_CONTROLLISTCHANGING = CM_BASE + 76,
    CM_BUFFEREDPRINTCLIENT = CM_BASE + 77,
    CM_UNTHEMECONTROL = CM_BASE + 78,
    CM_DOUBLEBUFFEREDCHANGED = CM_BASE + 79,
    CM_PARENTDOUBLEBUFFEREDCHANGED = CM_BASE + 80,
    CM_STYLECHANGED = CM_BASE + 81,
    CM_GESTURE = CM_BASE + 82,
    CM_CUSTOMGESTURESCHANGED = CM_BASE + 83,
    CM_GESTUREMANAGERCHANGED = CM_BASE + 84,
    CM_STANDARDGESTURESCHANGED = CM_BASE + 85,
    CM_INPUTLANGCHANGE = CM_BASE + 86,
    CM_TABLETOPTIONSCHANGED = CM_BASE + 87,
    CM_PARENTTABLETOPTIONSCHANGED = CM_BASE + 88,
    CM_PARENTVISIBLECHANGED = CM_BASE + 89,

    CN_BASE = 0xBC00,
    CN_CHARTOITEM = CN_BASE + 0x002F,
    CN_COMMAND = CN_BASE + WM_COMMAND,
    CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
    CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
    CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
    CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
    CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
    CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
    CN_HSCROLL = CN_BASE + WM_HSCROLL,
    CN_VSCROLL = CN_BASE + WM_VSCROLL,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
    CN_KEYUP = CN_BASE + WM_KEYUP,
    CN_CHAR = CN_BASE + WM_CHAR,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
    CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
    CN_NOTIFY = CN_BASE + WM_NOTIFY,
};

// ---------------------------------------------------------------------------------------------
// Virtual keys
enum : Word {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SELECT = 0x29,
    VK_PRINT = 0x2A,
    VK_EXECUTE = 0x2B,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD1 = 0x61,
    VK_NUMPAD2 = 0x62,
    VK_NUMPAD3 = 0x63,
    VK_NUMPAD4 = 0x64,
    VK_NUMPAD5 = 0x65,
    VK_NUMPAD6 = 0x66,
    VK_NUMPAD7 = 0x67,
    VK_NUMPAD8 = 0x68,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
};

// Mouse key state in WParam of mouse messages
enum : UINT {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
    WHEEL_DELTA = 120,
};

// WM_GETDLGCODE answers
enum : UINT {
    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTMESSAGE = 0x0004,
    DLGC_HASSETSEL = 0x0008,
    DLGC_DEFPUSHBUTTON = 0x0010,
    DLGC_UNDEFPUSHBUTTON = 0x0020,
    DLGC_RADIOBUTTON = 0x0040,
    DLGC_WANTCHARS = 0x0080,
    DLGC_STATIC = 0x0100,
    DLGC_BUTTON = 0x2000,
};

// Scroll bars
enum : int {
    SB_HORZ = 0,
    SB_VERT = 1,
    SB_CTL = 2,
    SB_BOTH = 3,
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};
enum : UINT {
    SIF_RANGE = 0x0001,
    SIF_PAGE = 0x0002,
    SIF_POS = 0x0004,
    SIF_DISABLENOSCROLL = 0x0008,
    SIF_TRACKPOS = 0x0010,
    SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
    ESB_ENABLE_BOTH = 0,
    ESB_DISABLE_LTUP = 1,
    ESB_DISABLE_LEFT = 1,
    ESB_DISABLE_UP = 1,
    ESB_DISABLE_RTDN = 2,
    ESB_DISABLE_RIGHT = 2,
    ESB_DISABLE_DOWN = 2,
    ESB_DISABLE_BOTH = 3,
};

// Window styles
enum : uint32_t {
    WS_OVERLAPPED = 0x00000000u,
    WS_POPUP = 0x80000000u,
    WS_CHILD = 0x40000000u,
    WS_MINIMIZE = 0x20000000u,
    WS_VISIBLE = 0x10000000u,
    WS_DISABLED = 0x08000000u,
    WS_CLIPSIBLINGS = 0x04000000u,
    WS_CLIPCHILDREN = 0x02000000u,
    WS_MAXIMIZE = 0x01000000u,
    WS_CAPTION = 0x00C00000u,
    WS_BORDER = 0x00800000u,
    WS_DLGFRAME = 0x00400000u,
    WS_VSCROLL = 0x00200000u,
    WS_HSCROLL = 0x00100000u,
    WS_SYSMENU = 0x00080000u,
    WS_THICKFRAME = 0x00040000u,
    WS_SIZEBOX = 0x00040000u,
    WS_GROUP = 0x00020000u,
    WS_TABSTOP = 0x00010000u,
    WS_MINIMIZEBOX = 0x00020000u,
    WS_MAXIMIZEBOX = 0x00010000u,
    WS_OVERLAPPEDWINDOW = 0x00CF0000u,

    WS_EX_DLGMODALFRAME = 0x00000001u,
    WS_EX_TOPMOST = 0x00000008u,
    WS_EX_TRANSPARENT = 0x00000020u,
    WS_EX_TOOLWINDOW = 0x00000080u,
    WS_EX_WINDOWEDGE = 0x00000100u,
    WS_EX_CLIENTEDGE = 0x00000200u,
    WS_EX_CONTEXTHELP = 0x00000400u,
    WS_EX_RIGHT = 0x00001000u,
    WS_EX_RTLREADING = 0x00002000u,
    WS_EX_LEFTSCROLLBAR = 0x00004000u,
    WS_EX_CONTROLPARENT = 0x00010000u,
    WS_EX_STATICEDGE = 0x00020000u,
    WS_EX_APPWINDOW = 0x00040000u,
    WS_EX_LAYERED = 0x00080000u,
    WS_EX_NOACTIVATE = 0x08000000u,

    CS_VREDRAW = 0x0001u,
    CS_HREDRAW = 0x0002u,
    CS_DBLCLKS = 0x0008u,
    CS_SAVEBITS = 0x0800u,
    CS_DROPSHADOW = 0x00020000u,

    ES_LEFT = 0x0000u,
    ES_CENTER = 0x0001u,
    ES_RIGHT = 0x0002u,
    ES_MULTILINE = 0x0004u,
    ES_UPPERCASE = 0x0008u,
    ES_LOWERCASE = 0x0010u,
    ES_PASSWORD = 0x0020u,
    ES_AUTOVSCROLL = 0x0040u,
    ES_AUTOHSCROLL = 0x0080u,
    ES_NOHIDESEL = 0x0100u,
    ES_READONLY = 0x0800u,
    ES_WANTRETURN = 0x1000u,
    ES_NUMBER = 0x2000u,
};

// GetWindowLong indexes
enum : int {
    GWL_WNDPROC = -4,
    GWL_ID = -12,
    GWL_STYLE = -16,
    GWL_EXSTYLE = -20,
    GWL_USERDATA = -21,
};

// WM_NCHITTEST answers
enum : int {
    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTSYSMENU = 3,
    HTGROWBOX = 4,
    HTSIZE = 4,
    HTMENU = 5,
    HTHSCROLL = 6,
    HTVSCROLL = 7,
    HTMINBUTTON = 8,
    HTMAXBUTTON = 9,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTBORDER = 18,
};

// WM_MOUSEACTIVATE answers, WM_ACTIVATE states
enum : int {
    MA_ACTIVATE = 1,
    MA_ACTIVATEANDEAT = 2,
    MA_NOACTIVATE = 3,
    MA_NOACTIVATEANDEAT = 4,
    WA_INACTIVE = 0,
    WA_ACTIVE = 1,
    WA_CLICKACTIVE = 2,
};

// WM_SIZE kinds
enum : int {
    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
    SIZE_MAXIMIZED = 2,
};

// ---------------------------------------------------------------------------------------------
// Typed views
struct tagMSG;

struct TWMNoParams {
    TMessage& Message;
    LRESULT& Result;
    explicit TWMNoParams(TMessage& m) : Message(m), Result(m.Result) {}
    UINT Msg() const { return Message.Msg; }
};

// WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, CM_DIALOGKEY, CM_WANTSPECIALKEY, CN_KEYDOWN...
struct TWMKey : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    Word CharCode() const { return LoWord(Message.WParam); }
    void SetCharCode(Word c) { Message.WParam = c; }
    LONG KeyData() const { return LONG(Message.LParam); }
    void SetKeyData(LONG d) { Message.LParam = d; }
};
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;
using TWMChar = TWMKey;
using TWMSysKeyDown = TWMKey;
using TWMSysKeyUp = TWMKey;
using TWMSysChar = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;
using TCMWantSpecialKey = TWMKey;

// WM_xBUTTONxxx, WM_MOUSEMOVE (client coordinates in LParam)
struct TWMMouse : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    LONG Keys() const { return LONG(Message.WParam); }
    SmallInt XPos() const { return SmallInt(LoWord(uintptr_t(Message.LParam))); }
    SmallInt YPos() const { return SmallInt(HiWord(uintptr_t(Message.LParam))); }
    TSmallPoint Pos() const { return {XPos(), YPos()}; }
};
using TWMLButtonDown = TWMMouse;
using TWMLButtonUp = TWMMouse;
using TWMLButtonDblClk = TWMMouse;
using TWMRButtonDown = TWMMouse;
using TWMRButtonUp = TWMMouse;
using TWMRButtonDblClk = TWMMouse;
using TWMMButtonDown = TWMMouse;
using TWMMButtonUp = TWMMouse;
using TWMMButtonDblClk = TWMMouse;
using TWMMouseMove = TWMMouse;

// WM_MOUSEWHEEL (screen coordinates in LParam)
struct TWMMouseWheel : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    SmallInt Keys() const { return SmallInt(LoWord(Message.WParam)); }
    SmallInt WheelDelta() const { return SmallInt(HiWord(Message.WParam)); }
    SmallInt XPos() const { return SmallInt(LoWord(uintptr_t(Message.LParam))); }
    SmallInt YPos() const { return SmallInt(HiWord(uintptr_t(Message.LParam))); }
    TSmallPoint Pos() const { return {XPos(), YPos()}; }
};

// WM_SETFOCUS: the window losing focus; WM_KILLFOCUS: the window receiving it (either may be 0)
struct TWMSetFocus : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    HWND FocusedWnd() const { return reinterpret_cast<HWND>(Message.WParam); }
};
using TWMKillFocus = TWMSetFocus;

// WM_HSCROLL, WM_VSCROLL, CN_HSCROLL, CN_VSCROLL
struct TWMScroll : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    SmallInt ScrollCode() const { return SmallInt(LoWord(Message.WParam)); }
    SmallInt Pos() const { return SmallInt(HiWord(Message.WParam)); }
    HWND ScrollBar() const { return reinterpret_cast<HWND>(Message.LParam); }
};
using TWMHScroll = TWMScroll;
using TWMVScroll = TWMScroll;

struct TWMTimer : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    WPARAM TimerID() const { return Message.WParam; }
};

struct TWMGetDlgCode : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    // The key message being asked about, or nullptr.
    const tagMSG* KeyMsg() const { return reinterpret_cast<const tagMSG*>(Message.LParam); }
};

struct TWMSize : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    LONG SizeType() const { return LONG(Message.WParam); }
    Word Width() const { return LoWord(uintptr_t(Message.LParam)); }
    Word Height() const { return HiWord(uintptr_t(Message.LParam)); }
};

struct TWMMove : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    SmallInt XPos() const { return SmallInt(LoWord(uintptr_t(Message.LParam))); }
    SmallInt YPos() const { return SmallInt(HiWord(uintptr_t(Message.LParam))); }
};

// WM_NCHITTEST (screen coordinates)
struct TWMNCHitTest : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    SmallInt XPos() const { return SmallInt(LoWord(uintptr_t(Message.LParam))); }
    SmallInt YPos() const { return SmallInt(HiWord(uintptr_t(Message.LParam))); }
    TSmallPoint Pos() const { return {XPos(), YPos()}; }
};

struct TWMSetCursor : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    HWND CursorWnd() const { return reinterpret_cast<HWND>(Message.WParam); }
    SmallInt HitTest() const { return SmallInt(LoWord(uintptr_t(Message.LParam))); }
    Word MouseMsg() const { return HiWord(uintptr_t(Message.LParam)); }
};

// WM_PAINT / WM_ERASEBKGND / WM_PRINTCLIENT: DC is the painting canvas handle (0 for WM_PAINT
// delivered by the layer itself: the control begins its own paint).
struct TWMPaint : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    WPARAM DC() const { return Message.WParam; }
};
using TWMEraseBkgnd = TWMPaint;

struct TWMCommand : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    Word ItemID() const { return LoWord(Message.WParam); }
    Word NotifyCode() const { return HiWord(Message.WParam); }
    HWND Ctl() const { return reinterpret_cast<HWND>(Message.LParam); }
};

struct TWMActivate : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    Word Active() const { return LoWord(Message.WParam); }
    bool Minimized() const { return HiWord(Message.WParam) != 0; }
    HWND ActiveWindow() const { return reinterpret_cast<HWND>(Message.LParam); }
};

struct TWMMouseActivate : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    HWND TopLevel() const { return reinterpret_cast<HWND>(Message.WParam); }
    Word HitTestCode() const { return LoWord(uintptr_t(Message.LParam)); }
    Word MouseMsg() const { return HiWord(uintptr_t(Message.LParam)); }
};

struct TWMContextMenu : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    HWND hWnd() const { return reinterpret_cast<HWND>(Message.WParam); }
    SmallInt XPos() const { return SmallInt(LoWord(uintptr_t(Message.LParam))); }
    SmallInt YPos() const { return SmallInt(HiWord(uintptr_t(Message.LParam))); }
    TSmallPoint Pos() const { return {XPos(), YPos()}; }
};

using TWMCancelMode = TWMNoParams;
using TWMDestroy = TWMNoParams;
using TCMEnter = TWMNoParams;
using TCMExit = TWMNoParams;
using TCMMouseEnter = TMessage;
using TCMMouseLeave = TMessage;
