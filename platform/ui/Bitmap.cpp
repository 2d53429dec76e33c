// Graphics: TGraphic, TBitmap (over QImage), TIcon, pictures of other formats, TPicture.

#include "platform/ui/GraphicsInternal.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>

#include <map>

namespace {

QByteArray ReadRest(TStream* stream) {
    const Int64 n = stream->Size() - stream->Position();
    QByteArray data;
    if (n <= 0) return data;
    data.resize(qsizetype(n));
    stream->ReadBuffer(data.data(), Integer(n));
    return data;
}

void WriteBytes(TStream* stream, const QByteArray& data) {
    if (!data.isEmpty()) stream->WriteBuffer(data.constData(), Integer(data.size()));
}

QByteArray Encode(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, format);
    w.write(image);
    return data;
}

QImage::Format FormatFor(TPixelFormat pf, TAlphaFormat af) {
    if (pf == pf32bit && af == afDefined) return QImage::Format_ARGB32;
    if (pf == pf32bit && af == afPremultiplied) return QImage::Format_ARGB32_Premultiplied;
    return QImage::Format_RGB32;
}

// Draws an image into a logical rectangle of a canvas with a raster operation.
void PutImage(TCanvas* canvas, const TRect& r, const QImage& img, DWORD rop, bool blend,
              uint8_t opacity = 255) {
    HDC dc = canvas->Handle();
    if (!dc->Prepare() || img.isNull()) return;
    QPainter* p = dc->Painter;
    bool ok = true;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (!blend) {
        switch (rop) {
        case SRCAND:
            mode = QPainter::RasterOp_SourceAndDestination;
            break;
        case SRCPAINT:
            mode = QPainter::RasterOp_SourceOrDestination;
            break;
        case SRCINVERT:
            mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case NOTSRCCOPY:
            mode = QPainter::RasterOp_NotSource;
            break;
        default:
            ok = rop == SRCCOPY;
            break;
        }
    }
    (void)ok;
    p->setCompositionMode(mode);
    p->setOpacity(opacity / 255.0);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->drawImage(QRect(r.Left, r.Top, r.Width(), r.Height()), img);
    p->setOpacity(1.0);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

std::map<QString, QImage>& Resources() {
    static std::map<QString, QImage> m;
    return m;
}

} // namespace

// A bitmap's canvas: its context draws on the bitmap's image.
class TBitmapCanvas : public TCanvas {
    KVT_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* b) : FBitmap(b) {}

protected:
    void CreateHandle() override {
        HDC dc = CreateCompatibleDC(nullptr);
        dc->Canvas = this;
        dc->BeginImage(FBitmap->FImage.get());
        SetOwnedHandle(dc);
    }

private:
    TBitmap* FBitmap;
};

// ---------------------------------------------------------------------------------------------
TGraphic::TGraphic() = default;
TGraphic::~TGraphic() = default;

void TGraphic::SetSize(int w, int h) {
    SetWidth(w);
    SetHeight(h);
}
void TGraphic::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    Changed(this);
}
void TGraphic::SetModified(bool v) {
    if (v)
        Changed(this);
    else
        FModified = false;
}
void TGraphic::Changed(TObject*) {
    FModified = true;
    if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const String& fileName) {
    TFileStream s(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&s);
}
void TGraphic::SaveToFile(const String& fileName) {
    TFileStream s(fileName, fmCreate);
    SaveToStream(&s);
}

void TGraphic::Draw(TCanvas* canvas, const TRect& rect) {
    PutImage(canvas, rect, ToImage(), SRCCOPY, true);
}

void TGraphic::DrawTransparent(TCanvas* canvas, const TRect& rect, uint8_t opacity) {
    PutImage(canvas, rect, ToImage(), SRCCOPY, true, opacity);
}

// ---------------------------------------------------------------------------------------------
TBitmap::TBitmap() : FImage(std::make_unique<QImage>()) {}
TBitmap::TBitmap(int width, int height) : TBitmap() {
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    FCanvas.reset();
    ForgetImage(FImage.get());
    if (FHandle) {
        FHandle->Image = nullptr;
        FHandle->Shared = false;
        DeleteObject(FHandle);
    }
}

void TBitmap::ReleaseCanvasPainter() const {
    SuspendPaintersOn(FImage.get());
}

void TBitmap::Assign(TPersistent* source) {
    if (!source) {
        SetSize(0, 0);
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        if (b == this) return;
        ReleaseCanvasPainter();
        b->ReleaseCanvasPainter();
        *FImage = *b->FImage;
        FPixelFormat = b->FPixelFormat;
        FAlphaFormat = b->FAlphaFormat;
        FTransparentColor = b->FTransparentColor;
        FTransparentMode = b->FTransparentMode;
        TGraphic::SetTransparent(b->Transparent());
        Changed(this);
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        ReleaseCanvasPainter();
        const QImage img = g->ToImage();
        *FImage = QImage(img.size(), QImage::Format_RGB32);
        FImage->fill(Qt::white);
        QPainter p(FImage.get());
        p.drawImage(0, 0, img);
        p.end();
        Changed(this);
        return;
    }
    TGraphic::Assign(source);
}

bool TBitmap::Empty() const {
    return FImage->isNull();
}
int TBitmap::Width() const {
    return FImage->width();
}
int TBitmap::Height() const {
    return FImage->height();
}
void TBitmap::SetWidth(int v) {
    SetSize(v, Height());
}
void TBitmap::SetHeight(int v) {
    SetSize(Width(), v);
}
void TBitmap::SetSize(int w, int h) {
    w = std::max(0, w), h = std::max(0, h);
    if (w == Width() && h == Height()) return;
    Resize(w, h);
    Changed(this);
}

void TBitmap::Resize(int w, int h) {
    ReleaseCanvasPainter();
    if (w == 0 || h == 0) {
        *FImage = QImage();
        return;
    }
    QImage img(w, h, FormatFor(FPixelFormat, FAlphaFormat));
    // New pixels are white; the old picture keeps its place at the top left.
    img.fill(img.hasAlphaChannel() ? QColor(0, 0, 0, 0) : QColor(Qt::white));
    if (!FImage->isNull()) {
        QPainter p(&img);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, *FImage);
    }
    *FImage = img;
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = std::make_unique<TBitmapCanvas>(this);
        FCanvas->OnChange = TNotifyEvent::Callable([this](TObject*) { SetModified(true); }, this);
    }
    return FCanvas.get();
}

void TBitmap::SetPixelFormat(TPixelFormat v) {
    if (v == FPixelFormat) return;
    FPixelFormat = v;
    ReleaseCanvasPainter();
    if (!FImage->isNull()) {
        QImage img = FImage->convertToFormat(FormatFor(v, FAlphaFormat));
        if (v == pf1bit)
            img = img.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                      .convertToFormat(QImage::Format_RGB32);
        *FImage = img;
    }
    Changed(this);
}
void TBitmap::SetMonochrome(bool v) {
    if (v)
        SetPixelFormat(pf1bit);
    else if (FPixelFormat == pf1bit)
        SetPixelFormat(pfDevice);
}
void TBitmap::SetAlphaFormat(TAlphaFormat v) {
    if (v == FAlphaFormat) return;
    FAlphaFormat = v;
    ReleaseCanvasPainter();
    if (!FImage->isNull()) *FImage = FImage->convertToFormat(FormatFor(FPixelFormat, v));
    Changed(this);
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (FImage->isNull()) return clDefault;
    ReleaseCanvasPainter();
    return TColor(QColorToRef(FImage->pixelColor(0, FImage->height() - 1))) | 0x02000000;
}
void TBitmap::SetTransparentColor(TColor v) {
    FTransparentColor = v;
    FTransparentMode = v == clDefault ? tmAuto : tmFixed;
    Changed(this);
}
void TBitmap::SetTransparentMode(TTransparentMode v) {
    if (v == FTransparentMode) return;
    if (v == tmAuto)
        FTransparentColor = clDefault;
    else
        FTransparentColor = TransparentColor();
    FTransparentMode = v;
    Changed(this);
}

HBITMAP TBitmap::Handle() {
    ReleaseCanvasPainter();
    if (!FHandle) {
        FHandle = NewBitmapObject(FImage.get(), false);
        FHandle->Shared = true;
    }
    FHandle->Image = FImage.get();
    return FHandle;
}

void TBitmap::Mask(TColor transparentColor) {
    ReleaseCanvasPainter();
    const QRgb key = QRgb(ColorToRef(transparentColor));
    const QColor kc = RefToQColor(key);
    for (int y = 0; y < FImage->height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(FImage->scanLine(y));
        for (int x = 0; x < FImage->width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == (kc.rgb() & 0xFFFFFF) ? 0xFFFFFFFF : 0xFF000000;
    }
    Changed(this);
}

void* TBitmap::ScanLine(int row) {
    if (row < 0 || row >= Height()) throw ERangeError(QStringLiteral("Scan line index out of range"));
    ReleaseCanvasPainter();
    return FImage->scanLine(row);
}

void TBitmap::LoadFromStream(TStream* stream) {
    // A bitmap stream says its own size; read just that much so the stream may go on.
    const Int64 start = stream->Position();
    unsigned char head[14] = {};
    QByteArray data;
    if (stream->Read(head, 14) == 14 && head[0] == 'B' && head[1] == 'M') {
        const uint32_t size =
            uint32_t(head[2]) | uint32_t(head[3]) << 8 | uint32_t(head[4]) << 16 | uint32_t(head[5]) << 24;
        const Int64 avail = stream->Size() - start;
        const Int64 n = size >= 14 && size <= avail ? size : avail;
        data = QByteArray(reinterpret_cast<const char*>(head), 14);
        data.resize(qsizetype(n));
        if (n > 14) stream->ReadBuffer(data.data() + 14, Integer(n - 14));
    } else {
        stream->SetPosition(start);
        data = ReadRest(stream);
    }
    QImage img;
    if (data.isEmpty() || !img.loadFromData(data))
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    SetImage(img);
}

void TBitmap::SaveToStream(TStream* stream) {
    ReleaseCanvasPainter();
    if (FImage->isNull()) return;
    WriteBytes(stream, Encode(*FImage, "BMP"));
}

void TBitmap::RegisterResource(const String& name, const QImage& image) {
    Resources()[name.toUpper()] = image;
}

void TBitmap::LoadFromResourceName(NativeUInt, const String& name) {
    auto it = Resources().find(name.toUpper());
    if (it == Resources().end()) {
        QImage img(QStringLiteral(":/") + name);
        if (img.isNull()) throw EInvalidGraphic(QStringLiteral("Resource %1 not found").arg(name));
        SetImage(img);
        return;
    }
    SetImage(it->second);
}

QImage TBitmap::ToImage() const {
    ReleaseCanvasPainter();
    if (FImage->isNull()) return QImage();
    QImage img = FImage->convertToFormat(QImage::Format_ARGB32);
    if (Transparent()) {
        const QRgb key = ColorToRef(TransparentColor() & 0xFFFFFF);
        const QRgb k = qRgb(GetRValue(key), GetGValue(key), GetBValue(key)) & 0xFFFFFF;
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xFFFFFF) == k) line[x] = 0;
        }
    } else if (FAlphaFormat == afIgnored) {
        img = FImage->convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
    }
    return img;
}

QImage& TBitmap::Image() {
    ReleaseCanvasPainter();
    return *FImage;
}

void TBitmap::SetImage(const QImage& image) {
    ReleaseCanvasPainter();
    if (image.hasAlphaChannel()) {
        FPixelFormat = pf32bit;
        FAlphaFormat = afDefined;
        *FImage = image.convertToFormat(QImage::Format_ARGB32);
    } else {
        *FImage = image.convertToFormat(FormatFor(FPixelFormat, FAlphaFormat));
    }
    Changed(this);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
    if (Empty()) return;
    if (Transparent() || FAlphaFormat != afIgnored)
        PutImage(canvas, rect, ToImage(), SRCCOPY, true);
    else {
        ReleaseCanvasPainter();
        PutImage(canvas, rect, *FImage, DWORD(canvas->CopyMode()), false);
    }
}

// ---------------------------------------------------------------------------------------------
TIcon::TIcon() : FImage(std::make_unique<QImage>()) {}
TIcon::~TIcon() {
    if (FHandle) {
        FHandle->Shared = false;
        FHandle->Image = nullptr;
        DeleteObject(FHandle);
    }
}
void TIcon::Assign(TPersistent* source) {
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        if (g == this) return;
        SetImage(g->ToImage());
        return;
    }
    TGraphic::Assign(source);
}
bool TIcon::Empty() const {
    return FImage->isNull();
}
int TIcon::Width() const {
    return FImage->isNull() ? FWidth : FImage->width();
}
int TIcon::Height() const {
    return FImage->isNull() ? FHeight : FImage->height();
}
void TIcon::SetWidth(int v) {
    if (!FImage->isNull())
        throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
    FWidth = v;
}
void TIcon::SetHeight(int v) {
    if (!FImage->isNull())
        throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
    FHeight = v;
}
void TIcon::LoadFromStream(TStream* stream) {
    const QByteArray data = ReadRest(stream);
    QImage img;
    if (!img.loadFromData(data)) throw EInvalidGraphic(QStringLiteral("Icon image is not valid"));
    SetImage(img);
}
void TIcon::SaveToStream(TStream* stream) {
    if (FImage->isNull()) return;
    QByteArray data = Encode(*FImage, "ICO");
    if (data.isEmpty()) data = Encode(*FImage, "PNG");
    WriteBytes(stream, data);
}
QImage TIcon::ToImage() const {
    return FImage->convertToFormat(QImage::Format_ARGB32);
}
void TIcon::SetImage(const QImage& image) {
    *FImage = image.convertToFormat(QImage::Format_ARGB32);
    if (FHandle) FHandle->Image = FImage.get();
    Changed(this);
}
HICON TIcon::Handle() {
    if (!FHandle) {
        FHandle = NewBitmapObject(FImage.get(), false);
        FHandle->Shared = true;
    }
    return FHandle;
}

// ---------------------------------------------------------------------------------------------
TImageGraphic::TImageGraphic() : FImage(std::make_unique<QImage>()) {}
TImageGraphic::~TImageGraphic() = default;
void TImageGraphic::Assign(TPersistent* source) {
    if (auto* g = dynamic_cast<TImageGraphic*>(source)) {
        if (g == this) return;
        *FImage = *g->FImage;
        FData = g->FData;
        FFormat = g->FFormat;
        Changed(this);
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        *FImage = g->ToImage();
        FData.clear();
        FFormat = QStringLiteral("png");
        Changed(this);
        return;
    }
    TGraphic::Assign(source);
}
bool TImageGraphic::Empty() const {
    return FImage->isNull();
}
int TImageGraphic::Width() const {
    return FImage->width();
}
int TImageGraphic::Height() const {
    return FImage->height();
}
void TImageGraphic::SetWidth(int) {}
void TImageGraphic::SetHeight(int) {}
void TImageGraphic::LoadFromStream(TStream* stream) {
    FData = ReadRest(stream);
    QBuffer buf(&FData);
    buf.open(QIODevice::ReadOnly);
    QImageReader r(&buf);
    FFormat = QString::fromLatin1(r.format());
    QImage img = r.read();
    if (img.isNull()) throw EInvalidGraphic(QStringLiteral("Unsupported image format"));
    *FImage = img.convertToFormat(QImage::Format_ARGB32);
    Changed(this);
}
void TImageGraphic::SaveToStream(TStream* stream) {
    WriteBytes(stream, FData.isEmpty() ? Encode(*FImage, "PNG") : FData);
}
QImage TImageGraphic::ToImage() const {
    return *FImage;
}

// ---------------------------------------------------------------------------------------------
TGraphicClass DetectGraphicClass(const QByteArray& h) {
    auto starts = [&](const char* sig, int n) {
        return h.size() >= n && memcmp(h.constData(), sig, size_t(n)) == 0;
    };
    if (starts("BM", 2)) return &TBitmap::StaticClassInfo();
    if (starts("\0\0\1\0", 4)) return &TIcon::StaticClassInfo();
    if (starts("\x89PNG\r\n\x1a\n", 8) || starts("\xFF\xD8", 2) || starts("GIF8", 4))
        return &TImageGraphic::StaticClassInfo();
    if (starts("\xD7\xCD\xC6\x9A", 4) || starts("\1\0\0\0", 4)) return &TMetafile::StaticClassInfo();
    return nullptr;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
    if (OnChange) OnChange(this);
}

void TPicture::Replace(TGraphic* g) {
    FGraphic.reset(g);
    if (g) g->OnChange = TNotifyEvent(this, &TPicture::Changed);
    Changed(this);
}

static TGraphic* NewGraphicLike(TGraphic* g) {
    if (dynamic_cast<TBitmap*>(g)) return new TBitmap;
    if (dynamic_cast<TIcon*>(g)) return new TIcon;
    if (dynamic_cast<TMetafile*>(g)) return new TMetafile;
    return new TImageGraphic;
}

void TPicture::SetGraphic(TGraphic* g) {
    if (g == FGraphic.get()) return;
    if (!g) return Replace(nullptr);
    TGraphic* copy = NewGraphicLike(g);
    copy->Assign(g);
    Replace(copy);
}

void TPicture::Assign(TPersistent* source) {
    if (!source) return SetGraphic(nullptr);
    if (auto* p = dynamic_cast<TPicture*>(source)) return SetGraphic(p->Graphic());
    if (auto* g = dynamic_cast<TGraphic*>(source)) return SetGraphic(g);
    TPersistent::Assign(source);
}

void TPicture::AssignTo(TPersistent* dest) {
    if (auto* g = dynamic_cast<TGraphic*>(dest)) {
        if (FGraphic) g->Assign(FGraphic.get());
        return;
    }
    TPersistent::AssignTo(dest);
}

TBitmap* TPicture::Bitmap() {
    if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
    auto* b = new TBitmap;
    if (FGraphic && !FGraphic->Empty()) b->Assign(FGraphic.get());
    Replace(b);
    return b;
}

TIcon* TPicture::Icon() {
    if (auto* i = dynamic_cast<TIcon*>(FGraphic.get())) return i;
    auto* i = new TIcon;
    Replace(i);
    return i;
}

int TPicture::Width() const {
    return FGraphic ? FGraphic->Width() : 0;
}
int TPicture::Height() const {
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::LoadFromStream(TStream* stream) {
    const Int64 start = stream->Position();
    QByteArray head(16, '\0');
    head.resize(stream->Read(head.data(), 16));
    stream->SetPosition(start);
    if (head.isEmpty()) return SetGraphic(nullptr);
    TGraphicClass cls = DetectGraphicClass(head);
    if (!cls) throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(QString()));
    TGraphic* g = cls == &TBitmap::StaticClassInfo()     ? static_cast<TGraphic*>(new TBitmap)
                  : cls == &TIcon::StaticClassInfo()     ? static_cast<TGraphic*>(new TIcon)
                  : cls == &TMetafile::StaticClassInfo() ? static_cast<TGraphic*>(new TMetafile)
                                                         : static_cast<TGraphic*>(new TImageGraphic);
    try {
        g->LoadFromStream(stream);
    } catch (...) {
        delete g;
        throw;
    }
    Replace(g);
}

void TPicture::SaveToStream(TStream* stream) {
    if (FGraphic) FGraphic->SaveToStream(stream);
}

void TPicture::LoadFromFile(const String& fileName) {
    TFileStream s(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&s);
}

void TPicture::SaveToFile(const String& fileName) {
    TFileStream s(fileName, fmCreate);
    SaveToStream(&s);
}
