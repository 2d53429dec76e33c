// TApplication, TScreen, TMonitor, THintWindow and the message box.

#include "platform/ui/Forms.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

void InitForms() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!Mouse) Mouse = new TMouse;
    if (!Screen) Screen = new TScreen(nullptr);
    if (!Application) Application = new TApplication(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Cursors
QCursor CursorOf(TCursor c) {
    if (Screen)
        if (QCursor* q = Screen->Cursors(c)) return *q;
    return QCursor(Qt::ArrowCursor);
}

// ---------------------------------------------------------------------------------------------
int TMonitor::MonitorNum() const {
    return int(reinterpret_cast<intptr_t>(FHandle)) - 1;
}
bool TMonitor::Primary() const {
    MONITORINFO mi;
    GetMonitorInfo(FHandle, &mi);
    return mi.dwFlags & MONITORINFOF_PRIMARY;
}
TRect TMonitor::BoundsRect() const {
    MONITORINFO mi;
    GetMonitorInfo(FHandle, &mi);
    return mi.rcMonitor;
}
TRect TMonitor::WorkareaRect() const {
    MONITORINFO mi;
    GetMonitorInfo(FHandle, &mi);
    return mi.rcWork;
}

// ---------------------------------------------------------------------------------------------
namespace {
// Streams refer to components of other forms as "FormName.Component".
TComponent* FindGlobalForm(const String& Name) {
    if (!Screen) return nullptr;
    for (int i = 0; i < Screen->CustomFormCount(); ++i) {
        TCustomForm* f = Screen->CustomForms(i);
        if (f && !f->Name().isEmpty() && SameText(f->Name(), Name)) return f;
    }
    return nullptr;
}
} // namespace

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
    FHintFont = std::make_unique<TFont>();
    FMenuFont = std::make_unique<TFont>();
    FIconFont = std::make_unique<TFont>();
    RegisterFindGlobalComponentProc(FindGlobalForm);
}
TScreen::~TScreen() {
    UnregisterFindGlobalComponentProc(FindGlobalForm);
}

TForm* TScreen::Forms(int i) const {
    int n = 0;
    for (auto* f : FForms)
        if (auto* t = dynamic_cast<TForm*>(f)) {
            if (n == i) return t;
            ++n;
        }
    return nullptr;
}
TForm* TScreen::ActiveForm() const {
    return dynamic_cast<TForm*>(FActiveCustomForm);
}

void TScreen::AddForm(TCustomForm* Form) {
    FForms.push_back(Form);
}
void TScreen::RemoveForm(TCustomForm* Form) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
    if (FActiveCustomForm == Form) FActiveCustomForm = nullptr;
    if (FFocusedForm == Form) FFocusedForm = nullptr;
    if (FActiveControl && GetParentForm(FActiveControl) == Form) FActiveControl = nullptr;
}

void TScreen::SetCursor(TCursor v) {
    if (FCursor == v) return;
    bool hadOverride = FCursor != crDefault;
    FCursor = v;
    if (!QApplication::instance()) return;
    if (hadOverride) QApplication::restoreOverrideCursor();
    if (v != crDefault) QApplication::setOverrideCursor(CursorOf(v));
}

QCursor* TScreen::Cursors(int Index) const {
    for (auto& [id, c] : FCursorTable)
        if (id == Index) return c.get();
    Qt::CursorShape s;
    switch (Index) {
    case crNone:
        s = Qt::BlankCursor;
        break;
    case crCross:
        s = Qt::CrossCursor;
        break;
    case crIBeam:
        s = Qt::IBeamCursor;
        break;
    case crSizeNESW:
        s = Qt::SizeBDiagCursor;
        break;
    case crSizeNS:
        s = Qt::SizeVerCursor;
        break;
    case crSizeNWSE:
        s = Qt::SizeFDiagCursor;
        break;
    case crSizeWE:
        s = Qt::SizeHorCursor;
        break;
    case crUpArrow:
        s = Qt::UpArrowCursor;
        break;
    case crHourGlass:
    case crSQLWait:
        s = Qt::WaitCursor;
        break;
    case crDrag:
    case crMultiDrag:
        s = Qt::DragCopyCursor;
        break;
    case crNoDrop:
    case crNo:
        s = Qt::ForbiddenCursor;
        break;
    case crHSplit:
        s = Qt::SplitHCursor;
        break;
    case crVSplit:
        s = Qt::SplitVCursor;
        break;
    case crAppStart:
        s = Qt::BusyCursor;
        break;
    case crHelp:
        s = Qt::WhatsThisCursor;
        break;
    case crHandPoint:
        s = Qt::PointingHandCursor;
        break;
    case crSizeAll:
        s = Qt::SizeAllCursor;
        break;
    default:
        s = Qt::ArrowCursor;
        break;
    }
    auto& self = const_cast<TScreen&>(*this);
    self.FCursorTable.push_back({Index, std::make_unique<QCursor>(s)});
    return self.FCursorTable.back().second.get();
}
void TScreen::SetCursors(int Index, const QCursor& Cursor) {
    for (auto& [id, c] : FCursorTable)
        if (id == Index) {
            *c = Cursor;
            return;
        }
    FCursorTable.push_back({Index, std::make_unique<QCursor>(Cursor)});
}

namespace {
QRect PrimaryGeometry(bool work) {
    if (!QGuiApplication::instance() || !QGuiApplication::primaryScreen()) return {0, 0, 1024, 768};
    return work ? QGuiApplication::primaryScreen()->availableGeometry()
                : QGuiApplication::primaryScreen()->geometry();
}
QRect Virtual() {
    if (!QGuiApplication::instance() || !QGuiApplication::primaryScreen()) return {0, 0, 1024, 768};
    return QGuiApplication::primaryScreen()->virtualGeometry();
}
} // namespace
int TScreen::Width() const {
    return PrimaryGeometry(false).width();
}
int TScreen::Height() const {
    return PrimaryGeometry(false).height();
}
int TScreen::DesktopLeft() const {
    return Virtual().x();
}
int TScreen::DesktopTop() const {
    return Virtual().y();
}
int TScreen::DesktopWidth() const {
    return Virtual().width();
}
int TScreen::DesktopHeight() const {
    return Virtual().height();
}
TRect TScreen::DesktopRect() const {
    return Bounds(DesktopLeft(), DesktopTop(), DesktopWidth(), DesktopHeight());
}
TRect TScreen::WorkAreaRect() const {
    QRect r = PrimaryGeometry(true);
    return Bounds(r.x(), r.y(), r.width(), r.height());
}
int TScreen::MonitorCount() const {
    return GetSystemMetrics(SM_CMONITORS);
}
TMonitor* TScreen::MonitorOf(HMONITOR h) const {
    if (!h) return nullptr;
    for (auto& m : FMonitors)
        if (m->Handle() == h) return m.get();
    FMonitors.push_back(std::make_unique<TMonitor>(h));
    return FMonitors.back().get();
}
TMonitor* TScreen::Monitors(int Index) const {
    return MonitorOf(reinterpret_cast<HMONITOR>(intptr_t(Index + 1)));
}
TMonitor* TScreen::PrimaryMonitor() const {
    return MonitorOf(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
}
TMonitor* TScreen::MonitorFromRect(const TRect& r, DWORD d) const {
    return MonitorOf(::MonitorFromRect(&r, d));
}
TMonitor* TScreen::MonitorFromPoint(const TPoint& p, DWORD d) const {
    return MonitorOf(::MonitorFromPoint(p, d));
}
TMonitor* TScreen::MonitorFromWindow(HWND h, DWORD d) const {
    return MonitorOf(::MonitorFromWindow(h, d));
}
TStrings* TScreen::Fonts() const {
    if (!FFonts) {
        auto* l = new TStringList();
        l->SetSorted(true);
        l->SetDuplicates(dupIgnore);
        if (QGuiApplication::instance())
            for (const QString& f : QFontDatabase::families())
                l->Add(f);
        FFonts.reset(l);
    }
    return FFonts.get();
}

// ---------------------------------------------------------------------------------------------
THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    FColor = clInfoBk;
    FBrush->SetColor(FColor);
    FVisible = false;
    FParentFont = false;
    if (Screen) FFont->Assign(Screen->HintFont());
}
void THintWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.WindowClass.style |= CS_SAVEBITS | CS_DROPSHADOW;
}
QWidget* THintWindow::CreateWidget(const TCreateParams&, QWidget*) {
    auto* w =
        new TQtWindow(this, nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    return w;
}
TRect THintWindow::CalcHintRect(int MaxWidth, const String& AHint, void*) {
    TRect r{0, 0, MaxWidth, 0};
    String s = AHint;
    HDC dc = ScreenDC();
    Canvas()->SetHandle(dc);
    Canvas()->Font()->Assign(Font());
    Canvas()->TextRect(r, s, {tfCalcRect, tfLeft, tfWordBreak, tfNoPrefix});
    Canvas()->SetHandle(nullptr);
    r.Right += 6 + 2;
    r.Bottom += 2 + 2;
    return r;
}
void THintWindow::ActivateHint(const TRect& Rect, const String& AHint) {
    FText = AHint;
    SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    HandleNeeded();
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    Invalidate();
}
void THintWindow::ActivateHintData(const TRect& Rect, const String& AHint, void*) {
    ActivateHint(Rect, AHint);
}
void THintWindow::ReleaseHandle() {
    DestroyHandle();
}
bool THintWindow::IsHintMsg(const MSG& Msg) {
    UINT m = Msg.message;
    return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN ||
           m == WM_MBUTTONDOWN || m == WM_ACTIVATE || m == WM_NCLBUTTONDOWN || m == WM_MOUSEWHEEL;
}
void THintWindow::Paint() {
    TRect r = ClientRect();
    Canvas()->Brush()->SetColor(FColor);
    Canvas()->FillRect(r);
    r.Left += 2;
    r.Top += 2;
    String s = FText;
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Font()->SetColor(clInfoText);
    Canvas()->TextRect(r, s, {tfLeft, tfWordBreak, tfNoPrefix});
}

// ---------------------------------------------------------------------------------------------
namespace {
std::unique_ptr<QTimer> gHintTimer;
std::unique_ptr<QTimer> gHideTimer;
// The part of the mouse control that the last hint covers (client coordinates): leaving it asks
// the control again, so one control can give each of its parts a hint of its own.
TRect gHintCursorRect;
bool gHintCursorRectSet = false;
} // namespace

namespace {
// Data sets report exceptions they must not pass on (raised while painting or notifying) here.
void ApplicationHandleDBException(TObject* Sender) {
    if (Application) Application->HandleException(Sender);
}
} // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    SetMessagePreprocessor([this](MSG& m) { return PreprocessMessage(m); });
    FTitle = QFileInfo(ExeName()).completeBaseName();
    DBHandleExceptionProc = ApplicationHandleDBException;
}

TApplication::~TApplication() {
    if (DBHandleExceptionProc == ApplicationHandleDBException) DBHandleExceptionProc = nullptr;
    SetMessagePreprocessor(nullptr);
    gHintTimer.reset();
    gHideTimer.reset();
}

String TApplication::ExeName() const {
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

void TApplication::Initialize() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // Pop-ups are placed at screen positions, which needs X11 (also under XWayland).
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        else if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char arg0[] = "setupkvt";
    static char* argv[] = {arg0, nullptr};
    new QApplication(argc, argv);
}

void TApplication::CreateForm(TFormClass FormClass, TCustomForm*& Reference) {
    Reference = nullptr;
    if (!FormClass || !FormClass->Factory) throw EInvalidOperation(QStringLiteral("Class is not registered"));
    Reference = dynamic_cast<TCustomForm*>(FormClass->Factory(this));
    if (!FMainForm) FMainForm = Reference;
}

void TApplication::Run() {
    Initialize();
    FTerminated = false;
    if (FMainForm) FMainForm->Show();
    while (!FTerminated) {
        HandleMessage();
        if (!FMainForm) break;
    }
}

void TApplication::Terminate() {
    FTerminated = true;
    if (QCoreApplication::instance()) QCoreApplication::exit(0);
}

bool TApplication::Active() const {
    return QApplication::instance() && QApplication::activeWindow() != nullptr;
}

void TApplication::ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
    GuardedCall([] { DispatchQueuedMessages(); });
}

void TApplication::HandleMessage() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    GuardedCall([] { DispatchQueuedMessages(); });
    bool done = true;
    if (OnIdle) GuardedCall([&] { OnIdle(this, done); });
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr p = std::current_exception();
    if (!p) return;
    if (FHandlingException) return;
    ++FHandlingException;
    struct Dec {
        int& n;
        ~Dec() { --n; }
    } dec{FHandlingException};
    try {
        std::rethrow_exception(p);
    } catch (EAbort&) {
    } catch (Exception& e) {
        if (OnException)
            OnException(Sender, &e);
        else
            ShowException(&e);
    } catch (std::exception& e) {
        // Foreign exceptions are reported with an empty platform message.
        Exception x((String()));
        (void)e;
        if (OnException)
            OnException(Sender, &x);
        else
            ShowException(&x);
    } catch (...) {
        Exception x((String()));
        if (OnException)
            OnException(Sender, &x);
        else
            ShowException(&x);
    }
}

void TApplication::ShowException(Exception* E) {
    String msg = E ? E->Message() : String();
    if (!msg.isEmpty() && msg.back() > QLatin1Char('.')) msg += QLatin1Char('.');
    MessageBox(msg, FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const String& Text, const String& Caption, int Flags) {
    HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : nullptr;
    return ::MessageBox(owner, Text, Caption.isNull() ? FTitle : Caption, UINT(Flags));
}

bool TApplication::IsKeyMsg(MSG& Msg) {
    UINT m = Msg.message;
    if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_CHAR && m != WM_SYSCHAR) return false;
    TWinControl* c = FindControl(Msg.hwnd);
    if (!c) return false;
    if (m == WM_SYSCHAR) {
        // Alt+letter: the accelerators of the form's labels and buttons.
        TCustomForm* f = GetParentForm(c);
        return f && f->Perform(CM_DIALOGCHAR, Msg.wParam, Msg.lParam) != 0;
    }
    return c->Perform(CN_BASE + m, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::PreprocessMessage(MSG& Msg) {
    bool handled = false;
    if (OnMessage) OnMessage(Msg, handled);
    if (handled) return true;
    if (FHintWindow && FHintActive && FHintWindow->IsHintMsg(Msg)) CancelHint();
    return IsKeyMsg(Msg);
}

// --- hints -----------------------------------------------------------------------------------------
void TApplication::SetShowHint(bool v) {
    FShowHint = v;
    if (!v) CancelHint();
}

void TApplication::SetHint(const String& v) {
    if (FHint == v) return;
    FHint = v;
    if (OnHint) OnHint(this);
}

void TApplication::HideHint() {
    FHintActive = false;
    if (FHintWindow && FHintWindow->HandleAllocated()) ShowWindow(FHintWindow->Handle(), SW_HIDE);
    if (gHideTimer) gHideTimer->stop();
}

void TApplication::CancelHint() {
    if (gHintTimer) gHintTimer->stop();
    HideHint();
}

void TApplication::DoMouseMove(TControl* Control, const TPoint& ScreenPos) {
    if (Control == FMouseControl) {
        if (!Control || !gHintCursorRectSet || gHintCursorRect.Contains(Control->ScreenToClient(ScreenPos)))
            return;
    }
    gHintCursorRectSet = false;
    FMouseControl = Control;
    HideHint();
    SetHint(Control ? GetLongHint(Control->Hint()) : String());
    if (!Control || !FShowHint || !QCoreApplication::instance()) return;
    if (!gHintTimer) {
        gHintTimer = std::make_unique<QTimer>();
        gHintTimer->setSingleShot(true);
        QObject::connect(gHintTimer.get(), &QTimer::timeout, [] {
            if (Application) GuardedCall([] { Application->HintTimerExpired(); });
        });
    }
    int pause = FHintPause;
    Control->Perform(CM_HINTSHOWPAUSE, FHintActive, LPARAM(&pause));
    gHintTimer->start(std::max(0, pause));
}

void TApplication::ActivateHint(const TPoint&) {
    HintTimerExpired();
}

void TApplication::HintTimerExpired() {
    TControl* c = FMouseControl;
    if (!c || !FShowHint) return;
    bool show = c->ShowHint();
    String hint = GetShortHint(c->Hint());
    THintInfo info;
    info.HintControl = c;
    info.HintWindowClass = &THintWindow::StaticClassInfo();
    TPoint cur;
    GetCursorPos(&cur);
    info.HintPos = {cur.X, cur.Y + 20};
    info.HintMaxWidth = Screen ? Screen->Width() : 1024;
    info.HintColor = FHintColor;
    info.CursorRect = c->ClientRect();
    info.CursorPos = c->ScreenToClient(cur);
    info.HideTimeout = FHintHidePause;
    info.HintStr = hint;
    if (c->Perform(CM_HINTSHOW, 0, LPARAM(&info)) != 0) return;
    gHintCursorRect = info.CursorRect;
    gHintCursorRectSet = true;
    if (!show && info.HintStr == hint) return;
    if (OnShowHint) {
        bool can = true;
        OnShowHint(info.HintStr, can, info);
        if (!can) return;
    }
    if (info.HintStr.isEmpty()) return;
    // The control may ask for a window class of its own (registered with a factory).
    const TClassInfo* cls = info.HintWindowClass;
    if (!cls || !cls->Factory || !cls->InheritsFrom(&THintWindow::StaticClassInfo()))
        cls = &THintWindow::StaticClassInfo();
    if (FHintWindow && FHintWindow->ClassType() != cls) {
        FreeAndNil(FHintWindow);
    }
    if (!FHintWindow) {
        if (cls != &THintWindow::StaticClassInfo())
            FHintWindow = dynamic_cast<THintWindow*>(cls->Factory(this));
        if (!FHintWindow) FHintWindow = new THintWindow(this);
    }
    FHintWindow->SetColor(info.HintColor);
    TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    r.Offset(info.HintPos.X, info.HintPos.Y);
    FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
    FHintActive = true;
    if (info.HideTimeout > 0) {
        if (!gHideTimer) {
            gHideTimer = std::make_unique<QTimer>();
            gHideTimer->setSingleShot(true);
            QObject::connect(gHideTimer.get(), &QTimer::timeout, [] {
                if (Application) Application->HideHint();
            });
        }
        gHideTimer->start(info.HideTimeout);
    }
}

// ---------------------------------------------------------------------------------------------
// The message box on screen.
int ShowNativeMessageBox(HWND hWnd, const String& Text, const String& Caption, UINT uType) {
    if (!QApplication::instance()) return IDCANCEL;
    QWidget* parent = nullptr;
    if (auto* r = FindWindowRecord(hWnd)) parent = r->Widget;
    QMessageBox box(parent);
    box.setWindowTitle(Caption);
    String t = Text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(t);
    switch (uType & MB_ICONMASK) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    }
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    auto add = [&](const char* text, QMessageBox::ButtonRole role, int id) {
        buttons.push_back({box.addButton(QString::fromUtf8(text), role), id});
    };
    switch (uType & MB_TYPEMASK) {
    case MB_OKCANCEL:
        add("OK", QMessageBox::AcceptRole, IDOK), add("Отмена", QMessageBox::RejectRole, IDCANCEL);
        break;
    case MB_ABORTRETRYIGNORE:
        add("&Прервать", QMessageBox::RejectRole, IDABORT), add("П&овтор", QMessageBox::AcceptRole, IDRETRY),
            add("&Пропустить", QMessageBox::AcceptRole, IDIGNORE);
        break;
    case MB_YESNOCANCEL:
        add("&Да", QMessageBox::YesRole, IDYES), add("&Нет", QMessageBox::NoRole, IDNO),
            add("Отмена", QMessageBox::RejectRole, IDCANCEL);
        break;
    case MB_YESNO:
        add("&Да", QMessageBox::YesRole, IDYES), add("&Нет", QMessageBox::NoRole, IDNO);
        break;
    case MB_RETRYCANCEL:
        add("П&овтор", QMessageBox::AcceptRole, IDRETRY), add("Отмена", QMessageBox::RejectRole, IDCANCEL);
        break;
    default:
        add("OK", QMessageBox::AcceptRole, IDOK);
        break;
    }
    int def = (uType & MB_DEFMASK) >> 8;
    if (def < int(buttons.size()))
        box.setDefaultButton(static_cast<QPushButton*>(buttons[size_t(def)].first));
    box.exec();
    for (auto& [b, id] : buttons)
        if (box.clickedButton() == b) return id;
    // Closed without a button: Cancel when there is one, else the only answer.
    int type = uType & MB_TYPEMASK;
    if (type == MB_YESNO) return IDNO;
    if (type == MB_OK) return IDOK;
    return IDCANCEL;
}
