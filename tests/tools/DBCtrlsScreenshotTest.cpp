// Pictures of the editors for a person to look at: each editor normal, focused and disabled,
// and a form holding one of each bound to a memory table.

#include "DBCtrlsTestUtil.h"

namespace {

TLabel* Caption(TForm* form, const char* text, int top) {
    auto* l = Create<TLabel>(form);
    l->SetParent(form);
    l->SetBounds(10, top + 4, 110, 16);
    l->SetCaption(QString::fromUtf8(text));
    return l;
}

template <class E> void Bind(E* e, TDataSource* ds, const char* field) {
    e->SetDataSource(ds);
    e->SetDataField(QString::fromLatin1(field));
}

// Three copies of one editor: as it stands, focused, disabled.
template <class E, class Setup>
void StatesShot(EditorFixture& f, const char* field, const char* name, Setup setup) {
    E* normal = f.Editor<E>(field, 10);
    E* focused = f.Editor<E>(field, 44);
    E* disabled = f.Editor<E>(field, 78);
    for (E* e : {normal, focused, disabled})
        setup(e);
    disabled->SetEnabled(false);
    f.Form->SetClientWidth(220);
    f.Form->SetClientHeight(112);
    f.Show(focused);
    EXPECT_FALSE(SaveFormWithPopups(f.Form, QString::fromLatin1(name)).isEmpty());
}

TEST_F(EditorFixture, ScreenshotsOfEditorStates) {
    StatesShot<TCustomDBEditEh>(*this, "Name", "dbedit-states", [](TCustomDBEditEh* e) {
        e->EditButton()->SetVisible(true);
        e->EditButton()->SetStyle(ebsEllipsisEh);
    });
}

TEST_F(EditorFixture, ScreenshotsOfDateTimeStates) {
    PinnedFormat ru("ru_RU");
    StatesShot<TDBDateTimeEditEh>(*this, "Born", "dbdatetime-states", [](TDBDateTimeEditEh*) {});
}

TEST_F(EditorFixture, ScreenshotsOfComboStates) {
    StatesShot<TDBComboBoxEh>(*this, "Color", "dbcombo-states", [](TDBComboBoxEh* c) {
        c->Items()->SetText(QStringLiteral("Красный\nСиний\nЗелёный"));
        c->KeyItems()->SetText(QStringLiteral("R\nB\nG"));
    });
}

TEST_F(EditorFixture, ScreenshotsOfNumberStates) {
    PinnedFormat ru("ru_RU");
    StatesShot<TDBNumberEditEh>(*this, "Price", "dbnumber-states", [](TDBNumberEditEh* e) {
        e->SetDisplayFormat(QStringLiteral("#,##0.00 'руб.'"));
        e->EditButton()->SetVisible(true);
    });
}

TEST_F(EditorFixture, ScreenshotsOfCheckBoxStates) {
    StatesShot<TDBCheckBoxEh>(*this, "Flag", "dbcheckbox-states",
                              [](TDBCheckBoxEh* c) { c->SetCaption(QStringLiteral("Действующий пропуск")); });
}

TEST_F(EditorFixture, ScreenshotOfDemoForm) {
    PinnedFormat ru("ru_RU");
    Form->SetCaption(QStringLiteral("Сотрудник"));
    Form->SetClientWidth(360);
    Form->SetClientHeight(250);
    int top = 12;
    auto row = [&](const char* label) {
        Caption(Form, label, top);
        int t = top;
        top += 34;
        return t;
    };
    auto* name = Create<TCustomDBEditEh>(Form);
    name->SetParent(Form);
    name->SetBounds(130, row("Фамилия:"), 210, 24);
    Bind(name, DS, "Name");
    name->EmptyDataInfo()->SetText(QStringLiteral("Введите фамилию"));

    auto* born = Create<TDBDateTimeEditEh>(Form);
    born->SetParent(Form);
    born->SetBounds(130, row("Дата рождения:"), 120, 24);
    Bind(born, DS, "Born");

    auto* stamp = Create<TDBDateTimeEditEh>(Form);
    stamp->SetParent(Form);
    stamp->SetKind(dtkDateTimeEh);
    stamp->SetBounds(130, row("Последний вход:"), 170, 24);
    Bind(stamp, DS, "Stamp");

    auto* color = Create<TDBComboBoxEh>(Form);
    color->SetParent(Form);
    color->Items()->SetText(QStringLiteral("Красный\nСиний\nЗелёный"));
    color->KeyItems()->SetText(QStringLiteral("R\nB\nG"));
    color->SetBounds(130, row("Цвет пропуска:"), 150, 24);
    Bind(color, DS, "Color");

    auto* price = Create<TDBNumberEditEh>(Form);
    price->SetParent(Form);
    price->SetDisplayFormat(QStringLiteral("#,##0.00 'руб.'"));
    price->EditButton()->SetVisible(true);
    price->SetBounds(130, row("Оклад:"), 150, 24);
    Bind(price, DS, "Price");

    auto* flag = Create<TDBCheckBoxEh>(Form);
    flag->SetParent(Form);
    flag->SetCaption(QStringLiteral("Действующий пропуск"));
    flag->SetBounds(130, row(""), 200, 20);
    Bind(flag, DS, "Flag");

    Show(name);
    EXPECT_FALSE(SaveFormWithPopups(Form, QStringLiteral("dbctrls-demo")).isEmpty());
    // The same form with the combo's list open.
    color->SetFocus();
    PumpEvents(5);
    SendKey(color, Qt::Key_Down, Qt::AltModifier);
    PumpEvents(5);
    EXPECT_TRUE(color->ListVisible());
    EXPECT_FALSE(SaveFormWithPopups(Form, QStringLiteral("dbctrls-demo-dropped")).isEmpty());
}

} // namespace
