// The grids' shared style: registration of grids, colour policy of data and
// fixed cells, fixed-cell backgrounds and sort markers.

#include "lib/dbgrid/DBGridEhStyle.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"

#include "platform/ui/ImgList.h"
#include "platform/ui/WinApi.h"

#include <QImage>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>

namespace {

bool GRichColorDisplay = true;

TDBGridEhStyle*& DefaultStyleSlot() {
    static TDBGridEhStyle* style = new TDBGridEhStyle(nullptr);
    return style;
}

// The kinds of the axis grid's cell background painter.
int ThemedKind(TGridCellFillStyleEh FillStyle) {
    switch (FillStyle) {
    case cfstThemedEh:
        return 1;
    case cfstGradientEh:
        return 3;
    default:
        return 2;
    }
}

TColor DarkLineColor(TCustomDBGridEh* Grid) {
    return Grid->GridLineColors()->GetDarkColor();
}

TColor BrightLineColor(TCustomDBGridEh* Grid) {
    return Grid->GridLineColors()->GetBrightColor();
}

} // namespace

bool RichColorDisplay() {
    return GRichColorDisplay;
}

void SetRichColorDisplay(bool Value) {
    GRichColorDisplay = Value;
}

TDBGridEhStyle* DefaultGridStyle() {
    return DefaultStyleSlot();
}

void SetDefaultGridStyle(TDBGridEhStyle* Style) {
    DefaultStyleSlot() = Style;
}

TDBGridEhStyle& FallbackGridStyle() {
    static TDBGridEhStyle style(nullptr);
    return style;
}

// ---------------------------------------------------------------------------------------------
// Life and registration

TDBGridEhStyle::TDBGridEhStyle(TComponent* AOwner) : TComponent(AOwner) {
    // System colour changes reach the style through a window of its own.
    FWindowHandle = AllocateHWnd([this](TMessage& m) { StyleWndProc(m); });
    UpdateColorDepth();
}

TDBGridEhStyle::~TDBGridEhStyle() {
    if (FWindowHandle) DeallocateHWnd(FWindowHandle);
    FWindowHandle = nullptr;
    if (DefaultStyleSlot() == this) DefaultStyleSlot() = nullptr;
    // Last first: a grid leaving the list on SetStyle must not disturb the walk.
    while (!FGrids.empty()) {
        TCustomDBGridEh* g = FGrids.back();
        FGrids.pop_back();
        g->FStyle = nullptr;
        if (TDBGridEhStyle* d = DefaultGridStyle())
            g->SetStyle(d);
        else
            g->RequestLayoutUpdate();
    }
}

void TDBGridEhStyle::Changed() {
    for (TCustomDBGridEh* g : std::vector<TCustomDBGridEh*>(FGrids))
        g->RequestLayoutUpdate();
}

void TDBGridEhStyle::AddChangeNotification(TCustomDBGridEh* Grid) {
    if (!GridInChangeNotification(Grid)) FGrids.push_back(Grid);
}

void TDBGridEhStyle::RemoveChangeNotification(TCustomDBGridEh* Grid) {
    FGrids.erase(std::remove(FGrids.begin(), FGrids.end(), Grid), FGrids.end());
}

bool TDBGridEhStyle::GridInChangeNotification(TCustomDBGridEh* Grid) const {
    return std::find(FGrids.begin(), FGrids.end(), Grid) != FGrids.end();
}

bool TDBGridEhStyle::IsCustomStyleActive() const {
    return ::IsCustomStyleActive();
}

void TDBGridEhStyle::SetLuminateSelection(bool Value) {
    if (FLuminateSelection == Value) return;
    FLuminateSelection = Value;
    Changed();
}

void TDBGridEhStyle::SetSelectionColor(TColor Value) {
    if (FSelectionColor == Value) return;
    FSelectionColor = Value;
    Changed();
}

void TDBGridEhStyle::SetSelectionFontColor(TColor Value) {
    if (FSelectionFontColor == Value) return;
    FSelectionFontColor = Value;
    Changed();
}

void TDBGridEhStyle::SetSortMarkerStyle(TSortMarkerStyleEh Value) {
    if (FSortMarkerStyle == Value) return;
    FSortMarkerStyle = Value;
    Changed();
}

void TDBGridEhStyle::SetGradientEnabledInClassicTheme(bool Value) {
    if (FGradientEnabledInClassicTheme == Value) return;
    FGradientEnabledInClassicTheme = Value;
    Changed();
}

void TDBGridEhStyle::StyleWndProc(TMessage& Message) {
    if (Message.Msg != WM_SYSCOLORCHANGE) {
        Message.Result = DefWindowProc(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    try {
        UpdateColorDepth();
    } catch (Exception& E) {
        Application->ShowException(&E);
    }
}

void TDBGridEhStyle::UpdateColorDepth() {
    // Lightened tints need more colours than a palette screen has.
    // The screen's depth is asked for without a context (none is needed for it).
    const int colors = GetDeviceCaps(nullptr, NUMCOLORS);
    const int bits = GetDeviceCaps(nullptr, BITSPIXEL);
    GRichColorDisplay = colors == -1 || (colors > 1 && bits > 8);
    ResetButtonBitmapCache();
}

// ---------------------------------------------------------------------------------------------
// Colours

TColor TDBGridEhStyle::LightenColor(TColor AColor, TColor GlassColor, bool Ungray) {
    const int32_t a = ColorToRGB(AColor);
    const int32_t g = ColorToRGB(GlassColor);
    auto channel = [&](int shift) {
        const double ca = (a >> shift) & 0xFF;
        const double cg = (g >> shift) & 0xFF;
        double c = ca + (cg - ca) * 0.5;
        c = c + (225 - c) * 0.6;
        if (Ungray) c = c - (122 - c) * 0.25;
        return std::clamp(int(std::nearbyint(c)), 0, 255);
    };
    return TColor(RGB(channel(0), channel(8), channel(16)));
}

TColor TDBGridEhStyle::GetSelectionColor() {
    return FSelectionColor == clDefault ? clHighlight : FSelectionColor;
}

TColor TDBGridEhStyle::GetSelectionFontColor() {
    return FSelectionFontColor == clDefault ? clHighlightText : FSelectionFontColor;
}

TColor TDBGridEhStyle::GetSelectionInactiveColor() {
    return FSelectionInactiveColor == clDefault ? ColorToGray(GetSelectionColor()) : FSelectionInactiveColor;
}

TColor TDBGridEhStyle::GetColumnColor(TColumnEh* Column) {
    if (!IsCustomStyleActive()) return Column->Color();
    const TColor grid = StyleServices()->GetStyleColor(scGrid);
    if (Column->Color() == Column->Grid()->Color()) return grid;
    return InterpolateColor(grid, Column->Color(), 85);
}

TColor TDBGridEhStyle::GetColumnFontColor(TColumnEh* Column, TGridDrawState AState) {
    if (!IsCustomStyleActive()) return Column->Font()->Color();
    const TColor item = StyleServices()->GetStyleFontColor(AState.Contains(gdSelected) ? sfGridItemSelected
                                                                                       : sfGridItemNormal);
    if (Column->Font()->Color() == Column->Grid()->Font()->Color()) return item;
    return InterpolateColor(item, Column->Font()->Color(), 85);
}

TColor TDBGridEhStyle::DefaultGetSubtitleRowColor(TCustomDBGridEh* Grid) {
    return InterpolateColor(Grid->Color(), Grid->FixedColor(), 8);
}

TColor TDBGridEhStyle::GetSubtitleRowColor(TCustomDBGridEh* Grid) {
    TColor c = DefaultGetSubtitleRowColor(Grid);
    if (OnGetSubtitleRowColor) OnGetSubtitleRowColor(Grid, c);
    return c;
}

TColor TDBGridEhStyle::GetGroupPanelColor(TCustomDBGridEh* Grid) {
    return InterpolateColor(Grid->FixedColor(), BrightLineColor(Grid), 128);
}

int TDBGridEhStyle::GetDataCellHorzOffset(TCustomDBGridEh*, TColumnEh*) {
    return FDataCellHorzOffset < 0 ? 3 : FDataCellHorzOffset;
}

TTreeViewGlyphStyleEh TDBGridEhStyle::GetActualTreeGlyphStyle() {
    return ThemesInUse() ? tvgsThemedEh : tvgsClassicEh;
}

void TDBGridEhStyle::GetDefaultFixedGradientColor(TColor& StartColor, TColor& EndColor, bool Pressed,
                                                  bool HotTrack) {
    TColor fill = clNone;
    TColor text = clNone;
    GetCustomStyleFixedColors(fill, text, Pressed, HotTrack, cfstGradientEh, EndColor, StartColor);
}

void TDBGridEhStyle::GetCustomStyleFixedColors(TColor& FillColor, TColor& TextColor, bool Pressed,
                                               bool HotTrack, TGridCellFillStyleEh FillStyle,
                                               TColor& GradientColor2, TColor& GradientColor1) {
    FillColor = TextColor = GradientColor1 = GradientColor2 = clNone;
    if (!IsCustomStyleActive() || FillStyle == cfstDefaultEh) return;
    const TThemedGrid element = Pressed ? tgFixedCellPressed : HotTrack ? tgFixedCellHot : tgFixedCellNormal;
    const TThemedElementDetails details = TCustomStyleServices::GetElementDetails(element);
    StyleServices()->GetElementColor(details, ecFillColor, FillColor);
    StyleServices()->GetElementColor(details, ecTextColor, TextColor);
    if (FillStyle == cfstGradientEh) {
        StyleServices()->GetElementColor(details, ecGradientColor1, GradientColor1);
        StyleServices()->GetElementColor(details, ecGradientColor2, GradientColor2);
    }
}

// ---------------------------------------------------------------------------------------------
// Data cells

bool TDBGridEhStyle::HighlightDataCellColors(TCustomDBGridEh* Grid, int ACol, TFont* AFont, TColor& AColor,
                                             bool Selected, TGridDrawState AState, int /*DataRow*/,
                                             int DataCol, int ARow) {
    const TColor original = AColor;
    const TDBGridOptions opts = Grid->Options();
    const TDBGridEhOptions optsEh = Grid->OptionsEh();
    const bool rowSelect = opts.Contains(dgRowSelect);
    const bool alwaysShow = opts.Contains(dgAlwaysShowSelection);
    const bool currentRow = ARow == Grid->Row();
    const bool currentCol = DataCol == Grid->SelectedIndex();
    const TGridCoord hot = Grid->HotTrackCell();
    const bool hotRow = ARow == hot.Y;
    const bool hotCol = ACol == hot.X;
    const bool hotTrack = optsEh.Contains(dghHotTrack);
    const bool rowHighlight = optsEh.Contains(dghRowHighlight);
    const bool searchPanelActive = Grid->SearchPanel()->Active();
    const bool noSelection = Grid->Selection()->SelectionType() == gstNon;

    if (!Grid->DataLink()->Active()) Selected = false;
    bool focusHighlight = false;
    if (!Selected) {
        const TInplaceEdit* editor = Grid->InplaceEditor();
        const bool editorFocused = editor && const_cast<TInplaceEdit*>(editor)->Focused();
        focusHighlight = Grid->Focused() && optsEh.Contains(dghHighlightFocus) && !Grid->FilterEditMode();
        if (rowHighlight && currentRow && noSelection && !currentCol &&
            (focusHighlight || alwaysShow || editorFocused)) {
            focusHighlight = true;
            AState.Include(gdSelected);
        }
        if (AState.Contains(gdSelected))
            Selected = (alwaysShow || focusHighlight) && (Grid->UpdateLock() == 0 || rowSelect);
        else
            Selected = currentRow && rowSelect && (alwaysShow || focusHighlight);
    }

    auto hotTint = [&](TColor Base) {
        // The hot-track tint of a selected cell, the cell itself or its whole row.
        if (hotTrack && rowHighlight && hotRow && ((hotCol && !currentCol) || rowSelect))
            return InterpolateColor(Base, GetSelectionColor(), 85.33);
        return Base;
    };

    if (Selected) {
        const TColor s = GetSelectionColor();
        const TColor sf = GetSelectionFontColor();
        if (Grid->IsFocusInside()) {
            if (currentRow && (currentCol || rowSelect) && !searchPanelActive) {
                AColor = s;
                if (AFont) AFont->SetColor(sf);
            } else if (FLuminateSelection && RichColorDisplay()) {
                if (!currentRow || (!currentCol && !rowSelect)) {
                    AColor = hotTint(LightenColor(AColor, s, true));
                } else if (hotRow && Grid->CanHotTrackCell(ACol, ARow)) {
                    AColor = LightenColor(AColor, s, true);
                }
                if (searchPanelActive) AColor = InterpolateColor(AColor, GetSelectionInactiveColor(), 85.33);
            }
        } else {
            auto inactiveTint = [&](TColor Base) {
                if (hotTrack && hotRow && (hotCol || rowSelect))
                    return InterpolateColor(Base, LightenColor(Base, s, true), 170.67);
                return Base;
            };
            if (currentRow && (ACol == Grid->Col() || rowSelect) && (focusHighlight || alwaysShow)) {
                AColor = inactiveTint(GetSelectionInactiveColor());
                if (AFont) AFont->SetColor(sf);
            } else if (RichColorDisplay()) {
                AColor = inactiveTint(LightenColor(AColor, clBtnShadow, false));
            } else {
                AColor = clBtnFace;
            }
        }
        // The search panel marks where its match stands in the current row.
        if (searchPanelActive && Grid->SearchPanel()->FoundColumnIndex() >= 0 && currentRow &&
            DataCol == Grid->SearchPanel()->FoundColumnIndex()) {
            AColor = InterpolateColor(s, GetSelectionInactiveColor(), 170.67);
            if (AFont) AFont->SetColor(sf);
        }
        return true;
    }

    if (RichColorDisplay() && hotTrack && hotRow && Grid->CanHotTrackCell(ACol, ARow) &&
        hot.X >= Grid->IndicatorOffset()) {
        const TColor s = GetSelectionColor();
        if (rowHighlight || rowSelect) {
            const TColor l = LightenColor(AColor, s, true);
            AColor = l;
            if (!hotCol || rowSelect) AColor = InterpolateColor(l, original, 170.67);
        } else if (hotCol) {
            AColor = LightenColor(AColor, s, true);
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Fixed cells

bool TDBGridEhStyle::HighlightFixedCellColors(TCustomDBGridEh* Grid, TFont* AFont, TColor& AColor,
                                              bool Highlight, TPoint CellType) {
    if (!Highlight) return false;
    const bool indicator = CellType.X == 0 && CellType.Y != 3;
    const bool titleOfData = CellType.X == 1 && (CellType.Y == 0 || CellType.Y == 1);
    const bool footerLikeFixed =
        CellType.X == 1 && CellType.Y == 4 && Grid->FooterParams()->GetColor() == Grid->FixedColor();
    if (indicator || titleOfData || footerLikeFixed) {
        AColor = InterpolateColor(TColor(RGB(64, 64, 64)), clHighlight, 63);
        if (AFont) AFont->SetColor(clWhite);
    } else if (Grid->IsFocusInside()) {
        if (FLuminateSelection && RichColorDisplay()) {
            AColor = LightenColor(AColor, clHighlight, true);
        } else {
            AColor = clHighlight;
            if (AFont) AFont->SetColor(clHighlightText);
        }
    } else {
        AColor = RichColorDisplay() ? LightenColor(AColor, clBtnShadow, false) : clBtnFace;
    }
    return true;
}

int TDBGridEhStyle::GetThemeTitleFillElement(bool IsDown, bool IsSelected) {
    const bool pressed = IsDown || IsSelected;
    if (FThemeTitleFillElement == gtfeSplitButtonEh)
        return pressed ? int(ttbSplitButtonPressed) : int(ttbSplitButtonNormal);
    return pressed ? int(thHeaderItemPressed) : int(thHeaderItemNormal);
}

void TDBGridEhStyle::GetThemeTitleFillRect(TRect& AFillRect, bool IncVertBoundary, bool IncHorzBoundary) {
    if (FThemeTitleFillElement == gtfeSplitButtonEh) {
        AFillRect.Inflate(1, 1);
        return;
    }
    if (IncHorzBoundary) AFillRect.Bottom += 2;
    if (IncVertBoundary) AFillRect.Right += 2;
}

void TDBGridEhStyle::DrawCustomStyleCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas,
                                                   const TRect& ClipRect, bool Pressed, TGridDrawState AState,
                                                   TColor FillColor, TGridCellFillStyleEh,
                                                   const TRect& FillRect) {
    if (!IsCustomStyleActive()) {
        Canvas->Brush()->SetColor(FillColor);
        Canvas->FillRect(FillRect);
        return;
    }
    const TThemedGrid element = Pressed                       ? tgFixedCellPressed
                                : AState.Contains(gdHotTrack) ? tgFixedCellHot
                                                              : tgFixedCellNormal;
    const TThemedElementDetails details = TCustomStyleServices::GetElementDetails(element);
    TRect clip = ClipRect.IsEmpty() ? FillRect : ClipRect;
    if (Grid->UseRightToLeftAlignment()) {
        const int w = Grid->ClientWidth();
        clip = TRect(w - clip.Right, clip.Top, w - clip.Left, clip.Bottom);
    }
    const int saved = SaveDC(Canvas->Handle());
    StyleServices()->DrawElement(Canvas->Handle(), details, FillRect, clip);
    RestoreDC(Canvas->Handle(), saved);
    TColor text = clNone;
    if (StyleServices()->GetElementColor(details, ecTextColor, text) && text != clNone)
        Canvas->Font()->SetColor(text);
}

void TDBGridEhStyle::DrawTitleCellBackground(TCustomDBGridEh* Grid, TColumnEh*, const TRect& ARect,
                                             TDBGirdDrawTitleStateEh& TitleState, TGridDrawState AState,
                                             TRect& AInnerRect, bool Fill, const TRect& AFillRect,
                                             TCanvas* Canvas) {
    TDBGridTitleParamsEh* tp = Grid->TitleParams();
    TDBGirdDrawFixedStateEh s;
    s.Pressed = TitleState.Down;
    s.Selected = TitleState.CellMultiSelected;
    s.HotTrack = AState.Contains(gdHotTrack);
    s.The3DRect = TitleState.The3DRect;
    s.FillStyle = tp->GetActualFillStyle();
    s.FillColor = TitleState.BackColor;
    s.StartGradientColor = tp->SecondColorStored() ? tp->SecondColor() : clDefault;
    s.EndGradientColor = clDefault;
    s.DrawByThemesOverLines = TitleState.DrawByThemesOverLines;
    s.FontColor = TitleState.FontColor;
    s.VertBorderInFillStyle = TitleState.VertBorderInFillStyle;
    s.HorzBorderInFillStyle = TitleState.HorzBorderInFillStyle;
    s.HorzLineColor = tp->GetHorzLineColor();
    s.VertLineColor = tp->GetVertLineColor();
    s.ClipRect = ARect;
    DrawFixedCellBackground(Grid, Canvas, s, AState, AInnerRect, Fill, AFillRect);
    if (IsCustomStyleActive()) Canvas->Font()->SetColor(s.FontColor);
}

void TDBGridEhStyle::DrawFixedCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas,
                                             TDBGirdDrawFixedStateEh& State, TGridDrawState AState,
                                             TRect& ARect, bool Fill, const TRect& AFillRect) {
    ARect = AFillRect;
    HRGN savedClip = nullptr;
    const bool clipped = !State.ClipRect.IsEmpty();
    if (clipped) savedClip = BeginClipToRect(Canvas, State.ClipRect);
    const auto restoreClip = qScopeGuard([&] {
        if (clipped) EndClipToRect(Canvas, savedClip);
    });

    const bool custom = IsCustomStyleActive();
    if (custom) State.The3DRect = false;
    const bool flat = Grid->Flat();
    const bool gradient = State.FillStyle == cfstGradientEh;
    const bool anyBorder = State.VertBorderInFillStyle || State.HorzBorderInFillStyle;

    if (State.FillStyle == cfstThemedEh) {
        TRect f = AFillRect;
        TRect b;
        if ((State.VertBorderInFillStyle && State.HorzBorderInFillStyle) || State.DrawByThemesOverLines) {
            b = TRect();
        } else {
            b = AFillRect;
            GetThemeTitleFillRect(f, !State.VertBorderInFillStyle, !State.HorzBorderInFillStyle);
        }
        if (custom) {
            DrawCustomStyleCellBackground(Grid, Canvas, b, State.Pressed, AState, Grid->FixedColor(),
                                          State.FillStyle, f);
        } else {
            Canvas->Brush()->SetColor(State.FillColor);
            Grid->DrawThemedCellBackground(ThemedKind(cfstThemedEh), f, State.StartGradientColor, false,
                                           State.The3DRect, b, State.Selected, State.Pressed);
        }
        ARect.Inflate(-1, -1);
        if (State.VertBorderInFillStyle) ARect.Right -= 1;
        if (State.HorzBorderInFillStyle) ARect.Bottom -= 1;
    } else {
        if (State.HorzBorderInFillStyle && State.HorzLineColor != clNone) {
            Canvas->Pen()->SetColor(State.HorzLineColor);
            Canvas->MoveTo(ARect.Left, ARect.Bottom - 1);
            Canvas->LineTo(ARect.Right, ARect.Bottom - 1);
            ARect.Bottom -= 1;
        }
        if (State.The3DRect) {
            Canvas->Brush()->SetColor(State.FillColor);
            Grid->DrawButtonEdges(Canvas, ARect, flat, !anyBorder, true, State.Pressed || State.Selected,
                                  flat || gradient);
            if (!anyBorder) {
                ARect.Top += 1;
                ARect.Bottom -= 1;
                ARect.Left += 1;
                if (!flat && !gradient) ARect.Right -= 1;
            } else {
                ARect.Top += 1;
                ARect.Bottom -= 1;
            }
        }
        if (Fill) {
            Canvas->Brush()->SetColor(State.FillColor);
            Grid->DrawThemedCellBackground(ThemedKind(State.FillStyle), ARect, State.StartGradientColor,
                                           false, true, ARect, State.Selected, State.Pressed);
            if (State.VertBorderInFillStyle) {
                Canvas->Pen()->SetColor(State.VertLineColor);
                Canvas->MoveTo(ARect.Right - 1, ARect.Top + 2);
                Canvas->LineTo(ARect.Right - 1, ARect.Bottom - 2);
                ARect.Right -= 1;
            }
            if (anyBorder && State.The3DRect && !custom && !flat && !gradient) {
                Canvas->Pen()->SetColor(clBtnHighlight);
                Canvas->MoveTo(ARect.Left, ARect.Top + 2);
                Canvas->LineTo(ARect.Left, ARect.Bottom - 2);
            }
            ARect.Left += 1;
            ARect.Right -= (flat || gradient) ? 2 : 1;
        } else {
            auto column = [&](int X, TColor Ends, TColor Middle) {
                Canvas->Pen()->SetColor(Ends);
                Canvas->MoveTo(X, ARect.Top);
                Canvas->LineTo(X, ARect.Top + 2);
                Canvas->MoveTo(X, ARect.Bottom - 2);
                Canvas->LineTo(X, ARect.Bottom);
                Canvas->Pen()->SetColor(Middle);
                Canvas->MoveTo(X, ARect.Top + 2);
                Canvas->LineTo(X, ARect.Bottom - 2);
            };
            if (State.VertBorderInFillStyle) {
                column(ARect.Right - 1, State.FillColor, State.VertLineColor);
                ARect.Right -= 1;
            }
            if (anyBorder) {
                const bool plain = !State.The3DRect || custom || flat || gradient;
                column(ARect.Left, State.FillColor, plain ? State.FillColor : clBtnHighlight);
                ARect.Left += 1;
            }
        }
    }

    if (custom) {
        TColor fill = clNone;
        TColor text = clNone;
        TColor g1 = clNone;
        TColor g2 = clNone;
        GetCustomStyleFixedColors(fill, text, State.Pressed, State.HotTrack, State.FillStyle, g2, g1);
        if (text != clNone) State.FontColor = text;
    }
}

// ---------------------------------------------------------------------------------------------
// Sort markers

namespace {

// The marker bitmaps, 8 x 8 pixels on a transparent ground, in the list's order: the plain
// down and up markers, the small drop-down sign, and the classic down and up markers (a
// shadowed edge on the left and top, a lit edge on the right and bottom).
QImage SortMarkerBitmap(int Index) {
    QImage img(SortMarkerImageSize, SortMarkerImageSize, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    const QRgb dark = qRgb(0x40, 0x40, 0x40);
    const QRgb shadow = qRgb(0x80, 0x80, 0x80);
    const QRgb light = qRgb(0xFF, 0xFF, 0xFF);
    auto line = [&](int x0, int y0, int x1, int y1, QRgb c) {
        const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= n; ++i) {
            const int x = n ? x0 + (x1 - x0) * i / n : x0;
            const int y = n ? y0 + (y1 - y0) * i / n : y0;
            img.setPixel(x, y, c);
        }
    };
    switch (Index) {
    case 0: // down: rows narrowing from 7 to 1 pixels
        for (int y = 0; y < 4; ++y)
            line(y, y, 6 - y, y, dark);
        break;
    case 1: // up
        for (int y = 0; y < 4; ++y)
            line(3 - y, y, 3 + y, y, dark);
        break;
    case 2: // drop-down sign
        for (int y = 0; y < 3; ++y)
            line(1 + y, 3 + y, 5 - y, 3 + y, qRgb(0, 0, 0));
        break;
    case 3: // classic down, 8 x 7
        line(0, 0, 7, 0, shadow);
        line(0, 0, 3, 6, shadow);
        line(7, 0, 4, 6, light);
        break;
    case 4: // classic up, 8 x 7
        line(0, 6, 7, 6, light);
        line(0, 6, 3, 0, shadow);
        line(7, 6, 4, 0, light);
        break;
    default:
        break;
    }
    return img;
}

} // namespace

TCustomImageList* SortMarkerImageList() {
    static TImageList* list = [] {
        auto* l = new TImageList();
        l->SetWidth(SortMarkerImageSize);
        l->SetHeight(SortMarkerImageSize);
        for (int i = 0; i < 5; ++i)
            l->AddQImage(SortMarkerBitmap(i));
        return l;
    }();
    return list;
}

void TDBGridEhStyle::GetSortMarkerSize(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TSize& Size) {
    switch (ActualSortMarkerStyle(SMStyle)) {
    case smstClassicEh:
    case smst3DFrameEh:
        Size = TSize(8, 7);
        return;
    case smstFrameEh:
        Size = TSize(7, 8);
        return;
    case smstSolidEh:
        Size = TSize(9, 5);
        return;
    case smstThemeDefinedEh: {
        TSize s;
        StyleServices()->GetElementSize(Canvas ? Canvas->Handle() : nullptr,
                                        TCustomStyleServices::GetElementDetails(thHeaderSortArrowSortedUp),
                                        esActual, s);
        Size = TSize(s.cx - 2, s.cy + 1);
        return;
    }
    default:
        Size = TSize(-1, -1);
    }
}

void TDBGridEhStyle::DrawSortMarker(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, const TRect& ARect,
                                    bool Highlighted, TSortMarkerEh SortMarker, TColumnEh* Column) {
    if (SortMarker == smNoneEh) return;
    TCustomDBGridEh* grid = Column ? Column->Grid() : nullptr;
    const TColor savedPen = Canvas->Pen()->Color();
    const auto restorePen = qScopeGuard([&] { Canvas->Pen()->SetColor(savedPen); });
    const bool up = SortMarker == smUpEh;
    const TColor dark = grid ? DarkLineColor(grid) : clBtnShadow;
    const TColor bright = grid ? BrightLineColor(grid) : clBtnFace;

    switch (ActualSortMarkerStyle(SMStyle)) {
    case smstClassicEh:
        SortMarkerImageList()->Draw(Canvas, ARect.Left, ARect.Top, up ? 4 : 3);
        return;
    case smst3DFrameEh: {
        const int mid = (ARect.Left + ARect.Right) / 2;
        const TColor shade = InterpolateColor(dark, cl3DDkShadow, 85);
        if (up) {
            Canvas->Pen()->SetColor(clWindow);
            const TPoint pts[] = {
                {ARect.Left + 1, ARect.Bottom}, {ARect.Right, ARect.Bottom}, {mid + 1, ARect.Top - 1}};
            Canvas->Polyline(pts, 3);
            Canvas->Pen()->SetColor(shade);
            Canvas->MoveTo(ARect.Left, ARect.Bottom);
            Canvas->LineTo(mid, ARect.Top - 1);
        } else {
            Canvas->Pen()->SetColor(shade);
            const TPoint pts[] = {{mid, ARect.Bottom}, {ARect.Left, ARect.Top}, {ARect.Right, ARect.Top}};
            Canvas->Polyline(pts, 3);
            Canvas->Pen()->SetColor(clWindow);
            Canvas->MoveTo(mid + 1, ARect.Bottom);
            Canvas->LineTo(ARect.Right + 1, ARect.Top - 1);
        }
        return;
    }
    case smstFrameEh: {
        const int mid = (ARect.Left + ARect.Right) / 2;
        Canvas->Pen()->SetColor(Highlighted ? GetSelectionFontColor()
                                            : InterpolateColor(dark, cl3DDkShadow, 50));
        if (up) {
            const TPoint pts[] = {
                {mid, ARect.Top}, {ARect.Right, ARect.Bottom}, {ARect.Left, ARect.Bottom}, {mid, ARect.Top}};
            Canvas->Polyline(pts, 4);
        } else {
            const TPoint pts[] = {
                {mid, ARect.Bottom}, {ARect.Right, ARect.Top}, {ARect.Left, ARect.Top}, {mid, ARect.Bottom}};
            Canvas->Polyline(pts, 4);
        }
        return;
    }
    case smstSolidEh: {
        TColor color;
        if (Highlighted) {
            color = GetSelectionFontColor();
        } else if (grid && grid->TitleParams()->GetActualFillStyle() == cfstThemedEh &&
                   !grid->GridLineParams()->DarkColorAssigned()) {
            color = dark;
        } else {
            color = InterpolateColor(dark, bright, 128);
        }
        std::vector<TPoint> lines;
        for (int i = 0; i < 5; ++i) {
            const int y = up ? 4 - i : i;
            lines.push_back(TPoint{i, y});
            lines.push_back(TPoint{9 - i, y});
        }
        PaintGradientLines(Canvas, TPoint{ARect.Left, ARect.Top}, lines, color, color);
        return;
    }
    case smstThemeDefinedEh:
        StyleServices()->DrawElement(Canvas->Handle(),
                                     TCustomStyleServices::GetElementDetails(
                                         up ? thHeaderSortArrowSortedUp : thHeaderSortArrowSortedDown),
                                     ARect);
        return;
    default:
        return;
    }
}
