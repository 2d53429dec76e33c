#pragma once
// The data grid's in-place editor: the axis grid's editor with the data grid's key shortcuts, the
// expand sign of tree rows and the mark under an empty required value.

#include "lib/dbgrid/DBGridEh.h"

class TDBGridEhRequiredMark;

class TDBGridInplaceEdit : public TDBAxisGridInplaceEdit {
    KVT_CLASS(TDBGridInplaceEdit, TDBAxisGridInplaceEdit)
public:
    explicit TDBGridInplaceEdit(TComponent* AOwner);
    ~TDBGridInplaceEdit() override;

    TCustomDBGridEh* DBGrid() const;
    // Whether the required-field mark is due for the editor's cell now.
    virtual bool RequiredHighlightDue();
    // Shows, moves or hides the red dotted line under the text. The edit window paints its own
    // text, so the line is a one-pixel child laid over the editor's bottom edge.
    virtual void DrawRequiredHighlight();
    // The mark's rectangle in editor client coordinates; empty while hidden.
    TRect RequiredHighlightRect() const;

    void WndProc(TMessage& Message) override;
    // Over a row panel only the editor repaints: the grid under it is one large cell.
    void Invalidate() override;

    // Tree rows: the current row's tree elements left of the text in the first visible column.
    // The edit window paints its own text, so they are a child over the editor's left part.
    bool ShowsTreeElements();
    void UpdateTreeElements();
    void PaintTreeElements(TCanvas* Canvas, const TRect& Rect);
    TControl* TreeElementsBox() const { return FTreeBox; }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void BoundsChanged() override;
    void ReloadFromGrid() override;
    // Hands the key to the grid's own key handling and consumes it here.
    void PassKeyToGrid(Word& Key, TShiftState Shift);
    void CheckSelectionFocus();
    void ForgetStaleColumnParts();

    TDBGridEhRequiredMark* FRequiredMark = nullptr;
    TCustomControl* FTreeBox = nullptr;
};
