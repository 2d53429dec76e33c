#pragma once
// The events table of the interface block's page: a memory table whose rows in table order are
// the events 1, 2, ...; fields ID (auto-increment), bt1, bt2 and the calculated condition text
// bt1String, the arrow Static and the action text bt2String.

#include <cstdint>

class TComponent;
class TDataSet;
class TMemTableEh;

// Gives Table its fields (owned by Owner, named after the table and the field) and creates
// its data; the table is open and empty afterwards.
void BuildControlEventsTable(TMemTableEh* Table, TComponent* Owner);
// Appends the pair's low bytes as a new last row, which becomes current.
void AppendControlEvent(TDataSet* Table, int bt1, int bt2);
// The pair of the current row (0 on an empty table), as the low bytes of the fields.
uint8_t ControlEventBt1(TDataSet* Table);
uint8_t ControlEventBt2(TDataSet* Table);
