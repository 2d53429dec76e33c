// Streams: memory streams, file streams, read/write errors, the reallocation hook.

#include "platform/classes/Classes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray Content(TCustomMemoryStream& s) {
    return QByteArray(static_cast<const char*>(s.Memory()), int(s.Size()));
}

TEST(MemoryStream, WriteReadSeekAndSize) {
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.Size(), 5);
    EXPECT_EQ(s.Capacity(), TMemoryStream::MemoryDelta);

    s.Seek(-3, soFromEnd);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 3); // a short read answers what was there
    EXPECT_EQ(QByteArray(buf, 3), "llo");
    EXPECT_EQ(s.Read(buf, 8), 0);

    // Writing past the end leaves zeros in the gap.
    s.SetPosition(8);
    s.WriteBuffer("!", 1);
    EXPECT_EQ(Content(s), QByteArray("hello\0\0\0!", 9));

    s.SetSize(2); // the position follows a shrinking stream
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(Content(s), "he");
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, ReadBufferAndWriteBufferFailOnShortTransfers) {
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    s.SetPosition(1);
    char buf[4];
    try {
        s.ReadBuffer(buf, 3);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    EXPECT_NO_THROW(s.ReadBuffer(buf, 0));

    struct TFullStream : TMemoryStream {
        Integer Write(const void* Buffer, Integer Count) override {
            return TMemoryStream::Write(Buffer, std::min<Integer>(Count, 2));
        }
    } full;
    try {
        full.WriteBuffer("abc", 3);
        FAIL();
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Stream write error");
    }
}

TEST(MemoryStream, CopyFromAndLoadSave) {
    TMemoryStream src;
    src.WriteBuffer("0123456789", 10);
    TMemoryStream dst;
    src.SetPosition(7);
    EXPECT_EQ(dst.CopyFrom(&src, 0), 10); // 0: the whole source from its start
    EXPECT_EQ(Content(dst), "0123456789");
    src.SetPosition(2);
    dst.Clear();
    EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
    EXPECT_EQ(Content(dst), "234");
    EXPECT_THROW(dst.CopyFrom(&src, 100), EReadError);

    TMemoryStream loaded;
    loaded.LoadFromStream(&src);
    EXPECT_EQ(Content(loaded), "0123456789");
}

// A descendant that keeps its bytes in storage of its own, as blob streams do.
class TOwnStorageStream : public TMemoryStream {
public:
    ~TOwnStorageStream() override { SetCapacity(0); }
    void* Realloc(Int64& NewCapacity) override {
        ++Calls;
        Storage.resize(size_t(NewCapacity)); // exact: no rounding
        return Storage.empty() ? nullptr : Storage.data();
    }
    std::vector<char> Storage;
    int Calls = 0;
};

TEST(MemoryStream, ReallocationHookOwnsTheBlock) {
    TOwnStorageStream s;
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.Capacity(), 6);
    EXPECT_EQ(s.Memory(), s.Storage.data());
    s.WriteBuffer("gh", 2);
    EXPECT_EQ(std::string(s.Storage.begin(), s.Storage.end()), "abcdefgh");
    EXPECT_GE(s.Calls, 2);
}

TEST(BytesAndStringStreams, ContentAndEncodings) {
    TBytesStream b(TBytes{1, 2, 3});
    EXPECT_EQ(b.Size(), 3);
    b.Seek(0, soFromEnd);
    b.WriteBuffer("\x04", 1);
    EXPECT_EQ(b.Size(), 4);
    EXPECT_GE(b.Bytes().size(), 4u);
    EXPECT_EQ(b.Bytes()[3], 4);

    const QString text = QString::fromUtf8("Шкала 1");
    TStringStream ansi(text);
    EXPECT_EQ(ansi.Size(), 7); // one byte per character in Windows-1251
    EXPECT_EQ(ansi.DataString(), text);
    TStringStream utf8(text, TEncoding::UTF8());
    EXPECT_EQ(utf8.Size(), text.toUtf8().size());
    utf8.SetPosition(0);
    EXPECT_EQ(utf8.ReadString(4), QString::fromUtf8("Шк"));
    utf8.Seek(0, soFromEnd);
    utf8.WriteString("!");
    EXPECT_EQ(utf8.DataString(), text + "!");
}

TEST(FileStream, CreateOpenAndErrors) {
    QTemporaryDir dir;
    const QString path = dir.filePath("data.bin");
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer("abcdef", 6);
        EXPECT_EQ(f.Size(), 6);
        f.SetSize(4);
    }
    {
        TFileStream f(path, fmOpenRead | fmShareDenyWrite);
        char buf[8] = {};
        EXPECT_EQ(f.Read(buf, 8), 4);
        EXPECT_EQ(QByteArray(buf, 4), "abcd");
        EXPECT_EQ(f.Write("x", 1), 0); // read-only
        EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
        f.Seek(1, soFromBeginning);
        EXPECT_THROW(f.ReadBuffer(buf, 4), EReadError);
    }
    {
        TFileStream f(path, fmOpenReadWrite);
        f.Seek(0, soFromEnd);
        f.WriteBuffer("Z", 1);
    }
    TMemoryStream m;
    m.LoadFromFile(path);
    EXPECT_EQ(Content(m), "abcdZ");

    const QString missing = dir.filePath("missing.bin");
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(missing)));
    }
    const QString bad = dir.filePath("no/such/dir/file.bin");
    try {
        TFileStream f(bad, fmCreate);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(bad)));
    }
    EXPECT_THROW(TFileStream(dir.path(), fmOpenRead), EFOpenError); // a directory is no file
}

} // namespace
