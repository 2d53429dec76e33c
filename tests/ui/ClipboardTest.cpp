// Clipboard sessions, registered formats and their MIME types, text and data blocks.

#include "platform/ui/Clipbrd.h"

#include "platform/ui/Graphics.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>

#include <gtest/gtest.h>

namespace {

TEST(Clipboard, RegisteredFormatsAreStableAndMapToMimeTypes) {
    const UINT a = RegisterClipboardFormat("VCLDBIF");
    const UINT b = RegisterClipboardFormat("vcldbif");
    const UINT csv = RegisterClipboardFormat("Csv");
    const UINT rtf = RegisterClipboardFormat("Rich Text Format");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, csv);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    EXPECT_EQ(GetClipboardFormatName(a), "VCLDBIF");
    EXPECT_EQ(ClipboardFormatMimeType(a), "application/x-kvt-VCLDBIF");
    EXPECT_EQ(ClipboardFormatMimeType(csv), "text/csv");
    EXPECT_EQ(ClipboardFormatMimeType(rtf), "text/rtf");
    EXPECT_EQ(ClipboardFormatMimeType(CF_TEXT), "text/plain");
    EXPECT_EQ(ClipboardFormatMimeType(CF_UNICODETEXT), "text/plain");
}

TEST(Clipboard, FirstWriteOfASessionEmptiesIt) {
    TClipboard* cb = Clipboard();
    const UINT csv = RegisterClipboardFormat("Csv");
    const UINT own = RegisterClipboardFormat("VCLDBIF");

    cb->Open();
    cb->SetAsText("a\tb");
    cb->SetAsBytes(csv, "a,b\r\n");
    cb->SetAsBytes(own, QByteArray("\x01\x02\x00\x03", 4));
    EXPECT_TRUE(cb->HasFormat(csv)); // visible inside the session
    cb->Close();

    EXPECT_TRUE(cb->HasFormat(CF_TEXT));
    EXPECT_TRUE(cb->HasFormat(CF_UNICODETEXT));
    EXPECT_TRUE(cb->HasFormat(csv));
    EXPECT_TRUE(cb->HasFormat(own));
    EXPECT_EQ(cb->GetAsBytes(own), QByteArray("\x01\x02\x00\x03", 4));
    EXPECT_EQ(cb->AsText(), "a\tb");
    // Other programs see the MIME types.
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->data("text/csv"), QByteArray("a,b\r\n"));
    EXPECT_TRUE(m->hasFormat("application/x-kvt-VCLDBIF"));

    // A new session replaces everything with its first write.
    cb->Open();
    EXPECT_TRUE(cb->HasFormat(csv)); // reading does not empty
    cb->SetAsBytes(own, "x");
    cb->Close();
    EXPECT_FALSE(cb->HasFormat(csv));
    EXPECT_FALSE(cb->HasFormat(CF_TEXT));
    EXPECT_TRUE(cb->HasFormat(own));

    // A write outside a session is a session of its own.
    cb->SetAsText("plain");
    EXPECT_FALSE(cb->HasFormat(own));
    EXPECT_EQ(cb->AsText(), "plain");
    cb->Clear();
    EXPECT_FALSE(cb->HasFormat(CF_TEXT));
    EXPECT_EQ(cb->FormatCount(), 0);
}

TEST(Clipboard, TextComesBackWithCrLfAndTerminatingZero) {
    QGuiApplication::clipboard()->setText(QStringLiteral("один\nдва\r\nthree")); // from another program
    TClipboard* cb = Clipboard();
    EXPECT_EQ(cb->AsText(), QStringLiteral("один\r\nдва\r\nthree"));
    const QByteArray wide = cb->GetAsBytes(CF_UNICODETEXT);
    ASSERT_EQ(wide.size() % 2, 0);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(wide.constData())),
              QStringLiteral("один\r\nдва\r\nthree"));
    EXPECT_EQ(wide.right(2), QByteArray(2, '\0'));
    const QByteArray ansi = cb->GetAsBytes(CF_TEXT);
    EXPECT_EQ(ansi.size(), 17);
    EXPECT_EQ(ansi.back(), '\0');
    EXPECT_EQ(uint8_t(ansi[0]), 0xEE); // "о" in Windows-1251
}

TEST(Clipboard, MemoryBlocksThroughTheApi) {
    const UINT own = RegisterClipboardFormat("TestBlock");
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 6);
    ASSERT_TRUE(h);
    EXPECT_EQ(GlobalSize(h), 6u);
    memcpy(GlobalLock(h), "abc\0de", 6);
    GlobalUnlock(h);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    EXPECT_EQ(SetClipboardData(own, h), h); // the clipboard owns h now
    CloseClipboard();

    EXPECT_TRUE(IsClipboardFormatAvailable(own));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    OpenClipboard(nullptr);
    HGLOBAL got = GetClipboardData(own);
    ASSERT_TRUE(got);
    EXPECT_EQ(GlobalSize(got), 6u);
    EXPECT_EQ(QByteArray(static_cast<const char*>(GlobalLock(got)), 6), QByteArray("abc\0de", 6));
    GlobalUnlock(got);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_EQ(EnumClipboardFormats(0), own);
    CloseClipboard();

    // Unicode text set as a block is text for everybody.
    const String s = QStringLiteral("x\ty");
    HGLOBAL t = GlobalAlloc(GMEM_MOVEABLE, size_t(s.size() + 1) * 2);
    memcpy(GlobalLock(t), s.utf16(), size_t(s.size() + 1) * 2);
    GlobalUnlock(t);
    OpenClipboard(nullptr);
    SetClipboardData(CF_UNICODETEXT, t);
    CloseClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "x\ty");
    EXPECT_FALSE(IsClipboardFormatAvailable(own));
}

TEST(Clipboard, Pictures) {
    TBitmap bmp(3, 2);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 3, 2));
    Clipboard()->Assign(&bmp);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap back;
    back.Assign(Clipboard());
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(back.Canvas()->Pixels(1, 1), clRed);
}

} // namespace
