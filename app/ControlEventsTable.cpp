// The events table of the interface block's page.

#include "app/ControlEventsTable.h"

TControlEventsTable::TControlEventsTable(TComponent* AOwner) : TComponent(AOwner) {}

void TControlEventsTable::Scrolled() {
    if (AfterScroll) AfterScroll(this);
}

void TControlEventsTable::SetRecNo(int Value) {
    if (FRows.empty()) return;
    if (Value < 1) Value = 1;
    if (Value > RecordCount()) Value = RecordCount();
    FCurrent = Value - 1;
    FEof = false;
    Scrolled();
}

void TControlEventsTable::First() {
    FCurrent = 0;
    FEof = FRows.empty();
    Scrolled();
}

void TControlEventsTable::Next() {
    if (FCurrent + 1 < RecordCount()) {
        ++FCurrent;
        FEof = false;
    } else {
        FEof = true;
    }
    Scrolled();
}

void TControlEventsTable::Append(int bt1, int bt2) {
    FRows.push_back({uint8_t(bt1 & 0xFF), uint8_t(bt2 & 0xFF)});
    FCurrent = RecordCount() - 1;
    FEof = false;
    Scrolled();
}

void TControlEventsTable::Delete() {
    if (FRows.empty()) return;
    FRows.erase(FRows.begin() + FCurrent);
    if (FCurrent >= RecordCount()) FCurrent = RecordCount() - 1;
    if (FCurrent < 0) FCurrent = 0;
    FEof = FRows.empty();
    Scrolled();
}

void TControlEventsTable::EmptyTable() {
    FRows.clear();
    FCurrent = 0;
    FEof = true;
    Scrolled();
}

void TControlEventsTable::EnableControls() {
    if (FDisableCount > 0) --FDisableCount;
}
