// Image lists: images of one size kept with alpha, drawn normal, blended or disabled.

#include "platform/ui/ImgList.h"

#include "platform/ui/GraphicsInternal.h"

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(FSender);
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(int width, int height)
    : TComponent(nullptr), FWidth(width), FHeight(height) {}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* l : FLinks)
        l->SetSender(nullptr);
}

void TCustomImageList::Assign(TPersistent* source) {
    if (auto* src = dynamic_cast<TCustomImageList*>(source)) {
        if (src == this) return;
        FWidth = src->FWidth;
        FHeight = src->FHeight;
        FBkColor = src->FBkColor;
        FBlendColor = src->FBlendColor;
        FDrawingStyle = src->FDrawingStyle;
        FImageType = src->FImageType;
        FMasked = src->FMasked;
        FImages.clear();
        for (const auto& img : src->FImages)
            FImages.push_back(std::make_unique<QImage>(*img));
        Change();
        return;
    }
    TComponent::Assign(source);
}

void TCustomImageList::SetWidth(int v) {
    SetSize(v, FHeight);
}
void TCustomImageList::SetHeight(int v) {
    SetSize(FWidth, v);
}
void TCustomImageList::SetSize(int w, int h) {
    if (w == FWidth && h == FHeight) return;
    FWidth = std::max(1, w);
    FHeight = std::max(1, h);
    FImages.clear();
    Change();
}
void TCustomImageList::SetBkColor(TColor c) {
    if (c == FBkColor) return;
    FBkColor = c;
    Change();
}
void TCustomImageList::SetDrawingStyle(TDrawingStyle s) {
    if (s == FDrawingStyle) return;
    FDrawingStyle = s;
    Change();
}
void TCustomImageList::SetImageType(TImageType t) {
    if (t == FImageType) return;
    FImageType = t;
    Change();
}

std::vector<QImage> TCustomImageList::Split(const QImage& strip) const {
    std::vector<QImage> out;
    if (strip.isNull()) return out;
    const int n = std::max(1, strip.width() / FWidth);
    for (int i = 0; i < n; ++i) {
        QImage img(FWidth, FHeight, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, strip, i * FWidth, 0, FWidth, FHeight);
        p.end();
        out.push_back(img);
    }
    return out;
}

namespace {
QImage WithMask(const QImage& src, TBitmap* mask) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    if (!mask || mask->Empty()) return img;
    const QImage m = mask->Image().convertToFormat(QImage::Format_RGB32);
    // Mask pixels that are set (white) make the image transparent.
    for (int y = 0; y < img.height() && y < m.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const auto* ml = reinterpret_cast<const QRgb*>(m.constScanLine(y));
        for (int x = 0; x < img.width() && x < m.width(); ++x)
            if (qGray(ml[x]) >= 128) line[x] = 0;
    }
    return img;
}

QImage KeyedOut(const QImage& src, QRgb key) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
    }
    return img;
}

QRgb KeyOf(TBitmap* image, TColor maskColor) {
    if (maskColor == clDefault || maskColor == clNone) {
        const QImage& img = image->Image();
        return img.isNull() ? 0 : img.pixel(0, img.height() - 1);
    }
    const COLORREF c = ColorToRef(maskColor);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}
} // namespace

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image) return -1;
    const int first = Count();
    for (QImage& img : Split(WithMask(image->Image(), mask)))
        FImages.push_back(std::make_unique<QImage>(img));
    Change();
    return first;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image) return -1;
    const int first = Count();
    for (QImage& img : Split(KeyedOut(image->Image(), KeyOf(image, maskColor))))
        FImages.push_back(std::make_unique<QImage>(img));
    Change();
    return first;
}

int TCustomImageList::AddIcon(TIcon* icon) {
    if (!icon) return -1;
    return AddQImage(
        icon->ToImage().scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

int TCustomImageList::AddImage(TCustomImageList* source, int index) {
    if (!source || index < 0 || index >= source->Count()) return -1;
    return AddQImage(source->Image(index));
}

void TCustomImageList::AddImages(TCustomImageList* source) {
    if (!source) return;
    BeginUpdate();
    for (int i = 0; i < source->Count(); ++i)
        AddImage(source, i);
    EndUpdate();
}

int TCustomImageList::AddQImage(const QImage& image) {
    const int first = Count();
    for (QImage& img : Split(image.convertToFormat(QImage::Format_ARGB32)))
        FImages.push_back(std::make_unique<QImage>(img));
    Change();
    return first;
}

void TCustomImageList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
}

void TCustomImageList::Insert(int index, TBitmap* image, TBitmap* mask) {
    if (index < 0 || index > Count()) throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
    auto imgs = Split(WithMask(image->Image(), mask));
    for (size_t i = 0; i < imgs.size(); ++i)
        FImages.insert(FImages.begin() + index + int(i), std::make_unique<QImage>(imgs[i]));
    Change();
}

void TCustomImageList::InsertMasked(int index, TBitmap* image, TColor maskColor) {
    if (index < 0 || index > Count()) throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
    auto imgs = Split(KeyedOut(image->Image(), KeyOf(image, maskColor)));
    for (size_t i = 0; i < imgs.size(); ++i)
        FImages.insert(FImages.begin() + index + int(i), std::make_unique<QImage>(imgs[i]));
    Change();
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
    CheckIndex(index);
    auto imgs = Split(WithMask(image->Image(), mask));
    if (!imgs.empty()) *FImages[size_t(index)] = imgs.front();
    Change();
}

void TCustomImageList::ReplaceMasked(int index, TBitmap* image, TColor maskColor) {
    CheckIndex(index);
    auto imgs = Split(KeyedOut(image->Image(), KeyOf(image, maskColor)));
    if (!imgs.empty()) *FImages[size_t(index)] = imgs.front();
    Change();
}

void TCustomImageList::Delete(int index) {
    if (index == -1) return Clear();
    CheckIndex(index);
    FImages.erase(FImages.begin() + index);
    Change();
}

void TCustomImageList::Move(int cur, int dest) {
    CheckIndex(cur);
    CheckIndex(dest);
    if (cur == dest) return;
    auto img = std::move(FImages[size_t(cur)]);
    FImages.erase(FImages.begin() + cur);
    FImages.insert(FImages.begin() + dest, std::move(img));
    Change();
}

void TCustomImageList::Clear() {
    FImages.clear();
    Change();
}

QImage TCustomImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return QImage();
    return *FImages[size_t(index)];
}

namespace {
// A solid silhouette of the image's visible pixels that are not white (the disabled look).
QImage Silhouette(const QImage& img, const QColor& color) {
    QImage out(img.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < img.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(in[x]) >= 128 && qGray(in[x]) < 0xF0) o[x] = color.rgba();
    }
    return out;
}

QImage Blend(const QImage& img, const QColor& color, int percent) {
    QImage out = img;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (!qAlpha(line[x])) continue;
            auto mix = [&](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
            line[x] = qRgba(mix(qRed(line[x]), color.red()), mix(qGreen(line[x]), color.green()),
                            mix(qBlue(line[x]), color.blue()), qAlpha(line[x]));
        }
    }
    return out;
}
} // namespace

BOOL ImageList_DrawEx(TCustomImageList* list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF bk,
                      COLORREF fg, UINT style) {
    if (!list || !dc || index < 0 || index >= list->Count() || !dc->Prepare()) return FALSE;
    QImage img = list->Image(index);
    const int w = dx > 0 ? std::min(dx, img.width()) : img.width();
    const int h = dy > 0 ? std::min(dy, img.height()) : img.height();
    QPainter* p = dc->Painter;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (style & ILD_MASK) {
        // The mask alone: black where the image shows, white where it is transparent.
        QImage m(img.size(), QImage::Format_RGB32);
        for (int yy = 0; yy < img.height(); ++yy)
            for (int xx = 0; xx < img.width(); ++xx)
                m.setPixel(xx, yy, qAlpha(img.pixel(xx, yy)) >= 128 ? 0xFF000000 : 0xFFFFFFFF);
        p->drawImage(QPoint(x, y), m, QRect(0, 0, w, h));
        return TRUE;
    }
    if (!(style & ILD_TRANSPARENT) && bk != CLR_NONE) {
        const COLORREF back = bk == CLR_DEFAULT ? ColorToRef(list->BkColor()) : bk;
        if (back != CLR_INVALID) p->fillRect(QRect(x, y, w, h), RefToQColor(back));
    }
    if (style & (ILD_BLEND25 | ILD_BLEND50)) {
        COLORREF c = fg == CLR_DEFAULT || fg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : fg;
        if (fg == CLR_DEFAULT && list->BlendColor() != clNone && list->BlendColor() != clDefault)
            c = ColorToRef(list->BlendColor());
        img = Blend(img, RefToQColor(c), (style & ILD_BLEND50) ? 50 : 25);
    }
    p->drawImage(QPoint(x, y), img, QRect(0, 0, w, h));
    return TRUE;
}

BOOL ImageList_Draw(TCustomImageList* list, int index, HDC dc, int x, int y, UINT style) {
    return ImageList_DrawEx(list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

int ImageList_GetImageCount(TCustomImageList* list) {
    return list ? list->Count() : 0;
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) {
    if (index < 0 || index >= Count() || !canvas) return;
    HDC dc = canvas->Handle();
    if (enabled) {
        ImageList_DrawEx(this, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
        return;
    }
    // Disabled: an embossed silhouette, highlight offset by one pixel under the shadow.
    if (!dc->Prepare()) return;
    const QImage& img = *FImages[size_t(index)];
    QPainter* p = dc->Painter;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(QPoint(x + 1, y + 1), Silhouette(img, ColorToQColor(clBtnHighlight)));
    p->drawImage(QPoint(x, y), Silhouette(img, ColorToQColor(clBtnShadow)));
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
    Draw(canvas, x, y, index, FDrawingStyle, FImageType, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
                            bool enabled) {
    static const UINT styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    UINT s = styles[style];
    if (type == itMask) s |= ILD_MASK;
    if (FBkColor == clNone) s |= ILD_TRANSPARENT;
    DoDraw(index, canvas, x, y, s, enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay, bool enabled) {
    Draw(canvas, x, y, index, enabled);
    Draw(canvas, x, y, overlay, enabled);
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image) {
    if (!image || index < 0 || index >= Count()) return false;
    image->SetSize(FWidth, FHeight);
    TCanvas* c = image->Canvas();
    c->Brush()->SetColor(FBkColor == clNone ? clWhite : FBkColor);
    c->FillRect(Rect(0, 0, FWidth, FHeight));
    Draw(c, 0, 0, index, dsNormal, itImage, true);
    return true;
}

void TCustomImageList::GetIcon(int index, TIcon* icon) {
    if (!icon || index < 0 || index >= Count()) return;
    icon->SetImage(Image(index));
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (!link) return;
    if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end()) FLinks.push_back(link);
    link->SetSender(this);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it == FLinks.end()) return;
    FLinks.erase(it);
    link->SetSender(nullptr);
}

void TCustomImageList::BeginUpdate() {
    ++FUpdateCount;
}

void TCustomImageList::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) {
        FChanged = false;
        Change();
    }
}

void TCustomImageList::Change() {
    if (FUpdateCount > 0) {
        FChanged = true;
        return;
    }
    // A link may unregister itself while being told.
    const std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* l : links)
        if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->Change();
    if (OnChange) OnChange(this);
}
