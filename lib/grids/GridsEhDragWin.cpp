// Drag feedback windows: a translucent box that follows a dragged title and the red insert-position
// marker. They are top-level pop-ups that never take the focus; one of each exists per process.
//
// Layering maps onto the window's opacity and, for a transparent colour, a mask of the pixels
// that differ from that colour (re-made whenever the window's size or contents change).

#include "lib/grids/GridsEh.h"

#include "platform/ui/Forms.h"

#include <QBitmap>
#include <QImage>
#include <QWidget>

namespace {

TGridDragBoxEh* SharedDragBox = nullptr;
TGridMoveLineEh* SharedMoveLine = nullptr;

} // namespace

TGridDragWinEh::TGridDragWinEh(TComponent* AOwner) : TWinControl(AOwner) {
    SetColor(cl3DDkShadow);
    SetBorderWidth(0);
    SetVisible(false);
}

TGridDragWinEh::~TGridDragWinEh() {
    if (SharedDragBox == this) SharedDragBox = nullptr;
    if (SharedMoveLine == this) SharedMoveLine = nullptr;
}

void TGridDragWinEh::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.WindowClass.style |= CS_SAVEBITS;
    // The layer's no-activate pop-up never takes the focus from the grid.
    if (NewStyleControls) Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    Params.ExStyle |= WS_EX_LAYERED;
}

void TGridDragWinEh::CreateWindowHandle(const TCreateParams& Params) {
    TWinControl::CreateWindowHandle(Params);
    ApplyLayering();
}

void TGridDragWinEh::PaintWindow(HDC DC) {
    TWinControl::PaintWindow(DC);
}

void TGridDragWinEh::Paint() {}

void TGridDragWinEh::ApplyLayering() {
    if (ComponentState().Contains(csDesigning)) return;
    QWidget* w = Widget();
    if (!w) return;
    if (FAlphaBlendValue == 255 && FTransparentColorValue == 0) {
        w->setWindowOpacity(1.0);
        w->clearMask();
        w->update();
        return;
    }
    w->setWindowOpacity(FAlphaBlendValue / 255.0);
    if (FTransparentColorValue != 0 && w->width() > 0 && w->height() > 0) {
        const TColor key = ColorToRGB(FTransparentColorValue);
        const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QColor qkey(GetRValue(key), GetGValue(key), GetBValue(key));
        const QBitmap mask = QBitmap::fromImage(img.createMaskFromColor(qkey.rgb(), Qt::MaskOutColor));
        w->setMask(mask);
    } else if (FTransparentColorValue == 0) {
        w->clearMask();
    }
}

void TGridDragWinEh::Resize() {
    TWinControl::Resize();
    if (FTransparentColorValue != 0) ApplyLayering();
}

void TGridDragWinEh::MoveToFor(TControl* Control, const TPoint& NewPos) {
    const TPoint p = Control->ClientToScreen(NewPos);
    SetBounds(p.X, p.Y, Width(), Height());
}

void TGridDragWinEh::MoveToFor(TControl* Control, const TPoint& NewPos, int NewHeight, int NewWidth) {
    const TPoint p = Control->ClientToScreen(NewPos);
    SetBounds(p.X, p.Y, NewWidth, NewHeight);
}

void TGridDragWinEh::StartShow(TControl* Control, const TPoint& Pos, int Height, int Width) {
    const TPoint p = Control->ClientToScreen(Pos);
    SetBounds(p.X, p.Y, Width, Height);
    SetVisible(true);
    if (HandleAllocated())
        SetWindowPos(FHandle, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ApplyLayering();
}

void TGridDragWinEh::StartShow(TControl* Control, const TPoint& Pos, int Height) {
    StartShow(Control, Pos, Height, Width());
}

void TGridDragWinEh::TemporaryHide() {
    SetBounds(Left(), Top(), 0, 0);
}

// ---------------------------------------------------------------------------------------------

TGridMoveLineEh::TGridMoveLineEh(TComponent* AOwner) : TGridDragWinEh(AOwner) {
    SetColor(TColor(RGB(255, 255, 255)));
    SetBounds(Left(), Top(), 7, 7);
    FAlphaBlendValue = 255;
    FTransparentColorValue = TColor(RGB(255, 255, 255));
    FIsVert = true;
    auto shape = [this](const char* name, int l, int t, int w, int h, TAnchors anchors) {
        auto* s = new TShape(this);
        s->SetName(QString::fromLatin1(name));
        s->SetParent(this);
        s->Pen()->SetColor(TColor(RGB(255, 0, 0)));
        s->Brush()->SetColor(TColor(RGB(255, 0, 0)));
        s->SetBounds(l, t, w, h);
        s->SetAnchors(anchors);
        return s;
    };
    sHigh7 = shape("sHigh7", 0, 0, 1, 7, {akLeft, akTop});
    sHigh5 = shape("sHigh5", 1, 1, 1, 5, {akLeft, akTop});
    sHigh3 = shape("sHigh3", 2, 2, 1, 3, {akLeft, akTop});
    sLine = shape("sLine", 3, 3, 1, 1, {akLeft, akTop, akBottom});
    sLow3 = shape("sLow3", 2, 4, 1, 3, {akLeft, akBottom});
    sLow5 = shape("sLow5", 1, 5, 1, 5, {akLeft, akBottom});
    sLow7 = shape("sLow7", 0, 6, 1, 7, {akLeft, akBottom});
    hLeft7 = shape("hLeft7", 0, 0, 7, 1, {akLeft, akTop});
    hLeft5 = shape("hLeft5", 1, 1, 5, 1, {akLeft, akTop});
    hLeft3 = shape("hLeft3", 2, 2, 3, 1, {akLeft, akTop});
    hLine = shape("hLine", 3, 3, 1, 1, {akLeft, akTop, akRight});
    hRight3 = shape("hRight3", 4, 2, 3, 1, {akTop, akRight});
    hRight5 = shape("hRight5", 5, 1, 5, 1, {akTop, akRight});
    hRight7 = shape("hRight7", 6, 0, 7, 1, {akTop, akRight});
    UpdateOrientationData();
}

TGridMoveLineEh::~TGridMoveLineEh() = default;

void TGridMoveLineEh::UpdateOrientationData() {
    for (TShape* s : {sHigh7, sHigh5, sHigh3, sLine, sLow3, sLow5, sLow7})
        s->SetVisible(FIsVert);
    for (TShape* s : {hLeft7, hLeft5, hLeft3, hLine, hRight3, hRight5, hRight7})
        s->SetVisible(!FIsVert);
}

void TGridMoveLineEh::StartShow(TControl* Control, const TPoint& Pos, int Size, bool AIsVert) {
    if (FIsVert != AIsVert) {
        // The shapes are anchored: give them back their 7 x 7 layout before the new orientation.
        SetBounds(Left(), Top(), 7, 7);
    }
    FIsVert = AIsVert;
    UpdateOrientationData();
    const TPoint p{Pos.X - 3, Pos.Y - 4};
    if (FIsVert)
        TGridDragWinEh::StartShow(Control, p, Size + 8, 7);
    else
        TGridDragWinEh::StartShow(Control, p, 7, Size + 8);
}

void TGridMoveLineEh::MoveToFor(TControl* Control, const TPoint& NewPos) {
    TGridDragWinEh::MoveToFor(Control, {NewPos.X - 3, NewPos.Y - 4});
}

TGridDragBoxEh* GetGridDragBox() {
    if (!SharedDragBox) SharedDragBox = new TGridDragBoxEh(Application);
    return SharedDragBox;
}

TGridMoveLineEh* GetGridMoveLine() {
    if (!SharedMoveLine) SharedMoveLine = new TGridMoveLineEh(Application);
    return SharedMoveLine;
}
