// The data grid's fixed cells: dispatch of cells to their painters, the 3-D and theme decisions,
// the indicator column (row state, record numbers, record count, indicator title) and the
// titles (single- and multi-level, sort markers and indexes).

#include "lib/dbgrid/DBGridEh.h"

#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhNavigator.h"
#include "lib/dbgrid/DBGridEhRes.h"
#include "lib/dbgrid/DBGridEhScrollBars.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"

#include <QImage>
#include <QPainter>
#include <QScopeGuard>

#include <algorithm>

namespace {

// Restores the canvas font, brush and pen a painter changed, however it is left.
struct CanvasKeeper {
    TCanvas* Canvas;
    TFont Font;
    TColor Brush;
    TBrushStyle BrushStyle;
    TColor Pen;
    explicit CanvasKeeper(TCanvas* c)
        : Canvas(c), Brush(c->Brush()->Color()), BrushStyle(c->Brush()->Style()), Pen(c->Pen()->Color()) {
        Font.Assign(c->Font());
    }
    ~CanvasKeeper() {
        Canvas->Font()->Assign(&Font);
        Canvas->Brush()->SetColor(Brush);
        Canvas->Brush()->SetStyle(BrushStyle);
        Canvas->Pen()->SetColor(Pen);
    }
};

struct InstantReadScope {
    TCustomDBGridEh* Grid;
    InstantReadScope(TCustomDBGridEh* g, int DataRow) : Grid(g) { Grid->InstantReadRowEnter(DataRow); }
    ~InstantReadScope() { Grid->InstantReadRowLeave(); }
};

// The right-pointing arrow of the current row, as nine lines from its top-left corner; each
// line ends before its second point.
std::vector<TPoint> ArrowLines() {
    std::vector<TPoint> p;
    for (int i = 0; i <= 4; ++i)
        p.insert(p.end(), {TPoint{0, i}, TPoint{i + 1, i}});
    p.insert(p.end(), {TPoint{0, 5}, TPoint{4, 5}, TPoint{0, 6}, TPoint{3, 6}, TPoint{0, 7}, TPoint{2, 7},
                       TPoint{0, 8}, TPoint{0, 9}});
    return p;
}

// The indicator pictures: 7 x 10, room for the arrow (5 x 9 from row 1) and the other signs.
constexpr int IndicatorImageWidth = 7;
constexpr int IndicatorImageHeight = 10;
// The key colour of the white arrow's picture (the other pictures are keyed on white).
constexpr TColor WhiteArrowKey = TColor(0x808000);

QColor KeyColor(TColor C) {
    const COLORREF v = COLORREF(ColorToRGB(C));
    return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

// A picture of the list's size on Key, with the pixels Ink plots in C.
template <class F> TBitmap* IndicatorPicture(TBitmap& Bmp, TColor Key, TColor C, F Ink) {
    QImage img(IndicatorImageWidth, IndicatorImageHeight, QImage::Format_RGB32);
    img.fill(KeyColor(Key));
    const QRgb ink = KeyColor(C).rgb();
    Ink([&](int x, int y) { img.setPixel(x, y, ink); });
    Bmp.SetImage(img);
    return &Bmp;
}

// The arrow's pixels, where the themed painter puts them: one row below the picture's top.
template <class P> void PlotArrow(P Plot) {
    const std::vector<TPoint> lines = ArrowLines();
    for (size_t k = 0; k + 1 < lines.size(); k += 2) {
        const TPoint a = lines[k], b = lines[k + 1];
        if (a.Y == b.Y)
            for (int x = a.X; x < b.X; ++x)
                Plot(x, a.Y + 1);
        else
            for (int y = a.Y; y < b.Y; ++y)
                Plot(a.X, y + 1);
    }
}

TImageList* BuildIndicatorImageList() {
    auto* l = new TImageList();
    l->SetSize(IndicatorImageWidth, IndicatorImageHeight);
    l->SetMasked(true);
    TBitmap bmp;
    // 0: the current row's arrow.
    l->AddMasked(IndicatorPicture(bmp, clWhite, clBlack, [](auto Plot) { PlotArrow(Plot); }), clWhite);
    // 1: an I-beam, the row is being edited.
    l->AddMasked(IndicatorPicture(bmp, clWhite, clBlack,
                                  [](auto Plot) {
                                      for (int x : {1, 2, 4, 5}) {
                                          Plot(x, 1);
                                          Plot(x, 9);
                                      }
                                      for (int y = 2; y <= 8; ++y)
                                          Plot(3, y);
                                  }),
                 clWhite);
    // 2: an asterisk, the row is being inserted.
    l->AddMasked(IndicatorPicture(bmp, clWhite, clBlack,
                                  [](auto Plot) {
                                      for (int d = -2; d <= 2; ++d) {
                                          Plot(3 + d, 5);
                                          Plot(3, 5 + d);
                                          Plot(3 + d, 5 + d);
                                          Plot(3 + d, 5 - d);
                                      }
                                  }),
                 clWhite);
    // 3: a dot, a selected row.
    l->AddMasked(IndicatorPicture(bmp, clWhite, clBlack,
                                  [](auto Plot) {
                                      for (int y = 4; y <= 6; ++y)
                                          for (int x = 2; x <= 4; ++x)
                                              Plot(x, y);
                                  }),
                 clWhite);
    // 4: the arrow with a dot, the current row is selected.
    l->AddMasked(IndicatorPicture(bmp, clWhite, clBlack,
                                  [](auto Plot) {
                                      PlotArrow(Plot);
                                      for (int y = 8; y <= 9; ++y)
                                          for (int x = 5; x <= 6; ++x)
                                              Plot(x, y);
                                  }),
                 clWhite);
    // 5: the arrow in white, for the dark ground of a selected row.
    l->AddMasked(IndicatorPicture(bmp, WhiteArrowKey, clWhite, [](auto Plot) { PlotArrow(Plot); }),
                 WhiteArrowKey);
    return l;
}

} // namespace

TFont* SortIndexFont() {
    static TFont* font = [] {
        auto* f = new TFont();
        f->SetName(QStringLiteral("Arial"));
        f->SetHeight(1 - SortMarkerImageList()->Height());
        return f;
    }();
    return font;
}

TCustomImageList* IndicatorImageList() {
    static TImageList* list = [] {
        TImageList* l = BuildIndicatorImageList();
        AddSearchArrowImage(l);
        return l;
    }();
    return list;
}

void AddSearchArrowImage(TCustomImageList* List) {
    if (!List || List->Count() < 6) return;
    if (List->Count() > 6) List->Delete(6);
    // The white arrow, drawn on the search colour: white turns into the ground, the key colour
    // stays and is keyed out again when the picture is added.
    TImageList work;
    work.SetSize(List->Width(), List->Height());
    work.SetMasked(true);
    work.SetBkColor(ColorToRGB(InplaceSearchMatchColor) == ColorToRGB(WhiteArrowKey) ? TColor(RGB(0, 127, 127))
                                                                                      : InplaceSearchMatchColor);
    QImage img(List->Width(), List->Height(), QImage::Format_RGB32);
    img.fill(KeyColor(WhiteArrowKey));
    {
        QPainter p(&img);
        p.drawImage(0, 0, List->Image(5));
    }
    TBitmap white;
    white.SetImage(img);
    work.AddMasked(&white, clWhite);
    TBitmap rendered;
    work.GetBitmap(0, &rendered);
    List->AddMasked(&rendered, WhiteArrowKey);
}

// ---------------------------------------------------------------------------------------------
// Classification

void TCustomDBGridEh::GetCellType(int ACol, int ARow, TPoint& CellType, int& AreaCol, int& AreaRow) {
    if (ACol < IndicatorOffset()) {
        CellType.X = 0;
        AreaCol = ACol;
    } else {
        CellType.X = 1;
        AreaCol = ACol - IndicatorOffset();
    }
    const int titles = GetTitleRowCount();
    if (ARow < titles) {
        CellType.Y = 0;
        AreaRow = ARow;
    } else if (ARow < titles + GetFilterRowCount()) {
        CellType.Y = 1;
        AreaRow = ARow - titles;
    } else if (ARow >= RowCount()) {
        CellType.Y = 4;
        AreaRow = ARow - RowCount();
    } else if (ARow >= TopDataOffset()) {
        CellType.Y = 2;
        AreaRow = ARow - TopDataOffset();
    } else {
        throw Exception(QStringLiteral("Algorithm error in TCustomDBGridEh.GetCellType"));
    }
}

bool TCustomDBGridEh::IsFixedStyleCell(const TGridCoord& Cell, TGridDrawState State) {
    const int dataCol = Cell.X - IndicatorOffset();
    const int dataRow = Cell.Y - TopDataOffset();
    const bool fixed = State.Contains(gdFixed);
    const bool footer = Cell.Y >= RowCount();
    if (dataRow == -1 && GetFilterRowCount() > 0) return false;
    if (fixed && FOptionsEh.Contains(dghFixed3D) && (dataCol < 0 || dataRow < 0)) return true;
    if (FOptionsEh.Contains(dghFooter3D) && !fixed && FullFooterRowCount() >= 1 && footer) return true;
    if (FOptionsEh.Contains(dghData3D) && !fixed && !footer) return true;
    return FOptionsEh.Contains(dghFrozen3D) && dataCol >= 0 && dataRow >= 0 && dataCol < FrozenColCount() &&
           Cell.Y < RowCount();
}

bool TCustomDBGridEh::IsFixedCellThemed(TPoint CellType) {
    if (!(IsCustomStyleActive() || ThemesInUse())) return false;
    if (CellType.Y == 0) return FTitleParams->GetActualFillStyle() == cfstThemedEh;
    if (CellType.X == 0) return FIndicatorParams->GetActualFillStyle() == cfstThemedEh;
    if (CellType.Y == 4) return FFooterParams->GetActualFillStyle() == cfstThemedEh;
    return false;
}

bool TCustomDBGridEh::IsTitleThemed() {
    return FTitleParams->GetActualFillStyle() == cfstThemedEh && ThemeServices()->ThemesEnabled();
}

bool TCustomDBGridEh::GetHighlightedFixedCellColors(TFont* AFont, TColor& AColor, bool Highlight,
                                                    TPoint CellType) {
    if (FStyle) return FStyle->HighlightFixedCellColors(this, AFont, AColor, Highlight, CellType);
    if (!Highlight) return false;
    if ((CellType.X == 0 && CellType.Y != 3) || (CellType.X == 1 && CellType.Y <= 1)) {
        AColor = InterpolateColor(TColor(RGB(64, 64, 64)), clHighlight, 63);
        if (AFont) AFont->SetColor(clWhite);
    } else if (IsFocusInside()) {
        AColor = clHighlight;
        if (AFont) AFont->SetColor(clHighlightText);
    } else {
        AColor = clBtnFace;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Dispatch

void TCustomDBGridEh::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TPoint cellType;
    int areaCol = 0, areaRow = 0;
    GetCellType(ACol, ARow, cellType, areaCol, areaRow);
    CanvasKeeper keep(Canvas());
    TRect cut = ARect;
    DrawRowDetailStrip(ACol, ARow, cut);
    if (cut.Bottom < ARect.Bottom && cellType.X != 0 && cellType.Y == 2) {
        // The strip under the record's detail panel carries on what stands left of the panel:
        // the tree lines and the indents of the group levels.
        TRect strip(ARect.Left, cut.Bottom, ARect.Right, ARect.Bottom);
        if (areaCol == 0 && IsTreeViewMode()) DrawTreeStripLines(areaRow, strip);
        if (GroupingShowsRows() && DataLink()->Active() && FExtraFirstColumnWidth > 0 &&
            DataColumn(areaCol) == VisibleColumn(0))
            if (TGroupDataTreeNodeEh* node = FlatNode(areaRow);
                node && node->NodeType() == dntDataSetRecordEh)
                DrawGroupLevelsIndent(ACol, ARow, true, cellType, strip, AState, node->Level(), areaCol,
                                      areaRow);
    }
    if (cellType.X != 0 && RowPanelMode()) {
        if (cellType.Y == 4)
            DrawRowPanelFooterCell(ACol, ARow, cellType, AState, cut, areaCol, areaRow);
        else if (cellType.Y == 2)
            DrawRowPanelDataCell(ACol, ARow, cellType, AState, cut, areaCol, areaRow);
        else
            DrawRowPanelTitleCell(ACol, ARow, cellType, AState, cut, areaCol, areaRow);
        return;
    }
    if (cellType.X == 0) {
        DrawIndicatorCell(ACol, ARow, cellType, AState, cut, areaCol, areaRow);
    } else if (cellType.Y == 4) {
        // The grand-total group footers come first in the footer area.
        if (!DrawGroupGrandTotalCell(ACol, ARow, AState, ARect, areaCol, areaRow))
            DrawGridFooterCell(ACol, ARow, cellType, AState, ARect, areaCol,
                               areaRow - (FDataGrouping ? FDataGrouping->Footers()->VisibleItemsCount() : 0));
    } else if (cellType.Y == 2) {
        TRect r = cut;
        if (!DrawGroupingDataCell(ACol, ARow, cellType, AState, r, areaCol, areaRow))
            DrawGridDataCell(ACol, ARow, cellType, AState, r, areaCol, areaRow);
    } else {
        DrawTitleCell(ACol, ARow, cellType, AState, ARect, areaCol, areaRow);
    }
}

// ---------------------------------------------------------------------------------------------
// Indicator

String TCustomDBGridEh::RecNoText(int RecNo, bool Current) {
    if (RecNo < 1) return String();
    int step = FIndicatorParams->RecNoShowStep();
    // A step of 0 would divide by zero below; it shows every number like a step of 1.
    if (step == 0) step = 1;
    const int count = DataLink()->Active() ? DataLink()->DataSet()->RecordCount() : 0;
    if ((step > 0 && RecNo % step == 0) || RecNo == 1 || RecNo == count || Current)
        return QString::number(RecNo);
    if (step % 2 != 0) return QStringLiteral("·");
    return RecNo % step == step / 2 ? QStringLiteral("-") : QStringLiteral("·");
}

void TCustomDBGridEh::DrawIndicatorImage(int, int, const TRect& ARect, int XOffset, int YOffset, int Kind) {
    TCanvas* c = Canvas();
    TCustomImageList* list = IndicatorImageList();
    if (!ThemesInUse()) {
        // Browsing, selected, editing, inserting, searching.
        static const int Image[] = {0, 5, 1, 2, 6};
        if (Kind < 0 || Kind > 4) return;
        list->Draw(c, (ARect.Left + ARect.Right - list->Width()) / 2 + XOffset,
                   (ARect.Top + ARect.Bottom - list->Height()) / 2 + YOffset, Image[Kind]);
        return;
    }
    switch (Kind) {
    case 0:
    case 1:
    case 4: {
        const TPoint origin{(ARect.Left + ARect.Right - list->Width()) / 2 + XOffset,
                            (ARect.Top + ARect.Bottom - list->Height()) / 2 + YOffset + 1};
        TColor light = cl3DDkShadow;
        TColor dark = MixColorsPercent(cl3DDkShadow, clBlack, 30);
        if (Kind == 1) {
            light = clWhite;
            dark = MixColorsPercent(clWhite, clBlack, 7);
        } else if (Kind == 4) {
            light = dark = InplaceSearchMatchColor;
        }
        PaintGradientLines(c, origin, ArrowLines(), light, dark);
        return;
    }
    case 2:
    case 3: {
        // The pencil and the insert sign of the shared button pictures, one pixel low.
        TImageList* res = DBGridEhRes()->IMList10;
        res->Draw(c, (ARect.Left + ARect.Right - res->Width()) / 2,
                  (ARect.Top + ARect.Bottom - res->Height()) / 2 + 1, Kind == 2 ? 6 : 4);
        return;
    }
    default:
        return;
    }
}

void TCustomDBGridEh::DrawIndicatorDropDownSign(int, int, bool Highlighted, const TRect& ARect) {
    if (!ThemesInUse()) {
        TCustomImageList* list = SortMarkerImageList();
        list->Draw(Canvas(), (ARect.Left + ARect.Right - list->Width()) / 2,
                   (ARect.Top + ARect.Bottom - list->Height()) / 2, 2);
        return;
    }
    if (ARect.Height() < 7) return;
    const TPoint origin{(ARect.Left + ARect.Right - 7) / 2 + 1, (ARect.Top + ARect.Bottom - 7) / 2};
    std::vector<TPoint> pts;
    for (int i = 0; i <= 3; ++i)
        pts.insert(pts.end(), {TPoint{i, i}, TPoint{7 - i, i}});
    const TColor light = Highlighted ? clWhite : cl3DDkShadow;
    const TColor dark = MixColorsPercent(light, clBlack, Highlighted ? 7 : 30);
    PaintGradientLines(Canvas(), origin, pts, light, dark);
}

void TCustomDBGridEh::DrawFilterGlyph(const TRect& ARect, bool Highlighted) {
    const TPoint origin{(ARect.Left + ARect.Right - 6) / 2 + 1, (ARect.Top + ARect.Bottom - 6) / 2};
    const std::vector<TPoint> pts{{0, 0}, {5, 0}, {1, 1}, {4, 1}, {2, 2}, {3, 2},
                                  {2, 3}, {3, 3}, {2, 4}, {3, 4}, {3, 5}, {3, 5}};
    const TColor darkLine = GridLineColors()->GetDarkColor();
    if (Highlighted)
        PaintGradientLines(Canvas(), origin, pts, clWhite, MixColorsPercent(clWhite, darkLine, 7));
    else
        PaintGradientLines(Canvas(), origin, pts, darkLine, MixColorsPercent(darkLine, clBlack, 30));
}

void TCustomDBGridEh::DrawIndicatorCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                        const TRect& ARect, int /*AreaCol*/, int AreaRow) {
    TCanvas* c = Canvas();
    TDBGridEhStyle& style = PaintStyle();
    c->Brush()->SetColor(FIndicatorParams->Color());
    const bool the3D = IsFixedStyleCell(TGridCoord{ACol, ARow}, AState);
    const bool themed = IsFixedCellThemed(CellType);
    const bool showRecNo = FOptionsEh.Contains(dghShowRecNo) || FIndicatorOptions.Contains(gioShowRecNoEh);
    const bool showArrow =
        FOptions.Contains(dgIndicator) && FIndicatorOptions.Contains(gioShowRowIndicatorEh);
    int imageW = showArrow ? 11 : 0;
    int imageShift = 1;
    if (showRecNo && imageW > 0) {
        imageW -= 2;
        imageShift = 0;
    }

    // Selecting everything takes in the whole indicator column.
    const bool all = Selection()->SelectionType() == gstAll;
    TDBGirdDrawFixedStateEh state;
    state.Selected = all;
    state.The3DRect = the3D;
    state.FillStyle = FIndicatorParams->GetActualFillStyle();
    state.DrawByThemesOverLines = themed && style.ThemeTitleFillElement() == gtfeSplitButtonEh;
    state.FontColor = FTitleParams->Font()->Color();
    state.HorzLineColor = FIndicatorParams->GetHorzLineColor();
    state.VertLineColor = FIndicatorParams->GetVertLineColor();

    auto paintBackground = [&] {
        state.FillColor = c->Brush()->Color();
        if (themed) {
            TRect fill = ARect;
            TRect clip;
            if (style.ThemeTitleFillElement() != gtfeSplitButtonEh) {
                clip = ARect;
                style.GetThemeTitleFillRect(fill, true, true);
            }
            DrawThemedCellBackground(1, fill, clDefault, false, the3D, clip, state.Selected, false);
        } else {
            TRect inner;
            style.DrawFixedCellBackground(this, c, state, AState, inner, true, ARect);
        }
    };

    if (CellType.Y == 0) {
        // The indicator's title cell.
        c->Brush()->SetColor(FTitleParams->Color());
        bool signHighlight = false;
        if (all) {
            TColor back = c->Brush()->Color();
            signHighlight = GetHighlightedFixedCellColors(c->Font(), back, true, CellType);
            c->Brush()->SetColor(back);
        }
        const bool pressed = FIndicatorTitle->Down() && FPressed;
        state.Pressed = pressed;
        state.FillStyle = FTitleParams->GetActualFillStyle();
        state.HorzBorderInFillStyle = state.VertBorderInFillStyle = FTitleParams->BorderInFillStyle();
        if (FTitleParams->SecondColorStored()) state.StartGradientColor = FTitleParams->SecondColor();
        state.FillColor = c->Brush()->Color();
        if (themed) {
            TRect fill = ARect;
            TRect clip;
            if (style.ThemeTitleFillElement() != gtfeSplitButtonEh) {
                clip = ARect;
                style.GetThemeTitleFillRect(fill, true, !FTitleParams->BorderInFillStyle());
            }
            DrawThemedCellBackground(1, fill, clDefault, false, the3D, clip, all, pressed);
        } else {
            TRect inner;
            style.DrawFixedCellBackground(this, c, state, AState, inner, true, ARect);
        }
        if (FIndicatorTitle->ShowDropDownSign()) {
            const int p = pressed ? 1 : 0;
            DrawIndicatorDropDownSign(
                ACol, ARow, signHighlight,
                TRect(ARect.Right - 12 + 2 * p, ARect.Top + 2 * p, ARect.Right, ARect.Bottom));
        }
        return;
    }

    if (CellType.Y == 2 && DataLink()->Active()) {
        int recNo = 0;
        bool current = false;
        bool selected = false;
        bool groupRow = false; // a group row or group footer: no record, no number, no check box
        if (AreaRow < FullDataRowCount()) {
            InstantReadScope read(this, AreaRow);
            recNo = DataRowToRecNo(AreaRow);
            current = IsDataRowCurrent(AreaRow);
            selected = IsIndicatorRowSelected();
            if (GroupingShowsRows())
                if (TGroupDataTreeNodeEh* node = CurInstantReadNode())
                    groupRow = node->NodeType() != dntDataSetRecordEh;
        }
        c->Font()->Assign(Font());
        if (current && ThemesInUse())
            c->Brush()->SetColor(MixColorsPercent(c->Brush()->Color(), clBlack, 10));
        if (selected) {
            TColor back = c->Brush()->Color();
            GetHighlightedFixedCellColors(c->Font(), back, true, CellType);
            c->Brush()->SetColor(back);
            state.Selected = true;
        }
        paintBackground();
        TDataSet* ds = DataLink()->DataSet();
        if (showArrow && current) {
            int kind = 0;
            if (ds->State() == dsEdit)
                kind = 2;
            else if (ds->State() == dsInsert)
                kind = 3;
            else if (selected)
                kind = 1;
            else if (InplaceSearching())
                kind = 4;
            DrawIndicatorImage(ACol, ARow, TRect(ARect.Right - imageW, ARect.Top, ARect.Right, ARect.Bottom),
                               imageShift, 0, kind);
        }
        // The row painted as current is remembered whether or not it shows an arrow: a scroll
        // repaints it.
        if (current) FSelRow = TopDataOffset() + AreaRow;
        if (FIndicatorOptions.Contains(gioShowRowselCheckboxesEh) && !groupRow) {
            // The row's check box, left of the arrow; hot while the mouse is over it.
            const TRect area(ARect.Right - imageW - FRowselCheckboxesWidth, ARect.Top, ARect.Right - imageW,
                             ARect.Bottom);
            TRect box;
            AlignCheckBoxRect(area, 2, 1, box);
            TRect wide = box;
            wide.Inflate(GridLineWidth(), GridLineWidth());
            const bool hot = HotTrackCell() == TGridCoord{ACol, ARow} && IsMouseInRect(wide);
            PaintStyledButton(c, box, true, hot, false, Flat(), bcsCheckboxEh,
                              selected ? cbChecked : cbUnchecked);
        }
        if (showRecNo) {
            const bool inserting = current && ds->State() == dsInsert;
            const String text = inserting || groupRow ? String() : RecNoText(recNo, current);
            c->Font()->SetSize(Font()->Size() - 1);
            c->Brush()->SetStyle(bsClear);
            PaintTextInRect(
                c, TRect(ARect.Left, ARect.Top, ARect.Right - FRowselCheckboxesWidth - imageW, ARect.Bottom),
                false, 0, 0, text, taCenter, tlCenter, false, false, 0, 0, false);
            c->Brush()->SetStyle(bsSolid);
        }
        return;
    }

    // Filter row, footer rows, or data rows without an active link.
    if (all) {
        TColor back = c->Brush()->Color();
        GetHighlightedFixedCellColors(c->Font(), back, true, CellType);
        c->Brush()->SetColor(back);
    }
    paintBackground();
    // The record count stands in the first footer row unless the scroll bar's panel shows it.
    TDBGridEhScrollBarPanel* extra = FHorzScrollBar->ExtraPanel();
    const bool countInPanel = extra->Visible() && extra->VisibleItems().Contains(gsbiRecordsInfoEh);
    if (CellType.Y == 4 && AreaRow == 0 && showRecNo && !countInPanel && DataLink()->Active()) {
        TDataSet* ds = DataLink()->DataSet();
        const int count = ds->RecordCount();
        const String text = count < 1 || ds->State() == dsInsert ? String() : QString::number(count);
        const TColor fontColor = all ? c->Font()->Color() : Font()->Color();
        c->Font()->Assign(Font());
        c->Font()->SetColor(fontColor);
        c->Font()->SetSize(Font()->Size() - 1);
        c->Brush()->SetStyle(bsClear);
        PaintTextInRect(c, TRect(ARect.Left, ARect.Top, ARect.Right - imageW, ARect.Bottom), false, 0, 0,
                        text, taCenter, tlCenter, false, false, 0, 0, false);
        c->Brush()->SetStyle(bsSolid);
    }
}

bool TCustomDBGridEh::IsIndicatorRowSelected() {
    if (!FOptions.Contains(dgMultiSelect) || !DataLink()->Active()) return false;
    const TDBGridEhSelectionType type = Selection()->SelectionType();
    // Group rows and group footers hold no record: only selecting everything takes them in.
    if (GroupingShowsRows())
        if (TGroupDataTreeNodeEh* node = CurInstantReadNode(); node && node->NodeType() != dntDataSetRecordEh)
            return type == gstAll;
    if (type == gstAll) return true;
    return type == gstRecordBookmarks && SelectedRows()->CurrentRowSelected();
}

// ---------------------------------------------------------------------------------------------
// Titles

bool TCustomDBGridEh::IsUseMultiTitle() {
    return FTitleParams->MultiTitle();
}

TRect TCustomDBGridEh::TitleSpanRect() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    return TRect(di.Horz.FixedBoundary, 0, di.Horz.GridBoundary, RowHeights(0));
}

bool TCustomDBGridEh::IsTitleGradientAllowed() {
    return FTitleParams->GetActualFillStyle() == cfstGradientEh &&
           (ThemesInUse() || PaintStyle().GradientEnabledInClassicTheme());
}

void TCustomDBGridEh::DrawTitleCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                    const TRect& ARect, int AreaCol, int /*AreaRow*/) {
    TCanvas* c = Canvas();
    TDBGridEhStyle& style = PaintStyle();
    TColumnEh* column = DataColumn(AreaCol);
    const bool the3D = IsFixedStyleCell(TGridCoord{ACol, ARow}, AState);
    const bool themed = IsFixedCellThemed(CellType);
    const bool overLines = themed && style.ThemeTitleFillElement() == gtfeSplitButtonEh;
    if (!column) {
        c->Brush()->SetColor(FTitleParams->Color());
        c->FillRect(ARect);
        return;
    }
    TColor backColor = column->Title()->Color();

    if (CellType.Y == 1) {
        bool highlighted = false;
        DrawSTFilterCell(ACol, ARow, highlighted, AState, ARect, CellType, 0, AreaCol);
        return;
    }

    const bool down = FPressedDataCol == AreaCol && FPressed && FDBGridEhState == dgsNormal;
    const bool multi = IsUseMultiTitle();
    THeadTreeNode* leaf = multi && AreaCol < int(FLeafFieldArr.size()) ? LeafOf(column) : nullptr;
    TRect cell = ARect;
    if (leaf && FTitleParams->VertLines() && !FTitleParams->BorderInFillStyle()) {
        const bool lastVisible = ACol == ColCount() - 1;
        if (!lastVisible || (AutoFitColWidthsEh() && !GridLineParams()->GridBoundaries())) {
            c->Pen()->SetColor(FTitleParams->GetVertLineColor());
            c->MoveTo(cell.Right - 1, cell.Bottom - 1);
            c->LineTo(cell.Right - 1, cell.Bottom - leaf->Height - 1);
            cell.Right -= 1;
        }
    }
    TRect textRect = cell;
    String caption = column->Title()->Caption();
    if (leaf) {
        textRect.Top = cell.Bottom - leaf->Height + 1;
        caption = leaf->Text;
    }
    if (FTitleParams->Images() && column->Title()->ImageIndex() != -1) caption.clear();

    // The program may change the title's colours and marker, before and after the canvas takes
    // the title's font.
    TSortMarkerEh sortMarker = column->Title()->SortMarker();
    if (column->Field() && OnGetBtnParams)
        OnGetBtnParams(this, column, c->Font(), backColor, sortMarker, down);
    c->Font()->Assign(column->Title()->Font());
    if (column->Field() && OnGetBtnParams)
        OnGetBtnParams(this, column, c->Font(), backColor, sortMarker, down);
    // A title shows its column's selection (selected columns, or everything).
    const bool selected = DataLink()->Active() && IsCellSelected(ACol, ARow, TBookmark(), AreaCol);
    const bool highlight = GetHighlightedFixedCellColors(c->Font(), backColor, selected, CellType);

    TDBGirdDrawTitleStateEh title;
    title.Down = down;
    title.Highlight = highlight;
    title.The3DRect = the3D;
    title.DrawByThemes = themed;
    title.DrawByThemesOverLines = overLines;
    title.Caption = caption;
    title.BackColor = backColor;
    title.DrawFilterButton = TitleFilterButtonShown(column, AState);
    title.CellMultiSelected = selected;
    title.SortMarker = sortMarker;
    title.DrawSortIndex = true;
    title.FontCharset = c->Font()->Charset();
    title.FontColor = c->Font()->Color();
    title.FontHeight = c->Font()->Height();
    title.FontName = c->Font()->Name();
    title.FontStyle = c->Font()->Style();
    title.MultyTitle = multi;
    title.WordWrap = multi || FTitleParams->RowHeight() != 0 || FTitleParams->RowLines() != 0;
    title.Orientation = column->Title()->Orientation();
    title.VertBorderInFillStyle = ACol == ColCount() - 1 ? false : FTitleParams->BorderInFillStyle();
    title.HorzBorderInFillStyle = FTitleParams->BorderInFillStyle();
    DrawColumnTitle(column, textRect, title, AState);

    if (leaf) DrawParentTitleLevels(column, leaf, ARect);

    // A form designer frames the titles of the columns it has selected.
    if (ComponentState().Contains(csDesigning) && !FNoDesignController && DBGridEhDesignTitleFrame)
        DBGridEhDesignTitleFrame(this, column, c, ARect);
}

THeadTreeNode* TCustomDBGridEh::LeafOf(TColumnEh* Column) {
    for (const TLeafCol& l : FLeafFieldArr)
        if (l.FColumn == Column) return l.FLeaf;
    return nullptr;
}

void TCustomDBGridEh::DrawParentTitleLevels(TColumnEh* Column, THeadTreeNode* Leaf, const TRect& ARect) {
    TCanvas* c = Canvas();
    TDBGridEhStyle& style = PaintStyle();
    c->Font()->Assign(FTitleParams->Font());
    TColor back = ColumnDefValues()->Title()->Color();
    // Selecting everything highlights the upper levels as it does the leaves.
    if (Selection()->SelectionType() == gstAll)
        GetHighlightedFixedCellColors(c->Font(), back, true, TPoint{1, 0});
    const bool fill = IsTitleThemed() || IsTitleGradientAllowed();
    const TRect span = TitleSpanRect();
    const int lineW = FTitleParams->VertLines() ? 1 : 0;

    THeadTreeNode* node = Leaf;
    int levelBottom = ARect.Bottom - Leaf->Height;
    int left = ARect.Left;
    while (node->Host && node->Host != FHeadTree.get()) {
        // Left edge of the band: the leaf's left less the widths of the bands before it.
        THeadTreeNode* host = node->Host;
        for (THeadTreeNode* s = host->Child; s != node; s = s->Next)
            left -= s->Width + lineW;
        node = host;
        const int top = levelBottom - node->Height;
        const TRect r(left, top, left + node->Width + lineW, levelBottom);
        levelBottom = top;
        if (node->Drawn) continue;
        node->Drawn = true;

        HRGN saved = BeginClipToRect(c, span);
        const auto restore = qScopeGuard([&] { EndClipToRect(c, saved); });
        c->Brush()->SetColor(back);
        TDBGirdDrawTitleStateEh title;
        title.The3DRect = FOptionsEh.Contains(dghFixed3D);
        title.DrawByThemes = IsTitleThemed();
        title.BackColor = back;
        title.FontColor = c->Font()->Color();
        title.HorzBorderInFillStyle = title.VertBorderInFillStyle = FTitleParams->BorderInFillStyle();
        TRect inner;
        TRect bandRect = r;
        if (FTitleParams->VertLines() && !FTitleParams->BorderInFillStyle()) bandRect.Right -= 1;
        if (FTitleParams->HorzLines() && !FTitleParams->BorderInFillStyle()) bandRect.Bottom -= 1;
        style.DrawTitleCellBackground(this, Column, bandRect, title, TGridDrawState{}, inner, fill, bandRect,
                                      c);
        c->Brush()->SetColor(back);
        if (!fill) c->Brush()->SetStyle(bsSolid);
        PaintTextInRect(c, inner, !fill, 0, 0, node->Text, taCenter, tlCenter, true,
                        Column->Title()->EndEllipsis(), 0, 0, false, false);
        if (FTitleParams->VertLines() && !FTitleParams->BorderInFillStyle()) {
            c->Pen()->SetColor(FTitleParams->GetVertLineColor());
            c->MoveTo(r.Right - 1, r.Top);
            c->LineTo(r.Right - 1, r.Bottom);
        }
        if (FTitleParams->HorzLines() && !FTitleParams->BorderInFillStyle()) {
            c->Pen()->SetColor(FTitleParams->GetHorzLineColor());
            c->MoveTo(r.Left, r.Bottom - 1);
            c->LineTo(r.Right, r.Bottom - 1);
        }
    }
}

void TCustomDBGridEh::DrawColumnTitle(TColumnEh* Column, const TRect& ARect,
                                      TDBGirdDrawTitleStateEh& TitleState, TGridDrawState AState) {
    TCanvas* c = Canvas();
    TDBGridEhStyle& style = PaintStyle();
    c->Font()->Assign(Column->Title()->Font());
    c->Brush()->SetColor(TitleState.BackColor);

    const bool gradient = IsTitleGradientAllowed();
    const bool fill = TitleState.DrawByThemes || gradient;
    TRect inner;
    style.DrawTitleCellBackground(this, Column, TRect(), TitleState, AState, inner, fill, ARect, c);

    int margin = TitleState.The3DRect && !TitleState.DrawByThemes ? 2 : 3;
    const int secondMargin = margin - 2;
    if (gradient) margin = 0;

    TCustomImageList* images = FTitleParams->Images();
    const bool showImage = images && Column->Title()->ImageIndex() != -1;
    const String caption = showImage ? String() : TitleState.Caption;
    const int imageWidth = showImage ? images->Width() : 0;

    TRect filterButton;
    if (TitleState.DrawFilterButton)
        filterButton = TakeTitleFilterButtonRect(inner, ARect, TitleState.The3DRect);
    TRect glyphRect(inner.Right - 6, inner.Top, inner.Right, inner.Top + 6);

    TRect t = inner;
    int shift = 0;
    if (TitleState.Down) shift = TitleState.WordWrap ? 2 : 1;
    t.Top += shift;

    // The sort marker and its index take the right of the title; a narrow title gives up the
    // marker first and then the index, so that the caption keeps the room.
    TSortMarkerEh marker = TitleState.SortMarker;
    int indexWidth = 0;
    String indexText;
    if (marker != smNoneEh) {
        t.Right -= 16;
        if (TitleState.DrawSortIndex && SortMarkedColumns()->Count() >= 2) {
            indexText = QString::number(Column->Title()->SortIndex());
            TFont saved;
            saved.Assign(c->Font());
            c->Font()->Assign(SortIndexFont());
            indexWidth = c->TextWidth(indexText);
            c->Font()->Assign(&saved);
        }
        if (t.Width() < imageWidth) {
            t.Right = t.Right - indexWidth + 14;
            marker = smNoneEh;
            if (t.Width() < imageWidth) {
                t.Right += indexWidth + 2;
                indexText.clear();
                indexWidth = 0;
            }
        }
    }

    c->Font()->SetCharset(TitleState.FontCharset);
    c->Font()->SetColor(TitleState.FontColor);
    c->Font()->SetHeight(TitleState.FontHeight);
    c->Font()->SetName(TitleState.FontName);
    c->Font()->SetStyle(TitleState.FontStyle);

    if (!fill) {
        c->Brush()->SetColor(TitleState.BackColor);
        c->FillRect(TRect(t.Right, inner.Top, inner.Right, inner.Bottom));
        if (shift > 0) c->FillRect(TRect(inner.Left, inner.Top, inner.Right, t.Top));
    }
    if (TitleState.Orientation == tohVertical) {
        PaintVerticalText(c, t, !fill, margin, 2, caption, Column->Title()->Alignment(), tlBottom,
                          Column->Title()->EndEllipsis(), false);
    } else {
        c->Brush()->SetStyle(fill ? bsClear : bsSolid);
        WriteCellText(Column, c, Column->Title()->EndEllipsis(), TitleState.WordWrap, tlCenter,
                      Column->Title()->Alignment(), caption, secondMargin + 1, margin + shift, !fill, t);
        c->Brush()->SetStyle(bsSolid);
    }
    if (showImage)
        PaintImageInRect(images, nullptr, c, TRect(t.Left, t.Top + shift, t.Right, t.Bottom),
                         Column->Title()->ImageIndex(), shift,
                         TitleState.MultyTitle ? taCenter : Column->Title()->Alignment(), t);

    if (marker != smNoneEh) {
        TSize size;
        style.GetSortMarkerSize(c, FTitleParams->SortMarkerStyle(), size);
        const int x = inner.Right + shift - SortMarkerImageList()->Width() - indexWidth - 2;
        const int y = (inner.Top + inner.Bottom - size.cy) / 2 + shift;
        style.DrawSortMarker(c, FTitleParams->SortMarkerStyle(), TRect(x, y, x + size.cx, y + size.cy),
                             TitleState.CellMultiSelected, marker, Column);
        if (!indexText.isEmpty()) {
            c->Font()->Assign(SortIndexFont());
            c->Font()->SetColor(TitleState.Highlight
                                    ? clWhite
                                    : InterpolateColor(GridLineColors()->GetDarkColor(), cl3DDkShadow, 128));
            c->Brush()->SetStyle(bsClear);
            const int ix = inner.Right + shift - indexWidth - 2;
            const int markerH = SortMarkerImageList()->Height();
            const int iy = (inner.Top + inner.Bottom - markerH) / 2 + shift + (markerH - c->TextHeight(indexText)) / 2;
            c->TextOut(ix, iy, indexText);
            c->Brush()->SetStyle(bsSolid);
        }
    }
    if (TitleState.DrawFilterButton) {
        c->Brush()->SetColor(TitleState.BackColor);
        DrawTitleFilterButton(Column, filterButton, ARect, !fill, shift, AState);
    }
    if (FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEh &&
        !Column->STFilter()->ExpressionStr().isEmpty()) {
        glyphRect.Offset(shift, shift);
        DrawFilterGlyph(glyphRect, TitleState.CellMultiSelected);
    }
}
