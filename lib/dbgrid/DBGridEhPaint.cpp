// The data grid's cells: dispatch by area, the indicator with the row state and record numbers,
// the titles with their sort markers, and the data cells with row colours and the highlight.

#include "lib/dbgrid/DBGridEh.h"

#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/Graphics.h"
#include "platform/ui/WinGdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>

#include <algorithm>

namespace {
// Restores the canvas font and brush a painter changed, however it is left.
struct CanvasStateGuard {
    TCanvas* Canvas;
    TFont Font;
    TColor Brush;
    explicit CanvasStateGuard(TCanvas* c) : Canvas(c), Brush(c->Brush()->Color()) { Font.Assign(c->Font()); }
    ~CanvasStateGuard() {
        Canvas->Font()->Assign(&Font);
        Canvas->Brush()->SetColor(Brush);
    }
};

// Pairs InstantReadRowEnter with its leave.
struct InstantRead {
    TCustomDBGridEh* Grid;
    InstantRead(TCustomDBGridEh* g, int DataRow) : Grid(g) { Grid->InstantReadRowEnter(DataRow); }
    ~InstantRead() { Grid->InstantReadRowLeave(); }
};

struct TElideKey {
    QFont Font;
    QString Text;
    int Room;
    bool operator==(const TElideKey& o) const { return Room == o.Room && Text == o.Text && Font == o.Font; }
};
size_t qHash(const TElideKey& k, size_t seed = 0) noexcept {
    return qHashMulti(seed, k.Font, k.Text, k.Room);
}

// Eliding shapes the text; the same cells come back on every paint, so the results are kept.
String ElidedCellText(const QFont& Font, const String& Text, int Room) {
    thread_local QHash<TElideKey, String> cache;
    TElideKey key{Font, Text, Room};
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    if (cache.size() >= 8192) cache.clear();
    String shown = QFontMetrics(Font).elidedText(Text, Qt::ElideRight, Room, Qt::TextSingleLine);
    cache.insert(std::move(key), shown);
    return shown;
}

void WriteText(TCanvas* Canvas, const TRect& R, const String& Text, TAlignment Alignment) {
    // The text is cut to the cell with an ellipsis and placed by hand, so that nothing depends
    // on the device clip (the window may be painted into its parent's picture).
    const int room = std::max(0, R.Right - R.Left - 4);
    const String shown = ElidedCellText(Canvas->Font()->ToQFont(), Text, room);
    const TSize ext = Canvas->TextExtent(shown);
    int x = R.Left + 2;
    if (Alignment == taRightJustify)
        x = R.Right - 2 - ext.cx;
    else if (Alignment == taCenter)
        x = (R.Left + R.Right - ext.cx) / 2;
    const int y = R.Top + (R.Bottom - R.Top - ext.cy) / 2;
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextOut(std::max(x, R.Left + 1), y, shown);
    Canvas->Brush()->SetStyle(bsSolid);
}

} // namespace

void TCustomDBGridEh::Paint() {
    TCustomDBAxisGridEh::Paint();
    if (FEmptyDataInfo->Showing()) FEmptyDataInfo->PaintEmptyDataInfo();
}

// ---------------------------------------------------------------------------------------------
// Empty-data text

String DefaultEmptyDataText;

TGridEmptyDataInfoEh::TGridEmptyDataInfoEh(TCustomDBGridEh* AGrid)
    : FGrid(AGrid), FFont(std::make_unique<TFont>()) {
    FFont->SetColor(clGrayText);
    RefreshDefaultFont();
}

TGridEmptyDataInfoEh::~TGridEmptyDataInfoEh() = default;

void TGridEmptyDataInfoEh::SetActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    FGrid->InvalidateGrid();
}

void TGridEmptyDataInfoEh::SetText(const String& Value) {
    if (FText == Value) return;
    FText = Value;
    FGrid->InvalidateGrid();
}

void TGridEmptyDataInfoEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
    FParentFont = false;
    FGrid->InvalidateGrid();
}

void TGridEmptyDataInfoEh::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    RefreshDefaultFont();
    FGrid->InvalidateGrid();
}

void TGridEmptyDataInfoEh::RefreshDefaultFont() {
    if (!FParentFont) return;
    const TColor keep = FFont->Color();
    FFont->SetName(FGrid->Font()->Name());
    FFont->SetSize(FGrid->Font()->Size());
    FFont->SetCharset(FGrid->Font()->Charset());
    FFont->SetColor(keep);
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
    CanvasStateGuard keep(c);
    RefreshDefaultFont();
    c->Font()->Assign(FFont.get());
    const String text = ActualText();
    const int x = (di.Horz.FixedBoundary + di.Horz.ContraExtent) >> 1;
    const int y = (di.Vert.FixedBoundary + di.Vert.ContraExtent) >> 1;
    TSize ext = c->TextExtent(text);
    ext.cy += 2;
    TRect box(x - (ext.cx >> 1), y - (ext.cy >> 1), x - (ext.cx >> 1) + ext.cx, y - (ext.cy >> 1) + ext.cy);
    box.Inflate(5, 5);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FGrid->Color());
    c->FillRect(box);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(box.Left + 5, box.Top + 5 + 1, text);
    c->Brush()->SetStyle(bsSolid);
    if (FGrid->OptionsEh().Contains(dghExtendVertLines)) {
        box.Inflate(1, 1);
        c->Brush()->SetColor(InterpolateColor(FFont->Color(), FGrid->Color(), 192));
        c->FrameRect(box);
    }
}

void TCustomDBGridEh::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    int areaCol = 0, areaRow = 0;
    const TCellAreaTypeEh type = GetCellType(ACol, ARow, areaCol, areaRow);
    CanvasStateGuard keep(Canvas());
    switch (type) {
    case catIndicatorEh:
        DrawIndicatorCell(ACol, ARow, ARect, AState, areaRow);
        break;
    case catTitleEh:
        DrawTitleCell(ACol, ARow, ARect, AState, areaCol);
        break;
    case catDataEh:
        DrawDataCell(ACol, ARow, ARect, AState, areaCol, areaRow);
        break;
    case catOutsideEh:
        break;
    }
}

String TCustomDBGridEh::RecNoText(int RecNo, bool Current) {
    if (RecNo < 1) return String();
    // A step of 0 shows every number like a step of 1.
    const int step = std::max(1, FIndicatorParams->RecNoShowStep());
    const int count = DataLink()->Active() ? DataLink()->DataSet()->RecordCount() : 0;
    if (RecNo % step == 0 || RecNo == 1 || RecNo == count || Current) return QString::number(RecNo);
    if (step % 2 == 1) return QStringLiteral("·");
    return RecNo % step == step / 2 ? QStringLiteral("-") : QStringLiteral("·");
}

void TCustomDBGridEh::DrawIndicatorArrow(const TRect& ARect, int Kind) {
    // Kind 0: the current row (a right-pointing triangle); 2: editing (a pencil stroke);
    // 3: inserting (a star-like plus).
    TCanvas* c = Canvas();
    const int cx = (ARect.Left + ARect.Right) / 2, cy = (ARect.Top + ARect.Bottom) / 2;
    c->Pen()->SetColor(clWindowText);
    c->Brush()->SetColor(clWindowText);
    c->Brush()->SetStyle(bsSolid);
    if (Kind == 0 || Kind == 1) {
        std::vector<TPoint> pts{{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
        c->Polygon(pts);
    } else if (Kind == 2) {
        c->MoveTo(cx - 3, cy + 3);
        c->LineTo(cx + 4, cy - 4);
        c->MoveTo(cx - 3, cy + 4);
        c->LineTo(cx + 4, cy - 3);
    } else if (Kind == 3) {
        c->MoveTo(cx - 3, cy);
        c->LineTo(cx + 4, cy);
        c->MoveTo(cx, cy - 3);
        c->LineTo(cx, cy + 4);
        c->MoveTo(cx - 2, cy - 2);
        c->LineTo(cx + 3, cy + 3);
        c->MoveTo(cx + 2, cy - 2);
        c->LineTo(cx - 3, cy + 3);
    }
}

void TCustomDBGridEh::DrawIndicatorCell(int, int ARow, const TRect& ARect, TGridDrawState AState,
                                        int AreaRow) {
    TDBGridEhStyle& style = PaintStyle();
    TCanvas* c = Canvas();
    const bool the3D = AState.Contains(gdFixed) && FOptionsEh.Contains(dghFixed3D);
    if (AreaRow < 0) {
        style.DrawFixedCellBackground(this, c, ARect, FTitleParams->Color(), the3D, FIndicatorTitle->Down());
        return;
    }
    style.DrawFixedCellBackground(this, c, ARect, FIndicatorParams->Color(), the3D, false);
    if (!DataLink()->Active() || AreaRow >= FullDataRowCount()) return;

    const bool showRecNo = FOptionsEh.Contains(dghShowRecNo) || FIndicatorOptions.Contains(gioShowRecNoEh);
    const int imageW = FIndicatorOptions.Contains(gioShowRowIndicatorEh) ? (showRecNo ? 9 : 11) : 0;
    const bool current = IsDataRowCurrent(AreaRow);
    TDataSet* ds = DataLink()->DataSet();
    if (current && imageW > 0) {
        int kind = 0;
        if (ds->State() == dsEdit)
            kind = 2;
        else if (ds->State() == dsInsert)
            kind = 3;
        DrawIndicatorArrow(TRect(ARect.Right - imageW, ARect.Top, ARect.Right, ARect.Bottom), kind);
        FSelRow = ARow;
    }
    if (showRecNo) {
        int recNo = 0;
        {
            InstantRead read(this, AreaRow);
            recNo = FIntMemTable ? AreaRow + 1 : ds->RecNo();
        }
        const bool inserting = current && ds->State() == dsInsert;
        const String text = inserting ? String() : RecNoText(recNo, current);
        TFont* f = c->Font();
        f->Assign(Font());
        f->SetSize(f->Size() - 1);
        WriteText(c, TRect(ARect.Left, ARect.Top, ARect.Right - imageW, ARect.Bottom), text, taCenter);
    }
}

void TCustomDBGridEh::DrawTitleCell(int, int, const TRect& ARect, TGridDrawState AState, int AreaCol) {
    TDBGridEhStyle& style = PaintStyle();
    TCanvas* c = Canvas();
    TColumnEh* col = VisibleColumn(AreaCol);
    const bool the3D = AState.Contains(gdFixed) && FOptionsEh.Contains(dghFixed3D);
    const bool down = FPressed && FPressedDataCol == AreaCol && FDBGridEhState == dgsNormal;
    style.DrawFixedCellBackground(this, c, ARect, FTitleParams->Color(), the3D, down);
    if (!col) return;
    c->Font()->Assign(Font());
    TRect textRect = ARect;
    if (down) textRect.Offset(1, 1);
    // The sort marker sits at the right; a second and later sort column show their index.
    const TSortMarkerEh marker = col->Title()->SortMarker();
    if (marker != smNoneEh) {
        const TSize ms = style.GetSortMarkerSize();
        int right = textRect.Right - 4;
        if (FSortMarkedColumns->Count() > 1 && col->Title()->SortIndex() > 0) {
            TFont small;
            small.Assign(Font());
            small.SetSize(std::max(6, small.Size() - 2));
            c->Font()->Assign(&small);
            const String idx = QString::number(col->Title()->SortIndex());
            const int w = c->TextWidth(idx);
            c->Brush()->SetStyle(bsClear);
            c->TextOut(right - w, textRect.Top + 1, idx);
            c->Brush()->SetStyle(bsSolid);
            c->Font()->Assign(Font());
            right -= w + 1;
        }
        if (right - ms.cx > textRect.Left + 4) {
            style.DrawSortMarker(c, right - ms.cx, (textRect.Top + textRect.Bottom - ms.cy) / 2, marker);
            textRect.Right = right - ms.cx - 2;
        }
    }
    WriteText(c, textRect, col->Title()->Caption(), col->Title()->Alignment());
}

void TCustomDBGridEh::DrawDataCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState, int AreaCol,
                                   int AreaRow) {
    TDBGridEhStyle& style = PaintStyle();
    TCanvas* c = Canvas();
    TColumnEh* col = VisibleColumn(AreaCol);
    c->Font()->Assign(Font());
    // Even and odd rows count from the first record, whatever the scroll position.
    TColor back = (AreaRow % 2 == 0) ? EvenRowColor() : OddRowColor();
    if (col && col->AssignedValues().Contains(cvColor)) back = col->Color();
    const bool haveRow = DataLink()->Active() && AreaRow < FullDataRowCount() && col;
    // An empty data set has no row 0 to read: its blank row is painted without reading.
    if (!haveRow) {
        c->Brush()->SetColor(back);
        c->FillRect(ARect);
        return;
    }
    const bool current = IsDataRowCurrent(AreaRow);
    const bool rowSelect = FOptions.Contains(dgRowSelect);
    const bool selected = current && (rowSelect || ACol == Col());
    const bool focused = Focused();
    TColor font = Font()->Color();
    TColor hl = back, hlFont = font;
    if (style.HighlightDataCellColor(this, ACol, ARow, selected, focused, hl, hlFont)) {
        back = hl;
        font = hlFont;
    }
    String text;
    {
        InstantRead read(this, AreaRow);
        text = col->DisplayText();
        if (OnGetCellParams) {
            c->Font()->SetColor(font);
            OnGetCellParams(this, col, c->Font(), back, AState);
            font = c->Font()->Color();
        }
    }
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(back);
    c->FillRect(ARect);
    c->Font()->SetColor(font);
    WriteText(c, ARect, text, col->Alignment());
    if (selected && focused && !rowSelect && style.IsDrawFocusRect()) c->DrawFocusRect(ARect);
}
