// The Wiegand-26 dialog.

#include "app/Wiegant26Unit.h"

#include "lib/lang/LayoutHelpers.h"
#include "lib/lang/LangUnit.h"

using namespace layout;

TWiegant26Form* Wiegant26Form = nullptr;

TWiegant26Form::TWiegant26Form(TComponent* AOwner) : TForm(AOwner, 0) {
    SetName(QStringLiteral("Wiegant26Form"));
    SetCaption(QStringLiteral("Wiegant-26"));
    SetBorderStyle(bsToolWindow);
    SetPosition(poMainFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetHeight(-11);
    SetClientWidth(330);
    SetClientHeight(122);
    CompanyCodeLabel =
        Label(this, this, QStringLiteral("CompanyCodeLabel"), QStringLiteral("Код организации"), 130, 8);
    CardNumberLabel =
        Label(this, this, QStringLiteral("CardNumberLabel"), QStringLiteral("Номер карты"), 226, 8);
    TestCardLabel =
        Label(this, this, QStringLiteral("TestCardLabel"), QStringLiteral("Тестовая карта"), 8, 32);
    tCard1Edit = Edit(this, this, QStringLiteral("tCard1Edit"), 130, 28, 86, 3);
    tCard1Edit->SetText(QStringLiteral("255"));
    tCard2Edit = Edit(this, this, QStringLiteral("tCard2Edit"), 226, 28, 94, 0, true);
    tCard2Edit->SetText(QStringLiteral("65535"));
    StartRangeLabel = Add<TLabel>(this, this, QStringLiteral("StartRangeLabel"), 8, 56, 116, 28);
    StartRangeLabel->SetWordWrap(true);
    StartRangeLabel->SetCaption(QStringLiteral("Начало диапазона сообщений"));
    osn1Edit = Edit(this, this, QStringLiteral("osn1Edit"), 130, 58, 86, 3);
    osn1Edit->SetText(QStringLiteral("255"));
    osn2Edit = Edit(this, this, QStringLiteral("osn2Edit"), 226, 58, 94, 0, true);
    osn2Edit->SetText(QStringLiteral("65535"));
    SaveButton = Button(this, this, QStringLiteral("SaveButton"), QStringLiteral("Сохранить"), 130, 90, 86);
    SaveButton->SetModalResult(mrOk);
    CancelButton = Button(this, this, QStringLiteral("CancelButton"), QStringLiteral("Отмена"), 226, 90, 94);
    // "Отмена" closes the dialog with nothing changed.
    CancelButton->SetModalResult(mrCancel);
    CancelButton->SetCancel(true);
    ApplyLanguage(this, LanguageFileName);
}

TWiegant26Form::~TWiegant26Form() {
    if (Wiegant26Form == this) Wiegant26Form = nullptr;
}
