#pragma once
// The Wiegand-26 dialog: a test card and the start of the message range as facility code and
// card number.

#include "platform/ui/Forms.h"

class TLabel;
class TEdit;
class TButton;

class TWiegant26Form : public TForm {
    KVT_CLASS(TWiegant26Form, TForm)
public:
    explicit TWiegant26Form(TComponent* AOwner);
    ~TWiegant26Form() override;

    TLabel* CompanyCodeLabel = nullptr;
    TLabel* CardNumberLabel = nullptr;
    TLabel* TestCardLabel = nullptr;
    TEdit* tCard1Edit = nullptr;
    TEdit* tCard2Edit = nullptr;
    TLabel* StartRangeLabel = nullptr;
    TEdit* osn1Edit = nullptr;
    TEdit* osn2Edit = nullptr;
    TButton* SaveButton = nullptr;
    TButton* CancelButton = nullptr;
};

extern TWiegant26Form* Wiegant26Form;
