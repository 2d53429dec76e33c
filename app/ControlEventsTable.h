#pragma once
// The events table of the interface block's page: rows of (bt1, bt2) with a cursor. It offers
// the operations the main window performs on the table (append, count, walk, empty, record
// number, controls suspension, the after-scroll notification) and stands in for the memory
// table until the data grid shows it.

#include "platform/classes/Classes.h"

#include <cstdint>
#include <vector>

class TControlEventsTable : public TComponent {
    KVT_CLASS(TControlEventsTable, TComponent)
public:
    struct Row {
        uint8_t bt1 = 0;
        uint8_t bt2 = 0;
        friend bool operator==(const Row&, const Row&) = default;
    };

    explicit TControlEventsTable(TComponent* AOwner);

    void Open() { FActive = true; }
    bool Active() const { return FActive; }

    int RecordCount() const { return int(FRows.size()); }
    bool IsEmpty() const { return FRows.empty(); }
    // 1-based number of the current row; 0 on an empty table.
    int RecNo() const { return FRows.empty() ? 0 : FCurrent + 1; }
    void SetRecNo(int Value);
    void First();
    void Next();
    bool Eof() const { return FEof; }

    // Appends a row (the values' low bytes) and makes it current.
    void Append(int bt1, int bt2);
    // Deletes the current row; the next one (or the new last) becomes current.
    void Delete();
    // Deletes every row.
    void EmptyTable();

    uint8_t bt1() const { return FRows.empty() ? 0 : FRows[size_t(FCurrent)].bt1; }
    uint8_t bt2() const { return FRows.empty() ? 0 : FRows[size_t(FCurrent)].bt2; }
    const std::vector<Row>& Rows() const { return FRows; }

    void DisableControls() { ++FDisableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // Runs after every move of the cursor (also while controls are disabled, as the
    // data sets do; the handler looks at ControlsDisabled itself).
    TNotifyEvent AfterScroll;

private:
    void Scrolled();
    std::vector<Row> FRows;
    int FCurrent = 0;
    bool FEof = true;
    bool FActive = false;
    int FDisableCount = 0;
};
