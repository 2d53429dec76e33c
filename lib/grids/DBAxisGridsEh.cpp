// The data-aware axis grid: construction, data source and field binding, the two layout locks
// and the layout rebuild, streaming and the deferred layout message.
//
// Every change of columns, fields or options ends in one rebuild: at once when no lock is held,
// at the end of the outermost layout lock, or when the last update lock goes. The locks are
// counted in ints and released by scope guards, so a failing rebuild leaves them balanced.

#include "lib/grids/DBAxisGridsEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {
constexpr UINT WM_DEFERRED_LAYOUT = WM_USER + 100; // 1124
constexpr UINT kDesignGridNotifyMessage = 45111;

// Two column collections are alike when they stream alike.
bool SameColumnStreams(TGridAxisBarsEh* a, TGridAxisBarsEh* b) {
    TMemoryStream sa, sb;
    a->SaveToStream(&sa);
    b->SaveToStream(&sb);
    return sa.Size() == sb.Size() && std::memcmp(sa.Memory(), sb.Memory(), size_t(sa.Size())) == 0;
}
} // namespace

void RaiseInvalidGridOperation(const String& Message) {
    throw EInvalidGridOperationEh(Message);
}

int AxisFlatEditButtonWidth() {
    // Two thirds of the screen font's height, never wider than a vertical scroll bar.
    TFont f;
    const int h = std::abs(f.Height()) * 96 / std::max(1, f.PixelsPerInch()) + 4;
    int w = h * 2 / 3;
    if (ThemesInUse()) {
        if (w % 2 == 0) ++w;
    } else if (w % 2 != 0) {
        ++w;
    }
    return std::min(w, GetSystemMetrics(SM_CXVSCROLL));
}

// ---------------------------------------------------------------------------------------------
// Construction

TCustomDBAxisGridEh::TCustomDBAxisGridEh(TComponent* AOwner) : TCustomGridEh(AOwner) {
    TCustomGridEh::FDefaultDrawing = false; // the base grid's own flag: data cells are drawn here
    VirtualView = true;
    FDummiFont = std::make_unique<TFont>();
    FDynProps = std::make_unique<TDynVarsEh>(this);
    FVisibleAxisBars = std::make_unique<TAxisBarsEhList>();
}

void TCustomDBAxisGridEh::AfterConstruction() {
    TCustomGridEh::AfterConstruction();
    FColumnDefValues.reset(CreateAxisBarDefValues());
    FAxisBars.reset(CreateAxisBars());
    SetRowCount(2);
    SetColCount(2);
    FDataLink.reset(CreateDataLink());
    SetColor(clWindow);
    SetParentColor(false);
    FColCellParamsEh.reset(CreateCellParamsRecord());
    FBorder = std::make_unique<TControlBorderEh>(this);
    FInplaceEditorButtonHeight = GetSystemMetrics(SM_CXVSCROLL);
    FInplaceEditorButtonWidth = GetSystemMetrics(SM_CXVSCROLL);
}

TCustomDBAxisGridEh::~TCustomDBAxisGridEh() {
    FDestroying = true;
    if (FDataLink) FDataLink->SetDataSource(nullptr);
    FIntMemTable = nullptr;
    FAxisBars.reset();
    FColumnDefValues.reset();
    FVisibleAxisBars.reset();
    FDataLink.reset();
}

void TCustomDBAxisGridEh::BeforeDestruction() {
    FDestroying = true;
    if (FDataLink) {
        HideEditor();
        FDataLink->SetDataSource(nullptr);
    }
    FIntMemTable = nullptr;
    TCustomGridEh::BeforeDestruction();
}

TAxisBarDefValuesEh* TCustomDBAxisGridEh::CreateAxisBarDefValues() {
    return Create<TAxisBarDefValuesEh>(this);
}

TGridAxisBarsEh* TCustomDBAxisGridEh::CreateAxisBars() {
    return new TGridAxisBarsEh(this, CollectionItemClassOf<TAxisBarEh>());
}

TAxisGridDataLinkEh* TCustomDBAxisGridEh::CreateDataLink() {
    return new TAxisGridDataLinkEh(this);
}

TInplaceEdit* TCustomDBAxisGridEh::CreateEditor() {
    return new TDBAxisGridInplaceEdit(this);
}

TGridLineColorsEh* TCustomDBAxisGridEh::CreateGridLineColors() {
    return new TDBAxisGridLineParamsEh(this);
}

int TCustomDBAxisGridEh::GetFixedCellStyle() {
    if (Flat()) return 2;
    return ThemesInUse() ? 1 : 2;
}

TColor TCustomDBAxisGridEh::GetSelectionColor() {
    return TColor(ColorToRGB(clHighlight));
}

void TCustomDBAxisGridEh::FlatChanged() {
    TCustomGridEh::FlatChanged();
    FInterlinear = Flat() ? 2 : 4;
}

// ---------------------------------------------------------------------------------------------
// Data source and fields

void TCustomDBAxisGridEh::WriteDataSource(TDataSource* Value) {
    if (Value == FDataLink->DataSource()) return;
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    LinkActiveChanged(FDataLink->Active());
}

void TCustomDBAxisGridEh::SetTryUseMemTableInt(bool Value) {
    if (Value == FTryUseMemTableInt) return;
    FTryUseMemTableInt = Value;
    UpdateIntMemTable();
}

void TCustomDBAxisGridEh::UpdateIntMemTable() {
    IMemTableEh* mt = nullptr;
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (FTryUseMemTableInt && ds && FDataLink->Active()) Supports(ds, &mt);
    FIntMemTable = mt;
}

void TCustomDBAxisGridEh::LinkActiveChanged(bool Active) {
    UpdateIntMemTable();
    if (!Active) HideEditor();
    RequestLayoutUpdate();
    if (Active && IsEditorAlwaysShown()) ShowEditor();
}

TAxisBarEh* TCustomDBAxisGridEh::SelectedAxisBar() {
    const int i = ReadSelectedIndex();
    return FAxisBars && i >= 0 && i < FAxisBars->Count() ? FAxisBars->AxisBar(i) : nullptr;
}

TField* TCustomDBAxisGridEh::SelectedField() {
    TAxisBarEh* bar = SelectedAxisBar();
    return bar ? bar->Field() : nullptr;
}

void TCustomDBAxisGridEh::SetSelectedField(TField* Value) {
    if (!Value) return;
    for (int i = 0; i < FAxisBars->Count(); ++i)
        if (FAxisBars->AxisBar(i)->Field() == Value) {
            const int index = SelectedIndexOfAxisBar(FAxisBars->AxisBar(i), i);
            if (index >= 0) SetSelectedIndex(index);
            return;
        }
}

TAxisBarEh* TCustomDBAxisGridEh::FindFieldColumn(const String& FieldName) {
    for (int i = 0; i < FAxisBars->Count(); ++i)
        if (AnsiCompareText(FAxisBars->AxisBar(i)->FieldName(), FieldName) == 0) return FAxisBars->AxisBar(i);
    return nullptr;
}

TAxisBarEh* TCustomDBAxisGridEh::GetFieldAxisBars(const String& FieldName) {
    TAxisBarEh* c = FindFieldColumn(FieldName);
    if (!c) RaiseInvalidGridOperation(QStringLiteral("Имя поля '%1' не найдено").arg(FieldName));
    return c;
}

void TCustomDBAxisGridEh::ListFieldsForBars(std::vector<TField*>& List) {
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!ds) return;
    for (int i = 0; i < ds->FieldCount(); ++i)
        List.push_back(ds->Fields()->Fields(i));
}

void TCustomDBAxisGridEh::BuildFieldMap() {
    if (FAxisBars->State() == csCustomized) {
        FDataLink->SetSparseMap(true);
        for (int i = 0; i < FAxisBars->Count(); ++i)
            FDataLink->AddMapping(FAxisBars->AxisBar(i)->FieldName());
    } else {
        FDataLink->SetSparseMap(false);
        TDataSet* ds = FDataLink->DataSet();
        for (int i = 0; i < ds->FieldCount(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            if (f->Visible()) FDataLink->AddMapping(f->FieldName());
        }
    }
    assert(FDataLink->CheckConsistency());
}

void TCustomDBAxisGridEh::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGridEh::Notification(AComponent, Operation);
    if (Operation != opRemove || !FAxisBars) return;
    if (auto* menu = dynamic_cast<TPopupMenu*>(AComponent)) {
        for (int i = 0; i < FAxisBars->Count(); ++i) {
            TAxisBarEh* c = FAxisBars->AxisBar(i);
            if (c->FPopupMenu == menu) c->FPopupMenu = nullptr;
            if (c->Title()->PopupMenu() == menu) c->Title()->ForgetPopupMenu();
        }
    }
    if (auto* images = dynamic_cast<TCustomImageList*>(AComponent)) {
        for (int i = 0; i < FAxisBars->Count(); ++i)
            if (FAxisBars->AxisBar(i)->ImageList() == images) FAxisBars->AxisBar(i)->FImageList = nullptr;
    }
    if (auto* src = dynamic_cast<TDataSource*>(AComponent)) {
        for (int i = 0; i < FAxisBars->Count(); ++i)
            FAxisBars->AxisBar(i)->DropDownBox()->SourceRemoved(src);
        if (FDataLink && src == FDataLink->DataSource()) SetDataSource(nullptr);
    }
    if (auto* field = dynamic_cast<TField*>(AComponent)) {
        bool uses = false;
        for (int i = 0; i < FAxisBars->Count() && !uses; ++i)
            uses = FAxisBars->AxisBar(i)->FField == field;
        if (!uses) return;
        BeginLayout();
        bool finished = false;
        try {
            for (int i = 0; i < FAxisBars->Count(); ++i)
                if (FAxisBars->AxisBar(i)->FField == field) FAxisBars->AxisBar(i)->WriteField(nullptr);
        } catch (...) {
            EndLayout();
            throw;
        }
        TDataSet* ds = FDataLink->DataSet();
        if (ds && !ds->ControlsDisabled()) {
            EndLayout();
            finished = true;
        }
        if (!finished) FinishDeferredLayout();
    }
}

void TCustomDBAxisGridEh::SetDrawGraphicData(bool Value) {
    if (Value == FDrawGraphicData) return;
    FDrawGraphicData = Value;
    RequestLayoutUpdate();
}

void TCustomDBAxisGridEh::SetDrawMemoText(bool Value) {
    if (Value == FDrawMemoText) return;
    FDrawMemoText = Value;
    RequestLayoutUpdate();
}

void TCustomDBAxisGridEh::SetAllowedOperations(TDBGridEhAllowedOperations Value) {
    if (Value == FAllowedOperations) return;
    FAllowedOperations = Value;
    if (!FDestroying) FDataLink->LayoutChanged();
}

void TCustomDBAxisGridEh::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    Invalidate();
    if (!ComponentState().Contains(csReading)) UpdateColumnWidths();
}

void TCustomDBAxisGridEh::SetSelectedIndex(int) {
    throw Exception(
        QStringLiteral(" TCustomDBAxisGridEh.SetSelectedIndex must be realized in the inherited class."));
}

void TCustomDBAxisGridEh::SetTitleFont(TFont*) {
    throw Exception(QStringLiteral("Write TCustomDBAxisGridEh.SetTitleFont in the inherited class"));
}

TFont* TCustomDBAxisGridEh::GetTitleFont() {
    throw Exception(QStringLiteral("Write TCustomDBAxisGridEh.GetTitleFont in the inherited class"));
}

void TCustomDBAxisGridEh::GetBarCellCoord(TAxisBarEh*, int& ACol, int& ARow) {
    ACol = Col();
    ARow = Row();
}

String TCustomDBAxisGridEh::GetEditMask(int, int) {
    return QStringLiteral("Must be rewrited in the inherited class");
}

String TCustomDBAxisGridEh::GetEditText(int, int) {
    return QStringLiteral("Must be rewrited in the inherited class");
}

void TCustomDBAxisGridEh::SetEditText(int, int, const String& Value) {
    FEditText = Value;
}

// ---------------------------------------------------------------------------------------------
// Layout locks

void TCustomDBAxisGridEh::LockUpdate() {
    if (FUpdateLock == 0) FLayoutChangedInUpdateLock = false;
    ++FUpdateLock;
}

void TCustomDBAxisGridEh::UnlockUpdate() {
    if (FUpdateLock > 0) --FUpdateLock;
    if (FUpdateLock == 0 && FLayoutChangedInUpdateLock) {
        FLayoutChangedInUpdateLock = false;
        RequestLayoutUpdate();
    }
}

void TCustomDBAxisGridEh::BeginLayout() {
    LockUpdate();
    if (FLayoutLock == 0) FAxisBars->BeginUpdate();
    ++FLayoutLock;
}

void TCustomDBAxisGridEh::EndLayout() {
    if (FLayoutLock == 0) return;
    struct Release {
        TCustomDBAxisGridEh* g;
        bool endCollection = false;
        ~Release() noexcept(false) {
            if (endCollection) {
                g->FAxisBars->EndUpdate();
                g->FLayoutChangedInUpdateLock = false;
            }
            --g->FLayoutLock;
            g->UnlockUpdate();
        }
    } guard{this};
    if (FLayoutLock == 1) {
        try {
            RebuildLayout();
        } catch (...) {
            guard.endCollection = true;
            throw;
        }
        guard.endCollection = FLayoutLock == 1;
    }
}

bool TCustomDBAxisGridEh::BeginLayoutIfUnlocked() {
    if (FLayoutLock != 0 || FUpdateLock != 0) return false;
    BeginLayout();
    return true;
}

void TCustomDBAxisGridEh::RequestLayoutUpdate() {
    if (BeginLayoutIfUnlocked())
        EndLayout();
    else if (FUpdateLock > 0)
        FLayoutChangedInUpdateLock = true;
}

void TCustomDBAxisGridEh::ReleaseLayoutLock() {
    if (FLayoutLock <= 0) return;
    if (FLayoutLock == 1) FAxisBars->EndUpdate();
    --FLayoutLock;
    UnlockUpdate();
}

void TCustomDBAxisGridEh::FinishDeferredLayout() {
    if (HandleAllocated()) {
        MSG msg{};
        if (!PeekMessage(&msg, Handle(), WM_DEFERRED_LAYOUT, WM_DEFERRED_LAYOUT, PM_NOREMOVE))
            PostMessage(Handle(), WM_DEFERRED_LAYOUT, 0, 0);
    }
    // Releasing the layout lock also gives back its update lock; a second update unlock here
    // would take one that belongs to the caller.
    ReleaseLayoutLock();
}

void TCustomDBAxisGridEh::HandleDeferredLayout() {
    if (BeginLayoutIfUnlocked()) {
        EndLayout();
        return;
    }
    // Someone is inside a layout: the rebuild waits for the last update lock, whose owner
    // releases it. The locks are never taken from it here.
    if (FUpdateLock > 0) FLayoutChangedInUpdateLock = true;
}

void TCustomDBAxisGridEh::Loaded() {
    TCustomGridEh::Loaded();
    RequestLayoutUpdate();
    FinishDeferredLayout();
}

void TCustomDBAxisGridEh::RebuildLayout() {
    if (ComponentState().Contains(csLoading) || FDestroying) return;
    if (HandleAllocated()) {
        MSG msg{};
        PeekMessage(&msg, Handle(), WM_DEFERRED_LAYOUT, WM_DEFERRED_LAYOUT, PM_REMOVE);
    }
    LockPaint();
    struct Unlock {
        TCustomDBAxisGridEh* g;
        ~Unlock() noexcept(false) { g->UnlockPaint(); }
    } paintGuard{this};
    ++FRebuildCount;

    TGridAxisBarsEh* bars = FAxisBars.get();
    // Generated columns in front of stored ones are dropped.
    bool generatedBeforeStored = false;
    for (int i = 0, firstGenerated = -1; i < bars->Count(); ++i) {
        if (!bars->AxisBar(i)->FStored && firstGenerated < 0) firstGenerated = i;
        if (bars->AxisBar(i)->FStored && firstGenerated >= 0) generatedBeforeStored = true;
    }
    if (generatedBeforeStored)
        for (int i = bars->Count() - 1; i >= 0; --i)
            if (!bars->AxisBar(i)->FStored) bars->Delete(i);

    FDataLink->ClearMapping();
    if (FDataLink->Active()) BuildFieldMap();

    if (bars->State() == csCustomized) {
        for (int i = 0; i < bars->Count(); ++i)
            bars->AxisBar(i)->WriteField(nullptr);
    } else {
        if (FDataLink->Active() || !FDataLink->DefaultFields()) {
            for (int i = bars->Count() - 1; i >= 0; --i) {
                TField* f = bars->AxisBar(i)->Field();
                bool mapped = false;
                for (int k = 0; k < FDataLink->FieldCount() && f && !mapped; ++k)
                    mapped = FDataLink->Fields(k) == f;
                if (!f || !mapped) bars->Delete(i);
            }
        } else {
            bars->Clear();
        }
        if (bars->State() == csDefault) {
            int n = FDataLink->FieldCount();
            if (n == 0 && bars->Count() == 0) n = 1;
            for (int i = 0; i < n; ++i) {
                TField* f = FDataLink->Fields(i);
                TAxisBarEh* bar = nullptr;
                if (f) {
                    for (int j = i; j < bars->Count() && !bar; ++j)
                        if (bars->AxisBar(j)->Field() == f) bar = bars->AxisBar(j);
                    if (!bar) {
                        bar = bars->AddDefaultBar();
                        bar->WriteField(f);
                    }
                } else {
                    bar = bars->AddDefaultBar();
                }
                bar->TCollectionItem::SetIndex(i);
            }
        } else if (!bars->KeepCustomizedBars()) {
            bars->Clear();
            for (int i = 0; i < FDataLink->FieldCount(); ++i)
                if (TField* f = FDataLink->Fields(i)) bars->AddDefaultBar()->WriteField(f);
        } else if (bars->Count() == 0) {
            bars->AddDefaultBar();
        }
    }
    FVisibleAxisBars->Clear();
}

void TCustomDBAxisGridEh::DefineProperties(TFiler* Filer) {
    TCustomGridEh::DefineProperties(Filer);
    auto* ancestor = dynamic_cast<TCustomDBAxisGridEh*>(Filer->Ancestor());
    bool store;
    if (!ancestor)
        store = FAxisBars->State() == csCustomized;
    else
        store = ancestor->FAxisBars->State() != FAxisBars->State() ||
                !SameColumnStreams(FAxisBars.get(), ancestor->FAxisBars.get());
    Filer->DefineProperty(
        GetAxisBarsPropertyName(),
        [this](TReader* r) {
            FAxisBars->Clear();
            r->ReadValue();
            r->ReadCollection(FAxisBars.get());
        },
        [this](TWriter* w) { w->WriteCollection(FAxisBars.get()); }, store);
    Filer->DefineProperty(
        QStringLiteral("DesignInfoCollection"),
        [this](TReader* r) {
            if (FDesignInfoCollection) {
                r->ReadValue();
                r->ReadCollection(FDesignInfoCollection.get());
            } else {
                r->SkipValue();
            }
        },
        [this](TWriter* w) { w->WriteCollection(FDesignInfoCollection.get()); },
        FDesignInfoCollection && FDesignInfoCollection->Count() > 0);
}

void TCustomDBAxisGridEh::ChangeScale(int M, int D) {
    if (M != D) {
        if (!ParentFont()) {
            try {
                if (TFont* tf = GetTitleFont()) tf->SetSize(MulDiv(Font()->Size(), M, D));
            } catch (const Exception&) {
                // The axis grid alone has no title font.
            }
        }
        FAxisBars->BeginUpdate();
        try {
            for (int i = 0; i < FAxisBars->Count(); ++i) {
                TAxisBarEh* c = FAxisBars->AxisBar(i);
                if (c->AssignedValues().Contains(cvFont)) c->Font()->SetSize(MulDiv(c->Font()->Size(), M, D));
                if (c->AssignedValues().Contains(cvTitleFont))
                    c->Title()->Font()->SetSize(MulDiv(c->Title()->Font()->Size(), M, D));
            }
        } catch (...) {
            FAxisBars->EndUpdate();
            throw;
        }
        FAxisBars->EndUpdate();
    }
    TCustomGridEh::ChangeScale(M, D);
}

void TCustomDBAxisGridEh::CreateWnd() {
    LockUpdate();
    struct Unlock {
        TCustomDBAxisGridEh* g;
        ~Unlock() noexcept(false) { g->UnlockUpdate(); }
    } guard{this};
    TCustomGridEh::CreateWnd();
    FInplaceEditorButtonWidth = Flat() ? AxisFlatEditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
    FOriginalImeName = ImeName();
    FOriginalImeMode = ImeMode();
    NotifyDesignControls();
}

void TCustomDBAxisGridEh::NotifyDesignControls() {
    // Controls placed on the grid in the designer learn which grid they sit on.
    if (!ComponentState().Contains(csDesigning) || ComponentState().Contains(csLoading)) return;
    TMessage m{kDesignGridNotifyMessage, 0, LPARAM(this), 0};
    Broadcast(m);
}

// ---------------------------------------------------------------------------------------------
// Other operations

int TCustomDBAxisGridEh::SafeMoveTop(int ATop, bool) {
    const int last = RowCount() - 1;
    int top = std::clamp(ATop, FixedRows(), std::max(FixedRows(), last));
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridAxisDrawInfoEh& v = di.Vert;
    // The smallest top row whose page still ends with the last row fully visible.
    int result = last;
    if (last >= FixedRows()) {
        int line = v.GridExtent + v.EffectiveLineWidth;
        for (int c = last; c >= FixedRows(); --c) {
            const int h = RowHeights(c);
            if (h <= 0) continue;
            line -= h + v.EffectiveLineWidth;
            if (line < v.FixedBoundary) {
                if (result == last && RowHeights(last) <= 0) result = c;
                break;
            }
            result = c;
        }
    }
    return std::min(top, result);
}

bool TCustomDBAxisGridEh::IsMouseInRect(const TRect& ARect) {
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    return PtInRect(ARect, p);
}

void TCustomDBAxisGridEh::InvalidateRowCells(int ARow) {
    for (int c = 0; c < GetFullColCount(); ++c)
        InvalidateCell(c, ARow);
}

void TCustomDBAxisGridEh::Invalidate() {
    if (FDestroying) return;
    TCustomGridEh::Invalidate();
}

void TCustomDBAxisGridEh::DoEditButtonClick() {
    if (OnEditButtonClick.Assigned()) OnEditButtonClick(this);
}
