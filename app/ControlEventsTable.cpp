// The events table of the interface block's page, and its handlers on the main window.

#include "app/ControlEventsTable.h"
#include "app/MainUnit.h"

#include "events/EventEditUnit.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/ui/Buttons.h"

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

} // namespace

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
