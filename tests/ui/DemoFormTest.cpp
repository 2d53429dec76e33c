// A demonstration form with one of each control, saved as a PNG (<build>/screenshots/) so that
// a person can look at it; the test checks that nothing overlaps and the picture exists.

#include "Screenshot.h"
#include "UiTestUtil.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Mask.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace {

template <class T> T* Put(TWinControl* parent, int l, int t, int w, int h) {
    auto* c = new T(parent->Owner() ? parent->Owner() : parent);
    c->SetParent(parent);
    if (w > 0 && h > 0)
        c->SetBounds(l, t, w, h);
    else
        c->SetBounds(l, t, c->Width(), c->Height());
    return c;
}

TForm* BuildDemoForm() {
    auto* f = new TForm(nullptr);
    f->SetCaption(QStringLiteral("Демонстрация элементов управления"));
    f->SetBorderStyle(bsSingle);
    f->SetPosition(poScreenCenter);
    f->SetClientWidth(736);
    f->SetClientHeight(500);
    TWinControl* p = f;

    // Left column
    Put<TLabel>(p, 8, 12, 0, 0)->SetCaption(QStringLiteral("Имя:"));
    Put<TEdit>(p, 64, 8, 168, 23)->SetText(QStringLiteral("Иван Петров"));
    Put<TLabel>(p, 8, 42, 0, 0)->SetCaption(QStringLiteral("Дата:"));
    auto* me = Put<TMaskEdit>(p, 64, 38, 168, 23);
    me->SetEditMask(QStringLiteral("!99/99/0000;1;_"));
    QChar ds = FormatSettings().DateSeparator;
    me->SetText(QStringLiteral("10") + ds + QStringLiteral("12") + ds + QStringLiteral("2026"));
    auto* le = Put<TLabeledEdit>(p, 8, 86, 224, 23);
    le->EditLabel()->SetCaption(QStringLiteral("Поле с подписью"));
    le->SetText(QStringLiteral("192.168.0.10"));
    auto* cb = Put<TComboBox>(p, 8, 116, 224, 23);
    cb->SetStyle(csDropDownList);
    cb->Items()->SetCommaText(QStringLiteral("9600,19200,38400,115200"));
    cb->SetItemIndex(2);
    auto* chk = Put<TCheckBox>(p, 8, 146, 104, 19);
    chk->SetCaption(QStringLiteral("Флажок"));
    chk->SetChecked(true);
    auto* rb = Put<TRadioButton>(p, 116, 146, 116, 19);
    rb->SetCaption(QStringLiteral("Переключатель"));
    rb->SetChecked(true);
    auto* rg = Put<TRadioGroup>(p, 8, 170, 224, 72);
    rg->SetCaption(QStringLiteral("Режим"));
    rg->SetColumns(2);
    rg->Items()->SetCommaText(QStringLiteral("Первый,Второй,Третий,Четвёртый"));
    rg->SetItemIndex(1);
    auto* lb = Put<TListBox>(p, 8, 250, 108, 86);
    lb->Items()->SetCommaText(QStringLiteral("Красный,Зелёный,Синий,Жёлтый"));
    lb->SetItemIndex(1);
    auto* cl = Put<TCheckListBox>(p, 124, 250, 108, 86);
    cl->Items()->SetCommaText(QStringLiteral("Блок1,Блок2,Блок3,Блок4"));
    cl->SetChecked(0, true);
    cl->SetChecked(2, true);
    auto* memo = Put<TMemo>(p, 8, 344, 224, 70);
    memo->Lines()->Add(QStringLiteral("Многострочный текст,"));
    memo->Lines()->Add(QStringLiteral("вторая строка."));
    auto* ok = Put<TButton>(p, 8, 424, 75, 27);
    ok->SetCaption(QStringLiteral("OK"));
    ok->SetDefault(true);
    auto* bb = Put<TBitBtn>(p, 90, 424, 88, 27);
    bb->SetKind(bkCancel);
    auto* sb1 = Put<TSpeedButton>(p, 184, 425, 24, 25);
    sb1->SetCaption(QStringLiteral("A"));
    sb1->SetGroupIndex(1);
    sb1->SetDown(true);
    auto* sb2 = Put<TSpeedButton>(p, 208, 425, 24, 25);
    sb2->SetCaption(QStringLiteral("B"));
    sb2->SetGroupIndex(1);

    // Middle column
    auto* gb = Put<TGroupBox>(p, 244, 4, 236, 100);
    gb->SetCaption(QStringLiteral("Группа"));
    auto* st = Put<TStaticText>(gb, 12, 24, 0, 0);
    st->SetCaption(QStringLiteral("Статический текст"));
    st->SetBorderStyle(sbsSunken);
    auto* sh = Put<TShape>(gb, 12, 52, 40, 40);
    sh->SetShape(stCircle);
    sh->Brush()->SetColor(clSkyBlue);
    auto* bev = Put<TBevel>(gb, 64, 70, 160, 2);
    bev->SetShape(bsTopLine);
    auto* pn = Put<TPanel>(p, 244, 112, 236, 40);
    pn->SetCaption(QStringLiteral("Панель"));
    auto* pc = Put<TPageControl>(p, 244, 160, 236, 132);
    auto* ts1 = new TTabSheet(f);
    ts1->SetCaption(QStringLiteral("Первая"));
    ts1->SetPageControl(pc);
    auto* ts2 = new TTabSheet(f);
    ts2->SetCaption(QStringLiteral("Вторая"));
    ts2->SetPageControl(pc);
    auto* ts3 = new TTabSheet(f);
    ts3->SetCaption(QStringLiteral("Скрытая"));
    ts3->SetPageControl(pc);
    ts3->SetTabVisible(false);
    Put<TLabel>(ts1, 8, 12, 0, 0)->SetCaption(QStringLiteral("Поле на странице:"));
    Put<TEdit>(ts1, 8, 32, 200, 23);
    auto* lv = Put<TListView>(p, 244, 300, 236, 112);
    lv->SetViewStyle(vsReport);
    lv->SetRowSelect(true);
    auto* c1 = lv->Columns()->Add();
    c1->SetCaption(QStringLiteral("Файл"));
    c1->SetWidth(140);
    auto* c2 = lv->Columns()->Add();
    c2->SetCaption(QStringLiteral("Размер"));
    c2->SetWidth(70);
    c2->SetAlignment(taRightJustify);
    for (auto [n, s] : {std::pair{"config.ini", "1 024"}, {"events.dat", "512"}, {"log.txt", "18 300"}}) {
        TListItem* it = lv->Items()->Add();
        it->SetCaption(QString::fromUtf8(n));
        it->SubItems()->Add(QString::fromUtf8(s));
    }
    lv->SetItemIndex(0);
    auto* scr = Put<TScrollBar>(p, 244, 424, 236, 0);
    scr->SetBounds(244, 428, 236, scr->Height());
    scr->SetPageSize(10);
    scr->SetPosition(30);

    // Right column
    auto* cal = Put<TMonthCalendar>(p, 492, 8, 236, 180);
    cal->SetDate(EncodeDate(2026, 12, 10));
    auto* big = Put<TPanel>(p, 492, 196, 236, 216);
    big->SetBevelOuter(bvLowered);
    big->SetCaption(QString());
    auto* lbl = Put<TLabel>(big, 8, 8, 220, 80);
    lbl->SetAutoSize(false);
    lbl->SetWordWrap(true);
    lbl->SetCaption(QStringLiteral(
        "Метка с переносом слов: длинный текст занимает несколько строк и не выходит за край."));
    auto* cb2 = Put<TComboBox>(big, 8, 96, 220, 23);
    cb2->Items()->SetCommaText(QStringLiteral("Редактируемый,список"));
    cb2->SetText(QStringLiteral("Редактируемый"));

    auto* sbar = new TStatusBar(f);
    sbar->SetParent(f);
    sbar->Panels()->Add()->SetWidth(200);
    sbar->Panels()->Items(0)->SetText(QStringLiteral("Готово"));
    sbar->Panels()->Add()->SetText(QStringLiteral("COM1: 38400"));
    return f;
}

TEST(DemoFormTest, OneOfEachControlWithoutOverlapsSavedAsPng) {
    TForm* f = BuildDemoForm();
    ShowAndActivate(f);
    PumpEvents(50);
    // Siblings do not overlap (the status bar and the page control's sheets aside).
    std::vector<TControl*> cs;
    for (int i = 0; i < f->ControlCount(); ++i)
        cs.push_back(f->Controls(i));
    for (size_t i = 0; i < cs.size(); ++i)
        for (size_t j = i + 1; j < cs.size(); ++j) {
            TRect a = cs[i]->BoundsRect(), b = cs[j]->BoundsRect(), x;
            EXPECT_FALSE(IntersectRect(x, a, b))
                << cs[i]->ClassName().toStdString() << " / " << cs[j]->ClassName().toStdString();
        }
    for (auto* c : cs) {
        TRect r = c->BoundsRect();
        EXPECT_LE(r.Right, f->ClientWidth()) << c->ClassName().toStdString();
        EXPECT_LE(r.Bottom, f->ClientHeight()) << c->ClassName().toStdString();
    }
    QString path = SaveFormScreenshot(f, QStringLiteral("DemoForm"));
    ASSERT_FALSE(path.isEmpty());
    QImage img(path);
    EXPECT_EQ(img.width(), f->Width());
    EXPECT_EQ(img.height(), f->Height());
    f->Free();
    PumpEvents();
}

} // namespace
