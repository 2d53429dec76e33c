#pragma once
// The look-and-colour policy data grids share: selection, focus and hot-track colours of data
// cells, colours of highlighted fixed cells, fixed-cell backgrounds in the classic, themed,
// solid and gradient looks, and sort markers. One style (DefaultGridStyle) serves every grid
// that is not given another; a style asks the grids registered with it for a layout update
// when one of its settings changes, and hands them back to the default when it is freed.

#include "lib/grids/DBAxisGridsEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"

#include <vector>

class TCustomDBGridEh;
class TColumnEh;

enum TGridCellFillStyleEh { cfstDefaultEh, cfstThemedEh, cfstGradientEh, cfstSolidEh };
enum TGridThemeTitleFillElementEh { gtfeHeaderItemEh, gtfeSplitButtonEh };

// What the painters know about a fixed cell (title, indicator, footer, filter row) to be filled.
struct TDBGirdDrawFixedStateEh {
    bool Pressed = false;
    bool Selected = false;
    bool HotTrack = false;
    bool The3DRect = false;
    TGridCellFillStyleEh FillStyle = cfstSolidEh;
    TColor FillColor = clBtnFace;
    TColor StartGradientColor = clDefault;
    TColor EndGradientColor = clDefault;
    bool DrawByThemesOverLines = false;
    TColor FontColor = clWindowText;
    bool VertBorderInFillStyle = false;
    bool HorzBorderInFillStyle = false;
    TColor HorzLineColor = clNone;
    TColor VertLineColor = clNone;
    TRect ClipRect;
};

// What the title painter knows about one column title.
struct TDBGirdDrawTitleStateEh {
    bool Down = false;
    bool MultyTitle = false;
    bool WordWrap = false;
    bool FilterButtonDown = false;
    bool Highlight = false;
    TTextOrientationEh Orientation = tohHorizontal;
    bool The3DRect = false;
    bool DrawByThemes = false;
    bool DrawByThemesOverLines = false;
    String Caption;
    TColor BackColor = clBtnFace;
    bool DrawFilterButton = false;
    bool CellMultiSelected = false;
    TSortMarkerEh SortMarker = smNoneEh;
    bool DrawSortIndex = false;
    TFontCharset FontCharset = DEFAULT_CHARSET;
    TColor FontColor = clWindowText;
    int FontHeight = 0;
    TFontName FontName;
    TFontStyles FontStyle;
    bool VertBorderInFillStyle = false;
    bool HorzBorderInFillStyle = false;
};

using TDBGridEhGetColorEvent = TEvent<void(TCustomDBGridEh* Grid, TColor& Color)>;

// The screen shows more than 256 colours; lightened tints are used only then.
bool RichColorDisplay();
// Tests stand in for a 256-colour screen.
void SetRichColorDisplay(bool Value);

class TDBGridEhStyle : public TComponent {
    KVT_CLASS(TDBGridEhStyle, TComponent)
public:
    explicit TDBGridEhStyle(TComponent* AOwner = nullptr);
    ~TDBGridEhStyle() override;

    bool LuminateSelection() const { return FLuminateSelection; }
    void SetLuminateSelection(bool Value);
    bool IsDrawFocusRect() const { return FIsDrawFocusRect; }
    void SetIsDrawFocusRect(bool Value) { FIsDrawFocusRect = Value; }
    TEditButtonStyleEh InTitleFitlerButtonStyle() const { return FInTitleFitlerButtonStyle; }
    void SetInTitleFitlerButtonStyle(TEditButtonStyleEh Value) { FInTitleFitlerButtonStyle = Value; }
    TGridThemeTitleFillElementEh ThemeTitleFillElement() const { return FThemeTitleFillElement; }
    void SetThemeTitleFillElement(TGridThemeTitleFillElementEh Value) { FThemeTitleFillElement = Value; }
    TColor SelectionColor() const { return FSelectionColor; }
    void SetSelectionColor(TColor Value);
    TColor SelectionFontColor() const { return FSelectionFontColor; }
    void SetSelectionFontColor(TColor Value);
    TColor SelectionInactiveColor() const { return FSelectionInactiveColor; }
    void SetSelectionInactiveColor(TColor Value) { FSelectionInactiveColor = Value; }
    TSortMarkerStyleEh SortMarkerStyle() const { return FSortMarkerStyle; }
    void SetSortMarkerStyle(TSortMarkerStyleEh Value);
    bool GradientEnabledInClassicTheme() const { return FGradientEnabledInClassicTheme; }
    void SetGradientEnabledInClassicTheme(bool Value);
    int DataCellHorzOffset() const { return FDataCellHorzOffset; }
    void SetDataCellHorzOffset(int Value) { FDataCellHorzOffset = Value; }
    TSortMarkerStyleEh DefaultSortMarkerStyle() const { return FDefaultSortMarkerStyle; }
    void SetDefaultSortMarkerStyle(TSortMarkerStyleEh Value) { FDefaultSortMarkerStyle = Value; }
    int FinishLoadingStatusRenderDuration() const { return FFinishLoadingStatusRenderDuration; }
    void SetFinishLoadingStatusRenderDuration(int Value) { FFinishLoadingStatusRenderDuration = Value; }
    int StartLoadingStatusRenderDuration() const { return FStartLoadingStatusRenderDuration; }
    void SetStartLoadingStatusRenderDuration(int Value) { FStartLoadingStatusRenderDuration = Value; }

    TDBGridEhGetColorEvent OnGetSubtitleRowColor;

    // Colours of one data cell; true when it shows highlighted. ACol/ARow are grid indexes,
    // DataCol/DataRow data indexes.
    virtual bool HighlightDataCellColors(TCustomDBGridEh* Grid, int ACol, TFont* AFont, TColor& AColor,
                                         bool Selected, TGridDrawState AState, int DataRow, int DataCol,
                                         int ARow);
    // Colours of a highlighted fixed cell; false (nothing changed) when not Highlight. CellType
    // is the (horizontal, vertical) kind pair of the grid's cell classification.
    virtual bool HighlightFixedCellColors(TCustomDBGridEh* Grid, TFont* AFont, TColor& AColor, bool Highlight,
                                          TPoint CellType);
    // System colour changes (the only message the style's window answers).
    virtual void StyleWndProc(TMessage& Message);
    virtual void UpdateColorDepth();
    virtual TColor LightenColor(TColor AColor, TColor GlassColor, bool Ungray);
    virtual TColor GetColumnFontColor(TColumnEh* Column, TGridDrawState AState);
    virtual TColor GetColumnColor(TColumnEh* Column);
    virtual TColor GetSubtitleRowColor(TCustomDBGridEh* Grid);
    virtual TColor DefaultGetSubtitleRowColor(TCustomDBGridEh* Grid);
    virtual TColor GetGroupPanelColor(TCustomDBGridEh* Grid);
    virtual TColor GetSelectionColor();
    virtual TColor GetSelectionFontColor();
    virtual TColor GetSelectionInactiveColor();
    // Width and height of a marker of SMStyle; -1 x -1 for a look the style does not know.
    virtual void GetSortMarkerSize(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, TSize& Size);
    virtual int GetDataCellHorzOffset(TCustomDBGridEh* Grid, TColumnEh* Column);
    virtual TTreeViewGlyphStyleEh GetActualTreeGlyphStyle();
    virtual void DrawCustomStyleCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas, const TRect& ClipRect,
                                               bool Pressed, TGridDrawState AState, TColor FillColor,
                                               TGridCellFillStyleEh FillStyle, const TRect& FillRect);
    virtual void DrawTitleCellBackground(TCustomDBGridEh* Grid, TColumnEh* Column, const TRect& ARect,
                                         TDBGirdDrawTitleStateEh& TitleState, TGridDrawState AState,
                                         TRect& AInnerRect, bool Fill, const TRect& AFillRect,
                                         TCanvas* Canvas);
    // Fills a fixed cell as State describes and answers in ARect what is left for its content.
    virtual void DrawFixedCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas,
                                         TDBGirdDrawFixedStateEh& State, TGridDrawState AState, TRect& ARect,
                                         bool Fill, const TRect& AFillRect);
    virtual void GetDefaultFixedGradientColor(TColor& StartColor, TColor& EndColor, bool Pressed,
                                              bool HotTrack);
    virtual void GetCustomStyleFixedColors(TColor& FillColor, TColor& TextColor, bool Pressed, bool HotTrack,
                                           TGridCellFillStyleEh FillStyle, TColor& GradientColor2,
                                           TColor& GradientColor1);

    void Changed();
    void AddChangeNotification(TCustomDBGridEh* Grid);
    void RemoveChangeNotification(TCustomDBGridEh* Grid);
    bool GridInChangeNotification(TCustomDBGridEh* Grid) const;
    const std::vector<TCustomDBGridEh*>& Grids() const { return FGrids; }
    bool IsCustomStyleActive() const;
    void DrawSortMarker(TCanvas* Canvas, TSortMarkerStyleEh SMStyle, const TRect& ARect, bool Highlighted,
                        TSortMarkerEh SortMarker, TColumnEh* Column);
    // Theme element kinds of the themed title fill (the platform's header item or split button).
    int GetThemeTitleFillElement(bool IsDown, bool IsSelected);
    void GetThemeTitleFillRect(TRect& AFillRect, bool IncVertBoundary, bool IncHorzBoundary);

private:
    TSortMarkerStyleEh ActualSortMarkerStyle(TSortMarkerStyleEh SMStyle) const {
        return SMStyle == smstDefaultEh ? FDefaultSortMarkerStyle : SMStyle;
    }

    std::vector<TCustomDBGridEh*> FGrids;
    HWND FWindowHandle = nullptr;
    bool FLuminateSelection = true;
    bool FIsDrawFocusRect = true;
    TEditButtonStyleEh FInTitleFitlerButtonStyle = ebsDropDownEh;
    TGridThemeTitleFillElementEh FThemeTitleFillElement = gtfeHeaderItemEh;
    TColor FSelectionColor = clDefault;
    TColor FSelectionFontColor = clDefault;
    TColor FSelectionInactiveColor = clDefault;
    TSortMarkerStyleEh FSortMarkerStyle = smstDefaultEh;
    bool FGradientEnabledInClassicTheme = false;
    int FDataCellHorzOffset = -1;
    TSortMarkerStyleEh FDefaultSortMarkerStyle = smstFrameEh;
    int FFinishLoadingStatusRenderDuration = 500;
    int FStartLoadingStatusRenderDuration = 300;
};

// The side of the square sort-marker bitmaps.
constexpr int SortMarkerImageSize = 8;
// The shared marker bitmaps: 0 down, 1 up, 2 the indicator title's drop-down sign, 3 classic
// down, 4 classic up.
TCustomImageList* SortMarkerImageList();

// The style new grids take; nullptr once it has been freed.
TDBGridEhStyle* DefaultGridStyle();
// Replaces the default style (the grids holding the old one keep it).
void SetDefaultGridStyle(TDBGridEhStyle* Style);
// The style painters use when a grid has none: the same defaults as a new style.
TDBGridEhStyle& FallbackGridStyle();
