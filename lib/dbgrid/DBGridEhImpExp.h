#pragma once
// Copy, export, import and paste of the data grid's selection. Exporters write one format each
// (8-bit text in Windows-1251, UTF-16 text, CSV, RTF, and the tagged record format "VCLDBIF");
// importers read the two text formats and the tagged one back into the grid.
//
// The tagged format (little-endian): "VCLDBIF", version byte 1, a 32-bit column count, then per
// column a visible-flag byte and a zero-terminated name; then per record one tagged value per
// column (0 end, 1 no value, 2 Null, 3 int32, 4 double, 5 8-bit text, 6 bytes, 7 UTF-16 text,
// 5 to 7 preceded by a 32-bit byte count); one zero byte ends the stream.
//
// An import never leaves a record half written: a record's values are all read (and checked
// against the format) before the first one is written, and a record whose writing fails or is
// abandoned is cancelled.

#include "lib/dbgrid/DBGridEh.h"

#include <functional>
#include <memory>
#include <vector>

class TStream;
class TMemoryStreamEh;
class THeadTreeNode;

// The clipboard formats the grid registers ("VCLDBIF", "Csv", "Rich Text Format").
UINT VCLDBIFClipboardFormat();
UINT CsvClipboardFormat();
UINT RtfClipboardFormat();
void RegisterGridClipboardFormats();

// ---------------------------------------------------------------------------------------------
// Exporters

class TDBGridEhExport : public TObject {
    KVT_CLASS(TDBGridEhExport, TObject)
public:
    TDBGridEhExport();
    ~TDBGridEhExport() override;
    TCustomDBGridEh* DBGridEh() const { return FDBGridEh; }
    void SetDBGridEh(TCustomDBGridEh* Value) { FDBGridEh = Value; }
    // The exported columns; filled by the export unless the caller filled it first.
    TColumnsEhList* ExpCols() const { return FExpCols.get(); }
    virtual void ExportToStream(TStream* Stream, bool IsExportAll);
    virtual void ExportToFile(const String& FileName, bool IsExportAll);
    // False when the walk wrote nothing (the current cell of a detail grid).
    bool Written() const { return FWritten; }

protected:
    virtual void CalcFooterValues();
    virtual void WritePrefix() {}
    virtual void WriteSuffix() {}
    virtual void WriteTitle(TColumnsEhList* /*Columns*/) {}
    virtual void WriteRecord(TColumnsEhList* Columns);
    // Writes the first Count records of a whole-table walk without moving the cursor (it is on
    // the first record) and leaves the cursor on the last; false when this export cannot, and
    // the walk goes record by record.
    virtual bool WriteViewRows(TDataSet* /*DataSet*/, int /*Count*/) { return false; }
    virtual void WriteDataCell(TColumnEh* /*Column*/, TAxisColCellParamsEh* /*CellParams*/) {}
    virtual void WriteFooter(TColumnsEhList* Columns, int FooterRow);
    virtual void WriteFooterCell(int /*DataCol*/, int /*FooterRow*/, const String& /*Text*/,
                                 TAlignment /*Alignment*/, TColor /*Background*/, TFont* /*Font*/,
                                 TColumnEh* /*Column*/) {}
    String FormatFooterValue(int FooterRow, int DataCol);
    // Text in the format's encoding (Windows-1251 here).
    virtual void PutText(const String& Text);
    void PutBytes(const void* Data, int Count);
    // A 32-bit little-endian integer.
    void PutInt32(int32_t Value);
    // Hands the gathered output to the stream; every export ends with it.
    void FlushOut();
    void FlushOutOnUnwind() noexcept;

    std::unique_ptr<TAxisColCellParamsEh> FColCellParamsEh;
    TCustomDBGridEh* FDBGridEh = nullptr;
    std::unique_ptr<TColumnsEhList> FExpCols;
    TStream* FStream = nullptr;
    std::vector<char> FOut;
    static constexpr int kOutBlock = 1 << 16;
    // The cell font handed to the cell events, reused from cell to cell.
    std::unique_ptr<TFont> FScratchFont;
    std::vector<Currency> FooterValues;
    bool FWritten = false;

    // True when a data cell needs nothing but its text (see the .cpp); fills FPlainCells.
    bool CellTextOnly(TColumnsEhList* Columns);
    // How a cell's text may be had without building it: the stored value of a field of the
    // library's own integer, float or string classes, formatted as the field would show it.
    enum class TPlainKind : uint8_t { Text, Integer, Float, String };
    struct TPlainCell {
        // The field whose display text is the cell text as it is; null: the column's text.
        TField* Field = nullptr;
        TPlainKind Kind = TPlainKind::Text;
        int Precision = 15; // of a float field
    };
    std::vector<TPlainCell> FPlainCells;

private:
    void Walk(bool IsExportAll);
    bool FTextOnlyKnown = false;
    bool FTextOnly = false;
};
using TDBGridEhExportClass = std::function<TDBGridEhExport*()>;

class TDBGridEhExportAsText : public TDBGridEhExport {
    KVT_CLASS(TDBGridEhExportAsText, TDBGridEhExport)
public:
    void ExportToStream(TStream* Stream, bool IsExportAll) override;

protected:
    virtual void CheckFirstRec();
    virtual void CheckFirstCell();
    void WriteTitle(TColumnsEhList* Columns) override;
    void WriteRecord(TColumnsEhList* Columns) override;
    void WriteDataCell(TColumnEh* Column, TAxisColCellParamsEh* CellParams) override;
    void WriteFooter(TColumnsEhList* Columns, int FooterRow) override;
    void WriteFooterCell(int DataCol, int FooterRow, const String& Text, TAlignment Alignment,
                         TColor Background, TFont* Font, TColumnEh* Column) override;
    bool FirstRec = true;
    bool FirstCell = true;
};

class TDBGridEhExportAsUnicodeText : public TDBGridEhExportAsText {
    KVT_CLASS(TDBGridEhExportAsUnicodeText, TDBGridEhExportAsText)
protected:
    void PutText(const String& Text) override; // UTF-16 little-endian
};

// Unit-level defaults of new CSV exporters.
extern char DBGridEhExportCSVSeparator; // ';'
extern char DBGridEhExportCSVQuoteChar; // '"'

class TDBGridEhExportAsCSV : public TDBGridEhExportAsText {
    KVT_CLASS(TDBGridEhExportAsCSV, TDBGridEhExportAsText)
public:
    TDBGridEhExportAsCSV();
    char Separator() const { return FSeparator; }
    void SetSeparator(char Value) { FSeparator = Value; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char Value) { FQuoteChar = Value; }

protected:
    void CheckFirstCell() override;
    void WriteTitle(TColumnsEhList* Columns) override;
    void WriteDataCell(TColumnEh* Column, TAxisColCellParamsEh* CellParams) override;
    void WriteFooterCell(int DataCol, int FooterRow, const String& Text, TAlignment Alignment,
                         TColor Background, TFont* Font, TColumnEh* Column) override;
    void WriteRecord(TColumnsEhList* Columns) override;
    bool WriteViewRows(TDataSet* DataSet, int Count) override;
    // A plain cell of the current record (FPlainCells[Index]) through its field.
    void WritePlainCell(int Index, TColumnEh* Column, char16_t DecimalSeparator);
    String Quoted(const String& Text) const;
    // Writes Quoted(Text) without building it when the quote is a plain ASCII character.
    void PutQuoted(const String& Text);
    // Writes ASCII bytes quoted (the quote is ASCII or zero).
    void PutQuotedAscii(const char* Text, int Count);

private:
    char FSeparator;
    char FQuoteChar;
};

class TDBGridEhExportAsRTF : public TDBGridEhExport {
    KVT_CLASS(TDBGridEhExportAsRTF, TDBGridEhExport)
public:
    TDBGridEhExportAsRTF();
    ~TDBGridEhExportAsRTF() override;
    void ExportToStream(TStream* Stream, bool IsExportAll) override;

protected:
    void WriteSuffix() override;
    void WriteTitle(TColumnsEhList* Columns) override;
    void WriteRecord(TColumnsEhList* Columns) override;
    void WriteDataCell(TColumnEh* Column, TAxisColCellParamsEh* CellParams) override;
    void WriteFooter(TColumnsEhList* Columns, int FooterRow) override;
    void WriteFooterCell(int DataCol, int FooterRow, const String& Text, TAlignment Alignment,
                         TColor Background, TFont* Font, TColumnEh* Column) override;
    int ColorIndex(TColor Color);
    int FontIndex(const String& Name);
    void WriteCellBorders(bool Left, bool Top, bool Bottom, bool Right);
    void WriteRowDefinition(TColumnsEhList* Columns, const std::vector<TColor>& Backgrounds);
    void WriteCell(TAlignment Alignment, TFont* Font, TColor Background, const String& Text);
    void WriteFontedText(TFont* Font, TColor Background, const String& Text);
    void PutLine(const String& Text);
    TColor CellBackground(TColumnEh* Column);
    TColor FooterCellBackground(TColumnEh* Column, int FooterRow);
    int ColumnTwips(TColumnEh* Column);
    std::vector<std::vector<THeadTreeNode*>> BuildTitleLevels(TColumnsEhList* Columns);
    void WriteMultiTitle(TColumnsEhList* Columns);

    std::unique_ptr<TMemoryStreamEh> FCacheStream;
    std::unique_ptr<TStringList> ColorTblList;
    std::unique_ptr<TStringList> FontTblList;
};

class TDBGridEhExportAsVCLDBIF : public TDBGridEhExport {
    KVT_CLASS(TDBGridEhExportAsVCLDBIF, TDBGridEhExport)
protected:
    void WritePrefix() override;
    void WriteSuffix() override;
    void WriteDataCell(TColumnEh* Column, TAxisColCellParamsEh* CellParams) override;
};

template <class T> void ExportGridToStream(TCustomDBGridEh* Grid, TStream* Stream, bool IsExportAll) {
    T exporter;
    exporter.SetDBGridEh(Grid);
    exporter.ExportToStream(Stream, IsExportAll);
}
template <class T> void ExportGridToFile(TCustomDBGridEh* Grid, const String& FileName, bool IsExportAll) {
    T exporter;
    exporter.SetDBGridEh(Grid);
    exporter.ExportToFile(FileName, IsExportAll);
}

void CopyGridSelectionToClipboard(TCustomDBGridEh* Grid, bool IsExportAll);
void CutGridSelectionToClipboard(TCustomDBGridEh* Grid, bool IsExportAll);
void PutStreamToClipboard(UINT Format, TStream* Stream);

// ---------------------------------------------------------------------------------------------
// Importers

// One value read from the input: unassigned (the tag carried none), or a variant (Null
// included), or a text.
struct TImportValueEh {
    bool Assigned = false;
    Variant Value;
};

// The question after a value could not be written: mrYes skips it, mrAll skips it and every
// later failure of this import, anything else abandons the import. Tests replace it.
using TImportErrorQueryEh = std::function<int(const String& Message)>;
void SetImportErrorQuery(TImportErrorQueryEh Query);

class TDBGridEhImport : public TObject {
    KVT_CLASS(TDBGridEhImport, TObject)
public:
    TDBGridEhImport();
    ~TDBGridEhImport() override;
    TCustomDBGridEh* DBGridEh() const { return FDBGridEh; }
    void SetDBGridEh(TCustomDBGridEh* Value) { FDBGridEh = Value; }
    virtual void ImportFromStream(TStream* Stream, bool IsImportAll);
    virtual void ImportFromFile(const String& FileName, bool IsImportAll);

protected:
    virtual void ReadPrefix() {}
    virtual void ReadSuffix() {}
    // Reads the next record's values; false at the end of the input.
    virtual bool ReadRecordValues(std::vector<TImportValueEh>& Values) = 0;
    virtual void ReadRecord(TColumnsEhList* Columns);
    virtual void ReadDataCell(TColumnEh* Column, const TImportValueEh& Value) = 0;
    // Writes with the error question; false when the import is to stop.
    template <class TWrite> bool WriteGuarded(TColumnEh* Column, TWrite&& Write);
    bool WriteFailed(TColumnEh* Column, const Exception& E);
    void AppendImportedRows(TColumnsEhList* Columns, bool AppendMode);
    [[noreturn]] void FormatError(const String& Where, const String& Message);

    TCustomDBGridEh* FDBGridEh = nullptr;
    TStream* FStream = nullptr;
    std::unique_ptr<TColumnsEhList> FImpCols;
    bool Eos = false;
    bool FIgnoreAll = false;
    bool FAborted = false;
    // 1-based number of the record being read, for messages.
    int FRecordNo = 0;
    // The values of the record being read, reused from record to record.
    std::vector<TImportValueEh> FValues;
};

class TDBGridEhImportAsText : public TDBGridEhImport {
    KVT_CLASS(TDBGridEhImportAsText, TDBGridEhImport)
public:
    void ImportFromStream(TStream* Stream, bool IsImportAll) override;

    // Bytes asked of the stream at a time; the reader holds one block and the line being read.
    static constexpr int kInBlock = 1 << 16;

protected:
    void ReadPrefix() override;
    bool ReadRecordValues(std::vector<TImportValueEh>& Values) override;
    void ReadDataCell(TColumnEh* Column, const TImportValueEh& Value) override;
    // Appends the text of the next bytes of the input to FText (Windows-1251 here); false once
    // the text has ended (a zero character). Last: the input has no more bytes.
    virtual bool DecodeBlock(const char* Bytes, qsizetype Count, bool Last);
    virtual String ReaderName() const { return QStringLiteral("TDBGridEhImportAsText"); }
    // Reads the next block of the input into FText, first dropping the text before Keep (FPos
    // and Keep move with it); false when the input has nothing more.
    bool Refill(int& Keep);

    // The text read but not yet taken, from the start of the line being read.
    String FText;
    int FPos = 0;
    bool FInputEnd = false;
    QByteArray FBlock;
};

class TDBGridEhImportAsUnicodeText : public TDBGridEhImportAsText {
    KVT_CLASS(TDBGridEhImportAsUnicodeText, TDBGridEhImportAsText)
protected:
    void ReadPrefix() override;
    bool DecodeBlock(const char* Bytes, qsizetype Count, bool Last) override;
    String ReaderName() const override { return QStringLiteral("TDBGridEhImportAsUnicodeText"); }

private:
    bool FStarted = false; // past the byte-order mark
    bool FHasOdd = false;  // a code unit's first byte, held for the next block
    char FOdd = 0;
};

class TDBGridEhImportAsVCLDBIF : public TDBGridEhImport {
    KVT_CLASS(TDBGridEhImportAsVCLDBIF, TDBGridEhImport)
public:
    void ImportFromStream(TStream* Stream, bool IsImportAll) override;
    // The column names and visible flags of the stream's head.
    const std::vector<std::pair<String, bool>>& FieldNames() const { return FFieldNames; }

protected:
    void ReadPrefix() override;
    bool ReadRecordValues(std::vector<TImportValueEh>& Values) override;
    void ReadDataCell(TColumnEh* Column, const TImportValueEh& Value) override;
    TImportValueEh ReadValue(bool& End);
    void ReadExact(void* Buffer, Int64 Count);

    int FColCount = 0;
    std::vector<std::pair<String, bool>> FFieldNames;
    bool UseFieldNames = false;
};

template <class T> void ImportGridFromStream(TCustomDBGridEh* Grid, TStream* Stream, bool IsImportAll) {
    T importer;
    importer.SetDBGridEh(Grid);
    importer.ImportFromStream(Stream, IsImportAll);
}

void PasteGridFromClipboard(TCustomDBGridEh* Grid, bool IsImportAll);
// Appends the clipboard's block of Format to Stream; nothing when absent.
void GetStreamFromClipboard(UINT Format, TStream* Stream);
