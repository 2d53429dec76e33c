#include "lib/toolscore/ToolCtrlsEhTypes.h"

namespace {
template <class I> bool Ask(TObject* Obj, void** Out) {
    I* i = dynamic_cast<I*>(Obj);
    if (Out) *Out = i;
    return i != nullptr;
}
} // namespace

bool SupportsEh(TObject* Obj, const TGUID& IID, void** Out) {
    if (Out) *Out = nullptr;
    if (!Obj) return false;
    if (IID == IMemTableEh::IID) return Ask<IMemTableEh>(Obj, Out);
    if (IID == IMTEventReceiverEh::IID) return Ask<IMTEventReceiverEh>(Obj, Out);
    if (IID == IMemTableDataFieldValueListEh::IID) return Ask<IMemTableDataFieldValueListEh>(Obj, Out);
    if (IID == IComboEditEh::IID) return Ask<IComboEditEh>(Obj, Out);
    if (IID == IDropDownFormEh::IID) return Ask<IDropDownFormEh>(Obj, Out);
    return false;
}
