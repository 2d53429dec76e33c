// The data grid's paint pass, the loading overlay (a dimmed still picture with a caption box,
// faded in and out) and the text shown over an empty data set.
//
// Loading state: FLoadingModeCallCount counts nested starts; FLoadingModeBitmap exists exactly
// while it is above 0, and Paint shows it instead of the cells while FShowingLoadingMode.

#include "lib/dbgrid/DBGridEh.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/WinGdi.h"

#include <QScopeGuard>

#include <cassert>
#include <cmath>

String DefaultEmptyDataText;

namespace {

// The caption box of the overlay and of the empty-data text: the text centred at (X, Y) with
// 5 pixels of the grid's colour around it.
TRect PaintCaptionBox(TCanvas* Canvas, int X, int Y, const String& Text, TColor BoxColor) {
    TSize ext = Canvas->TextExtent(Text);
    ext.cy += 2;
    TRect box(X - (ext.cx >> 1), Y - (ext.cy >> 1), 0, 0);
    box.Right = box.Left + ext.cx;
    box.Bottom = box.Top + ext.cy;
    box.Inflate(5, 5);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(BoxColor);
    PaintTextInRect(Canvas, box, true, 6, 6, Text, taCenter, tlCenter, false, false, 6, 6, false);
    return box;
}

void Blend(TBitmap* Dest, TBitmap* Source, int Alpha) {
    BLENDFUNCTION f;
    f.BlendOp = AC_SRC_OVER;
    f.SourceConstantAlpha = BYTE(Alpha);
    AlphaBlend(Dest->Canvas()->Handle(), 0, 0, Dest->Width(), Dest->Height(), Source->Canvas()->Handle(), 0,
               0, Source->Width(), Source->Height(), f);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Paint

void TCustomDBGridEh::Paint() {
    if (FShowingLoadingMode) {
        assert(FLoadingModeBitmap && "the loading picture exists while it is shown");
        if (FLoadingModeBitmap) Canvas()->Draw(0, 0, FLoadingModeBitmap);
        return;
    }
    FHeadTree->Drawn = false;
    FDrawnGroupList.clear();
    FHeadTree->DoForAllNode(THeadTreeProc::Callable([](THeadTreeNode* node) { node->Drawn = false; }));
    if (HasHideDuplicatesColumns()) {
        const size_t rows = size_t(std::max(0, VisibleRowCount()) + 2);
        for (int i = 0; i < Columns()->Count(); ++i)
            Columns()->Columns(i)->CheckedDuplicates().assign(rows, false);
    }
    {
        // Right to left the whole grid is drawn mirrored.
        const bool mirror = UseRightToLeftAlignment();
        if (mirror) SetCanvasMirroring(true);
        const auto unmirror = qScopeGuard([&] {
            if (mirror) SetCanvasMirroring(false);
        });
        TCustomDBAxisGridEh::Paint();
        // The text box stands over the middle of the data area, which is mirrored too.
        if (FEmptyDataInfo->Showing()) FEmptyDataInfo->PaintEmptyDataInfo();
    }
    PaintRowPanelDragFeedback();
}

// ---------------------------------------------------------------------------------------------
// Loading overlay

int TCustomDBGridEh::ActualRenderDuration(int RenderDuration, bool Start) {
    if (RenderDuration == -1) {
        TDBGridEhStyle& style = PaintStyle();
        RenderDuration =
            Start ? style.StartLoadingStatusRenderDuration() : style.FinishLoadingStatusRenderDuration();
    }
    // A negative duration would run the frame loop for weeks; it means no frames.
    return RenderDuration < 0 ? 0 : RenderDuration;
}

void TCustomDBGridEh::StartLoadingStatus(const String& LoadingCaption, int RenderDuration) {
    FLoadingModeText = LoadingCaption.isEmpty() ? QStringLiteral("Loading...") : LoadingCaption;
    if (FLoadingModeCallCount == 0) FLoadingModeBitmap = new TBitmap();
    ++FLoadingModeCallCount;
    RenderStartLoadingStatus(ActualRenderDuration(RenderDuration, true));
    FShowingLoadingMode = true;
    Repaint();
}

void TCustomDBGridEh::FinishLoadingStatus(int RenderDuration) {
    // A finish without a start would leave a later start without a picture to draw into.
    if (FLoadingModeCallCount == 0) return;
    if (--FLoadingModeCallCount > 0) return;
    RenderFinishLoadingStatus(ActualRenderDuration(RenderDuration, false));
    FShowingLoadingMode = false;
    delete FLoadingModeBitmap;
    FLoadingModeBitmap = nullptr;
    Repaint();
    UpdateVertScrollBar();
}

void TCustomDBGridEh::PaintGridImage(TBitmap* Target) {
    const bool showing = FShowingLoadingMode;
    FShowingLoadingMode = false;
    const auto restore = qScopeGuard([&] { FShowingLoadingMode = showing; });
    Target->Canvas()->Brush()->SetColor(Color());
    Target->Canvas()->FillRect(TRect(0, 0, Target->Width(), Target->Height()));
    PaintTo(Target->Canvas(), 0, 0);
}

void TCustomDBGridEh::RenderStartLoadingStatus(int Duration) {
    const int w = ClientWidth();
    const int h = ClientHeight();
    TBitmap a;
    TBitmap b;
    a.SetSize(w, h);
    b.SetSize(w, h);
    TBitmap* picture = FLoadingModeBitmap;
    picture->SetSize(w, h);

    // The grid as it is now: the picture is 40 % of it over grey, the fade starts from all of it.
    PaintGridImage(&a);
    TCanvas* pc = picture->Canvas();
    pc->Brush()->SetColor(clGray);
    pc->FillRect(TRect(0, 0, w, h));
    Blend(picture, &a, 102);
    pc->Font()->Assign(Font());
    TRect box = PaintCaptionBox(pc, w >> 1, h >> 1, FLoadingModeText, Color());
    box.Inflate(1, 1);
    pc->Brush()->SetColor(InterpolateColor(Font()->Color(), Color(), 128));
    pc->FrameRect(box);

    FShowingLoadingMode = true;
    FLoadingModeBitmap = &b;
    const auto back = qScopeGuard([&] { FLoadingModeBitmap = picture; });
    RenderLoadingFrames(&a, picture, &b, Duration);
}

void TCustomDBGridEh::RenderFinishLoadingStatus(int Duration) {
    const int w = ClientWidth();
    const int h = ClientHeight();
    TBitmap a;
    TBitmap b;
    a.SetSize(w, h);
    b.SetSize(w, h);
    PaintGridImage(&a);
    FShowingLoadingMode = true;
    TBitmap* picture = FLoadingModeBitmap;
    FLoadingModeBitmap = &b;
    const auto back = qScopeGuard([&] { FLoadingModeBitmap = picture; });
    RenderLoadingFrames(picture, &a, &b, Duration);
}

void TCustomDBGridEh::RenderLoadingFrames(TBitmap* From, TBitmap* To, TBitmap* Frame, int Duration) {
    // Each step is the mean frame time so far, so the fade keeps to its duration however long
    // a frame takes.
    const uint32_t t0 = GetTickCount();
    uint32_t p = 1;
    uint32_t n = 1;
    while (p < uint32_t(Duration)) {
        const int alpha = int(std::nearbyint(double(p) * 255.0 / Duration));
        Frame->Canvas()->Brush()->SetColor(clWindow);
        Frame->Canvas()->FillRect(TRect(0, 0, Frame->Width(), Frame->Height()));
        Blend(Frame, From, 255 - alpha);
        Blend(Frame, To, alpha);
        ++FLoadingFramesDrawn;
        Repaint();
        const uint32_t elapsed = GetTickCount() - t0;
        uint32_t step = elapsed > 0 ? uint32_t(std::nearbyint(double(elapsed) / n)) : 1;
        if (step < 1) step = 1;
        p += step;
        ++n;
    }
}

// ---------------------------------------------------------------------------------------------
// Empty-data text

TGridEmptyDataInfoEh::TGridEmptyDataInfoEh(TCustomDBGridEh* AGrid)
    : FGrid(AGrid), FFont(std::make_unique<TFont>()) {
    FFont->Assign(FGrid->Font());
    FFont->SetColor(clGray);
    FFont->OnChange = TNotifyEvent(this, &TGridEmptyDataInfoEh::FontChanged);
}

TGridEmptyDataInfoEh::~TGridEmptyDataInfoEh() = default;

void TGridEmptyDataInfoEh::FontChanged(TObject*) {
    if (FRefreshing) return;
    FParentFont = false;
    FGrid->Invalidate();
}

void TGridEmptyDataInfoEh::SetActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    FGrid->Invalidate();
}

void TGridEmptyDataInfoEh::SetText(const String& Value) {
    if (FText == Value) return;
    FText = Value;
    FGrid->Invalidate();
}

void TGridEmptyDataInfoEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TGridEmptyDataInfoEh::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    RefreshDefaultFont();
    FGrid->Invalidate();
}

void TGridEmptyDataInfoEh::RefreshDefaultFont() {
    if (!FParentFont) return;
    FRefreshing = true;
    const auto done = qScopeGuard([&] { FRefreshing = false; });
    FFont->SetSize(FGrid->Font()->Size());
    FFont->SetName(FGrid->Font()->Name());
    FFont->SetCharset(FGrid->Font()->Charset());
}

String TGridEmptyDataInfoEh::ActualText() const {
    if (!FText.isEmpty()) return FText;
    if (!DefaultEmptyDataText.isEmpty()) return DefaultEmptyDataText;
    return QStringLiteral("Нет данных");
}

bool TGridEmptyDataInfoEh::Showing() const {
    if (!FActive || ActualText().isEmpty()) return false;
    TDataSource* src = FGrid->DataSource();
    TDataSet* ds = src ? src->DataSet() : nullptr;
    return ds && ds->Active() && ds->IsEmpty();
}

void TGridEmptyDataInfoEh::PaintEmptyDataInfo() {
    TGridDrawInfoEh di;
    FGrid->CalcDrawInfo(di);
    TCanvas* c = FGrid->Canvas();
    c->Font()->Assign(FFont.get());
    const int x = (di.Horz.FixedBoundary + di.Horz.ContraExtent) >> 1;
    const int y = (di.Vert.FixedBoundary + di.Vert.ContraExtent) >> 1;
    TRect box = PaintCaptionBox(c, x, y, ActualText(), FGrid->Color());
    if (FGrid->OptionsEh().Contains(dghExtendVertLines)) {
        box.Inflate(1, 1);
        c->Brush()->SetColor(InterpolateColor(FFont->Color(), FGrid->Color(), 192));
        c->FrameRect(box);
    }
}
