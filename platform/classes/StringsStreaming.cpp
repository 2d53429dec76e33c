// The stored form of string lists inside component streams: the lines as one list of strings
// under the defined property "Strings", written only when they differ from the ancestor's.

#include "platform/classes/Classes.h"
#include "platform/classes/ComponentStreams.h"

void TStrings::DefineProperties(TFiler* Filer) {
    bool hasData;
    if (auto* ancestor = dynamic_cast<TStrings*>(Filer->Ancestor()))
        hasData = !Equals(ancestor);
    else
        hasData = Count() > 0;
    Filer->DefineProperty(
        QStringLiteral("Strings"),
        [this](TReader* Reader) {
            Reader->ReadListBegin();
            BeginUpdate();
            try {
                Clear();
                while (!Reader->EndOfList())
                    Add(Reader->ReadString());
            } catch (...) {
                EndUpdate();
                throw;
            }
            EndUpdate();
            Reader->ReadListEnd();
        },
        [this](TWriter* Writer) {
            Writer->WriteListBegin();
            for (int i = 0; i < Count(); ++i)
                Writer->WriteString(Strings(i));
            Writer->WriteListEnd();
        },
        hasData);
}
