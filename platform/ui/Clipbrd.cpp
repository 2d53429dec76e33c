// The clipboard: numbered formats over MIME types, sessions, and movable memory blocks.

#include "platform/ui/Clipbrd.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Graphics.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <map>
#include <mutex>
#include <set>

namespace {

std::recursive_mutex gMutex;

// Registered format names by id (from 0xC000).
std::vector<QString>& Names() {
    static std::vector<QString> v;
    return v;
}

constexpr UINT kFirstRegistered = 0xC000;

const QString kText = QStringLiteral("text/plain");
const QString kImage = QStringLiteral("application/x-qt-image");

using TContents = std::map<QString, QByteArray>; // MIME type -> bytes

// Without a GUI application the clipboard lives in the process.
TContents& LocalStore() {
    static TContents c;
    return c;
}

bool HaveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

TContents ReadSystem() {
    if (!HaveGui()) return LocalStore();
    TContents c;
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    if (!m) return c;
    for (const QString& f : m->formats())
        if (f != kImage) c[f] = m->data(f);
    if (m->hasText() && !c.count(kText)) c[kText] = m->text().toUtf8();
    if (m->hasImage() && !c.count(kImage)) {
        QByteArray png;
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        qvariant_cast<QImage>(m->imageData()).save(&b, "PNG");
        c[kImage] = png;
    }
    return c;
}

void WriteSystem(const TContents& c) {
    if (!HaveGui()) {
        LocalStore() = c;
        return;
    }
    auto* m = new QMimeData;
    for (const auto& [type, data] : c) {
        if (type == kText)
            m->setText(QString::fromUtf8(data));
        else if (type == kImage)
            m->setImageData(QImage::fromData(data, "PNG"));
        else
            m->setData(type, data);
    }
    QGuiApplication::clipboard()->setMimeData(m);
}

bool IsText(UINT f) {
    return f == CF_TEXT || f == CF_UNICODETEXT || f == CF_OEMTEXT;
}
bool IsImage(UINT f) {
    return f == CF_BITMAP || f == CF_DIB || f == CF_DIBV5;
}

QString WithCrLf(QString s) {
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace('\r', '\n');
    s.replace('\n', QLatin1String("\r\n"));
    return s;
}

// Text bytes of a text format up to the terminating zero.
QString TextFromBytes(UINT f, const QByteArray& data) {
    if (f == CF_UNICODETEXT) {
        const auto* p = reinterpret_cast<const char16_t*>(data.constData());
        qsizetype n = 0;
        const qsizetype max = data.size() / 2;
        while (n < max && p[n])
            ++n;
        return QString::fromUtf16(p, n);
    }
    return FromAnsi(data.constData(), int(data.size()));
}

QByteArray BytesFromText(UINT f, const QString& text) {
    const QString t = WithCrLf(text);
    if (f == CF_UNICODETEXT) {
        QByteArray b(reinterpret_cast<const char*>(t.utf16()), (t.size() + 1) * 2);
        return b;
    }
    QByteArray a = ToAnsi(t);
    a.append('\0');
    return a;
}

// The named text formats travel as other programs expect them: CSV as UTF-8, both without
// the terminating zero the platform's blocks carry.
bool IsNamedText(UINT f, const QString& name) {
    return GetClipboardFormatName(f).compare(name, Qt::CaseInsensitive) == 0;
}
QByteArray UpToZero(const QByteArray& data) {
    const qsizetype z = data.indexOf('\0');
    return z < 0 ? data : data.left(z);
}

struct TGlobalBlock {
    QByteArray Data;
    int Locks = 0;
};
std::set<TGlobalBlock*>& Blocks() {
    static std::set<TGlobalBlock*> s;
    return s;
}
TGlobalBlock* BlockOf(HGLOBAL h) {
    auto* b = static_cast<TGlobalBlock*>(h);
    return Blocks().count(b) ? b : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
UINT RegisterClipboardFormat(const String& name) {
    if (name.isEmpty()) return 0;
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    auto& names = Names();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return kFirstRegistered + UINT(i);
    names.push_back(name);
    return kFirstRegistered + UINT(names.size() - 1);
}

String GetClipboardFormatName(UINT format) {
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    if (format < kFirstRegistered || format - kFirstRegistered >= Names().size()) return String();
    return Names()[format - kFirstRegistered];
}

String ClipboardFormatMimeType(UINT format) {
    if (IsText(format)) return kText;
    if (IsImage(format)) return kImage;
    const QString name = GetClipboardFormatName(format);
    if (name.isEmpty()) return QStringLiteral("application/x-kvt-cf%1").arg(format);
    if (name.compare(QLatin1String("Csv"), Qt::CaseInsensitive) == 0) return QStringLiteral("text/csv");
    if (name.compare(QLatin1String("Rich Text Format"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("text/rtf");
    if (name.compare(QLatin1String("HTML Format"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("text/html");
    return QStringLiteral("application/x-kvt-") + name;
}

// ---------------------------------------------------------------------------------------------
HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
    auto* b = new TGlobalBlock;
    b->Data = QByteArray(qsizetype(bytes), '\0');
    (void)flags; // blocks are always zeroed
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    Blocks().insert(b);
    return b;
}

HGLOBAL GlobalReAlloc(HGLOBAL h, size_t bytes, UINT) {
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    TGlobalBlock* b = BlockOf(h);
    if (!b) return nullptr;
    const qsizetype old = b->Data.size();
    b->Data.resize(qsizetype(bytes));
    if (qsizetype(bytes) > old) memset(b->Data.data() + old, 0, bytes - size_t(old));
    return b;
}

void* GlobalLock(HGLOBAL h) {
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    TGlobalBlock* b = BlockOf(h);
    if (!b) return nullptr;
    ++b->Locks;
    return b->Data.data();
}

BOOL GlobalUnlock(HGLOBAL h) {
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    TGlobalBlock* b = BlockOf(h);
    if (!b || b->Locks == 0) return FALSE;
    return --b->Locks > 0;
}

size_t GlobalSize(HGLOBAL h) {
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    TGlobalBlock* b = BlockOf(h);
    return b ? size_t(b->Data.size()) : 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    TGlobalBlock* b = BlockOf(h);
    if (!b) return h;
    Blocks().erase(b);
    delete b;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
struct TClipboard::TData {
    int OpenCount = 0;
    bool Emptied = false;            // the session's first write happened
    TContents Pending;               // what the session wrote
    std::map<UINT, HGLOBAL> Handles; // blocks handed out or taken over
    void FreeHandles() {
        for (auto& [f, h] : Handles)
            GlobalFree(h);
        Handles.clear();
    }
};

TClipboard::TClipboard() : FData(std::make_unique<TData>()) {}

TClipboard::~TClipboard() {
    FData->FreeHandles();
}

void TClipboard::Open() {
    if (FData->OpenCount++ == 0) {
        FData->Emptied = false;
        FData->Pending.clear();
    }
}

void TClipboard::Close() {
    if (FData->OpenCount == 0) return;
    if (--FData->OpenCount == 0 && FData->Emptied) Commit();
}

void TClipboard::BeginWrite() {
    if (!FData->Emptied) {
        FData->Emptied = true;
        FData->Pending.clear();
        FData->FreeHandles();
    }
}

void TClipboard::Commit() {
    WriteSystem(FData->Pending);
    FData->Emptied = false;
    FData->Pending.clear();
}

void TClipboard::Clear() {
    Open();
    BeginWrite();
    Close();
}

namespace {
TContents CurrentContents(bool sessionWrote, const TContents& pending) {
    return sessionWrote ? pending : ReadSystem();
}
} // namespace

bool TClipboard::HasFormat(UINT format) {
    const TContents c = CurrentContents(FData->Emptied, FData->Pending);
    if (IsImage(format))
        return c.count(kImage) || c.count(QStringLiteral("image/png")) ||
               c.count(QStringLiteral("image/bmp"));
    return c.count(ClipboardFormatMimeType(format)) > 0;
}

int TClipboard::FormatCount() {
    int n = 0;
    while (Formats(n))
        ++n;
    return n;
}

UINT TClipboard::Formats(int index) {
    const TContents c = CurrentContents(FData->Emptied, FData->Pending);
    std::vector<UINT> list;
    if (c.count(kText)) list.insert(list.end(), {CF_UNICODETEXT, CF_TEXT});
    if (c.count(kImage)) list.push_back(CF_BITMAP);
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    for (size_t i = 0; i < Names().size(); ++i) {
        const UINT f = kFirstRegistered + UINT(i);
        if (c.count(ClipboardFormatMimeType(f))) list.push_back(f);
    }
    return index >= 0 && index < int(list.size()) ? list[size_t(index)] : 0;
}

String TClipboard::AsText() {
    const TContents c = CurrentContents(FData->Emptied, FData->Pending);
    auto it = c.find(kText);
    return it == c.end() ? String() : WithCrLf(QString::fromUtf8(it->second));
}

void TClipboard::SetAsText(const String& text) {
    Open();
    BeginWrite();
    FData->Pending[kText] = text.toUtf8();
    Close();
}

int TClipboard::GetTextBuf(QChar* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    const String t = AsText();
    const int n = std::min(int(t.size()), size - 1);
    for (int i = 0; i < n; ++i)
        buffer[i] = t[i];
    buffer[n] = QChar(0);
    return n;
}

QByteArray TClipboard::GetAsBytes(UINT format) {
    const TContents c = CurrentContents(FData->Emptied, FData->Pending);
    if (IsText(format)) {
        auto it = c.find(kText);
        return it == c.end() ? QByteArray() : BytesFromText(format, QString::fromUtf8(it->second));
    }
    auto it = c.find(ClipboardFormatMimeType(format));
    if (it == c.end()) return QByteArray();
    if (IsNamedText(format, QStringLiteral("Csv"))) return ToAnsi(QString::fromUtf8(it->second)).append('\0');
    if (IsNamedText(format, QStringLiteral("Rich Text Format"))) return QByteArray(it->second).append('\0');
    return it->second;
}

void TClipboard::SetAsBytes(UINT format, const QByteArray& data) {
    Open();
    BeginWrite();
    if (IsText(format))
        FData->Pending[kText] = TextFromBytes(format, data).toUtf8();
    else if (IsNamedText(format, QStringLiteral("Csv")))
        FData->Pending[ClipboardFormatMimeType(format)] =
            FromAnsi(data.constData(), int(data.size())).toUtf8();
    else if (IsNamedText(format, QStringLiteral("Rich Text Format")))
        FData->Pending[ClipboardFormatMimeType(format)] = UpToZero(data);
    else
        FData->Pending[ClipboardFormatMimeType(format)] = data;
    Close();
}

HGLOBAL TClipboard::GetAsHandle(UINT format) {
    if (!HasFormat(format)) return nullptr;
    const QByteArray data = GetAsBytes(format);
    auto old = FData->Handles.find(format);
    if (old != FData->Handles.end()) GlobalFree(old->second);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size_t(data.size()));
    if (!data.isEmpty()) {
        memcpy(GlobalLock(h), data.constData(), size_t(data.size()));
        GlobalUnlock(h);
    }
    FData->Handles[format] = h;
    return h;
}

void TClipboard::SetAsHandle(UINT format, HGLOBAL data) {
    QByteArray bytes;
    {
        std::lock_guard<std::recursive_mutex> lock(gMutex);
        if (TGlobalBlock* b = BlockOf(data)) bytes = b->Data;
    }
    Open();
    SetAsBytes(format, bytes);
    // The clipboard owns the block from now on.
    auto old = FData->Handles.find(format);
    if (old != FData->Handles.end() && old->second != data) GlobalFree(old->second);
    if (data) FData->Handles[format] = data;
    Close();
}

void TClipboard::Assign(TPersistent* source) {
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        QByteArray png;
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        g->ToImage().save(&b, "PNG");
        Open();
        BeginWrite();
        FData->Pending[kImage] = png;
        Close();
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        if (p->Graphic()) Assign(p->Graphic());
        return;
    }
    TPersistent::Assign(source);
}

void TClipboard::AssignTo(TPersistent* dest) {
    const TContents c = CurrentContents(FData->Emptied, FData->Pending);
    auto it = c.find(kImage);
    if (it != c.end()) {
        const QImage img = QImage::fromData(it->second, "PNG");
        if (auto* b = dynamic_cast<TBitmap*>(dest)) return b->SetImage(img);
        if (auto* p = dynamic_cast<TPicture*>(dest)) return p->Bitmap()->SetImage(img);
    }
    TPersistent::AssignTo(dest);
}

// ---------------------------------------------------------------------------------------------
namespace {
TClipboard*& Instance() {
    static TClipboard* c = nullptr;
    return c;
}
} // namespace

TClipboard* Clipboard() {
    if (!Instance()) Instance() = new TClipboard;
    return Instance();
}

TClipboard* SetClipboard(TClipboard* clipboard) {
    TClipboard* old = Instance();
    Instance() = clipboard;
    return old;
}

BOOL OpenClipboard(const void*) {
    Clipboard()->Open();
    return TRUE;
}
BOOL CloseClipboard() {
    Clipboard()->Close();
    return TRUE;
}
BOOL EmptyClipboard() {
    Clipboard()->Clear();
    return TRUE;
}
BOOL IsClipboardFormatAvailable(UINT format) {
    return Clipboard()->HasFormat(format);
}
HGLOBAL SetClipboardData(UINT format, HGLOBAL data) {
    Clipboard()->SetAsHandle(format, data);
    return data;
}
HGLOBAL GetClipboardData(UINT format) {
    return Clipboard()->GetAsHandle(format);
}
UINT EnumClipboardFormats(UINT format) {
    TClipboard* c = Clipboard();
    const int n = c->FormatCount();
    if (format == 0) return n ? c->Formats(0) : 0;
    for (int i = 0; i + 1 < n; ++i)
        if (c->Formats(i) == format) return c->Formats(i + 1);
    return 0;
}
int CountClipboardFormats() {
    return Clipboard()->FormatCount();
}
