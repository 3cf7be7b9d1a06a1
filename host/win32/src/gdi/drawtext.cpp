// DrawTextW: text formatted in a rectangle (lines, word breaks, tabs, prefixes, ellipses,
// alignment), drawn with ExtTextOutW.
#include <algorithm>
#include <string>
#include <vector>

#include "gdi/objects.h"

namespace {

struct Line {
  std::u16string text;
  int prefixAt = -1;  // character underlined by a prefix, or -1
};

struct Measure {
  HDC hdc;
  int tabWidth;
  bool expandTabs;
  // Width in logical units, with tabs expanded to the next stop.
  int Width(std::u16string_view s) const {
    if (!expandTabs || s.find(u'\t') == std::u16string_view::npos) {
      SIZE size{};
      GetTextExtentPoint32W(hdc, s.data(), int(s.size()), &size);
      return size.cx;
    }
    int x = 0;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
      if (i == s.size() || s[i] == u'\t') {
        SIZE size{};
        GetTextExtentPoint32W(hdc, s.data() + start, int(i - start), &size);
        x += size.cx;
        if (i < s.size() && tabWidth > 0) x = (x / tabWidth + 1) * tabWidth;
        start = i + 1;
      }
    }
    return x;
  }
};

// Removes the prefix characters: "&x" underlines x, "&&" is one "&".
Line StripPrefix(std::u16string_view s, bool noPrefix) {
  Line out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (!noPrefix && s[i] == u'&') {
      if (i + 1 < s.size() && s[i + 1] == u'&') {
        out.text.push_back(u'&');
        ++i;
        continue;
      }
      if (i + 1 < s.size()) out.prefixAt = int(out.text.size());
      continue;
    }
    out.text.push_back(s[i]);
  }
  return out;
}

// Breaks a paragraph into lines no wider than `width` at spaces (a word wider than the
// rectangle keeps a line of its own).
std::vector<Line> WordBreak(const Line& para, int width, const Measure& m) {
  std::vector<Line> out;
  const std::u16string& s = para.text;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.size();
    if (m.Width(std::u16string_view(s).substr(start)) > width) {
      // The last break that fits.
      size_t best = std::u16string::npos;
      for (size_t i = start; i < s.size(); ++i) {
        if (s[i] != u' ' && s[i] != u'\t') continue;
        if (m.Width(std::u16string_view(s).substr(start, i - start)) <= width)
          best = i;
        else
          break;
      }
      if (best == std::u16string::npos) {
        const size_t next = s.find(u' ', start);
        end = next == std::u16string::npos ? s.size() : next;
      } else {
        end = best;
      }
    }
    Line line;
    line.text = s.substr(start, end - start);
    if (para.prefixAt >= int(start) && para.prefixAt < int(end)) line.prefixAt = para.prefixAt - int(start);
    out.push_back(std::move(line));
    if (end >= s.size()) break;
    start = end;
    while (start < s.size() && s[start] == u' ') ++start;
    if (start >= s.size()) break;
  }
  if (out.empty()) out.push_back(Line{});
  return out;
}

// Shortens a line to fit `width` by ending it with "...".
void EndEllipsis(Line& line, int width, const Measure& m) {
  if (m.Width(line.text) <= width) return;
  std::u16string s = line.text;
  while (!s.empty() && m.Width(s + u"...") > width) s.pop_back();
  line.text = s + u"...";
  if (line.prefixAt >= int(s.size())) line.prefixAt = -1;
}

void PathEllipsis(Line& line, int width, const Measure& m) {
  if (m.Width(line.text) <= width) return;
  const size_t slash = line.text.find_last_of(u"\\/");
  if (slash == std::u16string::npos) {
    EndEllipsis(line, width, m);
    return;
  }
  std::u16string head = line.text.substr(0, slash), tail = line.text.substr(slash);
  while (!head.empty() && m.Width(head + u"..." + tail) > width) head.pop_back();
  line.text = head + u"..." + tail;
  line.prefixAt = -1;
}

}  // namespace

WIN32_API int WINAPI DrawTextExW(HDC hdc, LPWSTR lpchText, int cchText, LPRECT lprc, UINT format,
                                 LPDRAWTEXTPARAMS lpdtp) {
  GDI_LOCK();
  if (!lprc || !zolt::host::gdi::FindDc(hdc)) return 0;
  if (!lpchText) cchText = 0;
  if (cchText < 0) {
    cchText = 0;
    while (lpchText[cchText]) ++cchText;
  }
  std::u16string_view text(lpchText ? lpchText : u"", size_t(cchText));
  TEXTMETRICW tm{};
  GetTextMetricsW(hdc, &tm);
  int tabChars = 8;
  if (format & DT_TABSTOP) tabChars = int((format >> 8) & 0xFF);
  if (lpdtp && lpdtp->iTabLength > 0) tabChars = lpdtp->iTabLength;
  const int leftMargin = lpdtp ? lpdtp->iLeftMargin : 0, rightMargin = lpdtp ? lpdtp->iRightMargin : 0;
  const Measure m{hdc, tabChars * tm.tmAveCharWidth, (format & DT_EXPANDTABS) != 0};
  RECT rc = *lprc;
  rc.left += leftMargin;
  rc.right -= rightMargin;
  const int width = rc.right - rc.left;
  const bool noPrefix = (format & DT_NOPREFIX) != 0;
  // Paragraphs, then lines.
  std::vector<Line> lines;
  if (format & DT_SINGLELINE) {
    std::u16string flat;
    for (char16_t c : text)
      if (c != u'\r' && c != u'\n') flat.push_back(c);
    lines.push_back(StripPrefix(flat, noPrefix));
  } else {
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i == text.size() || text[i] == u'\n' || text[i] == u'\r') {
        Line para = StripPrefix(text.substr(start, i - start), noPrefix);
        if (format & DT_WORDBREAK) {
          for (Line& l : WordBreak(para, width, m)) lines.push_back(std::move(l));
        } else {
          lines.push_back(std::move(para));
        }
        if (i < text.size() && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
        if (i == text.size()) break;
      }
    }
  }
  for (Line& l : lines) {
    if (format & DT_END_ELLIPSIS) EndEllipsis(l, width, m);
    if (format & DT_WORD_ELLIPSIS) EndEllipsis(l, width, m);
    if (format & DT_PATH_ELLIPSIS) PathEllipsis(l, width, m);
  }
  if ((format & DT_MODIFYSTRING) && (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) && lpchText && lines.size() == 1) {
    const size_t n = std::min(lines[0].text.size(), size_t(cchText));
    std::copy_n(lines[0].text.begin(), n, lpchText);
  }
  const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  const int total = lineHeight * int(lines.size());
  int maxWidth = 0;
  for (const Line& l : lines) maxWidth = std::max(maxWidth, m.Width(l.text));
  if (lpdtp) lpdtp->uiLengthDrawn = UINT(cchText);
  if (format & DT_CALCRECT) {
    lprc->right = lprc->left + leftMargin + maxWidth + rightMargin;
    lprc->bottom = lprc->top + total;
    return total;
  }
  int y = rc.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = rc.top + (rc.bottom - rc.top - total) / 2;
    else if (format & DT_BOTTOM)
      y = rc.bottom - total;
  }
  const UINT oldAlign = SetTextAlign(hdc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  const UINT options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
  for (const Line& l : lines) {
    const int w = m.Width(l.text);
    int x = rc.left;
    if (format & DT_CENTER)
      x = rc.left + (width - w) / 2;
    else if (format & DT_RIGHT)
      x = rc.right - w;
    if (!(format & DT_PREFIXONLY)) {
      if (m.expandTabs && l.text.find(u'\t') != std::u16string::npos) {
        // Each tab-separated piece at its stop.
        size_t start = 0;
        int px = x;
        for (size_t i = 0; i <= l.text.size(); ++i) {
          if (i == l.text.size() || l.text[i] == u'\t') {
            ExtTextOutW(hdc, px, y, options, lprc, l.text.data() + start, UINT(i - start), nullptr);
            px = x + m.Width(std::u16string_view(l.text).substr(0, i + (i < l.text.size() ? 1 : 0)));
            start = i + 1;
          }
        }
      } else {
        ExtTextOutW(hdc, x, y, options, lprc, l.text.data(), UINT(l.text.size()), nullptr);
      }
    }
    if (l.prefixAt >= 0 && !(format & DT_HIDEPREFIX)) {
      const int ux = x + m.Width(std::u16string_view(l.text).substr(0, size_t(l.prefixAt)));
      const int uw = m.Width(std::u16string_view(l.text).substr(size_t(l.prefixAt), 1));
      HPEN pen = CreatePen(PS_SOLID, 1, GetTextColor(hdc));
      HGDIOBJ old = SelectObject(hdc, pen);
      POINT prev;
      MoveToEx(hdc, ux, y + tm.tmAscent + 1, &prev);
      LineTo(hdc, ux + uw, y + tm.tmAscent + 1);
      MoveToEx(hdc, prev.x, prev.y, nullptr);
      SelectObject(hdc, old);
      DeleteObject(pen);
    }
    y += lineHeight;
  }
  SetTextAlign(hdc, oldAlign);
  if (format & DT_SINGLELINE) return (format & (DT_VCENTER | DT_BOTTOM)) ? y - lprc->top : total;
  return total;
}

WIN32_API int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  // The string is only changed with DT_MODIFYSTRING, which callers of this form may not pass.
  return DrawTextExW(hdc, const_cast<LPWSTR>(lpchText), cchText, lprc, format & ~DT_MODIFYSTRING, nullptr);
}
