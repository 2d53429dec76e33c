// The configuration tool's program: start-up, the four windows, the message loop.

#include "app/AppLanguage.h"
#include "app/MainUnit.h"
#include "app/Rs485Unit.h"
#include "app/UnitsUnit.h"
#include "app/Wiegant26Unit.h"

#include "lib/lang/LangUnit.h"
#include "events/EventEditUnit.h"
#include "platform/ui/Forms.h"

int main() {
    // The units' vocabularies first; their first look-up loads the language file.
    InitRs485Vocabulary();
    InitEventVocabulary();
    try {
        LoadLanguage(LanguageFileName);
        InitForms();
        Application->Initialize();
        UseRussianLanguage();
        Application->SetMainFormOnTaskBar(true);
        Application->CreateForm(MainForm);
        Application->CreateForm(UnitsForm);
        Application->CreateForm(Wiegant26Form);
        Application->CreateForm(EventEditForm);
        Application->Run();
    } catch (Exception& e) {
        Application->ShowException(&e);
    } catch (...) {
        Exception e{String()};
        Application->ShowException(&e);
    }
    return 0;
}
