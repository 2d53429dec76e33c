// The data grid's in-place editor over a memory table, driven by window messages: each editor
// kind writes its value into the record, Enter and Esc, a text that does not convert, Enter as
// Tab, the mark under an empty required value and the tree sign in the editor.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhInplace.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"

#include <QPainter>
#include <QScopeGuard>
#include <QWidget>

#include <algorithm>

namespace {

constexpr LPARAM kAlt = 0x20000000;
// Grid columns: 0 the indicator, then the table's fields in order.
constexpr int kName = 1, kPrice = 2, kBorn = 3, kKind = 4, kDone = 5;

} // namespace

class InplaceEditTest : public DBGridFormFixture<TDBGridEh> {
public:
    TField* Name = nullptr;
    TField* Price = nullptr;
    TField* Born = nullptr;
    TField* Kind = nullptr;
    TField* Done = nullptr;
    TFormatSettings SavedFormat;
    QStringList Errors;

    void SetUp() override {
        DBGridFormFixture::SetUp();
        SavedFormat = FormatSettings();
        TFormatSettings fs = TFormatSettings::Invariant();
        fs.DateSeparator = '.';
        fs.ShortDateFormat = QStringLiteral("dd.mm.yyyy");
        fs.DecimalSeparator = '.';
        SetFormatSettings(fs);
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Table->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
        Table->FieldDefs()->Add(QStringLiteral("Born"), ftDate);
        Table->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 10);
        Table->FieldDefs()->Add(QStringLiteral("Done"), ftBoolean);
        Table->CreateDataSet();
        for (int i = 1; i <= 5; ++i)
            Table->AppendRecord({Variant(QStringLiteral("Row %1").arg(i)), Variant(i * 1.5),
                                 Variant(EncodeDate(2020, 3, i)), Variant(QStringLiteral("A")),
                                 Variant(false)});
        Table->First();
        Name = Table->FieldByName(QStringLiteral("Name"));
        Price = Table->FieldByName(QStringLiteral("Price"));
        Born = Table->FieldByName(QStringLiteral("Born"));
        Kind = Table->FieldByName(QStringLiteral("Kind"));
        Done = Table->FieldByName(QStringLiteral("Done"));
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Grid->Columns()->Columns(kKind - 1)->PickList()->SetText(QStringLiteral("A\nB\nC"));
        Grid->Columns()->Columns(kDone - 1)->SetCheckboxes(true);
        Grid->SetFocus();
        // A failure inside a message handler is reported, not shown in a box nobody closes.
        Application->OnException =
            TExceptionEvent::Callable([this](TObject*, Exception* e) { Errors << e->Message(); });
        Pump();
    }
    void TearDown() override {
        Application->OnException = TExceptionEvent();
        SetFormatSettings(SavedFormat);
        DBGridFormFixture::TearDown();
    }

    TDBGridInplaceEdit* Ed() { return dynamic_cast<TDBGridInplaceEdit*>(Grid->InplaceEditor()); }
    bool EditorShown() { return Ed() && Ed()->Visible(); }
    void Open(int gridCol) {
        Grid->SetCol(gridCol);
        Grid->ShowEditor();
        Pump();
    }
    void EdKey(Word vk, LPARAM data = 0) {
        Ed()->Perform(WM_KEYDOWN, vk, data);
        Pump();
    }
    void EdChar(QChar ch) {
        Ed()->Perform(WM_CHAR, ch.unicode(), 0);
        Pump();
    }
    // Typing into the cell replaces its selected text.
    void Type(const QString& s) {
        for (QChar ch : s)
            EdChar(ch);
    }
    // The form with an open drop-down laid over it where it shows on the screen.
    bool Grab(TWinControl* dropDown, const QString& name) {
        Pump();
        QWidget* w = Form->Widget();
        QImage img = w->grab().toImage();
        if (dropDown && dropDown->Widget()) {
            QWidget* d = dropDown->Widget();
            const QPoint at = d->mapToGlobal(QPoint(0, 0)) - w->mapToGlobal(QPoint(0, 0));
            const QRect all = QRect(QPoint(0, 0), w->size()).united(QRect(at, d->size()));
            QImage both(all.size(), QImage::Format_RGB32);
            both.fill(Qt::darkGray);
            QPainter p(&both);
            p.drawImage(-all.topLeft(), img);
            p.drawPixmap(at - all.topLeft(), d->grab());
            p.end();
            img = both;
        }
        return img.save(ScreenshotPath(name));
    }
    // Enter closes the editor; the record takes the text when it is posted.
    void EnterAndPost() {
        EdKey(VK_RETURN);
        EdChar(QChar(VK_RETURN));
        Table->Post();
        Pump();
    }
};

TEST_F(InplaceEditTest, EachEditorKindWritesItsValueIntoTheRecord) {
    struct Case {
        const char* name;
        int col;
        TEditStyle style;
        std::function<void(InplaceEditTest*)> edit;
        std::function<void(InplaceEditTest*)> check;
    };
    const std::vector<Case> cases = {
        {"text", kName, esSimple, [](InplaceEditTest* t) { t->Type(QStringLiteral("Zed")); },
         [](InplaceEditTest* t) { EXPECT_EQ(t->Name->AsString(), QStringLiteral("Zed")); }},
        {"number", kPrice, esSimple, [](InplaceEditTest* t) { t->Type(QStringLiteral("12.25")); },
         [](InplaceEditTest* t) { EXPECT_DOUBLE_EQ(t->Price->AsFloat(), 12.25); }},
        {"date typed", kBorn, esDateCalendar,
         [](InplaceEditTest* t) { t->Type(QStringLiteral("24.12.2021")); },
         [](InplaceEditTest* t) { EXPECT_DOUBLE_EQ(t->Born->AsDateTime(), EncodeDate(2021, 12, 24)); }},
        {"date from the calendar", kBorn, esDateCalendar,
         [](InplaceEditTest* t) {
             t->EdKey(VK_DOWN, kAlt);
             ASSERT_TRUE(t->Ed()->ListVisible());
             t->Ed()->PopupMonthCalendar()->SetDate(EncodeDate(2020, 3, 20));
             t->EdKey(VK_RETURN);
             EXPECT_FALSE(t->Ed()->ListVisible());
         },
         [](InplaceEditTest* t) { EXPECT_DOUBLE_EQ(t->Born->AsDateTime(), EncodeDate(2020, 3, 20)); }},
        {"pick list", kKind, esPickList,
         [](InplaceEditTest* t) {
             t->EdKey(VK_DOWN, kAlt);
             ASSERT_TRUE(t->Ed()->ListVisible());
             t->Ed()->PickList()->SetItemIndex(2);
             t->EdKey(VK_RETURN);
         },
         [](InplaceEditTest* t) { EXPECT_EQ(t->Kind->AsString(), QStringLiteral("C")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table->First();
        Open(c.col);
        ASSERT_TRUE(EditorShown());
        EXPECT_EQ(Ed()->EditStyle(), c.style);
        c.edit(this);
        EnterAndPost();
        EXPECT_FALSE(EditorShown()) << "Enter closes the editor";
        EXPECT_EQ(Table->State(), dsBrowse);
        c.check(this);
    }
}

TEST_F(InplaceEditTest, EscapeDropsTheTypedTextThenTheRecordsChange) {
    Open(kName);
    ASSERT_TRUE(EditorShown());
    Type(QStringLiteral("Lost"));
    EXPECT_EQ(Table->State(), dsEdit) << "typing puts the record into edit";
    // The first Esc drops the cell's text, the second one the record's change.
    EdKey(VK_ESCAPE);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Name->AsString(), QStringLiteral("Row 1"));
    Grid->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Name->AsString(), QStringLiteral("Row 1"));
    // Opened again, the editor shows the record's value, not the dropped text.
    Open(kName);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Row 1"));
}

TEST_F(InplaceEditTest, TextThatDoesNotConvertRaisesAndLeavesTheRecord) {
    // The failure shows where the value is written: on closing the editor or on posting.
    QStringList& errors = Errors;
    Open(kPrice);
    Type(QStringLiteral("1e"));
    try {
        EnterAndPost();
    } catch (const Exception& e) {
        errors << e.Message();
    }
    ASSERT_FALSE(errors.isEmpty()) << "a text that is no number must not pass silently";
    EXPECT_TRUE(errors.first().contains(QStringLiteral("1e"))) << errors.first().toStdString();
    Table->Cancel();
    EXPECT_DOUBLE_EQ(Price->AsFloat(), 1.5);
    EXPECT_EQ(Table->State(), dsBrowse);
}

TEST_F(InplaceEditTest, CheckBoxAndReadOnlyCellsShowNoEditor) {
    Open(kDone);
    EXPECT_FALSE(EditorShown()) << "a check box column has no text to edit";
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgEditing});
    Open(kName);
    EXPECT_FALSE(EditorShown());
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgEditing});
    Grid->Columns()->Columns(kName - 1)->SetReadOnly(true);
    Open(kName);
    ASSERT_TRUE(EditorShown());
    Type(QStringLiteral("x"));
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Row 1")) << "a read-only column takes no typing";
    EXPECT_EQ(Table->State(), dsBrowse);
}

TEST_F(InplaceEditTest, EnterAsTabMovesToTheNextCellUnlessTheRecentListIsOpen) {
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghEnterAsTab});
    Open(kName);
    Type(QStringLiteral("Moved"));
    EdKey(VK_RETURN);
    EXPECT_EQ(Grid->Col(), kPrice);
    EXPECT_EQ(Errors, QStringList());
    Table->Post();
    EXPECT_EQ(Name->AsString(), QStringLiteral("Moved"));

    // With the column's recently-used list open, Enter takes its entry and stays.
    TColumnEh* c = Grid->Columns()->Columns(kName - 1);
    c->MRUList()->SetActive(true);
    c->MRUList()->Items()->Add(QStringLiteral("Moon"));
    Open(kName);
    Ed()->SelectAll();
    Type(QStringLiteral("Mo"));
    ASSERT_TRUE(c->MRUList()->DroppedDown());
    EdKey(VK_DOWN);
    EdKey(VK_RETURN);
    EdChar(QChar(VK_RETURN));
    EXPECT_EQ(Grid->Col(), kName);
    EXPECT_FALSE(c->MRUList()->DroppedDown());
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Moon"));
    Table->Cancel();
}

TEST_F(InplaceEditTest, PriorRecordValueKeyGoesToTheGridAndNotIntoTheText) {
    std::vector<Word> gridKeys;
    Grid->OnKeyDown = TKeyEvent::Callable([&](TObject* Sender, Word& Key, TShiftState Shift) {
        EXPECT_EQ(Sender, Grid);
        if (Shift.Contains(ssCtrl)) gridKeys.push_back(Key);
    });
    Table->Next();
    Open(kName);
    ASSERT_TRUE(EditorShown());
    SetKeyDown(VK_CONTROL, true);
    EdKey(0xDE);
    SetKeyDown(VK_CONTROL, false);
    Grid->OnKeyDown = TKeyEvent();
    EXPECT_EQ(gridKeys, std::vector<Word>{0xDE});
    // The grid takes the prior record's value; the key's character never reaches the text.
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Row 1"));
}

TEST_F(InplaceEditTest, EmptyRequiredValueIsMarkedUnderTheText) {
    Name->SetRequired(true);
    TColumnEh* c = Grid->Columns()->Columns(kName - 1);
    c->SetHighlightRequired(true);
    Open(kName);
    EXPECT_TRUE(Ed()->RequiredHighlightRect().IsEmpty()) << "a browsed record with a value has no mark";
    Grid->HideEditor();
    Table->Append();
    Pump();
    Open(kName);
    ASSERT_TRUE(EditorShown());
    const TRect r = Ed()->RequiredHighlightRect();
    EXPECT_FALSE(r.IsEmpty());
    EXPECT_EQ(r.Top, Ed()->ClientHeight() - 1);
    EXPECT_EQ(r.Height(), 1);
    TRect editing;
    Ed()->GetEditingRect(editing);
    EXPECT_EQ(r.Left, editing.Left + 2);
    EXPECT_EQ(r.Right, editing.Right - 3);
    EXPECT_TRUE(Grab(nullptr, QStringLiteral("dbgrid-inplace-required")));

    // Without HighlightRequired, or once the value is there, the mark goes.
    c->SetHighlightRequired(false);
    Ed()->DrawRequiredHighlight();
    EXPECT_TRUE(Ed()->RequiredHighlightRect().IsEmpty());
    c->SetHighlightRequired(true);
    Name->SetAsString(QStringLiteral("Given"));
    Ed()->DrawRequiredHighlight();
    EXPECT_TRUE(Ed()->RequiredHighlightRect().IsEmpty());
    Table->Cancel();
}

TEST_F(InplaceEditTest, ColumnDecidesOnTheRequiredMarkInTheEditorAndTheCell) {
    Name->SetRequired(true);
    TColumnEh* c = Grid->Columns()->Columns(kName - 1);
    c->SetHighlightRequired(true);
    std::vector<TObject*> senders;
    std::vector<String> texts;
    int force = -1; // -1: leave the grid's decision
    c->OnCheckDrawRequiredState = TDBGridEhCheckDrawRequiredStateEvent::Callable(
        [&](TObject* Sender, TColumnEh* Column, const String& Text, bool& Draw) {
            EXPECT_EQ(Column, c);
            senders.push_back(Sender);
            texts.push_back(Text);
            if (force >= 0) Draw = force != 0;
        });
    // A browsed record with a value: the column can still ask for the mark.
    force = 1;
    Open(kName);
    ASSERT_TRUE(EditorShown());
    Ed()->DrawRequiredHighlight();
    EXPECT_FALSE(Ed()->RequiredHighlightRect().IsEmpty());
    EXPECT_EQ(senders.back(), Ed());
    EXPECT_EQ(texts.back(), QStringLiteral("Row 1"));
    // An empty required value in a new record: the column can refuse it.
    Grid->HideEditor();
    Table->Append();
    Pump();
    force = 0;
    Open(kName);
    ASSERT_TRUE(EditorShown());
    Ed()->DrawRequiredHighlight();
    EXPECT_TRUE(Ed()->RequiredHighlightRect().IsEmpty());
    force = -1;
    Ed()->DrawRequiredHighlight();
    EXPECT_FALSE(Ed()->RequiredHighlightRect().IsEmpty());
    // The cell painter asks the same event, with the grid as the sender.
    senders.clear();
    Grid->Repaint();
    Pump();
    EXPECT_NE(std::find(senders.begin(), senders.end(), static_cast<TObject*>(Grid)), senders.end());
    Table->Cancel();
}

namespace {
// Records the find dialog the grid asks for instead of showing it.
class TFindDialogProbeCenter : public TDBGridEhCenter {
public:
    void ShowFindDialog(TCustomDBGridEh*, const String& Text, bool Modal, const String&) override {
        Texts.push_back(Text);
        Modals.push_back(Modal);
    }
    std::vector<String> Texts;
    std::vector<bool> Modals;
};
} // namespace

TEST_F(InplaceEditTest, SecondSearchShortcutInTheEditorTurnsTheSearchIntoTheFindDialog) {
    TFindDialogProbeCenter center;
    Grid->SetCenter(&center);
    const auto restore = qScopeGuard([&] { Grid->SetCenter(nullptr); });
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch, dghDialogFind});
    Open(kName);
    ASSERT_TRUE(EditorShown());
    SetKeyDown(VK_CONTROL, true);
    EdKey('F');
    SetKeyDown(VK_CONTROL, false);
    EXPECT_TRUE(Grid->InplaceSearching());
    EXPECT_TRUE(center.Texts.empty());
    // The search runs in the grid and keeps the editor closed; the shortcut pressed again in the
    // editor opens the dialog with the editor's selected text.
    EXPECT_FALSE(EditorShown());
    ASSERT_NE(Ed(), nullptr);
    ASSERT_TRUE(Grid->InplaceSearching());
    Ed()->SelectAll();
    SetKeyDown(VK_CONTROL, true);
    EdKey('F');
    SetKeyDown(VK_CONTROL, false);
    EXPECT_FALSE(Grid->InplaceSearching());
    ASSERT_EQ(center.Texts.size(), 1u);
    EXPECT_EQ(center.Texts[0], QStringLiteral("Row 1"));
    EXPECT_TRUE(center.Modals[0]);
    EXPECT_EQ(Name->AsString(), QStringLiteral("Row 1")) << "the shortcut never types into the cell";
    EXPECT_EQ(Table->State(), dsBrowse);

    // Without in-place search the shortcut opens the dialog at once.
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghIncSearch});
    if (!EditorShown()) Open(kName);
    SetKeyDown(VK_CONTROL, true);
    EdKey('F');
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(center.Texts.size(), 2u);
    EXPECT_FALSE(Grid->InplaceSearching());
}

// Each editor kind as it shows over its cell, drop-downs open.
TEST_F(InplaceEditTest, OpenEditorScreenshot) {
    struct Shot {
        const char* name;
        int col;
        bool drop;
    };
    const Shot shots[] = {{"dbgrid-inplace-text", kName, false},
                          {"dbgrid-inplace-number", kPrice, false},
                          {"dbgrid-inplace-calendar", kBorn, true},
                          {"dbgrid-inplace-picklist", kKind, true}};
    Table->Edit();
    Name->SetAsString(QStringLiteral("Щука обыкновенная"));
    Table->Post();
    for (const Shot& s : shots) {
        SCOPED_TRACE(s.name);
        Open(s.col);
        ASSERT_TRUE(EditorShown());
        TWinControl* drop = nullptr;
        if (s.drop) {
            EdKey(VK_DOWN, kAlt);
            ASSERT_TRUE(Ed()->ListVisible());
            drop = s.col == kKind ? static_cast<TWinControl*>(Ed()->PickList())
                                  : static_cast<TWinControl*>(Ed()->PopupMonthCalendar());
        }
        EXPECT_TRUE(Grab(drop, QString::fromLatin1(s.name)));
        if (s.drop) EdKey(VK_ESCAPE);
        Grid->HideEditor();
        Pump();
    }
}

// A tree shown by the grid: the editor of the first column leaves the tree area to the expand
// sign of the current node, and a press on the sign toggles the node.
TEST(InplaceEditTreeTest, PressOnTheSignInTheEditorTogglesTheNode) {
    TForm* form = new TForm(nullptr);
    const auto done = qScopeGuard([&] {
        form->Free();
        Pump();
    });
    form->SetBounds(10, 10, 420, 300);
    auto* grid = Create<TDBGridEh>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 400, 260);
    auto* table = Create<TMemTableEh>(form);
    table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    table->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
    table->FieldDefs()->Add(QStringLiteral("Parent"), ftInteger);
    table->CreateDataSet();
    // 1 (2 (4)), 3
    table->AppendRecord({Variant(QStringLiteral("one")), Variant(1), Null()});
    table->AppendRecord({Variant(QStringLiteral("two")), Variant(2), Variant(1)});
    table->AppendRecord({Variant(QStringLiteral("three")), Variant(3), Null()});
    table->AppendRecord({Variant(QStringLiteral("four")), Variant(4), Variant(2)});
    table->TreeList()->SetKeyFieldName(QStringLiteral("ID"));
    table->TreeList()->SetRefParentFieldName(QStringLiteral("Parent"));
    table->TreeList()->SetActive(true);
    table->TreeList()->FullExpand();
    auto* source = new TDataSource(form);
    source->SetDataSet(table);
    grid->SetDataSource(source);
    form->Show();
    grid->SetFocus();
    Pump();
    // Rows: one, two, four, three. The current record is "two", on level 2.
    table->First();
    table->Next();
    Pump();
    ASSERT_EQ(table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("two"));
    EXPECT_EQ(grid->GetCellTreeElmentsAreaWidth(), 36);
    grid->SetCol(1);
    grid->ShowEditor();
    Pump();
    auto* ed = dynamic_cast<TDBGridInplaceEdit*>(grid->InplaceEditor());
    ASSERT_TRUE(ed && ed->Visible());
    TRect editing;
    ed->GetEditingRect(editing);
    EXPECT_GE(editing.Left, 36) << "the text starts right of the tree area";
    auto press = [&](int x) {
        ed->Perform(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(Word(x), Word(5))));
        ed->Perform(WM_LBUTTONUP, 0, LPARAM(MAKELONG(Word(x), Word(5))));
        Pump();
    };
    press(36 - 30);
    EXPECT_EQ(table->RecordCount(), 4) << "a press left of the sign does nothing";
    press(36 - 5);
    EXPECT_EQ(table->RecordCount(), 3) << "the node of \"two\" collapsed: \"four\" is hidden";
    press(36 - 5);
    EXPECT_EQ(table->RecordCount(), 4);
}

// Default columns go with the data set when the form is freed; an editor still open over one of
// them must not read it afterwards.
class InplaceEditFormFreeTest : public DBGridFormFixture<TDBGridEh> {};

TEST_F(InplaceEditFormFreeTest, FreeingTheFormWithTheEditorOpenIsClean) {
    UseTable(5);
    Grid->SetFocus();
    Pump();
    Grid->SetCol(2);
    Grid->ShowEditor();
    Pump();
    ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    Grid->InplaceEditor()->Perform(WM_CHAR, 'x', 0);
    Pump();
    Form->Free();
    Pump();
    Form = new TForm(nullptr); // for the fixture's tear-down
}

// With a column hidden, the cell, the selected field and the editor all mean the same column.
TEST_F(InplaceEditFormFreeTest, HiddenColumnsDoNotShiftTheEditedField) {
    UseTable(5);
    Grid->Columns()->Columns(0)->SetVisible(false); // ID
    Grid->SetFocus();
    Pump();
    Grid->SetCol(Grid->IndicatorOffset() + 1); // Name; the hidden ID keeps its cell at no width
    EXPECT_EQ(Grid->SelectedField(), Table->FieldByName(QStringLiteral("Name")));
    Grid->ShowEditor();
    Pump();
    ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Name 1"));
    Grid->InplaceEditor()->Perform(WM_CHAR, 'Z', 0);
    Pump();
    Grid->InplaceEditor()->Perform(WM_KEYDOWN, VK_RETURN, 0);
    Grid->InplaceEditor()->Perform(WM_CHAR, VK_RETURN, 0);
    Pump();
    if (Table->State() != dsBrowse) Table->Post();
    Table->First();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Z"));
    EXPECT_EQ(Table->FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
    Grid->SetSelectedField(Table->FieldByName(QStringLiteral("Qty")));
    EXPECT_EQ(Grid->SelectedField(), Table->FieldByName(QStringLiteral("Qty")));
    Grid->SetSelectedField(Table->FieldByName(QStringLiteral("ID"))); // hidden: stays where it is
    EXPECT_EQ(Grid->SelectedField(), Table->FieldByName(QStringLiteral("Qty")));
}
