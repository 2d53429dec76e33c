// Component streams in both forms and the two converters: text made from a binary stream reads
// back, and a second pass over it changes nothing.

#include "fuzz/FuzzEntries.h"

#include "platform/classes/ComponentStreams.h"

namespace kvt_fuzz {

namespace {

QByteArray Bytes(TMemoryStream& ms) {
    return QByteArray(static_cast<const char*>(ms.Memory()), int(ms.Size()));
}

QByteArray Convert(const QByteArray& In, void (*Conv)(TStream*, TStream*)) {
    TMemoryStream in, out;
    if (!In.isEmpty()) in.WriteBuffer(In.constData(), Integer(In.size()));
    in.SetPosition(0);
    Conv(&in, &out);
    return Bytes(out);
}

} // namespace

void Streams(const uint8_t* Data, size_t Size) {
    const QByteArray input(reinterpret_cast<const char*>(Data), qsizetype(Size));
    {
        TMemoryStream probe;
        if (Size) probe.WriteBuffer(Data, Integer(Size));
        probe.SetPosition(0);
        (void)TestStreamFormat(&probe);
        Check(probe.Position() == 0, "TestStreamFormat moved the stream");
    }
    QByteArray binary;
    try {
        binary = input.startsWith("TPF0") ? input : Convert(input, ObjectTextToBinary);
    } catch (const Exception&) {
        return;
    }
    QByteArray text;
    try {
        text = Convert(binary, ObjectBinaryToText);
    } catch (const Exception& e) {
        Check(input.startsWith("TPF0"),
              "text made a binary stream that does not convert back to text: " + e.Message().toStdString());
        return;
    }
    // What the converter writes, it reads; a second round is the same text.
    QByteArray again;
    try {
        again = Convert(text, ObjectTextToBinary);
    } catch (const Exception& e) {
        Check(false, "written text does not read back: " + e.Message().toStdString());
    }
    Check(Convert(again, ObjectBinaryToText) == text, "text -> binary -> text changed the text");
    if (!input.startsWith("TPF0"))
        Check(again == binary, "text -> binary -> text -> binary changed the stream");
}

} // namespace kvt_fuzz
