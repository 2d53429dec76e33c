// TStream, TFileStream and the memory streams.

#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------------------------------------
// TStream

Int64 TStream::Size() {
    const Int64 pos = Seek(0, soCurrent);
    const Int64 result = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return result;
}

void TStream::SetSize(Int64) {}

void TStream::ReadBuffer(void* Buffer, Integer Count) {
    if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const void* Buffer, Integer Count) {
    if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(QStringLiteral("Stream write error"));
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
    if (Count <= 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    const Int64 result = Count;
    constexpr Integer kMaxBufSize = 0xF000;
    std::vector<char> buffer(size_t(std::min<Int64>(Count, kMaxBufSize)));
    while (Count != 0) {
        const Integer n = Integer(std::min<Int64>(Count, kMaxBufSize));
        Source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        Count -= n;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const String& FileName, Word Mode) : FFileName(FileName) {
    const QByteArray path = FileName.toLocal8Bit();
    if ((Mode & fmCreate) == fmCreate) {
        FHandle = ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError(
                QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, SysErrorMessage(errno)));
        return;
    }
    int flags = O_RDONLY;
    switch (Mode & 3) {
    case fmOpenWrite:
        flags = O_WRONLY;
        break;
    case fmOpenReadWrite:
        flags = O_RDWR;
        break;
    default:
        break;
    }
    int err = 0;
    FHandle = path.isEmpty() ? -1 : ::open(path.constData(), flags | O_CLOEXEC);
    if (FHandle < 0) {
        err = path.isEmpty() ? ENOENT : errno;
    } else {
        struct stat st {};
        if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(FHandle);
            FHandle = -1;
            err = EISDIR;
        }
    }
    if (FHandle < 0)
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, SysErrorMessage(err)));
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

Integer TFileStream::Read(void* Buffer, Integer Count) {
    if (Count <= 0) return 0;
    Integer done = 0;
    while (done < Count) {
        const ssize_t n = ::read(FHandle, static_cast<char*>(Buffer) + done, size_t(Count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += Integer(n);
    }
    return done;
}

Integer TFileStream::Write(const void* Buffer, Integer Count) {
    if (Count <= 0) return 0;
    Integer done = 0;
    while (done < Count) {
        const ssize_t n = ::write(FHandle, static_cast<const char*>(Buffer) + done, size_t(Count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += Integer(n);
    }
    return done;
}

Int64 TFileStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    return Int64(::lseek(FHandle, off_t(Offset), whence));
}

Int64 TFileStream::Size() {
    struct stat st {};
    if (::fstat(FHandle, &st) == 0) return Int64(st.st_size);
    return TStream::Size();
}

void TFileStream::SetSize(Int64 NewSize) {
    Seek(NewSize, soBeginning);
    if (::ftruncate(FHandle, off_t(NewSize)) != 0)
        throw EStreamError(QStringLiteral("Error setting stream size: %1").arg(SysErrorMessage(errno)));
}

// ---------------------------------------------------------------------------------------------
// TCustomMemoryStream

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count) {
    if (FPosition < 0 || Count <= 0) return 0;
    Int64 result = FSize - FPosition;
    if (result <= 0) return 0;
    if (result > Count) result = Count;
    std::memcpy(Buffer, static_cast<const char*>(FMemory) + FPosition, size_t(result));
    FPosition += result;
    return Integer(result);
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    switch (Origin) {
    case soBeginning:
        FPosition = Offset;
        break;
    case soCurrent:
        FPosition += Offset;
        break;
    case soEnd:
        FPosition = FSize + Offset;
        break;
    }
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
    Int64 left = FSize;
    const char* p = static_cast<const char*>(FMemory);
    while (left > 0) {
        const Integer n = Integer(std::min<Int64>(left, INT_MAX));
        Stream->WriteBuffer(p, n);
        p += n;
        left -= n;
    }
}

void TCustomMemoryStream::SaveToFile(const String& FileName) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 Size) {
    FMemory = Ptr;
    FSize = Size;
}

// ---------------------------------------------------------------------------------------------
// TMemoryStream

TMemoryStream::~TMemoryStream() {
    // A descendant with its own storage has released it already (capacity 0).
    if (FCapacity != 0) std::free(FMemory);
    FMemory = nullptr;
}

void* TMemoryStream::Realloc(Int64& NewCapacity) {
    if (NewCapacity > 0 && NewCapacity != FSize) {
        if (NewCapacity > (INT64_MAX - MemoryDelta))
            throw EStreamError(QStringLiteral("Out of memory while expanding memory stream"));
        NewCapacity = (NewCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
    }
    void* result = FMemory;
    if (NewCapacity != FCapacity) {
        if (NewCapacity == 0) {
            std::free(FMemory);
            result = nullptr;
        } else {
            result = (FCapacity == 0 || !FMemory) ? std::malloc(size_t(NewCapacity))
                                                  : std::realloc(FMemory, size_t(NewCapacity));
            if (!result) throw EStreamError(QStringLiteral("Out of memory while expanding memory stream"));
        }
    }
    return result;
}

void TMemoryStream::SetCapacity(Int64 NewCapacity) {
    if (NewCapacity < 0) NewCapacity = 0;
    void* p = Realloc(NewCapacity);
    // A smaller block cannot hold the old size.
    SetPointer(p, std::min(FSize, NewCapacity));
    FCapacity = NewCapacity;
}

void TMemoryStream::SetSize(Int64 NewSize) {
    if (NewSize < 0) NewSize = 0;
    const Int64 oldPosition = FPosition;
    const Int64 oldSize = FSize;
    SetCapacity(NewSize);
    if (NewSize > oldSize && FMemory)
        std::memset(static_cast<char*>(FMemory) + oldSize, 0, size_t(NewSize - oldSize));
    FSize = NewSize;
    if (oldPosition > NewSize) Seek(0, soEnd);
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count) {
    if (FPosition < 0 || Count < 0) return 0;
    const Int64 pos = FPosition + Count;
    if (pos <= 0) return 0;
    if (pos > FSize) {
        if (pos > FCapacity) SetCapacity(pos);
        // Bytes skipped by a seek past the end read as zeros.
        if (FPosition > FSize) std::memset(static_cast<char*>(FMemory) + FSize, 0, size_t(FPosition - FSize));
        FSize = pos;
    }
    if (Count > 0) std::memcpy(static_cast<char*>(FMemory) + FPosition, Buffer, size_t(Count));
    FPosition = pos;
    return Count;
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
    Stream->SetPosition(0);
    const Int64 count = Stream->Size();
    SetSize(count);
    Int64 done = 0;
    while (done < count) {
        const Integer n = Integer(std::min<Int64>(count - done, INT_MAX));
        Stream->ReadBuffer(static_cast<char*>(FMemory) + done, n);
        done += n;
    }
}

void TMemoryStream::LoadFromFile(const String& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

// ---------------------------------------------------------------------------------------------
// TBytesStream

TBytesStream::TBytesStream(const TBytes& ABytes) : FBytes(ABytes) {
    SetPointer(FBytes.data(), Int64(FBytes.size()));
    SetCapacity(Int64(FBytes.size()));
}

TBytesStream::~TBytesStream() {
    SetCapacity(0);
}

void* TBytesStream::Realloc(Int64& NewCapacity) {
    if (NewCapacity > 0 && NewCapacity != FSize)
        NewCapacity = (NewCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
    FBytes.resize(size_t(NewCapacity));
    return FBytes.empty() ? nullptr : FBytes.data();
}

// ---------------------------------------------------------------------------------------------
// TStringStream

namespace {
TBytes ToBytes(const QByteArray& a) {
    return TBytes(a.begin(), a.end());
}
} // namespace

TStringStream::TStringStream() : FEncoding(TEncoding::Default()) {}

TStringStream::TStringStream(const String& AString, const TEncoding* AEncoding)
    : TBytesStream(ToBytes((AEncoding ? AEncoding : TEncoding::Default())->GetBytes(AString))),
      FEncoding(AEncoding ? AEncoding : TEncoding::Default()) {}

TStringStream::TStringStream(const TBytes& ABytes) : TBytesStream(ABytes), FEncoding(TEncoding::Default()) {}

String TStringStream::DataString() const {
    return FEncoding->GetString(QByteArray(static_cast<const char*>(FMemory), qsizetype(FSize)));
}

String TStringStream::ReadString(Integer Count) {
    Int64 len = FSize - FPosition;
    if (len > Count) len = Count;
    if (len <= 0 || FPosition < 0) return String();
    const QByteArray bytes(static_cast<const char*>(FMemory) + FPosition, qsizetype(len));
    FPosition += len;
    return FEncoding->GetString(bytes);
}

void TStringStream::WriteString(const String& AString) {
    const QByteArray bytes = FEncoding->GetBytes(AString);
    WriteBuffer(bytes.constData(), Integer(bytes.size()));
}
