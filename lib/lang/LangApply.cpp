// Captions of the tool's windows from the language file: one section per window, named after it.

#include "lib/lang/LangUnit.h"

#include "platform/classes/IniFiles.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <map>

namespace {

std::map<QString, TApplyLanguageHook>& Hooks() {
    static std::map<QString, TApplyLanguageHook> hooks;
    return hooks;
}

// The caption of a control keyed by its name.
template <class T> void ApplyCaption(TComponent* c, TStrings* section, bool skipEmpty) {
    auto* t = dynamic_cast<T*>(c);
    if (!t) return;
    if (skipEmpty && t->Caption().isEmpty()) return;
    t->SetCaption(GetLangValue(section, t->Name(), t->Caption()));
}

void ApplyComponent(TComponent* c, TStrings* section) {
    // Exact class names: a descendant keeps its stored texts.
    const String cls = c->ClassName();
    if (cls == "TButton" || cls == "TLabel" || cls == "TCheckBox" || cls == "TTabSheet") {
        ApplyCaption<TControl>(c, section, false);
    } else if (cls == "TBitBtn" || cls == "TGroupBox" || cls == "TRadioGroup") {
        ApplyCaption<TControl>(c, section, true); // radio group items are not translated
    } else if (cls == "TLabeledEdit") {
        if (auto* e = dynamic_cast<TLabeledEdit*>(c))
            e->EditLabel()->SetCaption(GetLangValue(section, e->Name(), e->EditLabel()->Caption()));
    } else if (cls == "TMenuItem") {
        if (auto* m = dynamic_cast<TMenuItem*>(c); m && m->Caption() != "-")
            m->SetCaption(GetLangValue(section, m->Name(), m->Caption()));
    } else if (cls == "TComboBox") {
        auto* cb = dynamic_cast<TComboBox*>(c);
        if (!cb || cb->Style() != csDropDownList) return;
        const int index = cb->ItemIndex();
        for (int k = 0; k < cb->Items()->Count(); ++k)
            cb->Items()->SetStrings(
                k, GetLangValue(section, cb->Name() + QString::number(k), cb->Items()->Strings(k)));
        cb->SetItemIndex(index);
    } else if (auto it = Hooks().find(cls); it != Hooks().end()) {
        it->second(c, section);
    }
}

} // namespace

void RegisterApplyLanguageHook(const String& ClassName, TApplyLanguageHook Hook) {
    if (Hook)
        Hooks()[ClassName] = std::move(Hook);
    else
        Hooks().erase(ClassName);
}

void ApplyLanguage(TCustomForm* Form, const String& FileName) {
    if (!Form) return;
    TStringList section;
    try {
        TMemIniFile ini(LanguageDir() + FileName);
        ini.ReadSectionValues(Form->Name(), &section);
    } catch (const Exception&) {
        section.Clear(); // no file, no translation
    }
    Form->SetCaption(GetLangValue(&section, Form->Name(), Form->Caption()));
    for (int i = 0; i < Form->ComponentCount(); ++i)
        ApplyComponent(Form->Components(i), &section);
}
