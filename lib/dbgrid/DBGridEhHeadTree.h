#pragma once
// The header tree of multi-level titles. A column caption "A|B|C" becomes the leaf C under the
// band B under the band A; neighbouring columns whose captions start with the same words share
// those bands. The grid keeps one root ("Root") and rebuilds the tree from its columns on every
// layout update.
//
// Invariants (CheckConsistency):
//   - siblings form a ring: following Next from any node comes back to it, and every node of a
//     ring has the same Host;
//   - a node's Child, when set, is hosted by that node.
// A band made by Union is as wide as its children with the vertical lines between them.
// Nodes are owned by the tree: a root frees its whole subtree, FreeAllChild frees descendants.

#include "platform/rtl/SysUtils.h"

#include <vector>

class TColumnEh;
class TCustomDBGridEh;
class THeadTreeNode;

// Word routines over captions; a character of Delims is a delimiter unless it is half of a
// surrogate pair. Words are maximal runs of non-delimiters, counted from 1.
// 1-based position of the first character of word N; 0 when S has fewer than N words.
int NthWordStart(int N, const String& S, const String& Delims);
// Word N, or empty when there is none.
String NthWord(int N, const String& S, const String& Delims);
// Word N, and its 1-based position (0 when there is none) in Pos.
String NthWordWithStart(int N, const String& S, const String& Delims, int& Pos);

using THeadTreeProc = TEvent<void(THeadTreeNode* node)>;

class THeadTreeNode : public TObject {
    KVT_CLASS(THeadTreeNode, TObject)
public:
    THeadTreeNode* Child = nullptr;
    TColumnEh* Column = nullptr;
    bool Drawn = false;
    int Height = 0;
    int HeightPrn = 0;
    THeadTreeNode* Host = nullptr;
    THeadTreeNode* Next = this;
    String Text;
    int VLineWidth = 0;
    int Width = 0;
    int WidthPrn = 0;
    int WIndent = 0;

    THeadTreeNode() = default;
    THeadTreeNode(const String& AText, int AHeight, int AWidth);
    static THeadTreeNode* CreateText(const String& AText, int AHeight, int AWidth);
    ~THeadTreeNode() override;
    THeadTreeNode(const THeadTreeNode&) = delete;
    THeadTreeNode& operator=(const THeadTreeNode&) = delete;

    // A new node after AAfter among its siblings; "Node not in Tree" when AAfter is not here.
    THeadTreeNode* Add(THeadTreeNode* AAfter, const String& AText, int AHeight, int AWidth);
    // A new last child of ANode; "Node not in Tree" when ANode is not here.
    THeadTreeNode* AddChild(THeadTreeNode* ANode, const String& AText, int AHeight, int AWidth);
    void FreeAllChild();
    // ANode is this node, one of its siblings, or below one of them.
    bool Find(THeadTreeNode* ANode);
    int GetLevel();
    static int GetDepth(THeadTreeNode* ANode);
    // Puts the siblings AFrom .. ATo under a new band AText of height AHeight; the band takes
    // their width (with the lines between them) and their heights lose AHeight.
    void Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, const String& AText, int AHeight);
    // Rebuilds the children of this root from the grid's columns and caption words.
    void CreateFieldTree(TCustomDBGridEh* AGrid);
    // Depth first: each child, its subtree, then the next sibling.
    void DoForAllNode(const THeadTreeProc& proc);

    // Groups leaves (the root's children in column order) into bands by the first words of
    // their texts, taking those words off the leaves, until nothing more groups.
    void UnionLeavesByWords(const std::vector<THeadTreeNode*>& Leaves);

    // Whether the subtree below this node keeps the tree's invariants (see above).
    bool CheckConsistency();
};

// One entry per column: the column's leaf in the header tree.
struct TLeafCol {
    THeadTreeNode* FLeaf = nullptr;
    TColumnEh* FColumn = nullptr;
};
using PTLeafCol = std::vector<TLeafCol>;
