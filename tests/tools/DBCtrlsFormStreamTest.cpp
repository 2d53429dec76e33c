// A form of editors in a component stream: the control settings each editor publishes and its
// event handlers, bound by name to the form that reads the stream.

#include "DBCtrlsTestUtil.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Menus.h"

namespace {

// A form that stores what it owns and offers its handlers by name.
class TEditorsForm : public TForm {
    KVT_CLASS(TEditorsForm, TForm)
public:
    using TForm::TForm;
    std::vector<String> Calls;
    void Note(TObject* Sender, const char* what) {
        Calls.push_back(QString::fromLatin1(what) + QLatin1Char(' ') +
                        static_cast<TComponent*>(Sender)->Name());
    }
    void EditChange(TObject* Sender) { Note(Sender, "change"); }
    void EditClick(TObject* Sender) { Note(Sender, "click"); }
    void EditEnter(TObject* Sender) { Note(Sender, "enter"); }
    void EditButtonClick(TObject* Sender, bool& Handled) {
        Note(Sender, "button");
        Handled = true;
    }
    void EditKeyPress(TObject* Sender, Char& Key) {
        Note(Sender, "key");
        Key = QChar();
    }
    void EditImageIndex(TObject*, int& Index) { Index = 7; }
    void EditUpdateData(TObject* Sender, bool&) { Note(Sender, "update"); }
    void ComboNotInList(TObject* Sender, const String&, bool&) { Note(Sender, "notinlist"); }
    void EditCloseUp(TObject* Sender, bool) { Note(Sender, "closeup"); }
    void EditDropDown(TObject* Sender) { Note(Sender, "dropdown"); }
    void ActionExecute(TObject*) { Calls.push_back(u"action"_qs); }

    void GetChildren(TGetChildProc Proc, TComponent*) override {
        for (int i = 0; i < ComponentCount(); ++i)
            Proc(Components(i));
    }
    TComponent* GetChildOwner() override { return this; }
};

} // namespace

KVT_PUBLISHED_METHODS(TEditorsForm) {
    M.Method("EditChange", &TEditorsForm::EditChange);
    M.Method("EditClick", &TEditorsForm::EditClick);
    M.Method("EditEnter", &TEditorsForm::EditEnter);
    M.Method("EditButtonClick", &TEditorsForm::EditButtonClick);
    M.Method("EditKeyPress", &TEditorsForm::EditKeyPress);
    M.Method("EditImageIndex", &TEditorsForm::EditImageIndex);
    M.Method("EditUpdateData", &TEditorsForm::EditUpdateData);
    M.Method("ComboNotInList", &TEditorsForm::ComboNotInList);
    M.Method("EditCloseUp", &TEditorsForm::EditCloseUp);
    M.Method("EditDropDown", &TEditorsForm::EditDropDown);
    M.Method("ActionExecute", &TEditorsForm::ActionExecute);
}

namespace {

struct Registrar {
    Registrar() {
        RegisterComponentClass<TEditorsForm>();
        RegisterComponentClass<TDBNumberEditEh>();
        RegisterComponentClass<TDBComboBoxEh>();
        RegisterComponentClass<TDBDateTimeEditEh>();
        RegisterComponentClass<TDBCheckBoxEh>();
        RegisterComponentClass<TPopupMenu>();
        RegisterComponentClass<TAction>();
    }
} registrar;

using FormPtr = std::unique_ptr<TEditorsForm, void (*)(TEditorsForm*)>;
FormPtr NewForm() {
    auto* f = Create<TEditorsForm>(nullptr);
    f->SetName(u"EditorsForm"_qs);
    f->SetBounds(50, 50, 400, 300);
    return FormPtr(f, [](TEditorsForm* p) { p->Free(); });
}

template <class E> E* Add(TEditorsForm* f, const char* name, int top) {
    E* e = Create<E>(f);
    e->SetName(QString::fromLatin1(name));
    e->SetParent(f);
    e->SetBounds(10, top, 150, 24);
    return e;
}

// The control settings every editor publishes, set away from their defaults.
void SetControlSettings(TWinControl* e, TPopupMenu* menu) {
    e->SetAnchors(TAnchors{akLeft, akTop, akRight});
    e->SetBiDiMode(bdRightToLeft);
    e->Constraints()->SetMinWidth(60);
    e->Constraints()->SetMaxHeight(40);
    e->SetDragCursor(crHandPoint);
    e->SetDragKind(dkDock);
    e->SetDragMode(dmAutomatic);
    e->SetPopupMenu(menu);
    e->Touch()->SetInteractiveGestures(TInteractiveGestures{igPan, igZoom});
    e->Touch()->SetInteractiveGestureOptions(TInteractiveGestureOptions{igoPanInertia});
}

void CheckControlSettings(TWinControl* e, TPopupMenu* menu) {
    SCOPED_TRACE(e->Name().toStdString());
    EXPECT_EQ(e->Anchors(), (TAnchors{akLeft, akTop, akRight}));
    EXPECT_EQ(e->BiDiMode(), bdRightToLeft);
    EXPECT_FALSE(e->ParentBiDiMode());
    EXPECT_EQ(e->Constraints()->MinWidth(), 60);
    EXPECT_EQ(e->Constraints()->MaxHeight(), 40);
    EXPECT_EQ(e->DragCursor(), crHandPoint);
    EXPECT_EQ(e->DragKind(), dkDock);
    EXPECT_EQ(e->DragMode(), dmAutomatic);
    EXPECT_EQ(e->PopupMenu(), menu);
    EXPECT_EQ(e->Touch()->InteractiveGestures(), (TInteractiveGestures{igPan, igZoom}));
    EXPECT_EQ(e->Touch()->InteractiveGestureOptions(), TInteractiveGestureOptions{igoPanInertia});
    EXPECT_EQ(e->Parent(), e->Owner());
}

QByteArray Save(TComponent* c) {
    TMemoryStream ms;
    WriteComponent(&ms, c);
    return QByteArray(static_cast<const char*>(ms.Memory()), int(ms.Size()));
}

QString BinaryToText(const QByteArray& b) {
    TMemoryStream in, out;
    in.WriteBuffer(b.constData(), Integer(b.size()));
    in.SetPosition(0);
    ObjectBinaryToText(&in, &out);
    return QString::fromUtf8(static_cast<const char*>(out.Memory()), int(out.Size()));
}

QByteArray TextToBinary(const QString& text) {
    TMemoryStream in, out;
    const QByteArray b = text.toUtf8();
    in.WriteBuffer(b.constData(), Integer(b.size()));
    in.SetPosition(0);
    ObjectTextToBinary(&in, &out);
    return QByteArray(static_cast<const char*>(out.Memory()), int(out.Size()));
}

void Load(const QByteArray& b, TComponent* into) {
    TMemoryStream ms;
    ms.WriteBuffer(b.constData(), Integer(b.size()));
    ms.SetPosition(0);
    ReadComponent(&ms, into);
}

TEST(EditorFormStream, ControlSettingsAndHandlersRoundTripForEveryEditor) {
    FormPtr src = NewForm();
    auto* menu = Create<TPopupMenu>(src.get());
    menu->SetName(u"EditMenu"_qs);
    auto* action = Create<TAction>(src.get());
    action->SetName(u"FlagAction"_qs);
    action->SetCaption(u"Действует"_qs);
    action->OnExecute = TNotifyEvent(src.get(), &TEditorsForm::ActionExecute);

    auto* num = Add<TDBNumberEditEh>(src.get(), "Qty", 10);
    auto* combo = Add<TDBComboBoxEh>(src.get(), "Color", 40);
    auto* date = Add<TDBDateTimeEditEh>(src.get(), "Born", 70);
    auto* check = Add<TDBCheckBoxEh>(src.get(), "Flag", 100);
    for (TWinControl* e : std::initializer_list<TWinControl*>{num, combo, date, check})
        SetControlSettings(e, menu);
    for (TCustomDBEditEh* e : std::initializer_list<TCustomDBEditEh*>{num, combo, date}) {
        e->SetBevelKind(bkFlat);
        e->SetBevelEdges(TBevelEdges{beBottom});
        e->SetBevelInner(bvNone);
        e->SetBevelOuter(bvRaised);
        e->SetImeMode(imOpen);
        e->SetImeName(u"Русская"_qs);
        e->OnChange = TNotifyEvent(src.get(), &TEditorsForm::EditChange);
        e->OnButtonClick = TButtonClickEventEh(src.get(), &TEditorsForm::EditButtonClick);
        e->OnEnter = TNotifyEvent(src.get(), &TEditorsForm::EditEnter);
        e->OnKeyPress = TKeyPressEvent(src.get(), &TEditorsForm::EditKeyPress);
        e->SetOnGetImageIndex(TGetImageIndexEventEh(src.get(), &TEditorsForm::EditImageIndex));
        e->OnUpdateData = TUpdateDataEventEh(src.get(), &TEditorsForm::EditUpdateData);
    }
    combo->OnNotInList = TNotInListEventEh(src.get(), &TEditorsForm::ComboNotInList);
    combo->OnCloseUp = TCloseUpEventEh(src.get(), &TEditorsForm::EditCloseUp);
    date->OnDropDown = TNotifyEvent(src.get(), &TEditorsForm::EditDropDown);
    check->SetAlign(alBottom);
    check->SetAction(action);
    EXPECT_EQ(check->Caption(), u"Действует"_qs);

    const QByteArray bin = Save(src.get());
    const QString text = BinaryToText(bin);
    for (const char* line :
         {"OnChange = EditChange", "OnButtonClick = EditButtonClick", "OnNotInList = ComboNotInList",
          "OnDropDown = EditDropDown", "Action = FlagAction", "PopupMenu = EditMenu",
          "ImeName = ", "BevelKind = bkFlat", "Align = alBottom", "DragKind = dkDock",
          "Touch.InteractiveGestures = [igZoom, igPan]", "Constraints.MinWidth = 60"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line << "\n" << text.toStdString();

    for (bool viaText : {false, true}) {
        SCOPED_TRACE(viaText ? "text" : "binary");
        FormPtr dst = NewForm();
        Load(viaText ? TextToBinary(text) : bin, dst.get());
        auto* menu2 = static_cast<TPopupMenu*>(dst->FindComponent(u"EditMenu"_qs));
        auto* action2 = static_cast<TAction*>(dst->FindComponent(u"FlagAction"_qs));
        auto* num2 = static_cast<TDBNumberEditEh*>(dst->FindComponent(u"Qty"_qs));
        auto* combo2 = static_cast<TDBComboBoxEh*>(dst->FindComponent(u"Color"_qs));
        auto* date2 = static_cast<TDBDateTimeEditEh*>(dst->FindComponent(u"Born"_qs));
        auto* check2 = static_cast<TDBCheckBoxEh*>(dst->FindComponent(u"Flag"_qs));
        ASSERT_TRUE(menu2 && action2 && num2 && combo2 && date2 && check2);
        for (TWinControl* e : std::initializer_list<TWinControl*>{num2, combo2, date2, check2})
            CheckControlSettings(e, menu2);
        EXPECT_EQ(num2->BoundsRect(), num->BoundsRect());
        for (TCustomDBEditEh* e : std::initializer_list<TCustomDBEditEh*>{num2, combo2, date2}) {
            SCOPED_TRACE(e->Name().toStdString());
            EXPECT_EQ(e->BevelKind(), bkFlat);
            EXPECT_EQ(e->BevelEdges(), TBevelEdges{beBottom});
            EXPECT_EQ(e->BevelInner(), bvNone);
            EXPECT_EQ(e->BevelOuter(), bvRaised);
            EXPECT_EQ(e->ImeMode(), imOpen);
            EXPECT_EQ(e->ImeName(), u"Русская"_qs);
            // The handlers are the reading form's.
            EXPECT_TRUE(e->OnChange == TNotifyEvent(dst.get(), &TEditorsForm::EditChange));
            bool handled = false;
            e->OnButtonClick(e, handled);
            EXPECT_TRUE(handled);
            Char key = u'x';
            e->OnKeyPress(e, key);
            EXPECT_TRUE(key.isNull());
            int index = 0;
            e->OnGetImageIndex()(e, index);
            EXPECT_EQ(index, 7);
            e->OnUpdateData(e, handled);
            e->OnEnter(e);
        }
        bool recheck = false;
        combo2->OnNotInList(combo2, u"x"_qs, recheck);
        combo2->OnCloseUp(combo2, true);
        date2->OnDropDown(date2);
        EXPECT_EQ(check2->Align(), alBottom);
        EXPECT_EQ(check2->Action(), action2);
        EXPECT_EQ(check2->Caption(), u"Действует"_qs);
        dst->Calls.clear();
        static_cast<TControl*>(check2)->Click(); // toggles, and the toggle runs the action
        EXPECT_EQ(dst->Calls, std::vector<String>{u"action"_qs});
        EXPECT_TRUE(src->Calls.empty());
    }
}

TEST(EditorFormStream, AStreamNamingAMissingHandlerLoadsNothing) {
    FormPtr dst = NewForm();
    const QString text = u"object EditorsForm: TEditorsForm\r\n"
                         "  object Qty: TDBNumberEditEh\r\n    Left = 10\r\n  end\r\n"
                         "  object Color: TDBComboBoxEh\r\n    OnChange = EditChange\r\n"
                         "    OnNotInList = NoSuchHandler\r\n  end\r\nend\r\n"_qs;
    try {
        Load(TextToBinary(text), dst.get());
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Method NoSuchHandler not found"_qs);
    }
    EXPECT_EQ(dst->ComponentCount(), 0);
    EXPECT_EQ(dst->ControlCount(), 0);
}

} // namespace
