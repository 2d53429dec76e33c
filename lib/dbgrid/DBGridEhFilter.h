#pragma once
// A column's filter (its condition, the text it was typed as, and the lookup settings that let a
// filter be typed in display values and kept as keys) and the grid's filter-row settings.
//
// The column and the grid are reached through the two small interfaces below, which the data
// grid's column and grid implement; the filter objects need nothing else of them.

#include "lib/dbgrid/DBGridEhFilterExpr.h"
#include "platform/classes/Classes.h"
#include "platform/db/DB.h"
#include "platform/ui/Graphics.h"

#include <memory>
#include <vector>

class TSTColumnFilterEh;
class IMemTableDataFieldValueListEh;

// What a column filter needs of its column and the column's grid.
class ISTFilterColumnEh {
public:
    virtual ~ISTFilterColumnEh() = default;
    // The column's field in the grid's data set (nil without one) and the column's field name.
    virtual TField* STFilterField() = 0;
    virtual String STFilterFieldName() = 0;
    // The column's key list and pick list (nil when it has none).
    virtual TStrings* STFilterKeyList() = 0;
    virtual TStrings* STFilterPickList() = 0;
    // The grid's data set while the grid's data link is active, else nil.
    virtual TDataSet* STFilterGridDataSet() = 0;
    // The default operator the grid's behaviour centre gives the filter (fdoAuto without one).
    virtual TSTFilterDefaultOperatorEh STFilterDefaultOperator(TSTColumnFilterEh* Filter,
                                                               const TSTFilterExpressionEh& Expression) = 0;
    // The condition changed: repaint the titles; when the grid's filter editor is visible and
    // EditorText is set, show that text in it.
    virtual void STFilterChanged(TSTColumnFilterEh* Filter, const String* EditorText) = 0;
    // Apply the grid's filter now when its filter settings ask for instant application.
    virtual void STFilterApplyIfInstant() = 0;
    // The filter cell was shown or hidden: the grid lays out again.
    virtual void STFilterVisibleChanged() = 0;
    // Forget the column's cached field value list.
    virtual void STFilterDropFieldValueList() = 0;
};

class TSTColumnFilterEh : public TPersistent {
    KVT_CLASS(TSTColumnFilterEh, TPersistent)
public:
    explicit TSTColumnFilterEh(ISTFilterColumnEh* AColumn);
    ~TSTColumnFilterEh() override;
    void Assign(TPersistent* Source) override;

    ISTFilterColumnEh* Column() const { return FColumn; }

    const String& DataField() const { return FDataField; }
    void SetDataField(const String& Value) { FDataField = Value; }
    const String& KeyField() const { return FKeyField; }
    void SetKeyField(const String& Value) { FKeyField = Value; }
    const String& ListField() const { return FListField; }
    void SetListField(const String& Value) { FListField = Value; }
    TDataSource* ListSource() const;
    void SetListSource(TDataSource* Value);
    const String& KeyCommaText() const { return FKeyCommaText; }
    void SetKeyCommaText(const String& Value) { FKeyCommaText = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

    TStrings* List() const { return FList.get(); }
    TStrings* Keys() const { return FKeys.get(); }
    const Variant& KeyValues() const { return FKeyValues; }
    int DropDownListWidth() const { return FDropDownListWidth; }
    void SetDropDownListWidth(int Value) { FDropDownListWidth = Value; }
    int DropDownListRows() const { return FDropDownListRows; }
    void SetDropDownListRows(int Value) { FDropDownListRows = Value; }
    int PopupListboxDownIndex() const { return FPopupListboxDownIndex; }
    void SetPopupListboxDownIndex(int Value) { FPopupListboxDownIndex = Value; }
    TStrings* PopupFilterItems() const { return FPopupFilterItems.get(); }
    bool InFilterListBox() const { return FInFilterListBox; }
    void SetInFilterListBox(bool Value) { FInFilterListBox = Value; }
    bool EnterNotClearData() const { return FEnterNotClearData; }
    void SetEnterNotClearData(bool Value) { FEnterNotClearData = Value; }
    // Check state of each drop-down row.
    std::vector<bool>& ListValuesCheckingState() { return FListValuesCheckingState; }

    TSTFilterExpressionEh Expression() const { return FExpression; }
    void SetExpression(const TSTFilterExpressionEh& Value);
    // Replaces the condition alone (text kept, nothing repainted): for switching a column's own
    // condition off while the other columns' conditions are read.
    void SetExpressionSilently(const TSTFilterExpressionEh& Value) { FExpression = Value; }
    const String& ExpressionStr() const { return FExpressionStr; }
    // Parses the text; a malformed text raises and leaves the previous condition and text.
    void SetExpressionStr(const String& Value);
    void Clear();

    virtual String ExpressionAsText();
    virtual void ParseExpressionStr(const String& Text);
    virtual String GetFilterFieldName();
    virtual Variant GetOperand1();
    virtual Variant GetOperand2();
    virtual void CheckRecodeKeyList(TSTFilterExpressionEh& Expression, bool DisplayToData);

    String ParseExpression(const String& Text);
    String CurrentKeyField();
    String CurrentDataField();
    TDataSet* CurrentListDataSet();
    String CurrentListField();
    // The distinct values of the list field in the list data set; none while it is not ready.
    std::shared_ptr<IMemTableDataFieldValueListEh> GetFieldValueList();
    void SetKeyListValues(const String& Text, const Variant& KeyValues);
    void SetKeysFromListValues(TStrings* Strings);
    String GetOperandAsString(TSTFilterOperatorEh Operator, const Variant& Operand);

    // The drop-down rows whose object is DataItem are value rows; their check states are
    // ListValuesCheckingState. Builds the filter from the checked rows, or checks the rows the
    // condition names.
    void SetFilterFromCheckedItems(TStrings* Items, TObject* DataItem);
    void CheckItemsFromExpression(TStrings* Items, TObject* DataItem);

    // Reacts to the list data link opening or closing.
    void ListLinkActiveChanged();

private:
    void RecodeLookupOperand(Variant& Operand);
    Variant KeyToDisplay(const Variant& Value);

    ISTFilterColumnEh* FColumn;
    String FDataField;
    String FKeyCommaText;
    String FKeyField;
    std::unique_ptr<TStringList> FKeys;
    Variant FKeyValues = Null();
    std::unique_ptr<TStringList> FList;
    String FListField;
    std::unique_ptr<TDataLink> FListLink;
    bool FVisible = true;
    int FDropDownListWidth = 0;
    int FDropDownListRows = 15;
    int FPopupListboxDownIndex = -1;
    std::unique_ptr<TStringList> FPopupFilterItems;
    TSTFilterExpressionEh FExpression;
    String FExpressionStr;
    std::vector<bool> FListValuesCheckingState;
    bool FInFilterListBox = false;
    bool FEnterNotClearData = false;
};

// ---------------------------------------------------------------------------------------------
// The grid's filter-row settings.

enum TSTFilterLocationEh { stflUnderTitleFilterEh, stflInTitleFilterEh };
enum TDBGridFilterButtonDrawTimeEh { fbdtAlwaysEh, fbdtWhenRowHotEh, fbdtWhenCellHotEh };

// What the filter-row settings need of their grid.
class ISTFilterGridEh {
public:
    virtual ~ISTFilterGridEh() = default;
    virtual TFont* STFilterGridFont() = 0;
    virtual TColor STFilterGridFixedColor() = 0;
    // The colour the grid's line parameters give data lines.
    virtual TColor STFilterGridDataLineColor(bool Horz) = 0;
    virtual bool STFilterGridLoading() = 0;
    // True while the grid copies fonts into its parts itself.
    virtual bool STFilterGridChangingFonts() = 0;
    virtual void STFilterGridLayoutChanged() = 0;
    virtual void STFilterGridInvalidate() = 0;
    // The filter row was shown or hidden: end filter editing when hidden, lay out again, and
    // reload the cell editor when the grid is in editor mode.
    virtual void STFilterGridVisibleChanged(bool Visible) = 0;
    // Row heights: computed from a font, lines and height; the standard one; text and spacing.
    virtual int STFilterGridRowHeight(TFont* Font, int RowLines, int RowHeight) = 0;
    virtual int STFilterGridStdRowHeight() = 0;
    virtual int STFilterGridTextHeight(TFont* Font, const String& Text) = 0;
    virtual int STFilterGridInterlineSpacing() = 0;
    virtual int STFilterGridEditButtonWidth() = 0;
    virtual bool STFilterGridFlat() = 0;
};

class TSTDBGridEhFilter : public TPersistent {
    KVT_CLASS(TSTDBGridEhFilter, TPersistent)
public:
    explicit TSTDBGridEhFilter(ISTFilterGridEh* AGrid);
    ~TSTDBGridEhFilter() override;
    void Assign(TPersistent* Source) override;

    ISTFilterGridEh* Grid() const { return FGrid; }
    bool Local() const { return FLocal; }
    void SetLocal(bool Value) { FLocal = Value; }
    int UpdateCount() const { return FUpateCount; }
    void BeginUpdate() { ++FUpateCount; }
    void EndUpdate();
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool InstantApply() const { return FIsInstantApplyStored ? FInstantApply : FLocal; }
    void SetInstantApply(bool Value);
    bool IsInstantApplyStored() const { return FIsInstantApplyStored; }
    TSTFilterLocationEh Location() const { return FLocation; }
    void SetLocation(TSTFilterLocationEh Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor HorzLineColor() const { return FHorzLineColor; }
    void SetHorzLineColor(TColor Value);
    TColor VertLineColor() const { return FVertLineColor; }
    void SetVertLineColor(TColor Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TDBGridFilterButtonDrawTimeEh FilterButtonDrawTime() const { return FFilterButtonDrawTime; }
    void SetFilterButtonDrawTime(TDBGridFilterButtonDrawTimeEh Value);
    int InplaceEditorButtonHeight() const { return FInplaceEditorButtonHeight; }

    virtual TFont* DefaultFont();
    virtual TColor GetColor();
    virtual TColor GetHorzLineColor();
    virtual TColor GetVertLineColor();
    void RefreshDefaultFont();
    int RowFullRowHeight();
    void UpdateInplaceEditorButtonHeight();

private:
    void FontChanged(TObject* Sender);

    ISTFilterGridEh* FGrid;
    bool FLocal = false;
    int FUpateCount = 0;
    bool FVisible = false;
    bool FIsInstantApplyStored = false;
    bool FInstantApply = false;
    TSTFilterLocationEh FLocation = stflUnderTitleFilterEh;
    bool FParentFont = true;
    int FRowLines = 0;
    int FRowHeight = 0;
    TColor FColor = clDefault;
    TColor FHorzLineColor = clDefault;
    TColor FVertLineColor = clDefault;
    std::unique_ptr<TFont> FFont;
    TDBGridFilterButtonDrawTimeEh FFilterButtonDrawTime = fbdtAlwaysEh;
    int FInplaceEditorButtonHeight = 0;
    bool FFontChanging = false;
};
