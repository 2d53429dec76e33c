// The message model: dispatch through WindowProc/Dispatch/DefaultHandler, the queue with posting
// and peeking, timers, capture and the window scroll bars.

#include "UiTestUtil.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QAbstractSlider>
#include <algorithm>
#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class TProbe : public TCustomControl {
    KVT_CLASS(TProbe, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    std::vector<UINT> Got;
    std::vector<WPARAM> TimerIds;
    std::vector<std::pair<int, int>> Scrolls; // code, pos
    std::vector<int> TrackPos;                // SIF_TRACKPOS read while handling each scroll
    int Defaults = 0;
    void Dispatch(TMessage& M) override {
        switch (M.Msg) {
        case WM_USER + 1:
            Got.push_back(M.Msg);
            M.Result = 42;
            return;
        case WM_TIMER:
            TimerIds.push_back(M.WParam);
            break;
        case WM_VSCROLL: {
            TWMScroll s(M);
            Scrolls.push_back({s.ScrollCode(), s.Pos()});
            SCROLLINFO si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(Handle(), SB_VERT, &si);
            TrackPos.push_back(si.nTrackPos);
            break;
        }
        }
        TCustomControl::Dispatch(M);
    }
    void DefaultHandler(TMessage& M) override {
        if (M.Msg >= WM_USER) ++Defaults;
        TCustomControl::DefaultHandler(M);
    }
    void CreateParams(TCreateParams& P) override {
        TCustomControl::CreateParams(P);
        P.Style |= ExtraStyle;
        P.ExStyle |= ExtraExStyle;
    }
    DWORD ExtraStyle = 0, ExtraExStyle = 0;
};

class TProbe2 : public TProbe {
    KVT_CLASS(TProbe2, TProbe)
public:
    using TProbe::TProbe;
    int Seen = 0;
    void Dispatch(TMessage& M) override {
        if (M.Msg == WM_USER + 1) {
            ++Seen;
            TProbe::Dispatch(M); // inherited: the parent class's handler runs
            M.Result += 1;
            return;
        }
        TProbe::Dispatch(M);
    }
};

struct Fixture : ::testing::Test {
    TForm* Form = nullptr;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 300, 200);
    }
    void TearDown() override {
        Form->Free();
        PumpEvents();
    }
    template <class T> T* Add(int l = 10, int t = 10, int w = 100, int h = 80) {
        auto* c = new T(Form);
        c->SetParent(Form);
        c->SetBounds(l, t, w, h);
        return c;
    }
};

using MessageTest = Fixture;

TEST_F(MessageTest, HandlersOverrideAndInheritedReachesAncestorThenDefault) {
    auto* p = Add<TProbe2>();
    EXPECT_EQ(p->Perform(WM_USER + 1, 0, 0), 43);
    EXPECT_EQ(p->Seen, 1);
    EXPECT_EQ(p->Got.size(), 1u);
    // A message nobody handles ends in DefaultHandler.
    int before = p->Defaults;
    p->Perform(WM_USER + 7, 0, 0);
    EXPECT_EQ(p->Defaults, before + 1);
}

TEST_F(MessageTest, WindowProcCanBeReplacedAndRestored) {
    auto* p = Add<TProbe>();
    TWndMethod own = p->WindowProc;
    EXPECT_TRUE(own == TWndMethod(static_cast<TControl*>(p), &TControl::WndProc));
    int hooked = 0;
    p->WindowProc = TWndMethod::Callable([&](TMessage& m) {
        ++hooked;
        own(m);
    });
    EXPECT_EQ(p->Perform(WM_USER + 1), 42);
    EXPECT_EQ(hooked, 1);
    p->WindowProc = own;
    p->Perform(WM_USER + 1);
    EXPECT_EQ(hooked, 1);
}

TEST_F(MessageTest, PostedMessagesArriveInOrderAndCanBePeeked) {
    auto* p = Add<TProbe>();
    HWND h = p->Handle();
    PostMessage(h, WM_USER + 1, 1, 0);
    PostMessage(h, WM_USER + 2, 2, 0);
    PostMessage(h, WM_USER + 1, 3, 0);
    MSG m;
    // Without removal the message stays; a filter range picks the first match.
    ASSERT_TRUE(PeekMessage(&m, h, WM_USER + 2, WM_USER + 2, PM_NOREMOVE | PM_NOYIELD));
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_EQ(QueuedMessageCount(), 3);
    ASSERT_TRUE(PeekMessage(&m, h, WM_USER + 2, WM_USER + 2, PM_REMOVE | PM_NOYIELD));
    EXPECT_EQ(QueuedMessageCount(), 2);
    EXPECT_FALSE(PeekMessage(&m, h, WM_USER + 2, WM_USER + 2, PM_NOREMOVE | PM_NOYIELD));
    // Another window's filter does not see them.
    auto* other = Add<TProbe>(120, 10);
    EXPECT_FALSE(PeekMessage(&m, other->Handle(), 0, 0, PM_NOREMOVE | PM_NOYIELD));
    DispatchQueuedMessages();
    EXPECT_EQ(p->Got.size(), 2u);
    EXPECT_EQ(QueuedMessageCount(), 0);
}

TEST_F(MessageTest, MessagesToDestroyedWindowsAreDropped) {
    auto* p = Add<TProbe>();
    HWND h = p->Handle();
    PostMessage(h, WM_USER + 1, 0, 0);
    p->Free();
    EXPECT_EQ(QueuedMessageCount(), 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SendMessage(h, WM_USER + 1, 0, 0), 0);
    EXPECT_FALSE(PostMessage(h, WM_USER + 1, 0, 0));
}

TEST_F(MessageTest, TimersFireRepeatedlyUntilKilled) {
    auto* p = Add<TProbe>();
    HWND h = p->Handle();
    EXPECT_EQ(SetTimer(h, 1, 0, nullptr), 1u); // 0 ms runs at 10 ms
    for (int i = 0; i < 100 && p->TimerIds.size() < 3; ++i)
        PumpEvents(10);
    ASSERT_GE(p->TimerIds.size(), 3u);
    EXPECT_EQ(p->TimerIds[0], 1u);
    EXPECT_TRUE(KillTimer(h, 1));
    size_t n = p->TimerIds.size();
    PumpEvents(60);
    EXPECT_EQ(p->TimerIds.size(), n);
    EXPECT_FALSE(KillTimer(h, 1));
}

TEST_F(MessageTest, CaptureIsOneWindowAndCancelModeReleasesIt) {
    auto* a = Add<TProbe>();
    auto* b = Add<TProbe>(120, 10);
    a->SetMouseCapture(true);
    EXPECT_EQ(GetCapture(), a->Handle());
    EXPECT_TRUE(a->MouseCapture());
    b->SetMouseCapture(true);
    EXPECT_FALSE(a->MouseCapture());
    EXPECT_EQ(GetCaptureControl(), b);
    b->Perform(WM_CANCELMODE);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(MessageTest, NonClientBordersShrinkTheClientRect) {
    struct Case {
        DWORD style, ex;
        int inset;
    };
    for (Case c : {Case{0, 0, 0}, Case{WS_BORDER, 0, 1}, Case{0, WS_EX_CLIENTEDGE, 2},
                   Case{WS_BORDER, WS_EX_CLIENTEDGE, 3}}) {
        auto* p = new TProbe(Form);
        p->ExtraStyle = c.style;
        p->ExtraExStyle = c.ex;
        p->SetParent(Form);
        p->SetBounds(0, 0, 100, 50);
        EXPECT_EQ(p->ClientRect(), Rect(0, 0, 100 - 2 * c.inset, 50 - 2 * c.inset)) << c.style << " " << c.ex;
        p->HandleNeeded();
        EXPECT_EQ(p->ClientRect(), Rect(0, 0, 100 - 2 * c.inset, 50 - 2 * c.inset));
        TPoint o = p->ClientToScreen({0, 0});
        TPoint f = Form->ClientToScreen({0, 0});
        EXPECT_EQ(o, TPoint(f.X + c.inset, f.Y + c.inset));
        p->Free();
    }
}

TEST_F(MessageTest, ScrollInfoFollowsWin32Rules) {
    auto* p = Add<TProbe>(0, 0, 200, 100);
    HWND h = p->Handle();
    int full = p->ClientWidth();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0, si.nMax = 99, si.nPage = 10, si.nPos = 95;
    // The position stops where the page reaches the end of the range.
    EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), 90);
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(p->ClientWidth(), full - GetSystemMetrics(SM_CXVSCROLL));
    SCROLLINFO out;
    out.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &out));
    EXPECT_EQ(out.nMax, 99);
    EXPECT_EQ(out.nPage, 10u);
    EXPECT_EQ(out.nPos, 90);
    // A page larger than the range is cut to the range; the bar hides.
    si.fMask = SIF_PAGE;
    si.nPage = 500;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    GetScrollInfo(h, SB_VERT, &out);
    EXPECT_EQ(out.nPage, 100u);
    EXPECT_EQ(out.nPos, 0);
    EXPECT_FALSE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(p->ClientWidth(), full);
    // A 0..0 range hides the bar; with SIF_DISABLENOSCROLL it stays, disabled.
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMin = si.nMax = 0;
    si.nPage = 0;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    EXPECT_FALSE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    si.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    SCROLLBARINFO sbi;
    GetScrollBarInfo(h, OBJID_VSCROLL, &sbi);
    EXPECT_TRUE(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE);
}

TEST_F(MessageTest, ScrollBarActionsBecomeScrollMessagesWithoutMovingTheThumb) {
    auto* p = Add<TProbe>(0, 0, 200, 100);
    HWND h = p->Handle();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0, si.nMax = 99, si.nPage = 10, si.nPos = 5;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    auto bars = p->Widget()->findChildren<QAbstractSlider*>();
    ASSERT_EQ(bars.size(), 1);
    bars[0]->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bars[0]->triggerAction(QAbstractSlider::SliderPageStepSub);
    ASSERT_EQ(p->Scrolls.size(), 4u);
    EXPECT_EQ(p->Scrolls[0].first, SB_LINEDOWN);
    EXPECT_EQ(p->Scrolls[1].first, SB_ENDSCROLL);
    EXPECT_EQ(p->Scrolls[2].first, SB_PAGEUP);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 5); // the window decides
    EXPECT_EQ(bars[0]->value(), 5);
}

TEST_F(MessageTest, ReleasedThumbKeepsItsTrackPositionForTheWindow) {
    auto* p = Add<TProbe>(0, 0, 200, 100);
    HWND h = p->Handle();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0, si.nMax = 99, si.nPage = 10, si.nPos = 0;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    auto bars = p->Widget()->findChildren<QAbstractSlider*>();
    ASSERT_EQ(bars.size(), 1);
    bars[0]->setSliderDown(true);
    bars[0]->setSliderPosition(40);
    bars[0]->setSliderDown(false);
    auto it = std::find_if(p->Scrolls.begin(), p->Scrolls.end(),
                           [](auto& s) { return s.first == SB_THUMBPOSITION; });
    ASSERT_NE(it, p->Scrolls.end());
    EXPECT_EQ(p->TrackPos[size_t(it - p->Scrolls.begin())], 40);
    // Afterwards the bar no longer tracks: the track position is the position again.
    SCROLLINFO out;
    out.fMask = SIF_TRACKPOS | SIF_POS;
    GetScrollInfo(h, SB_VERT, &out);
    EXPECT_EQ(out.nTrackPos, out.nPos);
}

} // namespace

namespace {

class TInputProbe : public TCustomControl {
    KVT_CLASS(TInputProbe, TCustomControl)
public:
    explicit TInputProbe(TComponent* o) : TCustomControl(o) { FTabStop = true; }
    std::vector<QString> Log;
    bool PeekedChar = false;
    void Dispatch(TMessage& M) override {
        if (M.Msg == WM_GETDLGCODE) {
            M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
            return;
        }
        if (M.Msg == WM_KEYDOWN) {
            // The character of the key already waits in the queue.
            MSG m;
            PeekedChar |=
                PeekMessage(&m, Handle(), WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) && m.wParam == 'q';
        }
        TCustomControl::Dispatch(M);
    }

protected:
    void KeyDown(Word& Key, TShiftState) override { Log.push_back(QStringLiteral("down %1").arg(Key)); }
    void KeyPress(Char& Key) override { Log.push_back(QStringLiteral("press %1").arg(Key)); }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        Log.push_back(
            QStringLiteral("mdown %1 %2 %3,%4").arg(int(b)).arg(s.Contains(ssDouble)).arg(x).arg(y));
    }
    void DblClick() override { Log.push_back(QStringLiteral("dbl")); }
    bool DoMouseWheelDown(TShiftState, TPoint) override {
        Log.push_back(QStringLiteral("wheel down"));
        return true;
    }
    bool DoMouseWheelUp(TShiftState, TPoint) override {
        Log.push_back(QStringLiteral("wheel up"));
        return true;
    }
};

using InputTest = Fixture;

TEST_F(InputTest, KeyMessagesCarryVirtualKeysAndTheCharacterWaitsDuringKeyDown) {
    auto* p = Add<TInputProbe>();
    ShowAndActivate(Form);
    p->SetFocus();
    PumpEvents(10);
    ASSERT_TRUE(p->Focused());
    SendKey(p, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
    SendKey(p, Qt::Key_Left);
    EXPECT_TRUE(p->PeekedChar);
    EXPECT_EQ(p->Log, (std::vector<QString>{QStringLiteral("down 81"), QStringLiteral("press q"),
                                            QStringLiteral("down 37")}));
    EXPECT_FALSE(GetKeyState(VK_LEFT) < 0); // released again
}

TEST_F(InputTest, DoubleClicksNeedTheControlStyle) {
    auto* p = Add<TInputProbe>(10, 10, 100, 80);
    ShowAndActivate(Form);
    auto send = [&](QEvent::Type t) {
        QMouseEvent e(t, QPointF(5, 6), QPointF(p->Widget()->mapToGlobal(QPoint(5, 6))), Qt::LeftButton,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p->Widget(), &e);
    };
    send(QEvent::MouseButtonDblClick);
    send(QEvent::MouseButtonRelease);
    EXPECT_EQ(p->Log, (std::vector<QString>{QStringLiteral("dbl"), QStringLiteral("mdown 0 1 5,6")}));
    p->Log.clear();
    p->SetControlStyle(p->ControlStyle() - TControlStyle{csDoubleClicks});
    send(QEvent::MouseButtonDblClick);
    send(QEvent::MouseButtonRelease);
    EXPECT_EQ(p->Log, (std::vector<QString>{QStringLiteral("mdown 0 0 5,6")}));
}

TEST_F(InputTest, WheelBecomesWheelUpAndDown) {
    auto* p = Add<TInputProbe>(10, 10, 100, 80);
    ShowAndActivate(Form);
    for (int delta : {-120, 120}) {
        QPoint g = p->Widget()->mapToGlobal(QPoint(5, 5));
        QWheelEvent e(QPointF(5, 5), QPointF(g), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(p->Widget(), &e);
    }
    EXPECT_EQ(p->Log, (std::vector<QString>{QStringLiteral("wheel down"), QStringLiteral("wheel up")}));
}

TEST_F(InputTest, GraphicChildrenGetMouseMessagesAndEnterLeave) {
    auto* host = Add<TInputProbe>(0, 0, 200, 100);
    struct TDot : TGraphicControl {
        using TGraphicControl::TGraphicControl;
        std::vector<QString> Log;
        void Dispatch(TMessage& m) override {
            if (m.Msg == CM_MOUSEENTER && m.LParam == 0) Log.push_back(QStringLiteral("enter"));
            if (m.Msg == CM_MOUSELEAVE && m.LParam == 0) Log.push_back(QStringLiteral("leave"));
            if (m.Msg == WM_LBUTTONDOWN)
                Log.push_back(
                    QStringLiteral("down %1,%2").arg(GET_X_LPARAM(m.LParam)).arg(GET_Y_LPARAM(m.LParam)));
            TGraphicControl::Dispatch(m);
        }
    };
    auto* dot = new TDot(Form);
    dot->SetParent(host);
    dot->SetBounds(50, 20, 30, 30);
    ShowAndActivate(Form);
    MouseMoveTo(host, QPoint(10, 10));
    MouseMoveTo(host, QPoint(60, 30));
    MousePress(host, QPoint(60, 30));
    MouseRelease(host, QPoint(60, 30));
    MouseMoveTo(host, QPoint(150, 30));
    EXPECT_EQ(dot->Log, (std::vector<QString>{QStringLiteral("enter"), QStringLiteral("down 10,10"),
                                              QStringLiteral("leave")}));
    EXPECT_TRUE(host->Log.empty());
}

} // namespace

namespace {
class TPaintCounter : public TCustomControl {
    KVT_CLASS(TPaintCounter, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    int Paints = 0;
    void Paint() override { ++Paints; }
};
} // namespace

// Update paints what is invalid at once and nothing when all is painted, as UpdateWindow does.
TEST_F(MessageTest, UpdatePaintsOnlyWhatIsInvalid) {
    auto* c = Add<TPaintCounter>();
    Form->Show();
    PumpEvents();
    c->Update();
    const int painted = c->Paints;
    ASSERT_GT(painted, 0);
    c->Update();
    EXPECT_EQ(c->Paints, painted);
    c->Invalidate();
    c->Update();
    EXPECT_EQ(c->Paints, painted + 1);
    c->Update();
    EXPECT_EQ(c->Paints, painted + 1);
    c->Repaint();
    EXPECT_EQ(c->Paints, painted + 2);
}
