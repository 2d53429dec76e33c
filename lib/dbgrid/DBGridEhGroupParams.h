#pragma once
// Parameters of a group row and of a group footer cell handed to the data grid's events; the
// grid owns one of each and refills it before every call.

#include "lib/grids/GridsEh.h"
#include "platform/ui/Graphics.h"

class TCustomImageList;

class TGroupRowParamsEh : public TObject {
    KVT_CLASS(TGroupRowParamsEh, TObject)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TFont* Font() const { return FFont; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    TCustomImageList* Images() const { return FImageList; }
    void SetImages(TCustomImageList* Value) { FImageList = Value; }
    const String& GroupRowText() const { return FGroupRowText; }
    void SetGroupRowText(const String& Value) { FGroupRowText = Value; }
    TGridDrawState State() const { return FState; }

    TColor FColor = clWindow;
    TFont* FFont = nullptr;
    int FImageIndex = 0;
    TCustomImageList* FImageList = nullptr;
    String FGroupRowText;
    TGridDrawState FState;
};

class TGroupFooterParamsEh : public TObject {
    KVT_CLASS(TGroupFooterParamsEh, TObject)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TFont* Font() const { return FFont; }
    const String& Text() const { return FText; }
    void SetText(const String& Value) { FText = Value; }
    const Variant& Value() const { return FValue; }
    TGridDrawState State() const { return FState; }

    TColor FColor = clWindow;
    TFont* FFont = nullptr;
    String FText;
    Variant FValue;
    TGridDrawState FState;
};
