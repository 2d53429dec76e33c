#pragma once
// The filter and aggregate expression parser: turns a filter text («Name LIKE 'A%' AND Qty > 5»)
// or an aggregate text («SUM(Qty) / COUNT(*)») into a tree of nodes that an evaluator walks.
// Node classes and operator codes keep the platform's filter-block numbering, so an evaluator
// written against that numbering reads the tree directly. The grammar is in
// docs/filter-expressions.md.

#include "platform/rtl/System.h"
#include "platform/rtl/Variant.h"
#include "platform/db/DBTypes.h"

#include <memory>
#include <vector>

class TDataSet;
class TField;

enum TNodeClass {
    nodeNULL,     // 0
    nodeUNARY,    // 1: Left
    nodeBINARY,   // 2: Left, Right (IN: Left and the list in Args)
    nodeCOMPARE,  // 3: CaseInsensitive, PartialLength, Left, Right
    nodeFIELD,    // 4: Name, Field, FieldNo
    nodeCONST,    // 5: Value, DataType
    nodeTUPLE,    // 6
    nodeCONTINUE, // 7
    nodeUDF,      // 8
    nodeLIST,     // 9
    nodeFUNC,     // 10: Name, Args
    nodeLISTELEM  // 11
};

enum TCANOperator {
    coNOTDEFINED, // 0
    coISBLANK,    // 1
    coNOTBLANK,   // 2
    coEQ,         // 3
    coNE,         // 4
    coGT,         // 5
    coLT,         // 6
    coGE,         // 7
    coLE,         // 8
    coNOT,        // 9
    coAND,        // 10
    coOR,         // 11
    coTUPLE2,     // 12
    coFIELD2,     // 13
    coCONST2,     // 14
    coMINUS,      // 15
    coADD,        // 16
    coSUB,        // 17
    coMUL,        // 18
    coDIV,        // 19
    coMOD,        // 20
    coREM,        // 21
    coSUM,        // 22
    coCOUNT,      // 23
    coMIN,        // 24
    coMAX,        // 25
    coAVG,        // 26
    coCONT,       // 27
    coUDF2,       // 28
    coCONTINUE2,  // 29
    coLIKE,       // 30
    coIN,         // 31
    coLIST2,      // 32
    coUPPER,      // 33
    coLOWER,      // 34
    coFUNC2,      // 35
    coLISTELEM2,  // 36
    coASSIGN      // 37
};

enum TParserOption {
    poExtSyntax,
    poAggregate,
    poDefaultExpr,
    poUseOrigNames,
    poFieldNameGiven,
    poFieldDepend
};
using TParserOptions = TSet<TParserOption>;

// One node of a parsed expression. Which members are used depends on NodeClass (see the enum).
struct TExprNode {
    TNodeClass NodeClass = nodeNULL;
    TCANOperator Operator = coNOTDEFINED;
    std::unique_ptr<TExprNode> Left;
    std::unique_ptr<TExprNode> Right;
    // Function arguments in order; for IN, the list of values. COUNT(*) has no arguments.
    std::vector<std::unique_ptr<TExprNode>> Args;
    // nodeCOMPARE: ignore case; compare only the first PartialLength characters (0: whole text).
    bool CaseInsensitive = false;
    int PartialLength = 0;
    // nodeFIELD: the name as written (brackets removed); nodeFUNC: the function name as written.
    String Name;
    // nodeFIELD: the data set's field of that name (nullptr when parsed without a data set) and
    // its FieldNo (0 for calculated and lookup fields, and without a data set).
    TField* Field = nullptr;
    int FieldNo = 0;
    // nodeCONST
    Variant Value;
    TFieldType DataType = ftUnknown;
    // 0-based offset of the node's first character in the text.
    int Position = 0;

    TExprNode() = default;
    ~TExprNode(); // frees the subtree without recursion
    TExprNode(const TExprNode&) = delete;
    TExprNode& operator=(const TExprNode&) = delete;

    bool IsAggregate() const; // a function node naming SUM, AVG, MIN, MAX or COUNT
};

// A syntax error; the message names the 1-based character position.
class EExprParserError : public EDatabaseError {
public:
    EExprParserError(const String& msg, int position) : EDatabaseError(msg), FPosition(position) {}
    const char* ClassNameA() const noexcept override { return "EExprParserError"; }
    ::Exception* Clone() const override { return new EExprParserError(*this); }
    [[noreturn]] void Raise() const override { throw *this; }
    int Position() const { return FPosition; } // 0-based offset in the text

private:
    int FPosition;
};

class TExprParser {
public:
    // Parses Text. With a data set, names resolve to its fields (an unknown name is an error)
    // and a quoted text compared with a date or time field becomes a date-time constant.
    // FilterOptions decide the compare-with-options nodes (foCaseInsensitive; a text constant
    // ending in '*' compares partially unless foNoPartialCompare). Aggregate functions are
    // accepted only with poAggregate. An empty text gives no root.
    TExprParser(TDataSet* DataSet, const String& Text, TFilterOptions FilterOptions = {},
                TParserOptions ParserOptions = {poExtSyntax});

    const TExprNode* Root() const { return FRoot.get(); }
    std::unique_ptr<TExprNode> TakeRoot() { return std::move(FRoot); }
    // Every field node of the tree in text order.
    std::vector<const TExprNode*> FieldNodes() const;

    // A compact prefix form of a tree, for diagnostics: (and (> [Qty] 5) (like [Name] 'A%')).
    static String NodeToText(const TExprNode* Node);

private:
    std::unique_ptr<TExprNode> FRoot;
};
