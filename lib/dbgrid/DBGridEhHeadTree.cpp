// The header tree's nodes, the caption word routines and the grouping of leaves into bands.
// Building the leaves from a grid's columns and measuring band heights live with the grid.

#include "lib/dbgrid/DBGridEhHeadTree.h"

#include <cassert>

namespace {

bool IsDelimiter(const String& S, int I, const String& Delims) {
    const QChar c = S.at(I);
    return !c.isSurrogate() && Delims.contains(c);
}

} // namespace

int NthWordStart(int N, const String& S, const String& Delims) {
    const int len = int(S.size());
    int word = 0;
    int i = 0;
    while (i < len) {
        while (i < len && IsDelimiter(S, i, Delims))
            ++i;
        if (i >= len) break;
        if (++word == N) return i + 1;
        while (i < len && !IsDelimiter(S, i, Delims))
            ++i;
    }
    return 0;
}

String NthWordWithStart(int N, const String& S, const String& Delims, int& Pos) {
    Pos = NthWordStart(N, S, Delims);
    if (Pos == 0) return String();
    int end = Pos - 1;
    while (end < int(S.size()) && !IsDelimiter(S, end, Delims))
        ++end;
    return S.mid(Pos - 1, end - (Pos - 1));
}

String NthWord(int N, const String& S, const String& Delims) {
    int pos = 0;
    return NthWordWithStart(N, S, Delims, pos);
}

// ---------------------------------------------------------------------------------------------

THeadTreeNode::THeadTreeNode(const String& AText, int AHeight, int AWidth)
    : Height(AHeight), Text(AText), Width(AWidth) {}

THeadTreeNode* THeadTreeNode::CreateText(const String& AText, int AHeight, int AWidth) {
    return new THeadTreeNode(AText, AHeight, AWidth);
}

THeadTreeNode::~THeadTreeNode() {
    if (!Host) FreeAllChild();
}

THeadTreeNode* THeadTreeNode::Add(THeadTreeNode* AAfter, const String& AText, int AHeight, int AWidth) {
    if (!Find(AAfter)) throw Exception(QStringLiteral("Node not in Tree"));
    auto* node = new THeadTreeNode(AText, AHeight, AWidth);
    node->Host = AAfter->Host;
    node->Next = AAfter->Next;
    AAfter->Next = node;
    return node;
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* ANode, const String& AText, int AHeight, int AWidth) {
    if (!Find(ANode)) throw Exception(QStringLiteral("Node not in Tree"));
    auto* node = new THeadTreeNode(AText, AHeight, AWidth);
    node->Host = ANode;
    if (!ANode->Child) {
        ANode->Child = node;
    } else {
        THeadTreeNode* last = ANode->Child;
        while (last->Next != ANode->Child)
            last = last->Next;
        last->Next = node;
        node->Next = ANode->Child;
    }
    return node;
}

void THeadTreeNode::FreeAllChild() {
    THeadTreeNode* first = Child;
    if (!first) return;
    Child = nullptr;
    THeadTreeNode* n = first;
    do {
        THeadTreeNode* next = n->Next;
        n->FreeAllChild();
        delete n; // hosted, so its destructor frees nothing more
        n = next;
    } while (n != first);
}

bool THeadTreeNode::Find(THeadTreeNode* ANode) {
    if (!ANode) return false;
    THeadTreeNode* n = this;
    do {
        if (n == ANode) return true;
        if (n->Child && n->Child->Find(ANode)) return true;
        n = n->Next;
    } while (n != this);
    return false;
}

int THeadTreeNode::GetLevel() {
    return GetDepth(this);
}

int THeadTreeNode::GetDepth(THeadTreeNode* ANode) {
    int level = 0;
    for (THeadTreeNode* h = ANode ? ANode->Host : nullptr; h; h = h->Host)
        ++level;
    return level;
}

void THeadTreeNode::Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, const String& AText, int AHeight) {
    if (!Find(AFrom)) throw Exception(QStringLiteral("Node not in Tree"));
    THeadTreeNode* host = AFrom->Host;
    THeadTreeNode* first = host ? host->Child : AFrom;
    if (AFrom != ATo) {
        // Coming round to the first child again means ATo is not after AFrom on this level.
        for (THeadTreeNode* n = AFrom->Next;; n = n->Next) {
            if (n == first || n == AFrom) throw Exception(QStringLiteral("ATo not in level"));
            if (n == ATo) break;
        }
    }

    THeadTreeNode* prev = AFrom;
    while (prev->Next != AFrom)
        prev = prev->Next;

    auto* band = new THeadTreeNode(AText, AHeight, 0);
    band->Host = host;
    band->VLineWidth = ATo->VLineWidth;
    const bool wholeRing = ATo->Next == AFrom;
    band->Next = wholeRing ? band : ATo->Next;
    if (!wholeRing) prev->Next = band;
    if (host && host->Child == AFrom) host->Child = band;
    band->Child = AFrom;

    for (THeadTreeNode* n = AFrom;; n = n->Next) {
        n->Height -= AHeight;
        n->Host = band;
        band->Width += n->Width + n->VLineWidth;
        if (n == ATo) break;
    }
    if (band->VLineWidth > 0) band->Width -= band->VLineWidth;
    ATo->Next = AFrom;
}

void THeadTreeNode::DoForAllNode(const THeadTreeProc& proc) {
    THeadTreeNode* first = Child;
    if (!first) return;
    THeadTreeNode* n = first;
    do {
        proc(n);
        n->DoForAllNode(proc);
        n = n->Next;
    } while (n != first);
}

void THeadTreeNode::UnionLeavesByWords(const std::vector<THeadTreeNode*>& Leaves) {
    static const String Bar = QStringLiteral("|");
    const size_t count = Leaves.size();
    bool changed = true;
    while (changed) {
        changed = false;
        for (size_t i = 0; i < count; ++i) {
            THeadTreeNode* leaf = Leaves[i];
            int p = 0;
            if (NthWordWithStart(2, leaf->Text, Bar, p).isEmpty()) continue;
            const String w = NthWord(1, leaf->Text, Bar);
            const int depth = GetDepth(leaf);
            size_t last = i;
            while (last + 1 < count && NthWord(1, Leaves[last + 1]->Text, Bar) == w &&
                   GetDepth(Leaves[last + 1]) == depth)
                ++last;
            // Every leaf of the run loses as many characters as the first one's upper words
            // take: captions of one band are expected to spell that band the same way.
            for (size_t k = i; k <= last; ++k)
                Leaves[k]->Text.remove(0, p - 1);
            changed = true;
            if (Leaves[last]->Host == leaf->Host) {
                Union(leaf, Leaves[last], w, 20);
                break;
            }
        }
    }
}

bool THeadTreeNode::CheckConsistency() {
    THeadTreeNode* first = Child;
    if (!first) return true;
    THeadTreeNode* n = first;
    int guard = 0;
    do {
        if (n->Host != this) return false;
        if (!n->CheckConsistency()) return false;
        n = n->Next;
        if (++guard > 1000000) return false; // a ring that does not close
    } while (n != first);
    return true;
}
