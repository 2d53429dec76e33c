#pragma once
// Property interceptors: stand-in objects through which a property store saves and restores a
// component's state that its own published properties do not carry. A registry pairs component
// classes with interceptor classes; forms are registered with one that keeps their restored
// placement, window state and active control, rescaled to the screen resolution of the day.

#include "platform/classes/Classes.h"
#include "platform/ui/Forms.h"

class TStoragePropertyInterceptor;

// The class of an interceptor: its class information and its (virtual) constructor.
struct TStoragePropertyInterceptorClass {
    const TClassInfo* Info = nullptr;
    TStoragePropertyInterceptor* (*Create)(TObject* Target) = nullptr;
    friend bool operator==(const TStoragePropertyInterceptorClass& a,
                           const TStoragePropertyInterceptorClass& b) {
        return a.Info == b.Info;
    }
};
template <class T> TStoragePropertyInterceptorClass InterceptorClassOf() {
    return {&T::StaticClassInfo(),
            [](TObject* Target) -> TStoragePropertyInterceptor* { return new T(Target); }};
}

class TStoragePropertyInterceptor : public TPersistent {
    KVT_CLASS(TStoragePropertyInterceptor, TPersistent)
public:
    explicit TStoragePropertyInterceptor(TObject* ATarget) : FTarget(ATarget) {}
    TObject* Target() const { return FTarget; }
    virtual bool NeedIntercept() { return true; }
    // All stored values are in: apply them to the target.
    virtual void Readed() {}

private:
    TObject* FTarget;
};

class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
    KVT_CLASS(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)
public:
    explicit TFormStoragePropertyInterceptor(TObject* ATarget);
    void Readed() override;
    void GetNotmalFormPlacement() {}

    // Live readers: the target form's normal (restored) placement; 0 for anything else.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int Value);
    void SetTop(int Value);
    void SetWidth(int Value) { FWidth = Value; }
    void SetHeight(int Value) { FHeight = Value; }
    // Stored values only.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Value) { FActiveControl = Value; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value) { FWindowState = Value; }
    bool PosPresent() const { return FPosPresent; }

    // The rectangle a form returns to when restored.
    static TRect NormalFormPlacement(TCustomForm* Form);

private:
    TWinControl* FActiveControl = nullptr;
    int FHeight = 0;
    int FLeft = 0;
    int FPixelsPerInch = 0;
    bool FPosPresent = false;
    int FTop = 0;
    int FWidth = 0;
    TWindowState FWindowState = wsNormal;
};

// Replaces any earlier interceptor class of TargetClass.
void RegisterPropertyInterceptor(const TClassInfo* TargetClass,
                                 TStoragePropertyInterceptorClass InterceptorClass);
void UnregisterPropertyInterceptor(const TClassInfo* TargetClass,
                                   TStoragePropertyInterceptorClass InterceptorClass);
// The interceptor class registered for exactly TargetClass (none: Info nullptr).
TStoragePropertyInterceptorClass FindPropertyInterceptorClass(const TClassInfo* TargetClass);
int PropertyInterceptorCount();
