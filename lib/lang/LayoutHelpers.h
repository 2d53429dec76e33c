#pragma once
// Small helpers that build the windows' controls in code: each creates a component owned by
// the window, names it, puts it into its parent and places it.

#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <initializer_list>

namespace layout {

// Names an existing control, puts it into its parent and places it.
inline void Place(TControl* Control, TWinControl* Parent, const String& Name, int X, int Y, int W, int H) {
    Control->SetName(Name);
    if (Parent) Control->SetParent(Parent);
    Control->SetBounds(X, Y, W, H);
}

template <class T>
T* Add(TComponent* Owner, TWinControl* Parent, const String& Name, int X, int Y, int W, int H) {
    T* c = new T(Owner);
    c->SetName(Name);
    if (Parent) c->SetParent(Parent);
    c->SetBounds(X, Y, W, H);
    return c;
}

inline TGroupBox* Group(TComponent* Owner, TWinControl* Parent, const String& Name, const String& Caption,
                        int X, int Y, int W, int H) {
    auto* g = Add<TGroupBox>(Owner, Parent, Name, X, Y, W, H);
    g->SetCaption(Caption);
    return g;
}

inline TLabel* Label(TComponent* Owner, TWinControl* Parent, const String& Name, const String& Caption, int X,
                     int Y) {
    auto* l = Add<TLabel>(Owner, Parent, Name, X, Y, 0, 13);
    l->SetCaption(Caption);
    return l;
}

// A labelled edit with its label to the left; the label's right edge stands a few pixels
// before EditX.
inline TLabeledEdit* LabeledEdit(TComponent* Owner, TWinControl* Parent, const String& Name,
                                 const String& Caption, int EditX, int Y, int EditW, int MaxLength = 0,
                                 bool NumbersOnly = false) {
    auto* e = new TLabeledEdit(Owner);
    e->SetName(Name);
    e->SetLabelPosition(lpLeft);
    e->SetLabelSpacing(4);
    e->SetParent(Parent);
    e->SetBounds(EditX, Y, EditW, 21);
    e->EditLabel()->SetCaption(Caption);
    e->SetAlignment(taCenter);
    e->SetText(String());
    if (MaxLength > 0) e->SetMaxLength(MaxLength);
    e->SetNumbersOnly(NumbersOnly);
    return e;
}

inline TEdit* Edit(TComponent* Owner, TWinControl* Parent, const String& Name, int X, int Y, int W,
                   int MaxLength = 0, bool NumbersOnly = false) {
    auto* e = Add<TEdit>(Owner, Parent, Name, X, Y, W, 21);
    e->SetText(String());
    if (MaxLength > 0) e->SetMaxLength(MaxLength);
    e->SetNumbersOnly(NumbersOnly);
    e->SetAlignment(taCenter);
    return e;
}

inline TCheckBox* Check(TComponent* Owner, TWinControl* Parent, const String& Name, const String& Caption,
                        int X, int Y, int W) {
    auto* c = Add<TCheckBox>(Owner, Parent, Name, X, Y, W, 17);
    c->SetCaption(Caption);
    return c;
}

inline TComboBox* Combo(TComponent* Owner, TWinControl* Parent, const String& Name, int X, int Y, int W,
                        std::initializer_list<const char*> Items, TComboBoxStyle Style = csDropDownList) {
    auto* c = Add<TComboBox>(Owner, Parent, Name, X, Y, W, 21);
    c->SetStyle(Style);
    for (const char* item : Items)
        c->Items()->Add(QString::fromUtf8(item));
    if (Style == csDropDownList && c->Items()->Count() > 0) c->SetItemIndex(0);
    return c;
}

inline TRadioGroup* RadioGroup(TComponent* Owner, TWinControl* Parent, const String& Name,
                               const String& Caption, std::initializer_list<const char*> Items, int X, int Y,
                               int W, int H) {
    auto* g = Add<TRadioGroup>(Owner, Parent, Name, X, Y, W, H);
    g->SetCaption(Caption);
    for (const char* item : Items)
        g->Items()->Add(QString::fromUtf8(item));
    return g;
}

// A new last page of PageControl.
inline TTabSheet* Page(TComponent* Owner, TPageControl* PageControl, const String& Name,
                       const String& Caption) {
    auto* ts = new TTabSheet(Owner);
    ts->SetName(Name);
    ts->SetPageControl(PageControl);
    ts->SetCaption(Caption);
    return ts;
}

inline TButton* Button(TComponent* Owner, TWinControl* Parent, const String& Name, const String& Caption,
                       int X, int Y, int W, int H = 25) {
    auto* b = Add<TButton>(Owner, Parent, Name, X, Y, W, H);
    b->SetCaption(Caption);
    return b;
}

} // namespace layout
