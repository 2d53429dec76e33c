#pragma once
// Appearance objects of the data grid's areas: titles, indicator, footers, grid lines, tree
// view, background picture and registered text highlights. Each answers "actual" values: a
// property left at its default follows the grid's options, colours, flatness, visual themes
// or the grid's style, and counts as stored only once it is assigned. Painters read the actual
// values only.

#include "lib/dbgrid/DBGridEhStyle.h"
#include "lib/grids/DBAxisGridsEh.h"

#include <memory>

class TCustomDBGridEh;
class TColumnsEhList;
class TCustomImageList;
class TChangeLink;
class TPopupMenu;

// A property that reads as its default until it is assigned ("stored"), with the companion
// flag published under the property's name followed by Stored.
template <class T> struct TStoredValueEh {
    T Value{};
    bool Stored = false;

    T Read(const T& Default) const { return Stored ? Value : Default; }
    // Answers whether anything changed (the caller repaints).
    bool Write(const T& NewValue) {
        if (Stored && Value == NewValue) return false;
        Stored = true;
        Value = NewValue;
        return true;
    }
    // Either change copies the default into the value.
    bool WriteStored(bool NewStored, const T& Default) {
        if (Stored == NewStored) return false;
        Stored = NewStored;
        Value = Default;
        return true;
    }
};

class TDBGridTitleParamsEh : public TPersistent {
    KVT_CLASS(TDBGridTitleParamsEh, TPersistent)
    template <class> friend struct TPublisher;

public:
    explicit TDBGridTitleParamsEh(TCustomDBGridEh* AGrid);
    ~TDBGridTitleParamsEh() override;

    TCustomDBGridEh* Grid() const { return FGrid; }
    int VTitleMargin() const { return FVTitleMargin; }
    void SetVTitleMargin(int Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TColor Color() const;
    void SetColor(TColor Value);
    bool ColorStored() const { return FColor.Stored; }
    void SetColorStored(bool Value);
    TColor SecondColor() const;
    void SetSecondColor(TColor Value);
    bool SecondColorStored() const { return FSecondColor.Stored; }
    void SetSecondColorStored(bool Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool MultiTitle() const { return FMultiTitle; }
    void SetMultiTitle(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    TSortMarkerStyleEh SortMarkerStyle() const;
    void SetSortMarkerStyle(TSortMarkerStyleEh Value);
    bool SortMarkerStyleStored() const { return FSortMarkerStyle.Stored; }
    void SetSortMarkerStyleStored(bool Value);
    TColor HorzLineColor() { return GetHorzLineColor(); }
    void SetHorzLineColor(TColor Value);
    TColor VertLineColor() { return GetVertLineColor(); }
    void SetVertLineColor(TColor Value);
    TGridCellFillStyleEh FillStyle() const { return FFillStyle; }
    void SetFillStyle(TGridCellFillStyleEh Value);
    bool BorderInFillStyle() const { return FBorderInFillStyle; }
    void SetBorderInFillStyle(bool Value);
    bool HorzLines() const;
    void SetHorzLines(bool Value);
    bool HorzLinesStored() const { return FHorzLines.Stored; }
    void SetHorzLinesStored(bool Value);
    bool VertLines() const;
    void SetVertLines(bool Value);
    bool VertLinesStored() const { return FVertLines.Stored; }
    void SetVertLinesStored(bool Value);

    virtual TColor GetVertLineColor();
    virtual TColor GetHorzLineColor();
    virtual TColor DefaultHorzLineColor();
    virtual TColor DefaultVertLineColor();
    virtual TGridCellFillStyleEh GetActualFillStyle();
    virtual TColor DefaultSecondColor() const;

    // Copies the grid's font while ParentFont is set, without counting as a change of the font.
    void RefreshParentFont();
    // The grid forgets a menu that is being freed.
    void Notification(TComponent* AComponent, TOperation Operation);

private:
    void TitleFontChanged(TObject* Sender);
    void ImagesChanged(TObject* Sender);
    void Repaint();
    void LayoutUpdate();
    void TopPanelsOrLayoutUpdate();

    TCustomDBGridEh* FGrid;
    int FVTitleMargin = 10;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TStoredValueEh<TColor> FColor;
    TStoredValueEh<TColor> FSecondColor;
    int FRowLines = 0;
    std::unique_ptr<TFont> FFont;
    int FRowHeight = 0;
    bool FMultiTitle = false;
    bool FParentFont = true;
    TPopupMenu* FPopupMenu = nullptr;
    TStoredValueEh<TSortMarkerStyleEh> FSortMarkerStyle;
    TColor FHorzLineColor = clDefault;
    TColor FVertLineColor = clDefault;
    TGridCellFillStyleEh FFillStyle = cfstDefaultEh;
    bool FBorderInFillStyle = false;
    TStoredValueEh<bool> FHorzLines;
    TStoredValueEh<bool> FVertLines;
    bool FRefreshingFont = false;
};

class TDBGridIndicatorParamsEh : public TPersistent {
    KVT_CLASS(TDBGridIndicatorParamsEh, TPersistent)
    template <class> friend struct TPublisher;

public:
    explicit TDBGridIndicatorParamsEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}

    TCustomDBGridEh* Grid() const { return FGrid; }
    TColor Color() const;
    void SetColor(TColor Value);
    bool ColorStored() const { return FColor.Stored; }
    void SetColorStored(bool Value);
    TColor HorzLineColor() { return GetHorzLineColor(); }
    void SetHorzLineColor(TColor Value);
    TColor VertLineColor() { return GetVertLineColor(); }
    void SetVertLineColor(TColor Value);
    TGridCellFillStyleEh FillStyle() const { return FFillStyle; }
    void SetFillStyle(TGridCellFillStyleEh Value);
    bool HorzLines() const;
    void SetHorzLines(bool Value);
    bool HorzLinesStored() const { return FHorzLines.Stored; }
    void SetHorzLinesStored(bool Value);
    bool VertLines() const;
    void SetVertLines(bool Value);
    bool VertLinesStored() const { return FVertLines.Stored; }
    void SetVertLinesStored(bool Value);
    // Every RecNoShowStep-th record number is shown in the indicator; the rows between get dots.
    int RecNoShowStep() const { return FRecNoShowStep; }
    void SetRecNoShowStep(int Value);

    virtual TColor GetVertLineColor();
    virtual TColor GetHorzLineColor();
    virtual TColor DefaultHorzLineColor();
    virtual TColor DefaultVertLineColor();
    virtual TGridCellFillStyleEh GetActualFillStyle();

private:
    void Repaint();

    TCustomDBGridEh* FGrid;
    TStoredValueEh<TColor> FColor;
    TColor FHorzLineColor = clDefault;
    TColor FVertLineColor = clDefault;
    TGridCellFillStyleEh FFillStyle = cfstDefaultEh;
    TStoredValueEh<bool> FHorzLines;
    TStoredValueEh<bool> FVertLines;
    int FRecNoShowStep = 1;
};

class TDBGridFooterParamsEh : public TPersistent {
    KVT_CLASS(TDBGridFooterParamsEh, TPersistent)
    template <class> friend struct TPublisher;

public:
    explicit TDBGridFooterParamsEh(TCustomDBGridEh* AGrid);
    ~TDBGridFooterParamsEh() override;

    TCustomDBGridEh* Grid() const { return FGrid; }
    // clDefault reads as the grid's Color (see GetColor).
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TGridCellFillStyleEh FillStyle() const { return FFillStyle; }
    void SetFillStyle(TGridCellFillStyleEh Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TColor HorzLineColor() { return GetHorzLineColor(); }
    void SetHorzLineColor(TColor Value);
    TColor VertLineColor() { return GetVertLineColor(); }
    void SetVertLineColor(TColor Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    bool HorzLines() const;
    void SetHorzLines(bool Value);
    bool HorzLinesStored() const { return FHorzLines.Stored; }
    void SetHorzLinesStored(bool Value);
    bool VertLines() const;
    void SetVertLines(bool Value);
    bool VertLinesStored() const { return FVertLines.Stored; }
    void SetVertLinesStored(bool Value);
    // Heights of the footer rows as the grid computed them.
    std::vector<int>& CalculatedRowHeights() { return FCalculatedRowHeights; }

    virtual TColor GetVertLineColor();
    virtual TColor GetHorzLineColor();
    virtual TColor DefaultHorzLineColor();
    virtual TColor DefaultVertLineColor();
    virtual TColor GetColor() const;
    virtual TGridCellFillStyleEh GetActualFillStyle();

    void RefreshParentFont();

private:
    void FooterFontChanged(TObject* Sender);
    void Repaint();

    TColor FColor = clDefault;
    TGridCellFillStyleEh FFillStyle = cfstDefaultEh;
    std::unique_ptr<TFont> FFont;
    TCustomDBGridEh* FGrid;
    TColor FHorzLineColor = clDefault;
    bool FParentFont = true;
    int FRowHeight = 0;
    int FRowLines = 0;
    TColor FVertLineColor = clDefault;
    TStoredValueEh<bool> FHorzLines;
    TStoredValueEh<bool> FVertLines;
    std::vector<int> FCalculatedRowHeights;
    bool FRefreshingFont = false;
};

class TDBGridLineParamsEh : public TDBAxisGridLineParamsEh {
    KVT_CLASS(TDBGridLineParamsEh, TDBAxisGridLineParamsEh)
public:
    explicit TDBGridLineParamsEh(TCustomDBGridEh* AGrid);

    bool DefaultDataHorzLines() override;
    bool DefaultDataVertLines() override;
    TDBGridLinesColorSchemeEh GetActualColorScheme() override;
    TColor GetVertAreaContraVertColor() override;
    void WriteVertEmptySpaceStyle(TDrawEmptySpaceStyle Value) override;
    // Whether DarkColor was assigned (painters keep the theme's own line colour otherwise).
    bool DarkColorAssigned() const { return FDarkColor != clDefault; }

private:
    template <class> friend struct TPublisher;
    TCustomDBGridEh* DBGrid() const;
};

class TGridTreeViewParamsEh : public TPersistent {
    KVT_CLASS(TGridTreeViewParamsEh, TPersistent)
public:
    explicit TGridTreeViewParamsEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    TCustomDBGridEh* Grid() const { return FGrid; }
    TTreeViewGlyphStyleEh GlyphStyle() const { return FGlyphStyle; }
    void SetGlyphStyle(TTreeViewGlyphStyleEh Value);
    bool ShowTreeLines() const { return FShowTreeLines; }
    void SetShowTreeLines(bool Value);
    TTreeViewGlyphStyleEh GetActualGlyphStyle();

private:
    TCustomDBGridEh* FGrid;
    TTreeViewGlyphStyleEh FGlyphStyle = tvgsDefaultEh;
    bool FShowTreeLines = true;
};

class TDBGridBackgroundDataEh : public TGridBackgroundDataEh {
    KVT_CLASS(TDBGridBackgroundDataEh, TGridBackgroundDataEh)
public:
    using TGridBackgroundDataEh::TGridBackgroundDataEh;
    bool ExcludeIndicator() const { return FExcludeIndicator; }
    void SetExcludeIndicator(bool Value);
    bool ExcludeTitle() const { return FExcludeTitle; }
    void SetExcludeTitle(bool Value);
    bool ExcludeFooter() const { return FExcludeFooter; }
    void SetExcludeFooter(bool Value);
    void BoundRect(const TGridDrawInfoEh& DrawInfo, TRect& Rect) override;

private:
    bool FExcludeIndicator = false;
    bool FExcludeTitle = false;
    bool FExcludeFooter = false;
};

// A text to mark in the cells of some columns (in its colour), registered with a grid.
class TGridHighlightTextParamsEh : public TPersistent {
    KVT_CLASS(TGridHighlightTextParamsEh, TPersistent)
public:
    TGridHighlightTextParamsEh();
    ~TGridHighlightTextParamsEh() override;
    const String& Text() const { return FText; }
    void SetText(const String& Value) { FText = Value; }
    bool CaseInsensitivity() const { return FCaseInsensitivity; }
    void SetCaseInsensitivity(bool Value) { FCaseInsensitivity = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TColumnsEhList* ColumnsList() const { return FColumnsList.get(); }
    // Copies the given list's columns.
    void SetColumnsList(TColumnsEhList* Value);

private:
    String FText;
    bool FCaseInsensitivity = false;
    TColor FColor = clYellow;
    std::unique_ptr<TColumnsEhList> FColumnsList;
};
