#pragma once
// Image lists: equally sized images drawn by index, with change links for their users.

#include "platform/ui/Graphics.h"

class TCustomImageList;

// A user's link to an image list: the list calls Change when its images change.
class TChangeLink : public TObject {
    KVT_CLASS(TChangeLink, TObject)
public:
    TChangeLink() = default;
    ~TChangeLink() override; // unregisters from its list
    TCustomImageList* Sender() const { return FSender; }
    void SetSender(TCustomImageList* s) { FSender = s; }
    virtual void Change();
    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };
enum TColorDepth { cdDefault, cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };

// ImageList_DrawEx style flags
enum : UINT {
    ILD_NORMAL = 0,
    ILD_TRANSPARENT = 1,
    ILD_MASK = 0x10,
    ILD_IMAGE = 0x20,
    ILD_BLEND25 = 2,
    ILD_BLEND50 = 4,
    ILD_FOCUS = 2,
    ILD_SELECTED = 4
};

class TCustomImageList : public TComponent {
    KVT_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* owner = nullptr);
    TCustomImageList(int width, int height);
    ~TCustomImageList() override;
    void Assign(TPersistent* source) override;

    int Width() const { return FWidth; }
    void SetWidth(int v); // resizing clears the list
    int Height() const { return FHeight; }
    void SetHeight(int v);
    void SetSize(int w, int h);
    int Count() const { return int(FImages.size()); }
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor c);
    TColor BlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor c) { FBlendColor = c; }
    TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle s);
    TImageType ImageType() const { return FImageType; }
    void SetImageType(TImageType t);
    bool Masked() const { return FMasked; }
    void SetMasked(bool v) { FMasked = v; }
    TColorDepth ColorDepth() const { return FColorDepth; }
    void SetColorDepth(TColorDepth v) { FColorDepth = v; }
    bool HandleAllocated() const { return true; }
    // The list as a handle value for the image-list calls below.
    TCustomImageList* Handle() { return this; }

    // A bitmap (several images side by side when it is wider than Width); mask may be null.
    // Returns the index of the first image added.
    int Add(TBitmap* image, TBitmap* mask);
    // Pixels of maskColor are transparent (clDefault: the bottom-left pixel's colour).
    int AddMasked(TBitmap* image, TColor maskColor);
    int AddIcon(TIcon* icon);
    int AddImage(TCustomImageList* source, int index);
    void AddImages(TCustomImageList* source);
    // From a QImage with alpha (the layer's own images).
    int AddQImage(const QImage& image);
    void Insert(int index, TBitmap* image, TBitmap* mask);
    void InsertMasked(int index, TBitmap* image, TColor maskColor);
    void Replace(int index, TBitmap* image, TBitmap* mask);
    void ReplaceMasked(int index, TBitmap* image, TColor maskColor);
    void Delete(int index); // EInvalidOperation "Invalid ImageList Index" / -1 clears
    void Move(int cur, int dest);
    void Clear();

    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
              bool enabled = true);
    void DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay, bool enabled = true);
    // Returns false when the index is out of range.
    bool GetBitmap(int index, TBitmap* image);
    void GetIcon(int index, TIcon* icon);
    QImage Image(int index) const; // with alpha

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    void BeginUpdate();
    void EndUpdate();

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    // The drawing behind Draw: the image at x,y in rect w,h with ILD_ style flags.
    virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled = true);

private:
    void CheckIndex(int index) const;
    std::vector<QImage> Split(const QImage& strip) const;
    std::vector<std::unique_ptr<QImage>> FImages;
    std::vector<TChangeLink*> FLinks;
    int FWidth = 16;
    int FHeight = 16;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    TImageType FImageType = itImage;
    TColorDepth FColorDepth = cdDefault;
    bool FMasked = true;
    int FUpdateCount = 0;
    bool FChanged = false;
};

class TImageList : public TCustomImageList {
    KVT_CLASS(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;
};

// The platform's ImageList_DrawEx over a list: bk/fg are COLORREF or CLR_NONE/CLR_DEFAULT.
BOOL ImageList_DrawEx(TCustomImageList* list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF bk,
                      COLORREF fg, UINT style);
BOOL ImageList_Draw(TCustomImageList* list, int index, HDC dc, int x, int y, UINT style);
int ImageList_GetImageCount(TCustomImageList* list);
