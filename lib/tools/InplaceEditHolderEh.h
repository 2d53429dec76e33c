#pragma once
// The interface of a control (a grid) that hosts a data-aware editor as its cell editor. Kept
// apart from the editors so that a host's header need not include them.

#include "platform/ui/Controls.h"

// Implemented by the host. A key handler that sets Key to 0 consumes the key.
class IInplaceEditHolderEh {
public:
    static constexpr TGUID IID{0x4BE708F1, 0x4EA2, 0x4AC7, {0xBA, 0x64, 0x89, 0xD7, 0xD2, 0xB8, 0x3E, 0x09}};
    virtual ~IInplaceEditHolderEh() = default;
    virtual bool InplaceEditCanModify(TControl* Control) = 0;
    // The screen position and message time of the host's last mouse-down.
    virtual void GetMouseDownInfo(TPoint& Pos, int& Time) = 0;
    // Sees every message of the editor first; a non-zero Result stops the editor's handling.
    virtual void InplaceEditWndProc(TControl* Control, TMessage& Message) = 0;
    virtual void InplaceEditKeyDown(TControl* Control, Word& Key, TShiftState Shift) = 0;
    virtual void InplaceEditKeyPress(TControl* Control, Char& Key) = 0;
    virtual void InplaceEditKeyUp(TControl* Control, Word& Key, TShiftState Shift) = 0;
};
