#pragma once
// The clipboard. Formats are numbered as on the platform and map to MIME types: CF_TEXT and
// CF_UNICODETEXT to text/plain, "Csv" to text/csv, "Rich Text Format" to text/rtf, any other
// registered name to application/x-kvt-<name>. "Csv" (Windows-1251 in its blocks) is
// exchanged as UTF-8; "Csv" and "Rich Text Format" blocks read back with a terminating zero,
// which other programs do not see. The system clipboard is used when a GUI
// application exists; otherwise an in-process store stands in (tests without a display).
//
// Writes happen inside Open/Close sessions (a write outside one opens a session of its own);
// the first write of a session empties the clipboard, later ones add formats.

#include "platform/classes/Classes.h"
#include "platform/rtl/System.h"
#include "platform/ui/Types.h"

using TClipboardFormat = UINT;
enum : UINT {
    CF_TEXT = 1,
    CF_BITMAP = 2,
    CF_METAFILEPICT = 3,
    CF_SYLK = 4,
    CF_DIF = 5,
    CF_TIFF = 6,
    CF_OEMTEXT = 7,
    CF_DIB = 8,
    CF_PALETTE = 9,
    CF_RIFF = 11,
    CF_WAVE = 12,
    CF_UNICODETEXT = 13,
    CF_ENHMETAFILE = 14,
    CF_HDROP = 15,
    CF_LOCALE = 16,
    CF_DIBV5 = 17,
};
// The id of a named format: ids from 0xC000 up, the same name (case-insensitive) the same id.
UINT RegisterClipboardFormat(const String& name);
// The name of a registered format ("" for predefined or unknown ids).
String GetClipboardFormatName(UINT format);
// The MIME type a format is exchanged under.
String ClipboardFormatMimeType(UINT format);

// Movable memory blocks (the platform's global memory), used to pass clipboard data.
using HGLOBAL = void*;
enum : UINT {
    GMEM_FIXED = 0,
    GMEM_MOVEABLE = 2,
    GMEM_ZEROINIT = 0x40,
    GMEM_DDESHARE = 0x2000,
    GMEM_SHARE = 0x2000,
    GHND = 0x42
};
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
HGLOBAL GlobalReAlloc(HGLOBAL h, size_t bytes, UINT flags);
void* GlobalLock(HGLOBAL h);
BOOL GlobalUnlock(HGLOBAL h);
size_t GlobalSize(HGLOBAL h);
HGLOBAL GlobalFree(HGLOBAL h); // nullptr on success

class TGraphic;

class TClipboard : public TPersistent {
    KVT_CLASS(TClipboard, TPersistent)
public:
    TClipboard();
    ~TClipboard() override;

    // Sessions nest; the clipboard is written to the system when the outermost one closes.
    void Open();
    void Close();
    void Clear(); // empties it (inside a session: the session's data)
    bool HasFormat(UINT format);
    int FormatCount();
    UINT Formats(int index);

    // Text with line breaks as CR LF (what the platform's programs exchange).
    String AsText();
    void SetAsText(const String& text);
    void SetTextBuf(const String& text) { SetAsText(text); }
    int GetTextBuf(QChar* buffer, int size);

    // The bytes of one format (empty when absent). CF_TEXT is Windows-1251, CF_UNICODETEXT
    // UTF-16; both read back with a terminating zero.
    QByteArray GetAsBytes(UINT format);
    void SetAsBytes(UINT format, const QByteArray& data);
    // The same as movable memory: GetAsHandle returns a block the clipboard owns (valid until
    // the next change); SetAsHandle takes ownership of the block.
    HGLOBAL GetAsHandle(UINT format);
    void SetAsHandle(UINT format, HGLOBAL data);

    // Pictures (CF_BITMAP / image MIME types).
    void Assign(TPersistent* source) override;

protected:
    void AssignTo(TPersistent* dest) override;

private:
    struct TData;
    void BeginWrite();
    void Commit();
    std::unique_ptr<TData> FData;
};

// The application's clipboard.
TClipboard* Clipboard();
// Replaces the clipboard object (nullptr: none); returns the previous one.
TClipboard* SetClipboard(TClipboard* clipboard);

// The platform's clipboard calls over Clipboard().
BOOL OpenClipboard(const void* owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
BOOL IsClipboardFormatAvailable(UINT format);
HGLOBAL SetClipboardData(UINT format, HGLOBAL data);
HGLOBAL GetClipboardData(UINT format);
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
