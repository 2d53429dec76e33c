// Window scroll bars with the Win32 SCROLLINFO rules, and the non-client insets they take.

#include "platform/ui/WindowBridge.h"

#include <QScrollBar>

#include <algorithm>

int ScrollCodeOfSliderAction(int Action) {
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return SB_BOTTOM;
    default:
        return -1;
    }
}

namespace {

TScrollBarState* BarOf(HWND h, int bar, TWindowRecord** recOut = nullptr) {
    auto* r = FindWindowRecord(h);
    if (recOut) *recOut = r;
    if (!r || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
    return &r->Bars[bar];
}

// The last position the thumb may take: the range includes the page.
int MaxPos(const SCROLLINFO& si) {
    int page = int(si.nPage);
    return std::max(si.nMin, si.nMax - std::max(page - 1, 0));
}

bool RangeNeedsBar(const SCROLLINFO& si) {
    if (si.nMax <= si.nMin) return false;
    if (si.nPage != 0 && long(si.nPage) > long(si.nMax) - long(si.nMin)) return false;
    return true;
}

void SyncQtBar(TWindowRecord* r, int bar);

void SendScroll(TWindowRecord* r, int bar, int code, int pos) {
    if (!r || !r->Control) return;
    TMessage m{UINT(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL), MAKEWPARAM(Word(code), Word(SmallInt(pos))), 0,
               0};
    r->Control->WindowProc(m);
}

QScrollBar* MakeQtBar(TWindowRecord* r, int bar) {
    auto* sb = new QScrollBar(bar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, r->Widget);
    sb->setProperty("kvt_ncbar", true);
    sb->setFocusPolicy(Qt::NoFocus);
    HWND h = r->Handle;
    QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [h, bar, sb](int action) {
        TWindowRecord* rec = nullptr;
        TScrollBarState* st = BarOf(h, bar, &rec);
        if (!st) return;
        if (action == QAbstractSlider::SliderMove) {
            st->Tracking = true;
            st->Info.nTrackPos = sb->sliderPosition();
            SendScroll(rec, bar, SB_THUMBTRACK, st->Info.nTrackPos);
            return;
        }
        const int code = ScrollCodeOfSliderAction(action);
        if (code < 0) return;
        // The window moves the thumb itself (SetScrollInfo); the bar does not.
        sb->setSliderPosition(st->Info.nPos);
        SendScroll(rec, bar, code, st->Info.nPos);
        if (BarOf(h, bar)) SendScroll(rec, bar, SB_ENDSCROLL, 0);
    });
    QObject::connect(sb, &QAbstractSlider::sliderReleased, sb, [h, bar] {
        TWindowRecord* rec = nullptr;
        TScrollBarState* st = BarOf(h, bar, &rec);
        if (!st || !st->Tracking) return;
        // The window reads the released thumb's place through GetScrollInfo (SIF_TRACKPOS) while
        // it handles SB_THUMBPOSITION, so the bar is still tracking then.
        SendScroll(rec, bar, SB_THUMBPOSITION, st->Info.nTrackPos);
        if ((st = BarOf(h, bar, &rec))) {
            st->Tracking = false;
            SendScroll(rec, bar, SB_ENDSCROLL, 0);
            if ((st = BarOf(h, bar, &rec))) SyncQtBar(rec, bar);
        }
    });
    return sb;
}

void SyncQtBar(TWindowRecord* r, int bar) {
    auto& st = r->Bars[bar];
    if (!r->Widget) return;
    if (!st.Visible) {
        if (st.Bar) st.Bar->hide();
        return;
    }
    if (!st.Bar) st.Bar = MakeQtBar(r, bar);
    QSignalBlocker block(st.Bar);
    st.Bar->setRange(st.Info.nMin, MaxPos(st.Info));
    st.Bar->setPageStep(std::max(1, int(st.Info.nPage)));
    st.Bar->setSingleStep(1);
    if (!st.Tracking) st.Bar->setValue(st.Info.nPos);
    st.Bar->setEnabled(st.Enabled && RangeNeedsBar(st.Info));
}

void Relayout(TWindowRecord* r) {
    LayoutScrollBars(r);
    if (r->Control) {
        // The client area changed size: the window learns it as a resize.
        TRect cr = r->Control->ClientRect();
        TMessage m{WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(cr.Width()), Word(cr.Height())), 0};
        r->Control->WindowProc(m);
    }
}

} // namespace

TRect BorderInsets(DWORD Style, DWORD ExStyle) {
    int b = 0;
    if (Style & WS_BORDER) b += 1;
    if (ExStyle & WS_EX_CLIENTEDGE) b += 2;
    if (ExStyle & WS_EX_STATICEDGE) b += 1;
    if (Style & WS_THICKFRAME)
        b += 4;
    else if (Style & WS_DLGFRAME)
        b += 3;
    return {b, b, b, b};
}

TRect NonClientInsets(TWindowRecord* Rec) {
    if (!Rec || !Rec->Control || Rec->Native) return {};
    auto* c = Rec->Control;
    TRect r = (c->Parent() || c->ParentWindow())
                  ? BorderInsets(c->WindowStyle() & ~(WS_THICKFRAME | WS_DLGFRAME), c->WindowExStyle())
                  : TRect{};
    r.Top += Rec->MenuHeight;
    const TRect m = c->NonClientMargins();
    r.Left += m.Left, r.Top += m.Top, r.Right += m.Right, r.Bottom += m.Bottom;
    bool left = c->UseRightToLeftScrollBar() || (c->WindowExStyle() & WS_EX_LEFTSCROLLBAR);
    if (Rec->Bars[SB_VERT].Visible) (left ? r.Left : r.Right) += ScrollBarExtent();
    if (Rec->Bars[SB_HORZ].Visible) r.Bottom += ScrollBarExtent();
    return r;
}

void LayoutScrollBars(TWindowRecord* r) {
    if (!r || !r->Widget) return;
    auto* c = r->Control;
    TRect b = c && (c->Parent() || c->ParentWindow()) && !r->Native
                  ? BorderInsets(c->WindowStyle() & ~(WS_THICKFRAME | WS_DLGFRAME), c->WindowExStyle())
                  : TRect{};
    if (c) {
        const TRect m = c->NonClientMargins();
        b.Left += m.Left, b.Top += m.Top, b.Right += m.Right, b.Bottom += m.Bottom;
    }
    int w = r->Widget->width(), h = r->Widget->height(), e = ScrollBarExtent();
    bool hv = r->Bars[SB_HORZ].Visible, vv = r->Bars[SB_VERT].Visible;
    bool left = c && (c->UseRightToLeftScrollBar() || (c->WindowExStyle() & WS_EX_LEFTSCROLLBAR));
    for (int bar : {SB_HORZ, SB_VERT})
        SyncQtBar(r, bar);
    if (vv && r->Bars[SB_VERT].Bar) {
        int x = left ? b.Left : w - b.Right - e;
        r->Bars[SB_VERT].Bar->setGeometry(x, b.Top, e, std::max(0, h - b.Top - b.Bottom - (hv ? e : 0)));
        r->Bars[SB_VERT].Bar->show();
        r->Bars[SB_VERT].Bar->raise();
    }
    if (hv && r->Bars[SB_HORZ].Bar) {
        int x = b.Left + (left && vv ? e : 0);
        r->Bars[SB_HORZ].Bar->setGeometry(x, h - b.Bottom - e,
                                          std::max(0, w - b.Left - b.Right - (vv ? e : 0)), e);
        r->Bars[SB_HORZ].Bar->show();
        r->Bars[SB_HORZ].Bar->raise();
    }
}

int SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, BOOL) {
    TWindowRecord* r = nullptr;
    if (bar == SB_CTL) {
        auto* c = FindControl(h);
        if (!c || !si) return 0;
        TMessage m{SBM_SETSCROLLINFO, 1, LPARAM(si), 0};
        c->WindowProc(m);
        return int(m.Result);
    }
    auto* st = BarOf(h, bar, &r);
    if (!st || !si) return 0;
    SCROLLINFO& s = st->Info;
    if (si->fMask & SIF_RANGE) {
        s.nMin = si->nMin;
        s.nMax = si->nMax;
    }
    if (si->fMask & SIF_PAGE) {
        long range = long(s.nMax) - long(s.nMin) + 1;
        s.nPage = UINT(std::clamp<long>(long(si->nPage), 0, std::max<long>(range, 0)));
    }
    if (si->fMask & SIF_POS) s.nPos = si->nPos;
    s.nPos = std::clamp(s.nPos, s.nMin, MaxPos(s));
    bool needs = RangeNeedsBar(s);
    bool wasVisible = st->Visible;
    if (si->fMask & (SIF_RANGE | SIF_PAGE)) {
        if (si->fMask & SIF_DISABLENOSCROLL) {
            st->Visible = true;
            st->Enabled = needs;
        } else {
            st->Visible = needs;
            st->Enabled = true;
        }
    }
    if (wasVisible != st->Visible)
        Relayout(r);
    else
        SyncQtBar(r, bar);
    return s.nPos;
}

BOOL GetScrollInfo(HWND h, int bar, SCROLLINFO* si) {
    if (bar == SB_CTL) {
        auto* c = FindControl(h);
        if (!c || !si) return FALSE;
        TMessage m{SBM_GETSCROLLINFO, 0, LPARAM(si), 0};
        c->WindowProc(m);
        return m.Result != 0;
    }
    auto* st = BarOf(h, bar);
    if (!st || !si) return FALSE;
    const SCROLLINFO& s = st->Info;
    if (si->fMask & SIF_RANGE) {
        si->nMin = s.nMin;
        si->nMax = s.nMax;
    }
    if (si->fMask & SIF_PAGE) si->nPage = s.nPage;
    if (si->fMask & SIF_POS) si->nPos = s.nPos;
    if (si->fMask & SIF_TRACKPOS) si->nTrackPos = st->Tracking ? s.nTrackPos : s.nPos;
    return (si->fMask & SIF_ALL) != 0;
}

int SetScrollPos(HWND h, int bar, int pos, BOOL redraw) {
    auto* st = BarOf(h, bar);
    int old = st ? st->Info.nPos : 0;
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(h, bar, &si, redraw);
    return old;
}
int GetScrollPos(HWND h, int bar) {
    SCROLLINFO si;
    si.fMask = SIF_POS;
    return GetScrollInfo(h, bar, &si) ? si.nPos : 0;
}
BOOL SetScrollRange(HWND h, int bar, int lo, int hi, BOOL redraw) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = lo;
    si.nMax = hi;
    SetScrollInfo(h, bar, &si, redraw);
    return TRUE;
}
BOOL GetScrollRange(HWND h, int bar, int* lo, int* hi) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    if (!GetScrollInfo(h, bar, &si)) return FALSE;
    if (lo) *lo = si.nMin;
    if (hi) *hi = si.nMax;
    return TRUE;
}
BOOL ShowScrollBar(HWND h, int bar, BOOL show) {
    TWindowRecord* r = FindWindowRecord(h);
    if (!r) return FALSE;
    bool changed = false;
    for (int b : {SB_HORZ, SB_VERT})
        if (bar == b || bar == SB_BOTH) {
            changed |= r->Bars[b].Visible != (show != 0);
            r->Bars[b].Visible = show != 0;
        }
    if (changed) Relayout(r);
    return TRUE;
}
BOOL EnableScrollBar(HWND h, UINT bar, UINT arrows) {
    TWindowRecord* r = FindWindowRecord(h);
    if (!r) return FALSE;
    for (int b : {SB_HORZ, SB_VERT})
        if (int(bar) == b || int(bar) == SB_BOTH) {
            r->Bars[b].Enabled = arrows != ESB_DISABLE_BOTH;
            SyncQtBar(r, b);
        }
    return TRUE;
}
BOOL GetScrollBarInfo(HWND h, LONG id, SCROLLBARINFO* sbi) {
    int bar = id == OBJID_HSCROLL ? SB_HORZ : id == OBJID_VSCROLL ? SB_VERT : -1;
    auto* st = BarOf(h, bar);
    if (!st || !sbi) return FALSE;
    sbi->rgstate[0] = 0;
    if (!st->Visible) sbi->rgstate[0] |= STATE_SYSTEM_INVISIBLE;
    if (!st->Enabled || !RangeNeedsBar(st->Info)) sbi->rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
    sbi->dxyLineButton = ScrollBarExtent();
    if (st->Bar && st->Visible) {
        QPoint tl = st->Bar->mapToGlobal(QPoint(0, 0));
        sbi->rcScrollBar = Bounds(tl.x(), tl.y(), st->Bar->width(), st->Bar->height());
    } else {
        sbi->rcScrollBar = {};
    }
    return TRUE;
}
