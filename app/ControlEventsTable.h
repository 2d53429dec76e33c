#pragma once
// The events table of the interface block's page: a memory table whose rows in table order are
// the events 1, 2, ...; fields ID (auto-increment), bt1, bt2 and the calculated condition text
// bt1String, the arrow Static and the action text bt2String.

#include <cstdint>
#include <functional>

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
// Whether the pair refers to another event: "go to event" (kind 1 with bit 7 of bt2) or
// "lock or unlock an event" (kind 6). Its target index (event number - 1) is bt2 and 0x7F.
bool RefersToEvent(int bt1, int bt2);
// Walks Table from the first row and gives every reference the index Map answers for its old
// index; bit 7 and the action kind stay, and an index Map takes outside 0..127 is left as it
// was. Answers the number of rows changed; the cursor ends past the last row.
int RenumberEventReferences(TDataSet* Table, const std::function<int(int)>& Map);
