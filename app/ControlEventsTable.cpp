// The events table of the interface block's page, and its handlers on the main window.

#include "app/ControlEventsTable.h"
#include "app/MainUnit.h"

#include "events/EventEditUnit.h"
#include "lib/dbgrid/DBGridEh.h"
#include "lib/lang/LangUnit.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WinApi.h"

namespace {

template <class F>
F* AddField(TMemTableEh* Table, TComponent* Owner, const char* Name, int Size, int DisplayWidth,
            bool Calculated) {
    F* f = new F(Owner);
    const String name = QString::fromLatin1(Name);
    f->SetName(Table->Name() + name);
    f->SetFieldName(name);
    if (Size > 0) f->SetSize(Size);
    f->SetDisplayWidth(DisplayWidth);
    if (Calculated) f->SetFieldKind(fkCalculated);
    f->SetDataSet(Table);
    return f;
}

const String FBt1 = QStringLiteral("bt1");
const String FBt2 = QStringLiteral("bt2");

// Holds the table's controls disabled for an operation, however it ends.
struct ControlsDisabled {
    TDataSet* Table;
    explicit ControlsDisabled(TDataSet* t) : Table(t) { Table->DisableControls(); }
    ~ControlsDisabled() { Table->EnableControls(); }
};

// The column titles follow the language file under "Column_<index>_<field name>".
void ApplyGridLanguage(TComponent* Component, TStrings* Section) {
    auto* grid = dynamic_cast<TDBGridEh*>(Component);
    if (!grid) return;
    for (int i = 0; i < grid->Columns()->Count(); ++i) {
        TColumnEh* c = grid->Columns()->Columns(i);
        const String key = QStringLiteral("Column_%1_%2").arg(i).arg(c->FieldName());
        c->Title()->SetCaption(GetLangValue(Section, key, c->Title()->Caption()));
    }
}

} // namespace

bool RefersToEvent(int bt1, int bt2) {
    const int kind = bt1 & 7;
    return (kind == 1 && (bt2 & 0x80)) || kind == 6;
}

int RenumberEventReferences(TDataSet* Table, const std::function<int(int)>& Map) {
    int changed = 0;
    for (Table->First(); !Table->Eof(); Table->Next()) {
        const int bt1 = ControlEventBt1(Table), bt2 = ControlEventBt2(Table);
        if (!RefersToEvent(bt1, bt2)) continue;
        const int n = bt2 & 0x7F;
        const int m = Map(n);
        // The target field holds events 1..128 only: a reference that would leave them stays.
        if (m == n || m < 0 || m > 0x7F) continue;
        Table->Edit();
        Table->FieldByName(FBt2)->SetAsInteger((bt2 & 0x80) | m);
        Table->Post();
        ++changed;
    }
    return changed;
}

void BuildControlEventsTable(TMemTableEh* Table, TComponent* Owner) {
    TField* id = AddField<TAutoIncField>(Table, Owner, "ID", 0, 5, false);
    id->SetVisible(false);
    AddField<TIntegerField>(Table, Owner, "bt1", 0, 6, false);
    AddField<TIntegerField>(Table, Owner, "bt2", 0, 4, false);
    AddField<TStringField>(Table, Owner, "bt1String", 255, 9, true);
    AddField<TStringField>(Table, Owner, "Static", 10, 6, true);
    AddField<TStringField>(Table, Owner, "bt2String", 255, 255, true);
    Table->CreateDataSet();
}

void AppendControlEvent(TDataSet* Table, int bt1, int bt2) {
    Table->Append();
    Table->FieldByName(QStringLiteral("bt1"))->SetAsInteger(bt1 & 0xFF);
    Table->FieldByName(QStringLiteral("bt2"))->SetAsInteger(bt2 & 0xFF);
    Table->Post();
}

uint8_t ControlEventBt1(TDataSet* Table) {
    return uint8_t(Table->FieldByName(QStringLiteral("bt1"))->AsInteger() & 0xFF);
}

uint8_t ControlEventBt2(TDataSet* Table) {
    return uint8_t(Table->FieldByName(QStringLiteral("bt2"))->AsInteger() & 0xFF);
}

void TMainForm::CreateControlEventsTable() {
    ControlEventsMemTableEh = new TMemTableEh(this);
    ControlEventsMemTableEh->SetName(QStringLiteral("ControlEventsMemTableEh"));
    BuildControlEventsTable(ControlEventsMemTableEh, this);
    ControlEventsMemTableEh->OnCalcFields =
        TDataSetNotifyEvent(this, &TMainForm::ControlEventsMemTableEhCalcFields);
    ControlEventsMemTableEh->AfterScroll =
        TDataSetNotifyEvent(this, &TMainForm::ControlEventsMemTableEhCheckUpDownDel);
    ControlEventsDataSource = new TDataSource(this);
    ControlEventsDataSource->SetName(QStringLiteral("ControlEventsDataSource"));
    ControlEventsDataSource->SetDataSet(ControlEventsMemTableEh);
}

void TMainForm::ControlEventsMemTableEhCalcFields(TDataSet* DataSet) {
    const int bt1 = DataSet->FieldByName(QStringLiteral("bt1"))->AsInteger();
    const int bt2 = DataSet->FieldByName(QStringLiteral("bt2"))->AsInteger();
    DataSet->FieldByName(QStringLiteral("Static"))->SetAsString(QStringLiteral("->"));
    DataSet->FieldByName(QStringLiteral("bt1String"))->SetAsString(GetConditionText(bt1 >> 3));
    DataSet->FieldByName(QStringLiteral("bt2String"))->SetAsString(GetActionText(Byte(bt1), Byte(bt2)));
}

void TMainForm::ControlEventsMemTableEhCheckUpDownDel(TDataSet* DataSet) {
    if (!DataSet || DataSet->ControlsDisabled()) return;
    const int recNo = DataSet->RecNo();
    const int count = DataSet->RecordCount();
    DownControlEventSpeedButton->SetEnabled(recNo >= 0 && recNo < count);
    UpControlEventSpeedButton->SetEnabled(recNo > 1);
    DeleteControlEventSpeedButton->SetEnabled(count > 0);
    ClearControlEventSpeedButton->SetEnabled(count > 0);
    EditControlEventSpeedButton->SetEnabled(!DataSet->IsEmpty());
    AddControlEventSpeedButton->SetEnabled(count < MaxControlEvents);
}

void TMainForm::CreateControlEventsGrid() {
    static const bool hooked = [] {
        RegisterApplyLanguageHook(QStringLiteral("TDBGridEh"), ApplyGridLanguage);
        return true;
    }();
    (void)hooked;
    auto* g = Create<TDBGridEh>(this);
    ControlEventsDBGridEh = g;
    g->SetName(QStringLiteral("ControlEventsDBGridEh"));
    g->SetParent(ControlEventsPanel);
    g->SetBounds(0, 0, 699, ControlEventsPanel->ClientHeight());
    g->SetAlign(alLeft);
    g->SetAllowedOperations({});
    g->SetAllowedSelections({gstRecordBookmarks});
    g->SetOptions({dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection,
                   dgConfirmDelete, dgCancelOnExit});
    g->SetOptionsEh(
        {dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind, dghShowRecNo, dghExtendVertLines});
    g->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh});
    g->IndicatorTitle()->SetUseGlobalMenu(false);
    g->SetEvenRowColor(clInfoBk);
    g->SetOddRowColor(clWindow);
    g->FooterParams()->SetHorzLines(true);
    g->FooterParams()->SetVertLines(false);
    g->SetShowHint(true);
    struct ColumnDef {
        const char* Field;
        const char* Title;
        int Width;
        bool Centred;
    };
    const ColumnDef columns[] = {
        {"bt1String", "Условие", 199, false},
        {"Static", "->", -1, true},
        {"bt2String", "Действие", 406, false},
    };
    for (const ColumnDef& d : columns) {
        TColumnEh* c = g->Columns()->Add();
        c->SetFieldName(QString::fromLatin1(d.Field));
        c->Title()->SetCaption(QString::fromUtf8(d.Title));
        if (d.Width >= 0) c->SetWidth(d.Width);
        if (d.Centred) {
            c->SetAlignment(taCenter);
            c->Title()->SetAlignment(taCenter);
        }
        c->SetReadOnly(true);
        c->SetTextEditing(false);
        c->SetToolTips(true);
    }
    g->SetDataSource(ControlEventsDataSource);
    g->OnDblClick = TNotifyEvent(this, &TMainForm::EditControlEventSpeedButtonClick);
    g->OnKeyDown = TKeyEvent(this, &TMainForm::ControlEventsDBGridEhKeyDown);
}

TEventEditForm* TMainForm::EventEditor() {
    if (!EventEditForm) EventEditForm = new TEventEditForm(this);
    return EventEditForm;
}

void TMainForm::ControlEventsDBGridEhKeyDown(TObject*, Word& Key, TShiftState Shift) {
    // The glyph buttons take no focus, so the grid gives the keyboard their work: Enter edits the
    // current event, Insert adds one after it, Delete deletes it (asking first), Ctrl+Up and
    // Ctrl+Down move it, each only while its button is enabled.
    TSpeedButton* button = nullptr;
    if (Shift == TShiftState{ssCtrl} && (Key == VK_UP || Key == VK_DOWN)) {
        button = Key == VK_UP ? UpControlEventSpeedButton : DownControlEventSpeedButton;
        Key = 0;
        if (button->Enabled()) button->Click();
        return;
    }
    if (!Shift.Empty()) return;
    switch (Key) {
    case VK_RETURN:
        button = EditControlEventSpeedButton;
        break;
    case VK_INSERT:
        button = AddControlEventSpeedButton;
        break;
    case VK_DELETE:
        button = DeleteControlEventSpeedButton;
        break;
    default:
        return;
    }
    Key = 0;
    if (button->Enabled()) button->Click();
}

void TMainForm::AddControlEventSpeedButtonClick(TObject*) {
    TMemTableEh* table = ControlEventsMemTableEh;
    if (table->RecordCount() >= MaxControlEvents) return;
    TEventEditForm* editor = EventEditor();
    editor->SetEvent(0, 0);
    if (RunModal(editor) != mrOk) return;
    table->Next();
    const bool atEnd = table->Eof();
    int p = std::max(0, table->RecNo());
    {
        ControlsDisabled disabled(table);
        if (atEnd) ++p;
        // At the end the record is appended; otherwise it goes before the row the cursor moved
        // to, directly after the row that was current. Either way it is row p.
        if (atEnd)
            table->Append();
        else
            table->Insert();
        table->FieldByName(FBt1)->SetAsInteger(editor->bt1());
        table->FieldByName(FBt2)->SetAsInteger(editor->bt2());
        table->Post();
        // Events from p on moved one place down (event n + 1 is index n).
        if (table->RecordCount() > 1)
            RenumberEventReferences(table, [p](int n) { return n >= p - 1 ? n + 1 : n; });
        table->SetRecNo(p);
    }
    ControlEventsMemTableEhCheckUpDownDel(table);
}

void TMainForm::DeleteControlEventSpeedButtonClick(TObject*) {
    TMemTableEh* table = ControlEventsMemTableEh;
    if (table->IsEmpty()) return;
    const int k = table->RecNo();
    const String text =
        GetMsgFmt(QStringLiteral("DeviceDelEventMsg"),
                  QStringLiteral("Удалить событие № %d:") + QChar(13) + QStringLiteral("'%s -> %s'?"), k,
                  table->FieldByName(QStringLiteral("bt1String"))->AsString(),
                  table->FieldByName(QStringLiteral("bt2String"))->AsString());
    if (ShowMsgBox(text,
                   GetMsg(QStringLiteral("DeviceDelEventMsgCaption"), QStringLiteral("Удаление события")),
                   MsgBoxQuestionYesNo, QStringLiteral("MainUnit"), 0) != IDYES)
        return;
    {
        ControlsDisabled disabled(table);
        table->Delete();
        // Events after the deleted one move up; a reference to the deleted event itself now
        // names the event that took its place.
        RenumberEventReferences(table, [k](int n) { return n >= k ? n - 1 : n; });
        if (k <= table->RecordCount())
            table->SetRecNo(k);
        else
            table->Last();
    }
    ControlEventsMemTableEhCheckUpDownDel(table);
}

void TMainForm::EditControlEventSpeedButtonClick(TObject*) {
    TMemTableEh* table = ControlEventsMemTableEh;
    TEventEditForm* editor = EventEditor();
    editor->SetEvent(ControlEventBt1(table), ControlEventBt2(table));
    if (RunModal(editor) != mrOk) return;
    table->Edit();
    table->FieldByName(FBt1)->SetAsInteger(editor->bt1());
    table->FieldByName(FBt2)->SetAsInteger(editor->bt2());
    table->Post();
    ControlEventsMemTableEhCheckUpDownDel(table);
}

namespace {
// Exchanges the pairs of rows K and K + 1 (1-based) and swaps the references to the two events.
void SwapEventRows(TMemTableEh* Table, int K) {
    Table->SetRecNo(K);
    const int a1 = ControlEventBt1(Table), a2 = ControlEventBt2(Table);
    Table->Next();
    const int b1 = ControlEventBt1(Table), b2 = ControlEventBt2(Table);
    Table->Edit();
    Table->FieldByName(FBt1)->SetAsInteger(a1);
    Table->FieldByName(FBt2)->SetAsInteger(a2);
    Table->Post();
    Table->Prior();
    Table->Edit();
    Table->FieldByName(FBt1)->SetAsInteger(b1);
    Table->FieldByName(FBt2)->SetAsInteger(b2);
    Table->Post();
    // Event K is index K - 1, event K + 1 is index K.
    RenumberEventReferences(Table, [K](int n) {
        if (n == K - 1) return K;
        if (n == K) return K - 1;
        return n;
    });
}
} // namespace

void TMainForm::UpControlEventSpeedButtonClick(TObject*) {
    TMemTableEh* table = ControlEventsMemTableEh;
    const int k = table->RecNo();
    if (k <= 1) return;
    {
        ControlsDisabled disabled(table);
        SwapEventRows(table, k - 1);
        table->SetRecNo(k - 1);
    }
    ControlEventsMemTableEhCheckUpDownDel(table);
}

void TMainForm::DownControlEventSpeedButtonClick(TObject*) {
    TMemTableEh* table = ControlEventsMemTableEh;
    const int k = table->RecNo();
    if (k < 1 || k >= table->RecordCount()) return;
    {
        ControlsDisabled disabled(table);
        SwapEventRows(table, k);
        table->SetRecNo(k + 1);
    }
    ControlEventsMemTableEhCheckUpDownDel(table);
}

void TMainForm::ClearControlEventSpeedButtonClick(TObject*) {
    TMemTableEh* table = ControlEventsMemTableEh;
    if (ShowMsgBox(GetMsg(QStringLiteral("DeviceDelAllEvents"), QStringLiteral("Удалить ВСЕ события?")),
                   GetMsg(QStringLiteral("DeviceDelAllEventsCaption"), QStringLiteral("Удаление событий")),
                   MsgBoxQuestionYesNo, QStringLiteral("MainUnit"), 0) != IDYES)
        return;
    {
        ControlsDisabled disabled(table);
        table->First();
        while (!table->IsEmpty())
            table->Delete();
    }
    ControlEventsMemTableEhCheckUpDownDel(table);
}
