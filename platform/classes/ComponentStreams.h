#pragma once
// Component streams in the platform's binary format ("TPF0"): TFiler, TReader and TWriter, the
// stream-level helpers (TStream.ReadComponent / WriteComponent) and the conversion between the
// binary form and the text form of form files.
//
// A component is written as: optional prefix byte 0xF0|flags (plus the child position when
// ffChildPos), class name and component name as short strings, its properties (name as a short
// string, then a typed value), vaNull, its children, vaNull. Published properties are written
// from the class's property table (TypInfo.h) when stored and different from their default
// (or from the ancestor's value); DefineProperties adds unpublished data.

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"

#include <functional>

class Variant;
class Currency;

enum TValueType {
    vaNull,
    vaList,
    vaInt8,
    vaInt16,
    vaInt32,
    vaExtended,
    vaString,
    vaIdent,
    vaFalse,
    vaTrue,
    vaBinary,
    vaSet,
    vaLString,
    vaNil,
    vaCollection,
    vaSingle,
    vaCurrency,
    vaDate,
    vaWString,
    vaInt64,
    vaUTF8String,
    vaDouble
};

enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// Identifier names of integer values (colors, cursors...): the writer writes the name of a value
// that has one, the reader accepts names and numbers.
using TIdentToInt = bool (*)(const String& Ident, Integer& Int);
using TIntToIdent = bool (*)(Integer Int, String& Ident);
void RegisterIntegerConsts(PTypeInfo IntegerType, TIdentToInt IdentToInt, TIntToIdent IntToIdent);

// ---------------------------------------------------------------------------------------------
class TFiler : public TObject {
    KVT_CLASS(TFiler, TObject)
public:
    TFiler(TStream* Stream, Integer BufSize);
    ~TFiler() override;

    // Declares unpublished data under Name; the reader calls ReadData when the stream holds the
    // name, the writer calls WriteData when HasData.
    virtual void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData,
                                bool HasData) = 0;
    // The same for raw bytes, written as vaBinary (32-bit length, then the bytes).
    virtual void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                                      bool HasData) = 0;
    virtual void FlushBuffer() = 0;

    TStream* Stream() const { return FStream; }
    TComponent* Root() const { return FRoot; }
    virtual void SetRoot(TComponent* Value) { FRoot = Value; }
    TComponent* LookupRoot() const { return FLookupRoot; }
    // The object the one being written is compared with (inherited forms); nullptr when none.
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* Value) { FAncestor = Value; }
    bool IgnoreChildren() const { return FIgnoreChildren; }
    void SetIgnoreChildren(bool Value) { FIgnoreChildren = Value; }

protected:
    TStream* FStream;
    std::vector<uint8_t> FBuffer;
    Integer FBufPos = 0;
    Integer FBufEnd = 0;
    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    TPersistent* FAncestor = nullptr;
    bool FIgnoreChildren = false;
};

// ---------------------------------------------------------------------------------------------
// References between roots. A stream names a component of another root as "Root.Component";
// the root is found by name among the data modules and through the registered look-ups (the
// window layer adds its forms). A reference whose root does not exist yet stays pending until
// a later read (or GlobalFixupReferences) finds it; it is dropped when the component that
// holds it, or its root, is destroyed.
using TFindGlobalComponent = TComponent* (*)(const String& Name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc);
TComponent* FindGlobalComponent(const String& Name);
void GlobalFixupReferences();
// Drops the pending references held by Object or, for a root, by anything it read.
void RemoveFixupReferences(TPersistent* Object);
// Kept by the data modules themselves (case-insensitive name; nullptr when none).
TDataModule* FindDataModule(const String& Name);

// ---------------------------------------------------------------------------------------------
using TReaderError = TEvent<void(TReader* Reader, const String& Message, bool& Handled)>;
using TFindComponentClassEvent =
    TEvent<void(TReader* Reader, const String& ClassName, TClass& ComponentClass)>;
using TCreateComponentEvent = TEvent<void(TReader* Reader, TClass ComponentClass, TComponent*& Component)>;
using TAncestorNotFoundEvent =
    TEvent<void(TReader* Reader, const String& ComponentName, TClass ComponentClass, TComponent*& Component)>;
using TSetNameEvent = TEvent<void(TReader* Reader, TComponent* Component, String& Name)>;
using TReadComponentsProc = std::function<void(TComponent* Component)>;

// Reads component streams. Malformed data raises EReadError ("Stream read error" for a stream
// that ends early, "Invalid property value", "Invalid stream format", "Property %s does not
// exist"); an unknown class raises EClassNotFound "Class %s not found". A component that
// fails to read is freed when the reader created it.
class TReader : public TFiler {
    KVT_CLASS(TReader, TFiler)
public:
    explicit TReader(TStream* Stream, Integer BufSize = 4096);
    // Gives back unread buffered bytes: the stream is left just after the data read.
    ~TReader() override;

    void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;
    void FlushBuffer() override;

    // Values
    TValueType NextValue();
    TValueType ReadValue();
    void CheckValue(TValueType Value); // reads the value type; EReadError when it differs
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    Integer ReadInteger();
    Int64 ReadInt64();
    bool ReadBoolean();
    QChar ReadChar();
    Extended ReadFloat(); // vaExtended, vaDouble, vaSingle, vaCurrency, vaDate or an integer
    Single ReadSingle();
    Currency ReadCurrency();
    TDateTime ReadDate();
    String ReadIdent();  // vaIdent, or "False", "True", "nil", "Null" for their codes
    String ReadString(); // vaString, vaLString, vaWString, vaUTF8String
    String ReadWideString() { return ReadString(); }
    Variant ReadVariant(); // vaNil gives Unassigned, vaNull Null
    void ReadSet(PTypeInfo SetType, uint32_t& Bits);
    void ReadCollection(TCollection* Collection);
    void SkipValue();
    // Raw access
    void Read(void* Buf, Integer Count);
    String ReadStr();     // a short string (length byte, UTF-8 bytes)
    void ReadSignature(); // EReadError "Invalid stream format"
    void ReadPrefix(TFilerFlags& Flags, Integer& AChildPos);
    Int64 Position() const;
    void SetPosition(Int64 Value);

    // Components
    TComponent* ReadRootComponent(TComponent* Root);
    TComponent* ReadComponent(TComponent* Component);
    // Reads the properties and children of Instance (what TComponent::ReadState does).
    void ReadData(TComponent* Instance);
    // Reads properties up to the end of the list into Instance (a collection item, an object).
    void ReadProperties(TPersistent* Instance);
    // Reads components owned by AOwner with parent AParent until the end of the list; each is
    // handed to Proc.
    void ReadComponents(TComponent* AOwner, TComponent* AParent, TReadComponentsProc Proc);
    void FixupReferences();

    TComponent* Owner() const { return FOwner; }
    void SetOwner(TComponent* Value) { FOwner = Value; }
    TComponent* Parent() const { return FParent; }
    void SetParent(TComponent* Value) { FParent = Value; }

    TReaderError OnError;
    TFindComponentClassEvent OnFindComponentClass;
    TCreateComponentEvent OnCreateComponent;
    TAncestorNotFoundEvent OnAncestorNotFound;
    TSetNameEvent OnSetName;

protected:
    // Asks OnError; true when the handler took care of the error.
    virtual bool Error(const String& Message);
    virtual TClass FindComponentClass(const String& ClassName);
    [[noreturn]] void PropValueError();
    [[noreturn]] void ReadError(const String& Message);

private:
    struct Fixup {
        TPersistent* Instance;
        PPropInfo Prop;
        String Name;
        TComponent* Component; // the component whose properties were being read
    };
    void ReadBuffer();
    uint8_t ReadByte();
    uint8_t PeekByte();
    void Skip(Int64 Count);
    Int64 Remaining();
    Integer ReadLength(); // a 32-bit length that the rest of the stream can hold
    void ReadProperty(TPersistent* Instance);
    void ReadPropValue(TPersistent* Instance, PPropInfo Prop);
    void SkipList();
    void SkipSetBody();
    void SkipProperty();
    void SkipComponent(bool SkipHeader);
    TComponent* FindAncestorComponent(const String& Name, TClass ComponentClass);
    TComponent* CreateComponent(TClass ComponentClass);
    void DropFixups(TPersistent* Instance);
    TComponent* FindFixupTarget(const String& Name);
    void Finish(bool Ok);

    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    String FPropName;
    bool FCanHandleExcepts = false;
    int FDepth = 0;
    int FComponentDepth = 0;
    std::vector<TComponent*> FLoaded;
    std::vector<TComponent*> FCreated;
    std::vector<Fixup> FFixups;
    TComponent* FReading = nullptr;
};

// ---------------------------------------------------------------------------------------------
using TFindAncestorEvent = TEvent<void(TWriter* Writer, TComponent* Component, const String& Name,
                                       TComponent*& Ancestor, TComponent*& RootAncestor)>;

class TWriter : public TFiler {
    KVT_CLASS(TWriter, TFiler)
public:
    explicit TWriter(TStream* Stream, Integer BufSize = 4096);
    // Writes out the buffered bytes (errors are dropped here: call FlushBuffer to see them).
    ~TWriter() override;

    void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;
    void FlushBuffer() override;

    // Values
    void WriteValue(TValueType Value);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(Int64 Value); // in the smallest code that holds it
    void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
    void WriteChar(QChar Value);
    void WriteFloat(Extended Value); // vaExtended, 10 bytes
    void WriteDouble(Double Value);  // vaDouble
    void WriteSingle(Single Value);
    void WriteCurrency(const Currency& Value);
    void WriteDate(TDateTime Value);
    void WriteIdent(const String& Ident); // False/True/nil/Null get their own codes
    // 7-bit text as vaString (up to 255) or vaLString; other text as vaUTF8String when that is
    // shorter than UTF-16, else vaWString.
    void WriteString(const String& Value);
    void WriteWideString(const String& Value);
    void WriteUTF8Str(const String& Value);
    void WriteVariant(const Variant& Value);
    void WriteSet(PTypeInfo SetType, uint32_t Bits);
    void WriteCollection(TCollection* Value);
    // Raw access
    void Write(const void* Buf, Integer Count);
    void WriteStr(const String& Value); // short string; EWriteError when longer than 255 bytes
    void WriteSignature();
    void WritePrefix(TFilerFlags Flags, Integer AChildPos);
    Int64 Position() const;

    // Components
    void WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }
    void WriteDescendent(TComponent* Root, TComponent* AAncestor);
    void WriteComponent(TComponent* Component);
    // Header, properties and children of Instance (what TComponent::WriteState does).
    void WriteData(TComponent* Instance);
    void WriteProperties(TPersistent* Instance);
    void WriteProperty(TPersistent* Instance, PPropInfo Prop);
    void WritePropName(const String& PropName);

    TComponent* RootAncestor() const { return FRootAncestor; }
    void SetRootAncestor(TComponent* Value) { FRootAncestor = Value; }

    TFindAncestorEvent OnFindAncestor;

private:
    void WriteBuffer();
    void WriteBinary(const QByteArray& Bytes);
    bool IsDefaultValue(TPersistent* Instance, PPropInfo Prop, TPersistent* Anc);
    String ComponentReferenceName(TComponent* Value);

    TComponent* FRootAncestor = nullptr;
    String FPropPath;
    Integer FChildPos = 0;
    std::vector<TComponent*> FAncestorList;
    int FAncestorPos = 0;
};

// ---------------------------------------------------------------------------------------------
// TStream.WriteComponent / WriteDescendent / ReadComponent.
void WriteComponent(TStream* Stream, TComponent* Instance);
void WriteDescendent(TStream* Stream, TComponent* Instance, TComponent* Ancestor);
// Reads a root component: into Instance, or a new one of the stream's (registered) class.
TComponent* ReadComponent(TStream* Stream, TComponent* Instance);

// Binary form <-> text form ("object Name: TClass" ... "end", CR LF line ends, 2-space indent).
enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText, sofUTF8Text };
void ObjectBinaryToText(TStream* Input, TStream* Output);
// The text may be ANSI (Windows-1251), UTF-8 with or without a BOM; EParserError on bad text.
void ObjectTextToBinary(TStream* Input, TStream* Output);
// Looks at the start of Stream without moving it.
TStreamOriginalFormat TestStreamFormat(TStream* Stream);

KVT_EXCEPTION(EParserError, Exception)
