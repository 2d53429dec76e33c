#include "lib/tools/PropFilerEh.h"

#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

#include <QWidget>

#include <utility>
#include <vector>

namespace {
// Registration order: entry i pairs target class i with interceptor class i.
std::vector<std::pair<const TClassInfo*, TStoragePropertyInterceptorClass>>& Registry() {
    static std::vector<std::pair<const TClassInfo*, TStoragePropertyInterceptorClass>> r = [] {
        std::vector<std::pair<const TClassInfo*, TStoragePropertyInterceptorClass>> v;
        v.emplace_back(&TCustomForm::StaticClassInfo(),
                       InterceptorClassOf<TFormStoragePropertyInterceptor>());
        return v;
    }();
    return r;
}
} // namespace

void UnregisterPropertyInterceptor(const TClassInfo* TargetClass,
                                   TStoragePropertyInterceptorClass InterceptorClass) {
    auto& r = Registry();
    for (size_t i = r.size(); i-- > 0;)
        if (r[i].first == TargetClass && r[i].second == InterceptorClass)
            r.erase(r.begin() + std::ptrdiff_t(i));
}

void RegisterPropertyInterceptor(const TClassInfo* TargetClass,
                                 TStoragePropertyInterceptorClass InterceptorClass) {
    auto& r = Registry();
    for (size_t i = r.size(); i-- > 0;)
        if (r[i].first == TargetClass) UnregisterPropertyInterceptor(TargetClass, r[i].second);
    r.emplace_back(TargetClass, InterceptorClass);
}

TStoragePropertyInterceptorClass FindPropertyInterceptorClass(const TClassInfo* TargetClass) {
    for (const auto& e : Registry())
        if (e.first == TargetClass) return e.second;
    return {};
}

int PropertyInterceptorCount() {
    return int(Registry().size());
}

// ---------------------------------------------------------------------------------------------

TRect TFormStoragePropertyInterceptor::NormalFormPlacement(TCustomForm* Form) {
    if (Form->WindowState() != wsNormal && Form->HandleAllocated() && Form->Widget()) {
        const QRect g = Form->Widget()->normalGeometry();
        if (g.isValid()) return TRect(g.x(), g.y(), g.x() + g.width(), g.y() + g.height());
    }
    return TRect(Form->Left(), Form->Top(), Form->Left() + Form->Width(), Form->Top() + Form->Height());
}

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TObject* ATarget)
    : TStoragePropertyInterceptor(ATarget) {
    auto* f = dynamic_cast<TCustomForm*>(ATarget);
    if (!f) return;
    const TRect r = NormalFormPlacement(f);
    FTop = r.Top;
    FLeft = r.Left;
    FHeight = r.Height();
    FWidth = r.Width();
    FPixelsPerInch = f->PixelsPerInch();
    FWindowState = f->WindowState();
    FActiveControl = f->ActiveControl();
}

namespace {
TRect LivePlacement(TObject* Target) {
    auto* f = dynamic_cast<TCustomForm*>(Target);
    return f ? TFormStoragePropertyInterceptor::NormalFormPlacement(f) : TRect();
}
} // namespace

int TFormStoragePropertyInterceptor::Left() const {
    return LivePlacement(Target()).Left;
}
int TFormStoragePropertyInterceptor::Top() const {
    return LivePlacement(Target()).Top;
}
int TFormStoragePropertyInterceptor::Width() const {
    return LivePlacement(Target()).Width();
}
int TFormStoragePropertyInterceptor::Height() const {
    return LivePlacement(Target()).Height();
}
void TFormStoragePropertyInterceptor::SetLeft(int Value) {
    FLeft = Value;
    FPosPresent = true;
}
void TFormStoragePropertyInterceptor::SetTop(int Value) {
    FTop = Value;
    FPosPresent = true;
}

void TFormStoragePropertyInterceptor::Readed() {
    // A placement stored without a resolution (0 or less) is taken as it is: rescaling by it
    // would put the form at -1, -1 with size -1.
    if (FPixelsPerInch > 0) {
        const int ppi = Screen ? Screen->PixelsPerInch() : 96;
        FHeight = MulDiv(FHeight, ppi, FPixelsPerInch);
        FLeft = MulDiv(FLeft, ppi, FPixelsPerInch);
        FTop = MulDiv(FTop, ppi, FPixelsPerInch);
        FWidth = MulDiv(FWidth, ppi, FPixelsPerInch);
    }
    auto* f = dynamic_cast<TCustomForm*>(Target());
    if (!f) return;
    if (FWindowState != wsNormal) {
        // The bounds go in first, so that restoring the window later brings them back.
        if (f->WindowState() != wsNormal) f->SetWindowState(wsNormal);
        f->SetBounds(FLeft, FTop, FWidth, FHeight);
        f->SetWindowState(FWindowState);
    } else {
        f->SetWindowState(FWindowState);
        f->SetBounds(FLeft, FTop, FWidth, FHeight);
    }
    if (FActiveControl && GetParentForm(FActiveControl) == f) {
        try {
            f->SetActiveControl(FActiveControl);
        } catch (const EInvalidOperation&) {
            // A control that cannot take the focus now is simply not made active.
        }
    }
}

KVT_ENUM_TYPE(TWindowState, wsNormal, wsMinimized, wsMaximized)

KVT_PUBLISHED(TFormStoragePropertyInterceptor) {
    P.Prop("ActiveControl", &TFormStoragePropertyInterceptor::ActiveControl,
           &TFormStoragePropertyInterceptor::SetActiveControl);
    P.Prop("Height", &TFormStoragePropertyInterceptor::Height, &TFormStoragePropertyInterceptor::SetHeight);
    P.Prop("Left", &TFormStoragePropertyInterceptor::Left, &TFormStoragePropertyInterceptor::SetLeft);
    P.Prop("PixelsPerInch", &TFormStoragePropertyInterceptor::PixelsPerInch,
           &TFormStoragePropertyInterceptor::SetPixelsPerInch);
    P.Prop("Top", &TFormStoragePropertyInterceptor::Top, &TFormStoragePropertyInterceptor::SetTop);
    P.Prop("Width", &TFormStoragePropertyInterceptor::Width, &TFormStoragePropertyInterceptor::SetWidth);
    P.Prop("WindowState", &TFormStoragePropertyInterceptor::WindowState,
           &TFormStoragePropertyInterceptor::SetWindowState);
}
