#pragma once
// The resources the data grid's tool controls share: the small button images of the navigator
// and the search panel, and the one-item menu with which a shown value is copied. One instance
// serves the whole program (DBGridEhRes()).
//
// Image order of the 10-pixel lists, which the buttons ask for by index:
//   0 first, 1 prior, 2 next, 3 last, 4 insert, 5 delete, 6 edit, 7 post, 8 cancel, 9 refresh,
//   10 cross (clear the applied search filter), 11 arrow down, 12 arrow up, 13 dots, 14 funnel.
// IMList10 adds 15 (a faint chequered square) and 16 (a faint pencil); IMList10Bmp adds a blank
// 15. The disabled lists hold greyed 0..9 followed by greyed crosses.

#include "platform/classes/Classes.h"

#include "platform/ui/ImgList.h"
class TPopupMenu;
class TMenuItem;

class TDBGridEhRes : public TDataModule {
    KVT_CLASS(TDBGridEhRes, TDataModule)
public:
    explicit TDBGridEhRes(TComponent* AOwner);
    ~TDBGridEhRes() override;

    TImageList* IMList10 = nullptr;     // 10x10 with alpha, 17 images (themes in use)
    TImageList* IMList10D = nullptr;    // their disabled forms, 14
    TImageList* IMList12_D = nullptr;   // 12x12 greyed navigator glyphs, 17
    TImageList* IMList12 = nullptr;     // 12x12 navigator glyphs, 19
    TPopupMenu* PopupMenu1 = nullptr;   // one item, Copy1
    TMenuItem* Copy1 = nullptr;         // "Copy": puts its Hint on the clipboard
    TImageList* IMList10Bmp = nullptr;  // 10x10 masked, 16 (classic drawing)
    TImageList* IMList10DBmp = nullptr; // their disabled forms, 16

    void Copy1Click(TObject* Sender);
};

// The shared instance, made on first use; freed with the application (FreeDBGridEhRes).
TDBGridEhRes* DBGridEhRes();
void FreeDBGridEhRes();
// The enabled and disabled button lists for the current drawing: the alpha lists when visual
// themes are in use, else the masked ones.
TImageList* DBGridEhResImages();
TImageList* DBGridEhResDisabledImages();
