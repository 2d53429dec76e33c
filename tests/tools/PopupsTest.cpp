#include "ToolsTestUtil.h"

#include "lib/tools/DropDownFormEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"

#include <gtest/gtest.h>

TEST(MRUList, AddMovesDuplicatesAndTrimsTheOldest) {
    TMRUListEh mru(nullptr);
    mru.Add(S("WORD"));
    mru.Add(S("other"));
    mru.Add(S("word"));
    EXPECT_EQ(mru.Items()->Count(), 2);
    EXPECT_EQ(mru.Items()->Strings(1), S("WORD"));
    mru.SetCaseSensitive(true);
    mru.Add(S("word"));
    EXPECT_EQ(mru.Items()->Count(), 3);
    mru.Add(S("   "));
    EXPECT_EQ(mru.Items()->Count(), 3);

    TMRUListEh two(nullptr);
    two.SetLimit(2);
    two.Add(S("a"));
    two.Add(S("b"));
    two.Add(S("c"));
    EXPECT_EQ(two.Items()->CommaText(), S("b,c"));
    two.SetLimit(-5); // counts as 0
    EXPECT_EQ(two.Items()->Count(), 0);
}

TEST(MRUList, FilterByPrefix) {
    TMRUListEh mru(nullptr);
    for (const char* s : {"Москва", "мост", "Минск", "москит"})
        mru.Add(S(s));
    TStringList out;
    EXPECT_TRUE(mru.FilterItemsTo(&out, S("мос")));
    EXPECT_EQ(out.Count(), 3);
    mru.OnFilterItem = TFilterMRUItemEventEh::Callable([](TObject*, bool& accept) { accept = !accept; });
    EXPECT_TRUE(mru.FilterItemsTo(&out, S("мос")));
    EXPECT_EQ(out.Count(), 1);
    EXPECT_EQ(out.Strings(0), S("Минск"));
}

TEST(SpecRow, CellsTextAndKeys) {
    TSpecRowEh row(nullptr);
    row.SetCellsText(S("A;\"B;C\";  D"));
    ASSERT_EQ(row.CellCount(), 3);
    EXPECT_EQ(row.GetCellText(0), S("A"));
    EXPECT_EQ(row.GetCellText(1), S("B;C"));
    EXPECT_EQ(row.GetCellText(2), S("  D"));
    EXPECT_EQ(row.GetCellText(3), String());
    EXPECT_EQ(row.ShortCut(), 32814);
    row.SetValue(Variant(5));
    EXPECT_FALSE(row.LocateKey(Variant(5)));
    int changes = 0;
    row.OnChanged = TNotifyEvent::Callable([&](TObject*) { ++changes; });
    row.BeginUpdate();
    row.SetVisible(true);
    row.SetColor(clRed);
    EXPECT_EQ(changes, 0);
    row.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(row.LocateKey(Variant(5)));
    TSpecRowEh copy(nullptr);
    copy.Assign(&row);
    EXPECT_EQ(copy.GetCellText(1), S("B;C"));
    EXPECT_EQ(copy.Color(), clRed);
    EXPECT_TRUE(copy.Visible());
}

TEST(PopupListbox, HeightSnapsToWholeRowsAndSearchIncrementally) {
    TPopupListboxEh list(nullptr);
    list.SetItemHeight(16);
    const int nc = list.NonClientHeight();
    list.SetBounds(0, 0, 100, nc + 66);
    EXPECT_EQ(list.RowCount(), 4);
    EXPECT_EQ(list.Height(), nc + 64);
    list.SetBounds(0, 0, 100, 10);
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.Height(), nc + 16);
    EXPECT_FALSE(list.CanFocus());

    for (const char* s : {"apple", "banana", "blueberry", "cherry"})
        list.Items()->Add(S(s));
    static uint32_t now = 10000;
    TPopupListboxEh::TickCount = [] { return now; };
    list.Perform(WM_CHAR, 'b', 0);
    now += 500;
    list.Perform(WM_CHAR, 'l', 0);
    EXPECT_EQ(list.ItemIndex(), 2);
    now += 2500;
    list.Perform(WM_CHAR, 'c', 0);
    EXPECT_EQ(list.ItemIndex(), 3);
    EXPECT_EQ(list.SearchText(), S("c"));
    for (int i = 0; i < 40; ++i)
        list.Perform(WM_CHAR, 'x', 0);
    EXPECT_EQ(list.SearchText().size(), 32);
    list.Perform(WM_CHAR, 27, 0);
    EXPECT_TRUE(list.SearchText().isEmpty());
    list.InvalidateIndex(-1);
    TPopupListboxEh::TickCount = &GetTickCount;
}

TEST(SizeGrip, CornersTrianglesAndDrags) {
    TForm host(nullptr);
    host.SetBounds(100, 100, 200, 150);
    auto* grip = new TSizeGripEh(&host);
    grip->SetParent(&host);
    static_cast<TControl*>(grip)->SetBounds(0, 0, 17, 17);
    grip->SetPosition(sgpTopRight);
    EXPECT_EQ(grip->TrianglePoints(), (std::vector<TPoint>{TPoint(17, 16), TPoint(17, 0), TPoint(1, 0)}));
    grip->SetPosition(sgpBottomLeft);
    grip->ChangePosition(sgcpToTop);
    EXPECT_EQ(grip->Position(), sgpTopLeft);
    grip->SetPosition(sgpTopRight);
    grip->ChangePosition(sgcpToTop);
    EXPECT_EQ(grip->Position(), sgpTopRight);

    grip->SetPosition(sgpBottomRight);
    const int cw = host.ClientWidth(), ch = host.ClientHeight();
    grip->DragBy(50, 20);
    EXPECT_EQ(host.ClientWidth(), cw + 50);
    EXPECT_EQ(host.ClientHeight(), ch + 20);

    grip->SetPosition(sgpBottomLeft);
    const int right = host.Left() + host.Width();
    grip->DragBy(-30, 0);
    EXPECT_EQ(host.Left() + host.Width(), right);
    EXPECT_EQ(host.Width(), cw + 50 + (host.Width() - host.ClientWidth()) + 30);
}

namespace {
class TRecordingForm : public TCustomDropDownFormEh {
    KVT_CLASS(TRecordingForm, TCustomDropDownFormEh)
public:
    using TCustomDropDownFormEh::TCustomDropDownFormEh;
    std::vector<std::string> Log;
    void ReturnParams(TComponent* Host, TDynVarsEh* DynParams) override {
        Log.push_back("return");
        TCustomDropDownFormEh::ReturnParams(Host, DynParams);
    }
};
} // namespace

TEST(DropDownForm, NonModalRunReportsThroughItsCallback) {
    TForm owner(nullptr);
    owner.SetBounds(50, 50, 300, 200);
    auto* anchor = new TEdit(&owner);
    anchor->SetParent(&owner);
    anchor->SetBounds(10, 10, 100, 21);
    owner.Show();
    TRecordingForm form(nullptr);
    form.SetBounds(0, 0, 105, 80);
    std::vector<bool> accepts;
    auto cb = TDropDownFormCallbackProcEh::Callable(
        [&](TCustomForm*, bool accept, TDynVarsEh*, TDropDownFormSysParams*) {
            form.Log.push_back("callback");
            accepts.push_back(accept);
        });
    TDynVarsEh vars(nullptr);
    form.ExecuteNomodal(anchor, anchor, daCenter, &vars, nullptr, cb);
    EXPECT_TRUE(form.Visible());
    const TPoint p = anchor->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(form.Left(), p.X - 2); // 5 wider than the anchor: 2 to the left
    EXPECT_EQ(form.Top(), p.Y + anchor->Height() + 1);
    EXPECT_EQ(form.SizeGrip()->Position(), sgpBottomRight);
    EXPECT_TRUE(form.CloseButton()->Visible());

    // The close button: not accepted, nothing returned.
    form.CloseButton()->ButtonControl()->Click();
    EXPECT_EQ(accepts, std::vector<bool>{false});
    EXPECT_EQ(form.Log, std::vector<std::string>{"callback"});
    EXPECT_FALSE(form.Visible());
    // A second close finds no callback.
    form.Close();
    EXPECT_EQ(accepts.size(), 1u);

    // Accepting returns the values before the callback runs.
    form.Log.clear();
    form.ExecuteNomodal(anchor, anchor, daLeft, &vars, nullptr, cb);
    form.SetModalResult(mrOk);
    form.Close();
    EXPECT_EQ(form.Log, (std::vector<std::string>{"return", "callback"}));
    EXPECT_EQ(accepts.back(), true);

    // A second run on an open form ends the first as not accepted.
    form.ExecuteNomodal(anchor, anchor, daLeft, &vars, nullptr, cb);
    form.ExecuteNomodal(anchor, anchor, daLeft, &vars, nullptr, cb);
    EXPECT_EQ(accepts.size(), 3u);
    EXPECT_EQ(accepts[2], false);
    form.Close();
    EXPECT_EQ(accepts.size(), 4u);
}

TEST(DropDownForm, FreedWhilePendingReleasesItsOpener) {
    TForm owner(nullptr);
    owner.SetBounds(50, 50, 300, 200);
    auto* anchor = new TEdit(&owner);
    anchor->SetParent(&owner);
    owner.Show();
    int calls = 0;
    bool accepted = true;
    auto* form = new TCustomDropDownFormEh(nullptr);
    form->ExecuteNomodal(anchor, anchor, daLeft, nullptr, nullptr,
                         TDropDownFormCallbackProcEh::Callable(
                             [&](TCustomForm*, bool a, TDynVarsEh*, TDropDownFormSysParams*) {
                                 ++calls;
                                 accepted = a;
                             }));
    form->Free();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(accepted);

    // An opener that goes first forgets its callback: nothing calls it later.
    auto* form2 = new TCustomDropDownFormEh(nullptr);
    form2->ExecuteNomodal(anchor, anchor, daLeft, nullptr, nullptr,
                          TDropDownFormCallbackProcEh::Callable(
                              [&](TCustomForm*, bool, TDynVarsEh*, TDropDownFormSysParams*) { ++calls; }));
    form2->ForgetCallback();
    form2->Free();
    EXPECT_EQ(calls, 1);
}

TEST(DropDownForm, SizingBarGrabBand) {
    TDDFSizingBarEh bar(nullptr);
    bar.SetBounds(0, 0, 100, 9);
    bar.Resize();
    EXPECT_EQ(bar.SizingArea(), 4);
    bar.SetBounds(0, 0, 100, 20);
    bar.Resize();
    EXPECT_EQ(bar.SizingArea(), 10);
}

namespace {
class TCityForm : public TCustomDropDownFormEh {
    KVT_CLASS(TCityForm, TCustomDropDownFormEh)
public:
    using TCustomDropDownFormEh::TCustomDropDownFormEh;
};
TCityForm* gCityForm = nullptr;
} // namespace

TEST(DropDownForm, ClassesAreFoundByNameWithTheirGlobalInstance) {
    EXPECT_EQ(GetClass(S("TCustomDropDownFormEh")), &TCustomDropDownFormEh::StaticClassInfo());
    EXPECT_EQ(GetClass(S("TSizeGripEh")), &TSizeGripEh::StaticClassInfo());
    RegisterComponentClass<TCityForm>();
    TClass cls = GetClass(S("TCityForm"));
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(cls), nullptr);
    TCityForm form(nullptr);
    gCityForm = &form;
    TCustomDropDownFormEh::RegisterGlobalRef(cls,
                                             [] { return static_cast<TCustomDropDownFormEh*>(gCityForm); });
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(cls), &form);
    TCustomDropDownFormEh::RegisterGlobalRef(cls, nullptr);
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(cls), nullptr);
    UnRegisterClass(TCityForm::StaticClassInfo());
}

TEST(PopupListbox, ExtItemsServeTheRowsVirtually) {
    TPopupListboxEh list(nullptr);
    TStringList ext;
    ext.Add(S("альфа"));
    ext.AddObject(S("бета"), &list);
    list.SetExtItems(&ext);
    EXPECT_EQ(list.Style(), lbVirtualOwnerDraw);
    EXPECT_EQ(list.Count(), 2);
    String text;
    list.ItemText(&list, 1, text);
    EXPECT_EQ(text, S("бета"));
    TObject* obj = nullptr;
    list.ExtItemObject(&list, 1, obj);
    EXPECT_EQ(obj, &list);
    list.SetExtItems(nullptr);
    EXPECT_EQ(list.Style(), lbOwnerDrawFixed);
    String untouched = S("x");
    list.ItemText(&list, 0, untouched);
    EXPECT_EQ(untouched, S("x"));
}

TEST(DropDownForm, SizingBarDragResizesTheHost) {
    TForm host(nullptr);
    host.SetBounds(100, 100, 200, 150);
    auto* bar = new TDDFSizingBarEh(&host);
    bar->SetParent(&host);
    bar->SetHostControl(&host);
    bar->SetAlign(alBottom);
    bar->SetHeight(20);
    bar->Resize();
    host.HandleNeeded();
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(50, 15)); // inside the bottom 10 pixels
    bar->SetMouseCapture(true);
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(50, 35));
    EXPECT_EQ(host.Height(), 170);
    bar->Perform(WM_LBUTTONUP, 0, PointToLParam(50, 35));
    bar->SetMouseCapture(false);
    // A press outside the band arms nothing.
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(50, 2));
    bar->SetMouseCapture(true);
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(50, 30));
    EXPECT_EQ(host.Height(), 170);
    bar->SetMouseCapture(false);
}
