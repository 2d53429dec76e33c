// The platform's DrawText: prefixes, tabs, word breaking, ellipses, alignment and measuring.

#include "platform/ui/GraphicsInternal.h"

namespace {

const QString kEllipsis = QStringLiteral("...");

struct TLine {
    QString Text;
    int Underline = -1; // index of the character marked by '&' in Text
};

// Removes '&' prefixes; returns the index of the marked character in the result (or -1).
QString StripPrefix(const QString& s, int& marked) {
    QString out;
    out.reserve(s.size());
    marked = -1;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') {
                out += '&';
                ++i;
                continue;
            }
            if (i + 1 < s.size()) marked = int(out.size());
            continue;
        }
        out += s[i];
    }
    return out;
}

// The longest n for which fits(n) holds, fits being monotonic (true up to some n); -1 if none.
template <class F> int LongestFitting(int maxN, F&& fits) {
    int lo = 0, hi = maxN, best = -1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (fits(mid))
            best = mid, lo = mid + 1;
        else
            hi = mid - 1;
    }
    return best;
}

// Shortens text with "..." at the end until it fits width.
QString EndEllipsis(const QFontMetrics& fm, const QString& s, int width, int tab) {
    if (TextLineWidth(fm, s, tab) <= width) return s;
    const int n = LongestFitting(
        int(s.size()) - 1, [&](int k) { return TextLineWidth(fm, s.left(k) + kEllipsis, tab) <= width; });
    return n < 0 ? kEllipsis : s.left(n) + kEllipsis;
}

// Keeps the last path component and removes characters before it: "C:\a\...\file.txt".
QString PathEllipsis(const QFontMetrics& fm, const QString& s, int width, int tab) {
    if (TextLineWidth(fm, s, tab) <= width) return s;
    const int sep = int(std::max(s.lastIndexOf('\\'), s.lastIndexOf('/')));
    if (sep < 0) return EndEllipsis(fm, s, width, tab);
    const QString head = s.left(sep), tail = s.mid(sep);
    const int n = LongestFitting(int(head.size()) - 1, [&](int k) {
        return TextLineWidth(fm, head.left(k) + kEllipsis + tail, tab) <= width;
    });
    return n < 0 ? kEllipsis + tail : head.left(n) + kEllipsis + tail;
}

// Breaks a paragraph into lines no wider than width, between words; a word wider than a line
// stands alone (or is broken between characters when breakWords). Every line takes at least
// one character, so the loop always ends.
QStringList WrapParagraph(const QFontMetrics& fm, const QString& p, int width, int tab, bool breakWords) {
    QStringList lines;
    int pos = 0;
    const int n = int(p.size());
    if (n == 0) return {QString()};
    while (pos < n) {
        int lineEnd = pos;  // end of the longest fitting prefix ending at a word boundary
        int lastBreak = -1; // end of the last whole word that fits
        int i = pos;
        while (i < n) {
            // next word end
            int j = i;
            while (j < n && p[j] == ' ')
                ++j;
            while (j < n && p[j] != ' ')
                ++j;
            if (TextLineWidth(fm, p.mid(pos, j - pos), tab) <= width) {
                lastBreak = j;
                i = j;
                continue;
            }
            break;
        }
        if (lastBreak > pos) {
            lineEnd = lastBreak;
        } else {
            // The first word does not fit.
            int j = pos;
            while (j < n && p[j] == ' ')
                ++j;
            while (j < n && p[j] != ' ')
                ++j;
            lineEnd = j;
            if (breakWords) {
                int k = pos + 1;
                while (k < j && TextLineWidth(fm, p.mid(pos, k + 1 - pos), tab) <= width)
                    ++k;
                lineEnd = k;
            }
        }
        QString line = p.mid(pos, lineEnd - pos);
        while (line.endsWith(' '))
            line.chop(1);
        lines << line;
        pos = lineEnd;
        // Blanks at the break are consumed.
        if (pos < n && pos > 0) {
            int k = pos;
            while (k < n && p[k] == ' ')
                ++k;
            if (k < n || lines.size() > 0) pos = k;
        }
    }
    return lines;
}

} // namespace

int DrawTextEx(HDC dc, String& text, int count, TRect* r, UINT format, DRAWTEXTPARAMS* params) {
    if (!dc || !r) return 0;
    HGDIOBJ font = CurrentFont(dc);
    const QFontMetrics& fm = font->FontMetrics();
    const QString src = count < 0 ? text : text.left(count);

    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    const int lineH = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int leftMargin = params ? params->iLeftMargin : 0;
    const int rightMargin = params ? params->iRightMargin : 0;
    int tab = 0;
    if (format & DT_EXPANDTABS) {
        int chars = 8;
        if (params && params->iTabLength > 0)
            chars = params->iTabLength;
        else if (format & DT_TABSTOP)
            chars = int((format >> 8) & 0xFF);
        tab = std::max(1, chars) * std::max(1, int(tm.tmAveCharWidth));
    }
    const int avail = r->Width() - leftMargin - rightMargin;
    const bool single = format & DT_SINGLELINE;
    const bool calc = format & DT_CALCRECT;

    // Paragraphs
    QStringList paragraphs;
    if (single) {
        QString s = src;
        s.remove('\r');
        s.remove('\n');
        paragraphs << s;
    } else {
        QString s = src;
        s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        s.replace('\r', '\n');
        paragraphs = s.split('\n');
        if (paragraphs.size() > 1 && paragraphs.last().isEmpty()) paragraphs.removeLast();
    }

    std::vector<TLine> lines;
    const bool prefix = !(format & DT_NOPREFIX);
    for (const QString& para : paragraphs) {
        int marked = -1;
        QString p = prefix ? StripPrefix(para, marked) : para;
        if (!single && (format & DT_WORDBREAK)) {
            const QStringList wrapped =
                WrapParagraph(fm, p, std::max(0, avail), tab, format & DT_EDITCONTROL);
            int offset = 0;
            for (const QString& w : wrapped) {
                TLine l{w, -1};
                const int at = int(p.indexOf(w, offset));
                if (marked >= 0 && at >= 0 && marked >= at && marked < at + int(w.size()))
                    l.Underline = marked - at;
                if (at >= 0) offset = at + int(w.size());
                lines.push_back(l);
            }
        } else {
            lines.push_back({p, marked});
        }
    }
    if (lines.empty()) lines.push_back({});

    // Lines that do not fit vertically: an edit control does not show a partial last line, and
    // the end ellipsis moves to the last visible line.
    if (!calc && !single && (format & DT_EDITCONTROL)) {
        const int visible = std::max(1, r->Height() / std::max(1, lineH));
        if (int(lines.size()) > visible) {
            if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) {
                QString rest;
                for (size_t i = size_t(visible - 1); i < lines.size(); ++i)
                    rest += (rest.isEmpty() ? QString() : QStringLiteral(" ")) + lines[i].Text;
                lines[size_t(visible - 1)].Text = EndEllipsis(fm, rest, avail, tab);
                if (lines[size_t(visible - 1)].Text == rest)
                    lines[size_t(visible - 1)].Text = rest + kEllipsis;
            }
            lines.resize(size_t(visible));
        }
    }

    // Ellipses
    QString modified;
    if (!calc || (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS))) {
        for (TLine& l : lines) {
            QString t = l.Text;
            if (format & DT_PATH_ELLIPSIS)
                t = PathEllipsis(fm, t, avail, tab);
            else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
                t = EndEllipsis(fm, t, avail, tab);
            if (t != l.Text) {
                if (l.Underline >= int(t.size()) - 3) l.Underline = -1;
                l.Text = t;
            }
        }
    }
    if ((format & DT_MODIFYSTRING) && lines.size() == 1 && count < 0 && lines[0].Text != src &&
        (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)))
        modified = lines[0].Text;

    int maxW = 0;
    std::vector<int> widths;
    for (const TLine& l : lines) {
        widths.push_back(TextLineWidth(font->Font, fm, l.Text, tab));
        maxW = std::max(maxW, widths.back());
    }
    const int total = lineH * int(lines.size());

    if (calc) {
        if (!(format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) || maxW < avail)
            r->Right = r->Left + maxW + leftMargin + rightMargin;
        r->Bottom = r->Top + total;
        if (params) params->uiLengthDrawn = UINT(src.size());
        return total;
    }

    int y = r->Top;
    if (single) {
        if (format & DT_VCENTER)
            y = r->Top + (r->Height() - lineH) / 2;
        else if (format & DT_BOTTOM)
            y = r->Bottom - lineH;
    }
    const int result = single && (format & (DT_VCENTER | DT_BOTTOM)) ? y + lineH - r->Top : total;

    if (!modified.isEmpty()) text = modified;
    if (params) params->uiLengthDrawn = UINT(src.size());
    if (!dc->Prepare()) return result;

    QPainter* p = dc->Painter;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const bool clip = !(format & DT_NOCLIP) && (maxW > avail || total > r->Height() || y < r->Top ||
                                                y + total > r->Bottom || leftMargin || rightMargin);
    if (clip) {
        p->save();
        p->setClipRect(QRect(r->Left, r->Top, r->Width(), r->Height()), Qt::IntersectClip);
    }
    const bool rtl = format & DT_RTLREADING;
    const bool hidePrefix = format & DT_HIDEPREFIX;
    // Text on a mirrored mapping is drawn upright, so its beginning lands at the mapped right end:
    // a line too long for the rectangle is put against the right end, or the clip would keep
    // its tail instead of its beginning.
    const bool mirrored = p->worldTransform().m11() < 0;
    for (size_t i = 0; i < lines.size(); ++i, y += lineH) {
        const TLine& l = lines[i];
        const int w = widths[i];
        int x = r->Left + leftMargin;
        if (format & DT_CENTER)
            x = r->Left + leftMargin + (avail - w) / 2;
        else if ((format & DT_RIGHT) || (mirrored && w > avail))
            x = r->Right - rightMargin - w;
        if (dc->S.BkMode == OPAQUE && w > 0)
            p->fillRect(QRect(x, y, w, tm.tmHeight), RefToQColor(dc->S.BkColor));
        if (!(format & DT_PREFIXONLY)) DrawTextLine(dc, x, y, l.Text, tab, rtl);
        if (l.Underline >= 0 && !hidePrefix) {
            const int ux = x + TextLineWidth(fm, l.Text.left(l.Underline), tab);
            const int uw = fm.horizontalAdvance(l.Text.mid(l.Underline, 1));
            const int uy = y + fm.ascent() + std::max(1, fm.underlinePos());
            p->fillRect(QRect(ux, uy, uw, std::max(1, fm.lineWidth())), RefToQColor(dc->S.TextColor));
        }
    }
    if (clip) p->restore();
    return result;
}

int DrawText(HDC dc, String& text, int count, TRect* r, UINT format) {
    return DrawTextEx(dc, text, count, r, format, nullptr);
}

int DrawText(HDC dc, const String& text, int count, TRect* r, UINT format) {
    String copy = text;
    return DrawTextEx(dc, copy, count, r, format & ~UINT(DT_MODIFYSTRING), nullptr);
}

UINT TextFormatFlags(TTextFormat f) {
    static const UINT map[] = {DT_BOTTOM,       DT_CALCRECT,      DT_CENTER,        DT_EDITCONTROL,
                               DT_END_ELLIPSIS, DT_PATH_ELLIPSIS, DT_EXPANDTABS,    DT_EXTERNALLEADING,
                               DT_LEFT,         DT_MODIFYSTRING,  DT_NOCLIP,        DT_NOPREFIX,
                               DT_RIGHT,        DT_RTLREADING,    DT_SINGLELINE,    DT_TOP,
                               DT_VCENTER,      DT_WORDBREAK,     DT_HIDEPREFIX,    DT_NOFULLWIDTHCHARBREAK,
                               DT_PREFIXONLY,   DT_TABSTOP,       DT_WORD_ELLIPSIS, 0};
    UINT r = 0;
    for (int i = 0; i <= int(tfComposited); ++i)
        if (f.Contains(TTextFormats(i))) r |= map[i];
    return r;
}
