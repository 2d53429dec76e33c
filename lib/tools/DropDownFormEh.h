#pragma once
// The base of forms that an edit control or a grid cell opens next to itself: a borderless form
// with corner grips, a close button and a sizing bar, placed on the work area, closed when it
// loses activation, exchanging values with its opener through named variables.

#include "lib/tools/ToolCtrlsEh.h"
#include "lib/toolscore/DynVarsEh.h"

enum TDropDownFormElementEh { ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh };
using TDropDownFormElementsEh = TSet<TDropDownFormElementEh>;
enum TDropLayoutEh { dlAboveControlEh, dlUnderControlEh };

class TCustomDropDownFormEh;
using TInitDropDownFormEventEh = TEvent<void(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams)>;
using TPutBackFormParamsEventEh = TEvent<void(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams)>;

// The close button: the tool-tip close glyph; a click closes the form that holds it.
class TDDFCloseButtonEh : public TWinControl {
    KVT_CLASS(TDDFCloseButtonEh, TWinControl)
public:
    explicit TDDFCloseButtonEh(TComponent* AOwner);
    TSpeedButtonEh* ButtonControl() const { return FButtonControl; }

private:
    void ButtonPaint(TObject* Sender);
    void ButtonClick(TObject* Sender);
    TSpeedButtonEh* FButtonControl = nullptr;
};

// A band along the form's top or bottom edge that resizes the form vertically.
class TDDFSizingBarEh : public TCustomPanel {
    KVT_CLASS(TDDFSizingBarEh, TCustomPanel)
public:
    explicit TDDFSizingBarEh(TComponent* AOwner);
    TWinControl* HostControl() const { return FHostControl; }
    void SetHostControl(TWinControl* Value) { FHostControl = Value; }
    int SizingArea() const { return FSizingArea; }
    bool InSizingArea(int Y) const;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;

private:
    TWinControl* FHostControl = nullptr;
    TPoint FMouseDownPos{-1, -1};
    int FSizingArea = 10;
};

class TCustomDropDownFormEh : public TForm, public IDropDownFormEh {
    KVT_CLASS(TCustomDropDownFormEh, TForm)
public:
    explicit TCustomDropDownFormEh(TComponent* AOwner);
    TCustomDropDownFormEh(TComponent* AOwner, int Dummy);
    ~TCustomDropDownFormEh() override;
    void BeforeDestruction() override;

    // IDropDownFormEh
    bool Execute(TControl* RelativePosControl, TControl* DownStateControl, TDropDownAlign Align,
                 TDynVarsEh* DynParams) override;
    bool GetReadOnly() override { return FReadOnly; }
    void ExecuteNomodal(TControl* RelativePosControl, TControl* DownStateControl, TDropDownAlign Align,
                        TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams,
                        const TDropDownFormCallbackProcEh& CallbackProc) override;
    void Close() override { TForm::Close(); }
    void SetReadOnly(bool Value) override { FReadOnly = Value; }

    virtual void PaintNonClientBorder();
    virtual void InitForm(TComponent* Host, TDynVarsEh* DynParams);
    virtual void InitElements();
    virtual void ReturnParams(TComponent* Host, TDynVarsEh* DynParams);
    // The instance a form class keeps globally (an opener that finds the class by name uses it and
    // creates a form of its own only when there is none). A class without one answers nullptr.
    using TGlobalRefProc = TCustomDropDownFormEh* (*)();
    static TCustomDropDownFormEh* GetGlobalRef(TClass FormClass);
    // Tells the openers how to reach the global instance of FormClass (nullptr: it has none).
    static void RegisterGlobalRef(TClass FormClass, TGlobalRefProc Proc);

    // The opener goes away while a run is pending: forget its callback without calling it.
    void ForgetCallback() { FCallbackProc = nullptr; }

    TDropDownFormElementsEh FormElements() const { return FFormElements; }
    void SetFormElements(TDropDownFormElementsEh Value);
    int BorderWidthEh() const { return FBorderWidth; }
    bool KeepFormVisible() const { return FKeepFormVisible; }
    void SetKeepFormVisible(bool Value) { FKeepFormVisible = Value; }
    const TDropDownFormCallbackProcEh& CallbackProc() const { return FCallbackProc; }
    TDropLayoutEh DropLayout() const { return FDropLayout; }
    TSizeGripEh* SizeGrip() const { return FSizeGrip; }
    TSizeGripEh* SizeGrip2() const { return FSizeGrip2; }
    TDDFCloseButtonEh* CloseButton() const { return FCloseButton; }
    TDDFSizingBarEh* SizingBar() const { return FSizingBar; }
    bool ModalMode() const { return FModalMode; }

    TInitDropDownFormEventEh OnInitForm;
    TPutBackFormParamsEventEh OnReturnParams;

    // How long a modal run waits for the window to become active before it gives up.
    static int ActivationTimeoutMs;

protected:
    void InitializeNewForm();
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DoClose(TCloseAction& Action) override;
    void Dispatch(TMessage& Message) override;
    // The frame is painted inside the client area, which aligned children leave free.
    void PaintWindow(HDC DC) override;
    void AdjustClientRect(TRect& Rect) override;
    // Places the form next to the anchor on the primary monitor's work area.
    TDropLayoutEh PlaceNear(TControl* RelativePosControl, TDropDownAlign Align);

private:
    void StartRun(TControl* RelativePosControl, TDropDownAlign Align, TDynVarsEh* DynParams);
    void EndPendingRun();
    void PlaceGrips();

    TSizeGripEh* FSizeGrip = nullptr;
    TSizeGripEh* FSizeGrip2 = nullptr;
    int FBorderWidth = 3;
    TDropDownFormCallbackProcEh FCallbackProc;
    bool FKeepFormVisible = false;
    TDropDownFormElementsEh FFormElements{ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh,
                                          ddfeSizingBarEh};
    bool FReadOnly = false;
    TDropLayoutEh FDropLayout = dlUnderControlEh;
    TDynVarsEh* FDynParams = nullptr;
    TDropDownFormSysParams* FSysParams = nullptr;
    bool FModalMode = false;
    bool FActivateClosing = false;
    TDDFCloseButtonEh* FCloseButton = nullptr;
    TDDFSizingBarEh* FSizingBar = nullptr;
};
