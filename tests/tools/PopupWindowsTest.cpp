#include "ToolsTestUtil.h"

#include "ui/UiTestUtil.h"
#include "lib/tools/DropDownFormEh.h"
#include "lib/tools/PropFilerEh.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {
class TComboHost : public TWinControl, public IComboEditEh {
    KVT_CLASS(TComboHost, TWinControl)
public:
    using TWinControl::TWinControl;
    std::vector<bool> Closes;
    void CloseUp(bool Accept) override { Closes.push_back(Accept); }
};
} // namespace

TEST(PopupCalendar, EnterAcceptsEscapeCancelsAClickOnADayAccepts) {
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto* host = new TComboHost(&form);
    host->SetParent(&form);
    auto* cal = new TPopupMonthCalendarEh(host);
    EXPECT_FALSE(cal->CanFocus());
    EXPECT_FALSE(cal->Visible());
    Word key = VK_ESCAPE;
    cal->Perform(WM_KEYDOWN, key, 0);
    EXPECT_EQ(host->Closes, std::vector<bool>{false});
    cal->Perform(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(host->Closes, (std::vector<bool>{false, true}));
    cal->UserClickedDate(EncodeDate(2026, 12, 10));
    EXPECT_EQ(host->Closes.back(), true);
    EXPECT_EQ(cal->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);
    EXPECT_EQ(host->Closes.back(), false);
    cal->Perform(WM_USER_CLOSEUP, 0, 0);
    EXPECT_EQ(host->Closes.size(), 5u);

    // Without an editor that can close it, requests are dropped.
    TComponent plain(nullptr);
    auto* lone = new TPopupMonthCalendarEh(&plain);
    lone->Perform(WM_KEYDOWN, VK_RETURN, 0);
    SUCCEED();
}

TEST(PopupCalendar, AClickElsewhereClosesItAndReachesItsTarget) {
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto* host = new TComboHost(&form);
    host->SetParent(&form);
    host->SetBounds(5, 5, 100, 20);
    auto* other = new TButton(&form);
    other->SetParent(&form);
    other->SetBounds(150, 100, 80, 25);
    int clicks = 0;
    other->OnClick = TNotifyEvent::Callable([&](TObject*) { ++clicks; });
    ShowAndActivate(&form);
    auto* cal = new TPopupMonthCalendarEh(host);
    cal->SetDate(EncodeDate(2026, 12, 10));
    TPoint pos;
    PlaceDropDownUnderControl(host, cal, daLeft, pos);
    cal->SetLeft(pos.X);
    cal->SetTop(pos.Y);
    cal->Show();
    PumpEvents(20);
    EXPECT_TRUE(cal->Showing());
    EXPECT_TRUE(cal->Widget()->grab().save(ScreenshotPath(QStringLiteral("calendar-popup"))));
    Click(other, QPoint(10, 10));
    PumpEvents(20);
    EXPECT_EQ(host->Closes, std::vector<bool>{false});
    EXPECT_EQ(clicks, 1); // the click was delivered once, not eaten
    cal->Hide();
}

TEST(PendingClick, TheClickThatClosedADropDownIsTakenOnce) {
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto* btn = new TEditButtonControlEh(&form);
    btn->SetParent(&form);
    btn->SetBounds(20, 20, 17, 21);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(100, 20, 100, 21);
    form.HandleNeeded();
    PostMessage(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(25, 25));
    EXPECT_FALSE(TakePendingClickOnControl(edit));
    EXPECT_TRUE(TakePendingClickOnControl(btn));
    EXPECT_FALSE(TakePendingClickOnControl(btn));
    EXPECT_EQ(QueuedMessageCount(), 0);

    PostMessage(edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(5, 5));
    EXPECT_TRUE(TakePendingClickInside(edit));
    PostMessage(edit->Handle(), WM_LBUTTONUP, 0, PointToLParam(5, 5));
    EXPECT_FALSE(TakePendingClickInside(edit)); // a release is not taken
    DispatchQueuedMessages();
}

TEST(PopupListbox, RowObjectsHotTrackingAndScreenshot) {
    struct TSeparator : TPopupListboxItemEh {
        bool IsSelectable(TPopupListboxEh*, int) override { return false; }
        bool CloseOnExecute(TPopupListboxEh*, int) override { return false; }
    };
    TSeparator sep;
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    ShowAndActivate(&form);
    auto* list = new TPopupListboxEh(&form);
    list->SetUseItemObjects(true);
    list->Items()->Add(S("Москва"));
    list->Items()->AddObject(S("-----"), &sep);
    list->Items()->Add(S("Санкт-Петербург"));
    list->Items()->Add(S("Новосибирск"));
    list->SetItemHeight(list->GetTextHeight() + 2);
    list->SetBounds(40, 40, 160, 0);
    list->SetRowCount(4);
    list->Show();
    PumpEvents(20);
    ASSERT_TRUE(list->Showing());
    list->Perform(WM_MOUSEMOVE, 0, PointToLParam(20, list->ItemHeight() * 2 + 3));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(list->MouseIndex(), 2);
    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(20, list->ItemHeight() + 3));
    list->Perform(WM_LBUTTONUP, 0, PointToLParam(20, list->ItemHeight() + 3));
    EXPECT_FALSE(list->IsMouseUpCloseListbox()); // the separator keeps the list open
    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(20, 3));
    list->Perform(WM_LBUTTONUP, 0, PointToLParam(20, 3));
    EXPECT_TRUE(list->IsMouseUpCloseListbox());
    list->Perform(WM_USER_SIZEGRIPSIDE, sgcpToTop, 0);
    EXPECT_EQ(list->SizeGrip()->Position(), sgpTopRight);
    list->Perform(WM_USER_SIZEGRIPSIDE, sgcpToBottom, 0);
    list->SetItemIndex(2);
    list->SizeGrip()->SetVisible(true);
    list->SizeGrip()->UpdatePosition();
    PumpEvents(10);
    EXPECT_TRUE(list->SizeGrip()->Showing());
    EXPECT_EQ(list->SizeGrip()->Left() + list->SizeGrip()->Width(), list->ClientWidth());

    EXPECT_TRUE(list->Widget()->grab().save(ScreenshotPath(QStringLiteral("popup-list"))));
    {
        ThemeScope classic(false);
        list->SizeGrip()->Invalidate();
        PumpEvents(10);
        EXPECT_TRUE(list->Widget()->grab().save(ScreenshotPath(QStringLiteral("popup-list-classic"))));
    }
    list->Hide();
}

TEST(DropDownForm, DeactivationClosesANonModalRunUnlessKeptVisible) {
    TForm owner(nullptr);
    owner.SetBounds(50, 50, 300, 200);
    auto* anchor = new TEdit(&owner);
    anchor->SetParent(&owner);
    anchor->SetBounds(10, 10, 100, 21);
    ShowAndActivate(&owner);
    TCustomDropDownFormEh form(nullptr);
    form.SetBounds(0, 0, 200, 120);
    std::vector<bool> accepts;
    auto cb = TDropDownFormCallbackProcEh::Callable(
        [&](TCustomForm*, bool a, TDynVarsEh*, TDropDownFormSysParams*) { accepts.push_back(a); });
    form.ExecuteNomodal(anchor, anchor, daLeft, nullptr, nullptr, cb);
    form.Perform(WM_ACTIVATE, WA_ACTIVE, 0);
    form.Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(accepts, std::vector<bool>{false});
    EXPECT_FALSE(form.Visible());

    form.SetKeepFormVisible(true);
    form.ExecuteNomodal(anchor, anchor, daLeft, nullptr, nullptr, cb);
    form.Perform(WM_ACTIVATE, WA_ACTIVE, 0);
    form.Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(accepts.size(), 1u);
    form.Close();
    EXPECT_EQ(accepts.size(), 2u);
}

TEST(DropDownForm, ModalRunWaitsForActivationAndReturnsOnOk) {
    TForm owner(nullptr);
    owner.SetBounds(50, 50, 300, 200);
    auto* anchor = new TEdit(&owner);
    anchor->SetParent(&owner);
    anchor->SetBounds(10, 10, 100, 21);
    ShowAndActivate(&owner);
    TCustomDropDownFormEh form(nullptr);
    form.SetBounds(0, 0, 200, 120);
    TDynVarsEh vars(nullptr);
    vars.CreateDynVar(S("Value"), Variant(1));
    int inits = 0;
    form.OnInitForm =
        TInitDropDownFormEventEh::Callable([&](TCustomDropDownFormEh*, TDynVarsEh*) { ++inits; });
    form.OnReturnParams = TPutBackFormParamsEventEh::Callable(
        [&](TCustomDropDownFormEh*, TDynVarsEh* p) { p->DynVar(S("Value"))->SetValue(Variant(42)); });
    // Accept as soon as the form is up.
    QMetaObject::invokeMethod(
        qApp, [&] { form.SetModalResult(mrOk); }, Qt::QueuedConnection);
    EXPECT_TRUE(form.Execute(anchor, anchor, daLeft, &vars));
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(vars.DynVar(S("Value"))->Value().AsInteger(), 42);
    EXPECT_FALSE(form.Visible());
}

TEST(DropDownForm, ElementsLayout) {
    TForm owner(nullptr);
    owner.SetBounds(50, 50, 300, 200);
    auto* anchor = new TEdit(&owner);
    anchor->SetParent(&owner);
    owner.Show();
    TCustomDropDownFormEh form(nullptr);
    form.SetBounds(0, 0, 200, 120);
    form.SetFormElements({});
    form.ExecuteNomodal(anchor, anchor, daLeft, nullptr, nullptr, nullptr);
    EXPECT_FALSE(form.CloseButton()->Visible());
    EXPECT_FALSE(form.SizingBar()->Visible());
    EXPECT_FALSE(form.SizeGrip()->Visible());
    EXPECT_FALSE(form.SizeGrip2()->Visible());
    form.Close();
    form.SetFormElements({ddfeCloseButtonEh});
    form.ExecuteNomodal(anchor, anchor, daLeft, nullptr, nullptr, nullptr);
    EXPECT_TRUE(form.CloseButton()->Visible());
    EXPECT_EQ(form.CloseButton()->Left(), form.ClientWidth() - form.CloseButton()->Width() - 3);
    EXPECT_EQ(form.CloseButton()->Top(), 2);
    form.Close();
}

TEST(PropertyInterceptors, RegistryAndFormPlacement) {
    const int n = PropertyInterceptorCount();
    EXPECT_EQ(FindPropertyInterceptorClass(&TCustomForm::StaticClassInfo()),
              InterceptorClassOf<TFormStoragePropertyInterceptor>());
    struct TOther : TStoragePropertyInterceptor {
        using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
    };
    RegisterPropertyInterceptor(&TCustomForm::StaticClassInfo(),
                                InterceptorClassOf<TStoragePropertyInterceptor>());
    EXPECT_EQ(PropertyInterceptorCount(), n);
    RegisterPropertyInterceptor(&TCustomForm::StaticClassInfo(),
                                InterceptorClassOf<TStoragePropertyInterceptor>());
    EXPECT_EQ(PropertyInterceptorCount(), n);
    RegisterPropertyInterceptor(&TCustomForm::StaticClassInfo(),
                                InterceptorClassOf<TFormStoragePropertyInterceptor>());

    TForm form(nullptr);
    form.SetBounds(30, 40, 400, 300);
    TFormStoragePropertyInterceptor read(&form);
    EXPECT_EQ(read.Left(), 30);
    EXPECT_EQ(read.Width(), 400);
    TComponent notAForm(nullptr);
    TFormStoragePropertyInterceptor none(&notAForm);
    EXPECT_EQ(none.Left(), 0);
    EXPECT_EQ(none.Height(), 0);

    // Stored at 64 ppi, read back at 96: one and a half times.
    TFormStoragePropertyInterceptor back(&form);
    SetOrdProp(&back, S("PixelsPerInch"), 64);
    SetOrdProp(&back, S("Left"), 100);
    SetOrdProp(&back, S("Top"), 20);
    SetOrdProp(&back, S("Width"), 400);
    SetOrdProp(&back, S("Height"), 200);
    EXPECT_TRUE(back.PosPresent());
    back.Readed();
    EXPECT_EQ(form.Left(), 150);
    EXPECT_EQ(form.Width(), 600);
    EXPECT_EQ(form.Height(), 300);

    // No resolution stored: the placement is taken as it is, never rescaled to -1.
    TFormStoragePropertyInterceptor zero(&form);
    zero.SetPixelsPerInch(0);
    zero.SetLeft(10);
    zero.SetTop(10);
    zero.SetWidth(200);
    zero.SetHeight(100);
    zero.Readed();
    EXPECT_EQ(form.Left(), 10);
    EXPECT_EQ(form.Width(), 200);
}

TEST(PopupMenus, KeepOpenItemsRunInPlace) {
    TPopupMenuEh menu(nullptr);
    auto* keep = new TMenuItemEh(&menu);
    keep->SetCaption(S("Показать итоги"));
    keep->SetCloseMenuOnClick(false);
    keep->SetAutoCheck(true);
    auto* plain = new TMenuItem(&menu);
    plain->SetCaption(S("Закрыть"));
    menu.Items()->Add(keep);
    menu.Items()->Add(plain);
    int keepClicks = 0;
    keep->OnClick = TNotifyEvent::Callable([&](TObject*) { ++keepClicks; });
    EXPECT_EQ(PopupListEh().FindItem(keep->Command()), keep);

    QMenu qm;
    TMenuItem* chosen = nullptr;
    menu.BuildMenu(&qm, &chosen);
    qm.popup(QPoint(100, 100));
    PumpEvents(10);
    const QList<QAction*> acts = qm.actions();
    ASSERT_EQ(acts.size(), 2);
    const QPoint p = qm.actionGeometry(acts[0]).center();
    QMouseEvent press(QEvent::MouseButtonPress, p, qm.mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, p, qm.mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&qm, &press);
    QApplication::sendEvent(&qm, &release);
    EXPECT_EQ(keepClicks, 1);
    EXPECT_TRUE(qm.isVisible());
    EXPECT_EQ(chosen, nullptr);
    const QPoint p2 = qm.actionGeometry(acts[1]).center();
    QMouseEvent press2(QEvent::MouseButtonPress, p2, qm.mapToGlobal(p2), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QMouseEvent release2(QEvent::MouseButtonRelease, p2, qm.mapToGlobal(p2), Qt::LeftButton, Qt::NoButton,
                         Qt::NoModifier);
    QApplication::sendEvent(&qm, &press2);
    QApplication::sendEvent(&qm, &release2);
    EXPECT_EQ(chosen, plain);
    EXPECT_FALSE(qm.isVisible());
}

TEST(DropDownForm, Screenshot) {
    TForm owner(nullptr);
    owner.SetBounds(50, 50, 300, 200);
    auto* anchor = new TEdit(&owner);
    anchor->SetParent(&owner);
    anchor->SetBounds(10, 10, 150, 21);
    ShowAndActivate(&owner);
    TCustomDropDownFormEh form(nullptr);
    form.SetBounds(0, 0, 220, 140);
    auto* list = new TListBox(&form);
    list->SetParent(&form);
    list->SetAlign(alClient);
    for (const char* s : {"Первый", "Второй", "Третий"})
        list->Items()->Add(S(s));
    form.ExecuteNomodal(anchor, anchor, daLeft, nullptr, nullptr, nullptr);
    PumpEvents(30);
    // The frame stays free of aligned children.
    EXPECT_EQ(list->Left(), form.BorderWidthEh());
    EXPECT_TRUE(form.Widget()->grab().save(ScreenshotPath(QStringLiteral("dropdown-form"))));
    form.Close();
}

TEST(PopupWatch, ClicksOutsideCloseOncePerShowingAndClicksInsideNever) {
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto* other = new TButton(&form);
    other->SetParent(&form);
    other->SetBounds(150, 100, 80, 25);
    auto* inside = new TButton(&form);
    inside->SetParent(&form);
    inside->SetBounds(10, 10, 80, 25);
    ShowAndActivate(&form);
    int fired = 0;
    {
        TPopupWatchEh watch(inside, nullptr, [&] { ++fired; });
        Click(inside, QPoint(5, 5));
        PumpEvents(10);
        EXPECT_EQ(fired, 0);
        Click(other, QPoint(5, 5));
        PumpEvents(10);
        EXPECT_EQ(fired, 1);
        Click(other, QPoint(5, 5));
        PumpEvents(10);
        EXPECT_EQ(fired, 1);
    }
    Click(other, QPoint(5, 5));
    PumpEvents(10);
    EXPECT_EQ(fired, 1); // a watch that is gone calls nothing
}

TEST(MRUListbox, OwnScrollBarOnlyWhenEntriesOverflow) {
    TForm form(nullptr);
    ShowAndActivate(&form);
    auto* list = new TMRUListboxEh(&form);
    list->SetItemHeight(16);
    list->SetBounds(100, 100, 150, 0);
    list->SetRowCount(3);
    for (const char* s : {"один", "два"})
        list->Items()->Add(S(s));
    list->Show();
    PumpEvents(10);
    list->UpdateScrollBar();
    EXPECT_FALSE(list->ScrollBar()->Visible());
    EXPECT_TRUE(list->SizeGrip()->TriangleWindow());
    for (const char* s : {"три", "четыре", "пять"})
        list->Items()->Add(S(s));
    list->UpdateScrollBar();
    EXPECT_TRUE(list->ScrollBar()->Visible());
    EXPECT_EQ(list->ScrollBar()->Left(), list->ClientWidth() - GetSystemMetrics(SM_CXVSCROLL));
    // The grip sits at the bottom right: the bar stops above it and the grip is square.
    EXPECT_EQ(list->ScrollBar()->Height(), list->ClientHeight() - list->SizeGrip()->Height());
    EXPECT_FALSE(list->SizeGrip()->TriangleWindow());
    list->Hide();
}

TEST(ToolImages, ImageCentredInARect) {
    TCustomImageList images(6, 6);
    TBitmap bmp;
    bmp.SetSize(6, 6);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(TRect(0, 0, 6, 6));
    images.Add(&bmp, nullptr);
    Board b(20, 20);
    PaintImageCentred(b.C()->Handle(), TRect(0, 0, 20, 20), &images, 0, false);
    EXPECT_EQ(b.Ink(), TRect(7, 7, 13, 13));
    Board small(20, 20);
    PaintImageCentred(small.C()->Handle(), TRect(0, 0, 4, 4), &images, 0, false);
    EXPECT_EQ(small.Ink(), TRect(0, 0, 4, 4)); // clipped to the rectangle
    Board none(20, 20);
    PaintImageCentred(none.C()->Handle(), TRect(0, 0, 20, 20), &images, 3, false);
    EXPECT_EQ(none.Ink(), TRect(20, 20, 0, 0));
}

namespace {
// Paints one image centred in its client area from its own paint handler.
class TImageCell : public TCustomControl {
    KVT_CLASS(TImageCell, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    TCustomImageList* Images = nullptr;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(ClientRect());
        PaintImageCentred(Canvas()->Handle(), ClientRect(), Images, 0, false);
    }
};
} // namespace

TEST(ToolImages, ImageCentredOnAControlCanvas) {
    TCustomImageList images(6, 6);
    TBitmap bmp;
    bmp.SetSize(6, 6);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(TRect(0, 0, 6, 6));
    images.Add(&bmp, nullptr);
    TForm form(nullptr);
    form.SetBounds(0, 0, 100, 100);
    auto* cell = new TImageCell(&form);
    cell->Images = &images;
    cell->SetParent(&form);
    cell->SetBounds(0, 0, 20, 20);
    Board b(20, 20);
    cell->PaintTo(b.C(), 0, 0);
    EXPECT_EQ(b.Ink(), TRect(7, 7, 13, 13));
    EXPECT_EQ(b.At(10, 10), clRed);
}
