// Drawing of the axis grid's data cells: background (plain, themed, gradient or the grid's
// picture left visible), images, check boxes, pictures of graphic blob fields and text, then the
// column's buttons when they show in every cell; the highlight colour of selected cells, the
// data hint of a cell whose text does not fit, and the grid's self-drawn edges.

#include "lib/grids/DBAxisGridsEh.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <algorithm>
#include <cmath>

namespace {

TDrawButtonControlStyleEh ButtonKindForEditStyle(TEditStyle Style) {
    switch (Style) {
    case esEllipsis:
        return bcsEllipsisEh;
    case esUpDown:
        return bcsUpDownEh;
    case esAltUpDown:
        return bcsAltUpDownEh;
    case esAltDropDown:
    case esAltCalendar:
        return bcsAltDropDownEh;
    default:
        return bcsDropDownEh;
    }
}

void PaintCenteredText(TCanvas* Canvas, const TRect& R, const String& Text) {
    const int w = Canvas->TextWidth(Text);
    const int h = Canvas->TextHeight(Text);
    Canvas->TextRect(R, R.Left + (R.Width() - w) / 2, R.Top + (R.Height() - h) / 2, Text);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Free helpers

// ---------------------------------------------------------------------------------------------
// Cell colours and backgrounds

bool TCustomDBAxisGridEh::HighlightDataCellColor(int, int, TFont* AFont, TColor& AColor, TGridDrawState State,
                                                 const String&) {
    if (!Focused() || !State.Contains(gdSelected)) return false;
    if (IsFocusInside()) {
        AColor = clHighlight;
        AFont->SetColor(clHighlightText);
    } else {
        AColor = clBtnFace;
    }
    return true;
}

void TCustomDBAxisGridEh::GetStyleCellColors(TColor& FillColor, TColor& TextColor, bool, bool, int,
                                             TColor& GradientColor1, TColor& GradientColor2) {
    // No custom visual styles on this platform: every colour stays "none".
    FillColor = TextColor = GradientColor1 = GradientColor2 = clNone;
}

void TCustomDBAxisGridEh::GetDataCellStyleColors(TColor& FillColor, TColor& TextColor, bool Selected,
                                                 bool Focused, TColor& GradientColor1,
                                                 TColor& GradientColor2) {
    GetStyleCellColors(FillColor, TextColor, Selected, Focused, 3, GradientColor1, GradientColor2);
}

void TCustomDBAxisGridEh::GetThemedTitleFillRect(TRect& ARect, bool Right, bool Bottom) {
    if (Right) ARect.Right += 2;
    if (Bottom) ARect.Bottom += 2;
}

void TCustomDBAxisGridEh::DrawThemedCellBackground(int Style, const TRect& ARect, TColor Color, bool, bool,
                                                   const TRect&, bool Selected, bool Hot) {
    TCanvas* c = Canvas();
    if (Style == 1 && ThemesInUse()) {
        c->FillRect(ARect);
        ThemeServices()->DrawElement(
            c->Handle(),
            TCustomStyleServices::GetElementDetails(Selected || Hot ? tgCellSelected : tgCellNormal), ARect);
        return;
    }
    if (Style == 3) {
        TColor top;
        if (Selected)
            top = InterpolateColor(c->Brush()->Color(), clWindow, 127);
        else if (Color == clDefault)
            top = ColorToGray(InterpolateColor(c->Brush()->Color(), this->Color(), 240));
        else
            top = Color;
        PaintVerticalGradient(c, ARect, top, c->Brush()->Color());
        return;
    }
    c->FillRect(ARect);
}

bool TCustomDBAxisGridEh::CheckFillDataCell(const TGridCoord& Cell, const TGridCoord&,
                                            TAxisColCellParamsEh* Params, const TRect& AreaRect,
                                            TAxisBarEh*) {
    TAxisColCellParamsEh* s = GetCellParamsRecord();
    if (!IsFixedStyleCell(Cell, Params->State()) || s->State().Contains(gdSelected)) return false;
    if (!Params->DrawCellByThemes() && !(Flat() && ThemesInUse())) return false;
    DrawThemedCellBackground(Params->DrawCellByThemes() ? 1 : GetFixedCellStyle(), AreaRect, clDefault, false,
                             true, AreaRect, false, false);
    return true;
}

void TCustomDBAxisGridEh::DrawBlankCell(const TRect& ARect, bool Highlighted, TAxisColCellParamsEh* Params,
                                        bool Fixed) {
    DrawThemedCellBackground(Params->DrawCellByThemes() ? 1 : GetFixedCellStyle(), ARect, clDefault, false,
                             Fixed, ARect, Highlighted, false);
}

void TCustomDBAxisGridEh::DrawButtonEdges(TCanvas* ACanvas, const TRect& ARect, bool IsFlat, bool BottomRight,
                                          bool TopLeft, bool Pressed, bool Sunken) {
    const UINT inner = (Pressed || Sunken) ? BDR_SUNKENINNER : BDR_RAISEDINNER;
    HDC dc = ACanvas->Handle();
    TRect r = ARect;
    if (!IsFlat) {
        if (BottomRight && TopLeft) {
            DrawEdge(dc, r, inner, BF_RECT);
        } else {
            TRect t = r;
            DrawEdge(dc, t, inner, TopLeft ? BF_TOPLEFT : BF_TOP);
            TRect b = r;
            DrawEdge(dc, b, inner, BottomRight ? BF_BOTTOMRIGHT : BF_BOTTOM);
        }
        return;
    }
    ACanvas->Pen()->SetColor(ACanvas->Brush()->Color());
    if (BottomRight) {
        const TPoint pts[3] = {{r.Left, r.Bottom - 1}, {r.Right - 1, r.Bottom - 1}, {r.Right - 1, r.Top - 1}};
        ACanvas->Polyline(pts, 3);
    } else {
        const TPoint pts[2] = {{r.Left, r.Bottom - 1}, {r.Right, r.Bottom - 1}};
        ACanvas->Polyline(pts, 2);
    }
    DrawEdge(dc, r, inner, TopLeft ? BF_TOPLEFT : BF_TOP);
}

void TCustomDBAxisGridEh::WriteCellText(TAxisBarEh* Column, TCanvas* ACanvas, bool EndEllipsis, bool WordWrap,
                                        TTextLayout Layout, TAlignment Alignment, const String& Text,
                                        int TopMargin, int LeftMargin, bool Fill, const TRect& ARect) {
    int left = LeftMargin, right = LeftMargin;
    TAlignment a = Alignment;
    if (Column && Column->UseRightToLeftAlignment()) {
        if (a == taLeftJustify)
            a = taRightJustify;
        else if (a == taRightJustify)
            a = taLeftJustify;
        std::swap(left, right);
    }
    // The text routine draws on the device context: bring the canvas font, colour included, into it.
    ACanvas->TextWidth(String()); // an empty text: nothing to shape
    PaintTextInRect(ACanvas, ARect, Fill, left, TopMargin, Text, a, Layout, WordWrap, EndEllipsis, left,
                    right, Column && Column->UseRightToLeftReading());
}

void TCustomDBAxisGridEh::PaintStyledButton(TCanvas* ACanvas, const TRect& ARect, bool Enabled, bool Hot,
                                            bool Pressed, bool IsFlat, TDrawButtonControlStyleEh Kind,
                                            TCheckBoxState State) {
    DrawStyledButton(ACanvas, ARect, clNone, Kind, Pressed ? 1 : 0, IsFlat, Hot, Enabled, State);
}

// ---------------------------------------------------------------------------------------------
// Graphic cells

TPicture* TCustomDBAxisGridEh::GetPictureFromBlobField(TAxisBarEh* Column) {
    auto picture = std::make_unique<TPicture>();
    TField* f = Column->Field();
    auto* blob = dynamic_cast<TBlobField*>(f);
    if (!f || !f->IsBlob() || !blob) return picture.release();
    TMemoryStream ms;
    blob->SaveToStream(&ms);
    ms.SetPosition(0);
    if (blob->GraphicHeader() && ms.Size() >= 8) {
        uint16_t w1 = 0, w2 = 0;
        uint32_t size = 0;
        ms.ReadBuffer(&w1, 2);
        ms.ReadBuffer(&w2, 2);
        ms.ReadBuffer(&size, 4);
        if (!(w1 == 1 && w2 == 256 && Int64(size) == ms.Size() - 8)) ms.SetPosition(0);
    }
    if (ms.Position() >= ms.Size()) return picture.release();
    // The platform recognises the format by its first bytes, as a graphic provider would.
    picture->LoadFromStream(&ms);
    return picture.release();
}

void TCustomDBAxisGridEh::DrawGraphicCell(TAxisBarEh* Column, const TRect& ARect, bool Fill, TColor Color) {
    TCanvas* c = Canvas();
    if (!FDrawGraphicData) {
        c->Font()->Assign(Font());
        TField* f = Column->Field();
        PaintCenteredText(c, ARect, f ? f->DisplayText() : String());
        return;
    }
    try {
        std::unique_ptr<TPicture> pic(GetPictureFromBlobField(Column));
        if (pic->Empty()) {
            if (Fill) c->FillRect(ARect);
            return;
        }
        int w = pic->Width(), h = pic->Height();
        if (w > ARect.Width() || h > ARect.Height()) {
            const double kx = double(w) / std::max(1, ARect.Width());
            const double ky = double(h) / std::max(1, ARect.Height());
            if (kx >= ky) {
                w = ARect.Width();
                h = int(std::lround(pic->Height() / kx));
            } else {
                h = ARect.Height();
                w = int(std::lround(pic->Width() / ky));
            }
        }
        const int x = ARect.Left + (ARect.Width() - w) / 2;
        const int y = ARect.Top + (ARect.Height() - h) / 2;
        if (Fill) {
            c->Brush()->SetColor(Color);
            c->FillRect(ARect);
        }
        c->StretchDraw(TRect(x, y, x + w, y + h), pic->Graphic());
    } catch (const EInvalidGraphic& e) {
        c->Font()->Assign(Font());
        if (Fill) c->FillRect(ARect);
        PaintCenteredText(c, ARect, e.Message() + QStringLiteral(" - Incorrect image format."));
    }
}

// ---------------------------------------------------------------------------------------------
// The data cell

void TCustomDBAxisGridEh::DefaultDrawDataCell(const TGridCoord& Cell, const TGridCoord& AreaCell,
                                              TAxisColCellParamsEh* Params, const TRect& AreaRect,
                                              TAxisBarEh* Column) {
    TCanvas* c = Canvas();
    TAxisColCellParamsEh* s = GetCellParamsRecord();
    TRect r = AreaRect;
    bool fixed = IsFixedStyleCell(Cell, Params->State());
    if (s->BlankCell() && !fixed) fixed = IsFixed3D();
    const TRect r0 = r;

    int horzMargin;
    if (fixed) {
        horzMargin = Column->GetDataCellHorzOffset() - 1;
        if (ThemesInUse() && !Flat())
            GetThemedTitleFillRect(r, true, true);
        else if (Flat()) {
            r.Left += 1;
            r.Top += 1;
        } else {
            r.Left += 1;
            r.Top += 1;
            r.Right -= 1;
            r.Bottom -= 1;
        }
    } else {
        horzMargin = Column->GetDataCellHorzOffset();
    }
    int vertMargin = std::min(horzMargin, 2);
    if (Flat() && vertMargin > 0) --vertMargin;
    const int flatPad = Flat() && !ThemesInUse() ? 1 : 0;

    const bool buttons = Column->IsEditButtonAlwaysShown() && !s->BlankCell();
    TEditStyle mainStyle = esSimple;
    int buttonsWidth = 0;
    TRect r1 = r;
    if (buttons) {
        mainStyle = GetColumnEditStyle(Column);
        buttonsWidth = Column->EditButtonsWidth();
        r.Right -= buttonsWidth;
    }

    if (s->BlankCell() && !s->SuppressActiveCellColor()) s->SetBackground(FixedColor());

    bool highlighted;
    const bool current =
        Cell.X == Col() && Cell.Y == Row() ? true : (Options().Contains(goRowSelect) && Cell.Y == Row());
    if (s->SuppressActiveCellColor() && current) {
        highlighted = false;
    } else {
        TColor bg = s->Background();
        highlighted = HighlightDataCellColor(AreaCell.X, AreaCell.Y, c->Font(), bg, s->State(), s->Text());
        s->SetBackground(bg);
    }
    if (highlighted) {
        TGridDrawState st = s->State();
        st.Include(gdSelected);
        s->SetState(st);
    }

    c->Brush()->SetColor(s->Background());
    bool filled = CheckFillDataCell(Cell, AreaCell, Params, AreaRect, Column);
    if (IsBackgroundShowing() && c->Brush()->Color() == InternalColor()) filled = true;

    if (!s->BlankCell() && FDefaultDrawing && !r.IsEmpty()) {
        if (Column->ImageList() && Column->ShowImageAndText()) {
            TRect box(r.Left, r.Top, r.Left + Column->ImageList()->Width() + 4, r.Bottom);
            c->Brush()->SetColor(Column->Color());
            if (!filled) c->FillRect(box);
            PaintImageInRect(Column->ImageList(), nullptr, c, box, s->ImageIndex(), 0, taCenter, box);
            c->Brush()->SetColor(s->Background());
            r.Left = box.Right + 1;
        }
        switch (Column->GetColumnType()) {
        case ctKeyImageList:
            if (!filled) c->FillRect(r);
            if (Column->ImageList())
                PaintImageInRect(Column->ImageList(), nullptr, c, r, s->ImageIndex(), 0, taCenter, r);
            break;
        case ctCheckboxes: {
            if (!filled) c->FillRect(r);
            const TSize cb = CheckBoxSize();
            TRect box(r.Left + (r.Width() - cb.cx) / 2, r.Top + (r.Height() - cb.cy) / 2, 0, 0);
            box.Right = box.Left + cb.cx;
            box.Bottom = box.Top + cb.cy;
            const bool clip = r.Width() < cb.cx || r.Height() < cb.cy;
            HRGN saved = clip ? BeginClipToRect(c, r) : nullptr;
            PaintStyledButton(c, box, true, false, false, Flat(), bcsCheckboxEh, s->CheckboxState());
            if (clip) EndClipToRect(c, saved);
            break;
        }
        case ctGraphicData:
            DrawGraphicCell(Column, r, !filled, c->Brush()->Color());
            break;
        default: {
            const bool wrap = Column->WordWrap() && Column->CurLineWordWrap(r.Height());
            WriteCellText(Column, c, Column->EndEllipsis(), wrap, Column->Layout(), s->Alignment(), s->Text(),
                          vertMargin, horzMargin, !filled, Params->DrawCellByThemes() ? r0 : r);
            break;
        }
        }
    }

    if (buttons && !s->BlankCell()) {
        TRect br(r.Right, r.Top, r.Right + FInplaceEditorButtonWidth + flatPad,
                 r.Top + FInplaceEditorButtonHeight);
        br.Bottom = std::min(br.Bottom, r1.Bottom);
        const int transparency = GetCellReservedWidth(Column, Cell);
        if (mainStyle != esSimple) {
            TRect drawn = br;
            if (fixed) drawn.Offset(1, -1);
            if (Flat() && !ThemesInUse() && fixed)
                c->FillRect(TRect(drawn.Left - 1, drawn.Top, drawn.Left, drawn.Bottom));
            DrawColumnCellButton(Column, drawn, r1, ButtonKindForEditStyle(mainStyle), nullptr,
                                 s->Background(), transparency);
            br.Offset(br.Width(), 0);
        }
        for (int i = 0; i < Column->EditButtons()->Count(); ++i) {
            TEditButtonEh* eb = Column->EditButtons()->Items(i);
            if (!eb->Visible()) continue;
            const int w = eb->Width() < 1 ? FInplaceEditorButtonWidth + flatPad : eb->Width() + flatPad;
            TRect drawn(br.Left, br.Top, br.Left + w, br.Bottom);
            if (fixed) drawn.Offset(1, -1);
            DrawColumnCellButton(Column, drawn, r1, EditButtonStyleToDrawButtonStyle(eb->Style()), eb,
                                 s->Background(), transparency);
            br.Left += w;
            br.Right = br.Left + w;
        }
        if (FInplaceEditorButtonHeight < r.Height()) {
            c->Brush()->SetColor(s->Background());
            c->FillRect(
                TRect(r.Right, std::min(r.Top + FInplaceEditorButtonHeight, r1.Bottom), r1.Right, r1.Bottom));
        }
        if (Flat() && mainStyle != esSimple) r.Right += buttonsWidth;
    }

    if (s->BlankCell()) DrawBlankCell(r, highlighted, Params, fixed);
    if (fixed && !Params->DrawCellByThemes())
        DrawButtonEdges(c, r0, Flat(), !(Flat() && ThemesInUse()), true, highlighted, false);
}

void TCustomDBAxisGridEh::DrawColumnCellButton(TAxisBarEh* Column, const TRect& ButtonRect,
                                               const TRect& CellRect, TDrawButtonControlStyleEh Kind,
                                               TEditButtonEh* Button, TColor CellColor, int Transparency) {
    TCanvas* c = Canvas();
    TRect br = ButtonRect;
    const bool hot = IsMouseInRect(br);
    const bool clip = !(br.Left >= CellRect.Left && br.Right <= CellRect.Right && br.Top >= CellRect.Top &&
                        br.Bottom <= CellRect.Bottom);
    HRGN saved = clip ? BeginClipToRect(c, CellRect) : nullptr;
    // A reserved (translucent) button is painted at the requested opacity over the cell.
    if (Transparency > 0) {
        c->Brush()->SetColor(CellColor);
        c->FillRect(br);
    }
    if (Flat() && !ThemesInUse()) {
        const bool rtl = Column->UseRightToLeftAlignment();
        c->Brush()->SetColor(hot ? clBtnFace : CellColor);
        c->FillRect(rtl ? TRect(br.Right - 1, br.Top, br.Right, br.Bottom)
                        : TRect(br.Left, br.Top, br.Left + 1, br.Bottom));
        if (rtl)
            --br.Right;
        else
            ++br.Left;
    }
    if (Button && Button->Style() == ebsGlyphEh) {
        if (Flat() && !ThemesInUse()) {
            c->Brush()->SetColor(clBtnFace);
            c->FillRect(br);
        } else {
            PaintButtonBackground(c, br, clWindow, FDataLink->Active(), hot, Flat(), false);
        }
        TCustomImageList* images = Button->Images()->NormalImages();
        if (images && Button->Images()->NormalIndex() >= 0)
            PaintImageInRect(images, nullptr, c, br, Button->Images()->NormalIndex(), 0, taCenter, br);
        else if (Button->Glyph() && !Button->Glyph()->Empty())
            PaintImageInRect(nullptr, Button->Glyph(), c, br, 0, 0, taCenter, br);
    } else {
        DrawStyledButton(c, br, clNone, Kind, 0, Flat(), hot, FDataLink->Active(), cbUnchecked);
    }
    if (clip) EndClipToRect(c, saved);
}

// ---------------------------------------------------------------------------------------------
// Data hints

String TCustomDBAxisGridEh::ColumnHintText(TAxisBarEh* Column) {
    TField* f = Column->Field();
    switch (Column->GetColumnType()) {
    case ctKeyImageList: {
        if (!f) return String();
        const int i = Column->KeyList()->IndexOf(f->Text());
        TStrings* picks = Column->PickList();
        return i >= 0 && i < picks->Count() ? picks->Strings(i) : String();
    }
    case ctCheckboxes: {
        const int i = int(Column->CheckboxState());
        TStrings* picks = Column->PickList();
        return i < picks->Count() ? picks->Strings(i) : String();
    }
    default:
        return f ? Column->DisplayText() : String();
    }
}

void TCustomDBAxisGridEh::DefaultFillDataHintShowInfo(const TPoint& CursorPos, const TGridCoord& Cell,
                                                      TDBAxisGridDataHintParamsEh* Params,
                                                      TAxisBarEh* Column) {
    String text = ColumnHintText(Column);
    TRect r = Params->CursorRect;
    TRect textArea = r;
    Column->SetTextArea(textArea);
    r.Left = textArea.Left;
    const int textRight = textArea.Right;
    if (Column->AlwaysShowEditButton()) {
        r.Right = textRight;
        if (CursorPos.X > r.Right) text.clear();
    }
    const TAxisBarEhType type = Column->GetColumnType();
    TAlignment alignment =
        type == ctKeyImageList || type == ctCheckboxes ? taLeftJustify : Column->Alignment();
    const bool wrap = Column->WordWrap() && Column->CurLineWordWrap(Params->CursorRect.Height());

    if (!FHintFont) FHintFont = std::make_unique<TFont>();
    FHintFont->Assign(Column->Font());
    TAxisColCellParamsEh* s = GetCellParamsRecord();
    Column->FillColCellParams(s);
    s->SetBackground(Canvas()->Brush()->Color());
    s->SetFont(FHintFont.get());
    s->SetState(TGridDrawState());
    s->SetAlignment(alignment);
    s->SetText(text);
    s->SetCol(Cell.X);
    s->SetRow(Cell.Y);
    QueryCellParams(Column, s);
    Column->GetColCellParams(false, s);
    text = s->Text();
    alignment = s->Alignment();
    Canvas()->Font()->Assign(FHintFont.get());

    int height = 0, width = 0;
    bool overflow = true;
    if (type != ctKeyImageList && type != ctCheckboxes)
        overflow = MeasureCellText(DrawTextBiDiModeFlagsReadingOnly(), Canvas(), wrap ? 2 : 0, height, width,
                                   wrap, r, text, FInterlinear);
    if (overflow || (alignment == taRightJustify && r.Right < textRight - 2)) {
        Params->HintStr = text;
        Params->CursorRect = r;
        Params->HintPos.Y = Flat() ? r.Top - 2 : r.Top - 1;
        switch (alignment) {
        case taLeftJustify:
            Params->HintPos.X = r.Left - 1;
            break;
        case taRightJustify:
            Params->HintPos.X = textRight - width - 6;
            break;
        case taCenter:
            Params->HintPos.X = textRight + width / 2 - width - (textRight - r.Left - 4) / 2 - 5;
            break;
        }
        Params->HintPos.X += 1;
        if (Column->UseRightToLeftAlignment()) Params->HintPos.X = ClientWidth() - Params->HintPos.X;
        if (wrap) Params->HintMaxWidth = r.Width() - 4;
    } else {
        Params->HintStr.clear();
    }
}
