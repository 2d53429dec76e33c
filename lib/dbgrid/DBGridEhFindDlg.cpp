// The find dialog: its layout, the look-in list of the grid's visible columns and the mapping
// of its choices to the grid's text search.

#include "lib/dbgrid/DBGridEhFindDlg.h"

#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/tools/DBCtrlsEh.h"

#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinApi.h"

namespace {

TDBGridEhFindDlg* TheFindDialog = nullptr;

template <class T> T* Place(T* Control, TWinControl* Parent, const char* Name, int L, int T_, int W, int H) {
    Control->SetName(QString::fromLatin1(Name));
    Control->SetParent(Parent);
    Control->SetBounds(L, T_, W, H);
    return Control;
}

TLabel* MakeLabel(TWinControl* Parent, const char* Name, const char* Caption, int L, int T_) {
    auto* label = Place(new TLabel(Parent), Parent, Name, L, T_, 0, 0);
    label->SetAutoSize(true);
    label->SetCaption(QString::fromUtf8(Caption));
    return label;
}

TDBComboBoxEh* MakeCombo(TWinControl* Parent, const char* Name, int L, int T_, int W,
                         std::initializer_list<const char*> Items, int ItemIndex) {
    auto* box = Place(Create<TDBComboBoxEh>(Parent), Parent, Name, L, T_, W, 21);
    for (const char* i : Items)
        box->Items()->Add(QString::fromUtf8(i));
    if (Items.size()) {
        box->KeyItems()->Assign(box->Items());
        box->SetItemIndex(ItemIndex);
    }
    return box;
}

const char* const SAllColumns = "<All>";

} // namespace

TDBGridEhFindDlg::TDBGridEhFindDlg(TComponent* AOwner) : TCustomForm(AOwner, 0) {
    SetName(QStringLiteral("DBGridEhFindDlg"));
    SetCaption(QString::fromUtf8("Поиск"));
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetClientWidth(467);
    SetClientHeight(141);
    SetKeyPreview(true);
    // Designed in Tahoma 8; the face then becomes the platform's default one.
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetHeight(-11);
    Font()->SetName(QString::fromLatin1(DefFontName));

    Label1 = MakeLabel(this, "Label1", "&Образец:", 9, 11);
    cbText = MakeCombo(this, "cbText", 81, 8, 292, {}, -1);
    cbText->DropDownBox()->Rows = 17;
    cbText->DropDownBox()->Sizable = true;
    Label2 = MakeLabel(this, "Label2", "&Поиск в:", 9, 32);
    cbFindIn = MakeCombo(this, "cbFindIn", 81, 29, 178, {}, -1);
    cbFindIn->DropDownBox()->Rows = 17;
    cbFindIn->DropDownBox()->Sizable = true;
    cbMatchType = MakeLabel(this, "cbMatchType", "&Совпадение:", 9, 53);
    cbMatchinType = MakeCombo(this, "cbMatchinType", 81, 51, 134,
                              {"С любой части поля", "Поля целиком", "С начала поля"}, 0);
    Label3 = MakeLabel(this, "Label3", "Прос&мотр:", 9, 76);
    cbFindDirection = MakeCombo(this, "cbFindDirection", 81, 73, 134, {"Вверх", "Вниз", "Все"}, 2);
    cbCharCase = Place(Create<TDBCheckBoxEh>(this), this, "cbCharCase", 81, 97, 134, 17);
    cbCharCase->SetCaption(QString::fromUtf8("С учетом ре&гистра"));
    cbUseFormat = Place(Create<TDBCheckBoxEh>(this), this, "cbUseFormat", 240, 97, 133, 17);
    cbUseFormat->SetCaption(QString::fromUtf8("С у&четом формата"));
    cbUseFormat->SetCheckedState(true);
    Label4 = MakeLabel(this, "Label4", "Искать в дереве:", 8, 119);
    dbcTreeFindRange =
        MakeCombo(this, "dbcTreeFindRange", 112, 115, 140,
                  {"Во всех ветвях", "В раскрытых ветвях", "В текущем уровне", "В текущей ветке"}, 0);
    bFind = Place(new TButton(this), this, "bFind", 380, 8, 80, 25);
    bFind->SetCaption(QString::fromUtf8("На&йти далее"));
    bCancel = Place(new TButton(this), this, "bCancel", 380, 35, 80, 25);
    bCancel->SetCaption(QString::fromUtf8("Закрыть"));
    bCancel->SetCancel(true);
    bCancel->SetModalResult(mrCancel);

    int order = 0;
    for (TWinControl* c :
         std::initializer_list<TWinControl*>{cbText, cbFindIn, cbMatchinType, cbFindDirection, cbCharCase,
                                             cbUseFormat, bFind, bCancel, dbcTreeFindRange})
        c->SetTabOrder(order++);

    bFind->OnClick = TNotifyEvent(this, &TDBGridEhFindDlg::bFindClick);
    bCancel->OnClick = TNotifyEvent(this, &TDBGridEhFindDlg::bCancelClick);
    cbFindIn->OnChange = TNotifyEvent(this, &TDBGridEhFindDlg::cbFindInChange);
    cbText->OnChange = TNotifyEvent(this, &TDBGridEhFindDlg::cbTextChange);
    cbFindDirection->OnChange = TNotifyEvent(this, &TDBGridEhFindDlg::cbTextChange);
    dbcTreeFindRange->OnChange = TNotifyEvent(this, &TDBGridEhFindDlg::cbTextChange);
    OnKeyDown = TKeyEvent(this, &TDBGridEhFindDlg::FormKeyDown);
    FSourceHeight = Height();
}

TDBGridEhFindDlg::~TDBGridEhFindDlg() {
    if (TheFindDialog == this) TheFindDialog = nullptr;
}

void TDBGridEhFindDlg::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FGrid) {
        // The look-in list's columns are the grid's: none is read again before the next Execute.
        FGrid = nullptr;
        if (FFindColumnsList) FFindColumnsList->Clear();
    }
}

void TDBGridEhFindDlg::Execute(TCustomDBGridEh* AGrid, const String& Text, bool Modal) {
    TDataSet* ds = AGrid && AGrid->DataSource() ? AGrid->DataSource()->DataSet() : nullptr;
    IMemTableEh* mt = ds && ds->Active() ? AGrid->IntMemTable() : nullptr;
    const bool tree = mt && mt->GetViewAsTreeList();
    if (tree) {
        SetHeight(FSourceHeight);
    } else {
        SetClientHeight(dbcTreeFindRange->Top());
    }
    Label4->SetVisible(tree);
    dbcTreeFindRange->SetVisible(tree);

    cbText->SetText(Text);
    if (FGrid != AGrid) {
        if (FGrid) FGrid->RemoveFreeNotification(this);
        FGrid = AGrid;
        if (FGrid) FGrid->FreeNotification(this);
    }
    FillColumnsList();
    TColumnEh* sel = AGrid ? AGrid->SelectedColumn() : nullptr;
    cbFindIn->SetItemIndex(sel ? cbFindIn->Items()->IndexOf(sel->Title()->Caption()) : -1);
    IsFirstTry = true;
    if (Visible()) Close();
    FillFindColumnsList();
    // The pattern box is first in the tab order: a modal show starts in it.
    if (Modal) {
        SetFormStyle(fsNormal);
        ShowModal();
    } else {
        SetFormStyle(fsStayOnTop);
        Show();
        if (cbText->CanFocus()) SetActiveControl(cbText);
        if (CanFocus()) SetFocus();
    }
}

void TDBGridEhFindDlg::FillColumnsList() {
    const TNotifyEvent saved = cbFindIn->OnChange;
    cbFindIn->OnChange = nullptr;
    struct Restore {
        TDBComboBoxEh* box;
        TNotifyEvent ev;
        ~Restore() { box->OnChange = ev; }
    } restore{cbFindIn, saved};
    TStrings* items = cbFindIn->Items();
    items->Clear();
    if (!FColumnFields.empty()) {
        for (TColumnEh* c : FColumnFields)
            items->AddObject(c->Title()->Caption(), c);
    } else if (FGrid) {
        for (int i = 0; i < FGrid->VisibleColumnCount(); ++i) {
            TColumnEh* c = FGrid->VisibleColumn(i);
            items->AddObject(c->Title()->Caption(), c);
        }
    }
    items->Add(QString::fromLatin1(SAllColumns));
    cbFindIn->KeyItems()->Assign(items);
}

void TDBGridEhFindDlg::FillFindColumnsList() {
    if (!FFindColumnsList) FFindColumnsList = std::make_unique<TColumnsEhList>();
    FFindColumnsList->Clear();
    TStrings* items = cbFindIn->Items();
    if (cbFindIn->ItemIndex() < 0) cbFindIn->SetItemIndex(items->Count() - 1);
    const int i = cbFindIn->ItemIndex();
    if (i == items->Count() - 1) {
        for (int k = 0; k < items->Count() - 1; ++k)
            FFindColumnsList->Add(items->Objects(k));
    } else if (i >= 0) {
        FFindColumnsList->Add(items->Objects(i));
    }
    cbTextChange(cbFindIn);
}

void TDBGridEhFindDlg::cbTextChange(TObject*) {
    IsFirstTry = true;
}

void TDBGridEhFindDlg::cbFindInChange(TObject*) {
    FillFindColumnsList();
}

void TDBGridEhFindDlg::bCancelClick(TObject*) {
    Close();
}

void TDBGridEhFindDlg::bFindClick(TObject*) {
    FindNextMatch(GetKeyState(VK_CONTROL) < 0);
}

bool TDBGridEhFindDlg::FindNextMatch(bool Reverse) {
    const String pattern = cbText->Text();
    if (cbText->Items()->IndexOf(pattern) < 0) cbText->Items()->Add(pattern);
    if (!FGrid || !FGrid->DataSource() || !FGrid->DataSource()->DataSet() ||
        !FGrid->DataSource()->DataSet()->Active())
        return false;
    TLocateTextDirectionEh dir = ltdAllEh;
    switch (cbFindDirection->ItemIndex()) {
    case 0:
        dir = ltdUpEh;
        break;
    case 1:
        dir = ltdDownEh;
        break;
    default:
        break;
    }
    if (Reverse) dir = dir == ltdUpEh ? ltdDownEh : ltdUpEh;
    // The first press searches everything; later presses go on downwards.
    if (!IsFirstTry && dir == ltdAllEh) dir = ltdDownEh;
    TLocateTextMatchingEh matching = ltmAnyPartEh;
    if (cbMatchinType->ItemIndex() == 1) matching = ltmWholeEh;
    if (cbMatchinType->ItemIndex() == 2) matching = ltmFromBegingEh;
    const int look = cbFindIn->ItemIndex();
    const bool all = look < 0 || look == cbFindIn->Items()->Count() - 1;
    String fieldName;
    if (!all) {
        auto* c = static_cast<TColumnEh*>(cbFindIn->Items()->Objects(look));
        if (c) fieldName = c->FieldName();
    }
    const TLocateTextTreeFindRangeEh range =
        TLocateTextTreeFindRangeEh(std::max(0, dbcTreeFindRange->ItemIndex()));
    TLocateTextOptionsEh opts;
    if (!cbCharCase->Checked()) opts.Include(ltoCaseInsensitiveEh);
    if (cbUseFormat->Checked()) opts.Include(ltoMatchFormatEh);
    if (all) opts.Include(ltoAllFieldsEh);
    const bool found = FGrid->LocateText(FGrid, fieldName, pattern, opts, dir, matching, range);
    if (found) IsFirstTry = false;
    return found;
}

void TDBGridEhFindDlg::FormKeyDown(TObject*, Word& Key, TShiftState) {
    if (Key != VK_RETURN && Key != VK_ESCAPE) return;
    // An active control that wants the key (an open drop-down list) keeps it.
    if (TWinControl* ac = ActiveControl()) {
        if (ac->Perform(CM_WANTSPECIALKEY, Key, 0) != 0) return;
        if (auto* combo = dynamic_cast<TCustomDBComboBoxEh*>(ac); combo && combo->ListVisible()) return;
    }
    if (Key == VK_ESCAPE) {
        if (FormState().Contains(fsModal)) return;
        Close();
    } else {
        FindNextMatch(false);
    }
    cbText->SetModified(false);
    Key = 0;
}

TDBGridEhFindDlg* DBGridEhFindDlg() {
    return TheFindDialog;
}

void ExecuteFindDialog(TCustomDBGridEh* AGrid, const String& Text, bool Modal) {
    if (!TheFindDialog) TheFindDialog = new TDBGridEhFindDlg(Application);
    TheFindDialog->Execute(AGrid, Text, Modal);
}

KVT_REGISTER_CLASS(TDBGridEhFindDlg)
