#pragma once
// The data grid's find dialog: a pattern with its history, the column to look in (or all),
// the kind of match, the direction, case and format switches and, for a memory table shown as a
// tree, the branches to search. "Find next" hands everything to the grid's LocateText. One
// dialog, owned by the application, serves every grid.

#include "lib/dbgrid/DBGridEh.h"

#include "platform/ui/Forms.h"

#include <memory>

class TLabel;
class TButton;
class TDBComboBoxEh;
class TDBCheckBoxEh;

class TDBGridEhFindDlg : public TCustomForm {
    KVT_CLASS(TDBGridEhFindDlg, TCustomForm)
public:
    explicit TDBGridEhFindDlg(TComponent* AOwner);
    ~TDBGridEhFindDlg() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    void Execute(TCustomDBGridEh* AGrid, const String& Text, bool Modal);
    void FillColumnsList();
    void FillFindColumnsList();
    // Find next; Reverse is the Ctrl key held at the click.
    bool FindNextMatch(bool Reverse);

    void bFindClick(TObject* Sender);
    void bCancelClick(TObject* Sender);
    void cbFindInChange(TObject* Sender);
    void cbTextChange(TObject* Sender);
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);

    TCustomDBGridEh* Grid() const { return FGrid; }
    bool FirstTry() const { return IsFirstTry; }
    TColumnsEhList* FindColumnsList() const { return FFindColumnsList.get(); }

    TLabel* Label1;
    TDBComboBoxEh* cbText;
    TLabel* Label2;
    TDBComboBoxEh* cbFindIn;
    TLabel* cbMatchType;
    TDBComboBoxEh* cbMatchinType;
    TLabel* Label3;
    TDBComboBoxEh* cbFindDirection;
    TDBCheckBoxEh* cbCharCase;
    TDBCheckBoxEh* cbUseFormat;
    TLabel* Label4;
    TDBComboBoxEh* dbcTreeFindRange;
    TButton* bFind;
    TButton* bCancel;

protected:
    TCustomDBGridEh* FGrid = nullptr;
    bool IsFirstTry = true;
    std::unique_ptr<TColumnsEhList> FFindColumnsList;
    int FCurInListColIndex = 0;
    std::vector<TColumnEh*> FColumnFields;
    int FSourceHeight = 0;
};

// Creates the application's one find dialog on first use and runs it for the grid.
void ExecuteFindDialog(TCustomDBGridEh* AGrid, const String& Text, bool Modal);
// The dialog as made so far (nullptr before the first use).
TDBGridEhFindDlg* DBGridEhFindDlg();
