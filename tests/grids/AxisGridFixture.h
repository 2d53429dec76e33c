#pragma once
// An axis grid that shows one row per record the way a data grid built on it does: one title
// row, one indicator column, data rows read through the data link's buffer window (the link's
// buffer holds exactly the rows on screen), and a memory table of named columns behind it.

#include "lib/grids/DBAxisGridsEh.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/ui/Forms.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "db/TestDataSet.h" // the data-set layer's small data set (and QString printing)

struct FreeComponent {
    void operator()(TComponent* c) const {
        if (c) c->Free();
    }
};
template <class T> using CompPtr = std::unique_ptr<T, FreeComponent>;

// A column whose cell-parameter hook lets everything through, as the data grid's column does
// when no event is assigned.
class TTestAxisColumn : public TAxisBarEh {
    KVT_CLASS(TTestAxisColumn, TAxisBarEh)
public:
    using TAxisBarEh::TAxisBarEh;
    void GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params) override;
    void SetTextArea(TRect&) override {}
    // Cell-parameter hook for tests: runs after the default (nothing) when set.
    std::function<void(bool, TAxisColCellParamsEh*)> OnParams;
    // The lookup drop-down list the column hands out (the data grid's column makes its own).
    TComponent* ListGrid = nullptr;
    TComponent* GetDataList() override { return ListGrid; }
};

// Line parameters with the defaults a data grid supplies: data lines on, the classic scheme
// unless one is chosen.
class TTestLineParams : public TDBAxisGridLineParamsEh {
    KVT_CLASS(TTestLineParams, TDBAxisGridLineParamsEh)
public:
    using TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh;
    bool DefaultDataHorzLines() override { return true; }
    bool DefaultDataVertLines() override { return true; }
    TDBGridLinesColorSchemeEh GetActualColorScheme() override {
        return ColorScheme() == glcsDefaultEh ? glcsClassicEh : ColorScheme();
    }
};

class TTestAxisGrid : public TCustomDBAxisGridEh {
    KVT_CLASS(TTestAxisGrid, TCustomDBAxisGridEh)
public:
    explicit TTestAxisGrid(TComponent* AOwner);
    ~TTestAxisGrid() override;

    TTestAxisColumn* Column(int i) { return static_cast<TTestAxisColumn*>(AxisBars()->AxisBar(i)); }
    int ReadSelectedIndex() override;
    void SetSelectedIndex(int Value) override;
    TFont* GetTitleFont() override { return FTitleFont.get(); }
    void SetTitleFont(TFont* Value) override { FTitleFont->Assign(Value); }
    TGridAxisBarsEh* CreateAxisBars() override;
    void GetBarCellCoord(TAxisBarEh* Column, int& ACol, int& ARow) override;
    bool IsEditorAlwaysShown() override { return false; }
    void InvalidateEditorPublic() { InvalidateEditor(); }

    // Every paint pass: cells drawn and the data rows read through the link.
    int DataCellsDrawn = 0;
    int LayoutRebuilds = 0;
    bool ThrowInRebuild = false;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void LinkActiveChanged(bool Active) override;
    void LinkDataSetChanged() override;
    void LinkDataSetScrolled(int Distance) override;
    void RebuildLayout() override;
    void MoveToCell(int ACol, int ARow, bool MoveAnchor) override;
    String GetEditText(int ACol, int ARow) override;
    String GetEditMask(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    void Resize() override;
    bool CanEditModify() override { return PrepareCellEdit(); }
    TGridLineColorsEh* CreateGridLineColors() override { return new TTestLineParams(this); }
    void KeyDown(Word& Key, TShiftState Shift) override;

public:
    // Matches the grid to the data: row count, buffer window and the current row.
    void SyncToData();

private:
    std::unique_ptr<TFont> FTitleFont;
};

// A memory table with an integer key, a name, an amount, a flag and a memo.
struct AxisTable {
    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* T = nullptr;
    TDataSource* DS = nullptr;
    TIntegerField* ID = nullptr;
    TStringField* Name = nullptr;
    TIntegerField* Amount = nullptr;
    TBooleanField* Flag = nullptr;
    TStringField* Code = nullptr;
    int CalcCount = 0;
    TStringField* Calc = nullptr;
    TDateTimeField* Born = nullptr;

    explicit AxisTable(int rows = 0, bool withCalc = false, bool withDate = false);
    void Append(int id, const QString& name, const Variant& amount, const Variant& flag, const QString& code);
    template <class F> F* Add(const char* name, int size);
};

// A grid on a form over an AxisTable.
struct AxisGridFixture : public ::testing::Test {
    std::unique_ptr<AxisTable> Data;
    CompPtr<TForm> Form;
    TTestAxisGrid* Grid = nullptr;

    void Build(int rows, bool withCalc = false, bool show = true, bool withDate = false);
    void TearDown() override;
};

// Saves a control's window as a PNG under <build>/screenshots; answers the path.
QString SaveControlScreenshot(TWinControl* c, const QString& name);
// The window with a drop-down that is showing over it, as the user sees them together.
QString SaveDroppedDownScreenshot(TWinControl* window, TWinControl* dropDown, const QString& name);
// Runs the Qt and platform queues once.
void PumpGridEvents();
