// The grid's built-in text search: walks the records of the grid's data set (and the listed
// columns of each) from the current cell in the asked direction, wrapping around once, and
// makes the first matching cell current. Without a match the current record is restored.
// Invariant: DisableControls is always paired with EnableControls, also when a read throws.

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/WinApi.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

// Whether an Esc press is waiting for the grid. The search must not dispatch other input, so
// only pending key presses are looked at and nothing is removed.
bool EscapeWaiting(TCustomDBGridEh* Grid) {
    MSG msg;
    if (Grid->HandleAllocated() && PeekMessage(&msg, Grid->Handle(), WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE))
        return msg.wParam == VK_ESCAPE;
    return false;
}

} // namespace

bool SearchTextMatches(const String& CellText, const String& Text, TLocateTextMatchingEh Matching,
                       bool CaseInsensitive) {
    const Qt::CaseSensitivity cs = CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    switch (Matching) {
    case ltmAnyPartEh:
        return CellText.contains(Text, cs);
    case ltmWholeEh:
        return CellText.compare(Text, cs) == 0;
    case ltmFromBegingEh:
        return CellText.startsWith(Text, cs);
    }
    return false;
}

bool LocateTextInGrid(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                      TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                      TLocateTextMatchingEh Matching) {
    TDataSource* src = Grid->DataSource();
    TDataSet* ds = src ? src->DataSet() : nullptr;
    if (!ds || !ds->Active()) return false;

    // The centre decides which columns hold values that read as text (a descendant may widen it).
    TDBGridEhCenter* center = Grid->Center();
    auto readable = [&](TColumnEh* c) { return center->CanColumnValueReadAsText(Grid, c); };
    TDBGridEhSelection* sel = Grid->Selection();
    const bool inside = Options.Contains(ltoInsideSelection);
    const TDBGridEhSelectionType selType = inside ? sel->SelectionType() : gstNon;

    // The columns compared, in order.
    std::vector<TColumnEh*> cols;
    if (!FieldName.isEmpty()) {
        for (int i = 0; i < Grid->Columns()->Count(); ++i) {
            TColumnEh* c = Grid->Columns()->Columns(i);
            if (c->Field() && c->Field()->FieldName().compare(FieldName, Qt::CaseInsensitive) == 0) {
                cols.push_back(c);
                break;
            }
        }
    } else if (selType == gstColumns) {
        for (int i = 0; i < sel->Columns()->Count(); ++i)
            if (readable(sel->Columns()->Columns(i))) cols.push_back(sel->Columns()->Columns(i));
    } else if (selType == gstRectangle) {
        const int right = std::min(sel->Rect()->RightCol(), Grid->Columns()->Count() - 1);
        for (int i = std::max(0, sel->Rect()->LeftCol()); i <= right; ++i)
            if (TColumnEh* c = Grid->DataColumn(i); c->Visible() && readable(c)) cols.push_back(c);
    } else if (Options.Contains(ltoAllFieldsEh)) {
        for (int i = 0; i < Grid->VisibleColumnCount(); ++i)
            if (readable(Grid->VisibleColumn(i))) cols.push_back(Grid->VisibleColumn(i));
    } else if (TColumnEh* c = Grid->SelectedColumn()) {
        cols.push_back(c);
    }
    if (cols.empty() || Grid->VisibleColumnCount() == 0) return false;

    TDBGridSearchPanelEh* sp = Grid->SearchPanel();
    const bool panelActive = sp->Active();
    int startIndex = std::max(0, panelActive ? sp->FoundColumnIndex() : Grid->SelectedIndex());
    int pos = 0;
    if (TColumnEh* start = Grid->DataColumn(startIndex)) {
        for (size_t i = 0; i < cols.size(); ++i)
            if (cols[i] == start) pos = int(i);
    }
    if (!panelActive && Grid->Options().Contains(dgRowSelect) && FieldName.isEmpty()) pos = 0;

    const bool forward = Direction != ltdUpEh;
    const bool allFields = Options.Contains(ltoAllFieldsEh);
    const bool caseInsensitive = Options.Contains(ltoCaseInsensitiveEh);
    const int last = int(cols.size()) - 1;

    ds->DisableControls();
    struct Enable {
        TDataSet* ds;
        ~Enable() { ds->EnableControls(); }
    } enable{ds};
    const TBookmark saved = ds->Bookmark();

    // The record walk: the selected rows, the rectangle's rows or the whole data set.
    TBookmarkListEh* rows = Grid->SelectedRows();
    const bool inRows = selType == gstRecordBookmarks && rows->Count() > 0;
    const bool inRect = selType == gstRectangle;
    int rowPos = 0;
    bool endFwd = false, endBack = false;
    TBookmark rectTop, rectBottom;
    if (inRect) {
        rectTop = sel->Rect()->TopRow();
        rectBottom = sel->Rect()->BottomRow();
    }
    auto isRow = [&](const TBookmark& bm) {
        return !bm.empty() && ds->CompareBookmarks(ds->Bookmark(), bm) == 0;
    };
    auto gotoRow = [&](int i) {
        rowPos = i;
        ds->SetBookmark(rows->Items(i));
    };
    if (inRows) {
        int idx = 0;
        if (rows->Find(ds->Bookmark(), idx))
            rowPos = idx;
        else
            gotoRow(0);
    }

    auto goStart = [&](bool fwd) {
        if (inRows)
            gotoRow(fwd ? 0 : rows->Count() - 1);
        else if (inRect)
            ds->SetBookmark(fwd ? rectTop : rectBottom);
        else if (fwd)
            ds->First();
        else
            ds->Last();
    };
    auto nextRecord = [&]() {
        if (inRows) {
            if (rowPos < rows->Count() - 1)
                gotoRow(rowPos + 1);
            else
                endFwd = true;
        } else if (inRect) {
            if (isRow(rectBottom))
                endFwd = true;
            else {
                ds->Next();
                if (ds->Eof()) endFwd = true;
            }
        } else {
            ds->Next();
        }
    };
    auto priorRecord = [&]() {
        if (inRows) {
            if (rowPos > 0)
                gotoRow(rowPos - 1);
            else
                endBack = true;
        } else if (inRect) {
            if (isRow(rectTop))
                endBack = true;
            else
                ds->Prior();
        } else {
            ds->Prior();
        }
    };
    auto atEnd = [&](bool fwd) {
        if (inRows || inRect) return fwd ? endFwd : endBack;
        return fwd ? ds->Eof() : ds->BOF();
    };
    auto step = [&](bool fwd) {
        if (allFields) {
            if (fwd) {
                if (pos < last) {
                    ++pos;
                    return;
                }
                nextRecord();
                pos = 0;
            } else {
                if (pos > 0) {
                    --pos;
                    return;
                }
                priorRecord();
                pos = last;
            }
        } else if (fwd) {
            nextRecord();
        } else {
            priorRecord();
        }
    };

    if (Direction == ltdAllEh) {
        goStart(true);
        pos = 0;
    } else {
        step(forward);
    }

    bool wrapped = false;
    bool found = false;
    while (true) {
        if (atEnd(forward) || ds->IsEmpty()) {
            if (wrapped || ds->IsEmpty()) break;
            goStart(forward);
            pos = forward ? 0 : last;
            endFwd = endBack = false;
            wrapped = true;
            if (atEnd(forward) && ds->IsEmpty()) break;
        }
        TColumnEh* c = cols[size_t(pos)];
        String cell;
        if (Options.Contains(ltoMatchFormatEh))
            cell = c->DisplayText();
        else if (TField* f = c->Field())
            cell = f->AsString();
        if (SearchTextMatches(cell, Text, Matching, caseInsensitive)) {
            found = true;
            const int index = Grid->DataColOf(c);
            if (panelActive)
                sp->SetFoundColumnIndex(index);
            else if (index >= 0)
                Grid->SetSelectedIndex(index);
            break;
        }
        if (Options.Contains(ltoStopOnEscape) && EscapeWaiting(Grid)) break;
        step(forward);
        // A wrapped walk that comes back past its start has seen every cell.
        if (wrapped && atEnd(forward)) break;
    }
    if (!found && ds->BookmarkValid(saved)) ds->SetBookmark(saved);
    return found;
}
