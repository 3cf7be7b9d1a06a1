// The finisher family rules: whether the installed finisher can take the output paper, punch it
// or staple it in the chosen position, given the paper's feed in the main tray and the
// orientation of the printed sheet.
#include <initializer_list>

#include "finishing_internal.h"

namespace finishing {
namespace {

bool In(int32_t v, std::initializer_list<int32_t> set) {
  for (int32_t x : set)
    if (x == v) return true;
  return false;
}
bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

bool F1(const Facts& f) { return (f.feed & 1) != 0; }
bool F2(const Facts& f) { return (f.feed & 2) != 0; }
bool O(const Facts& f) { return f.orient != 0; }
// The position that needs the sheet fed with its edge as it lies: (F1 and not O) or (F2 and O).
bool Along(const Facts& f) { return (F1(f) && !O(f)) || (F2(f) && O(f)); }
// The position that needs the sheet turned: (F1 and O) or (F2 and not O).
bool Across(const Facts& f) { return (F1(f) && O(f)) || (F2(f) && !O(f)); }

bool IsDomesticModel(int m) { return m == 158 || m == 186 || m == 165; }
bool FoldedPaperBlocked(const Facts& f) { return IsDomesticModel(f.model) && In(f.paper, {517, 93}); }
bool IsStapleA(int32_t t) { return t == '!' || t == 'A'; }
bool IsStapleB(int32_t t) { return t == '"' || t == 'B' || t == 'C'; }

// The punch codes each family's deciding member allows; -1 when no member is installed (every
// code passes).
int PunchSetIndex(const FamilyState& s, int members) {
  for (int i = 0; i < members; ++i)
    if (s.variant[i]) return i;
  return -1;
}

bool StandardSetAllows(int index, int32_t h) {
  switch (index) {
    case 0: return InRange(h, 1, 3);
    case 1: return InRange(h, 1, 3) || InRange(h, 17, 19);
    case 2: return InRange(h, 1, 3) || InRange(h, 33, 35);
    case 3: return InRange(h, 49, 51);
    default: return true;
  }
}

bool PunchCodeAllowed(Family family, const Facts& f, const FamilyState& s) {
  const int32_t h = f.punch;
  switch (family) {
    case kFamilyDom: {
      const int index = PunchSetIndex(s, 5);
      switch (index) {
        case 2: return InRange(h, 1, 3);
        case 4: return InRange(h, 33, 35);
        default: return StandardSetAllows(index, h);
      }
    }
    case kFamilyFin100Fin3: {
      const int index = PunchSetIndex(s, 4);
      if (index != 0) return StandardSetAllows(index, h);
      if (f.model == 144) return InRange(h, 1, 3) || InRange(h, 17, 19);
      if (f.model == 165) return InRange(h, 1, 3) || h == 66;
      return InRange(h, 1, 3);
    }
    case kFamilyFin2Fin4ByModel:
      if (s.variant[0] || s.variant[2]) return InRange(h, 1, 3);
      if (s.variant[1]) return InRange(h, 17, 19);
      if (s.variant[3]) return InRange(h, 33, 35);
      return true;
    case kFamilyFin4DomFin4: {
      const int index = PunchSetIndex(s, 4);
      switch (index) {
        case 1: return InRange(h, 1, 3) || h == 17 || h == 19;
        case 2: return InRange(h, 1, 3) || h == 33 || h == 35;
        default: return StandardSetAllows(index, h);
      }
    }
    default:
      return StandardSetAllows(PunchSetIndex(s, 4), h);
  }
}

// Step 4 of the plain families (FinMF/FIN1, Fin1Dom/FIN4, Fin50/FIN2) with the model rule W.
int PlainPunch(const Facts& f, const FamilyState& s, bool w) {
  switch (f.punch) {
    case 1: case 49: return Along(f);
    case 2: case 3: case 50: case 51: return Across(f);
    case 17: case 33:
      if (F2(f) && O(f)) return w;
      return F1(f) && !O(f) && s.notExcluded;
    case 18: case 19: case 34: case 35:
      if (F2(f) && !O(f)) return w;
      return F1(f) && O(f) && s.notExcluded;
    default: return 0;
  }
}

int DomPunch(const Facts& f, const FamilyState& s) {
  const int32_t p = f.paper;
  const bool k = s.variant[1];  // FIN4NA2
  const bool letterOrA4 = In(p, {9, 1});
  switch (f.punch) {
    case 1:
      if (F2(f) && O(f)) return !(k && !letterOrA4);
      return F1(f) && !O(f) && !(k && p == 12);
    case 2: case 3:
      if (F2(f) && !O(f)) return !(k && !letterOrA4);
      return F1(f) && O(f) && !(k && p == 12);
    case 17:
      if (F2(f) && O(f)) return letterOrA4;
      return F1(f) && !O(f) && s.notExcluded;
    case 18: case 19:
      if (F2(f) && !O(f)) return letterOrA4;
      return F1(f) && O(f) && s.notExcluded;
    case 33:
      if (F2(f) && O(f)) return p == 9;
      return F1(f) && !O(f) && p == 8 && s.notExcluded;
    case 34: case 35:
      if (F2(f) && !O(f)) return p == 9;
      return F1(f) && O(f) && p == 8 && s.notExcluded;
    case 49: return Along(f);
    case 50: case 51: return Across(f);
    default: return 0;
  }
}

int Fin100Punch(const Facts& f, const FamilyState& s) {
  const int32_t p = f.paper;
  const int m = f.model;
  const bool a = s.variant[1], e = s.variant[2], ne = s.variant[3];
  const bool w17 = m == 144 ? (!a || p != 6) : m == 165 ? (!a || !In(p, {11, 6})) : true;
  const bool w33 = m == 144 ? (!e || !In(p, {6, 13})) : m == 165 ? (!e || !In(p, {11, 6})) : true;
  const bool z = (m != 144 || (e && p != 12)) && s.notExcluded;
  const bool sixBlocked = m == 144 && ne && p == 6;
  switch (f.punch) {
    case 1: return Along(f);
    case 2: case 3: return Across(f);
    case 17: return (F2(f) && O(f)) ? w17 : (F1(f) && !O(f) && s.notExcluded);
    case 18: case 19: return (F2(f) && !O(f)) ? w17 : (F1(f) && O(f) && s.notExcluded);
    case 33: return (F2(f) && O(f)) ? w33 : (F1(f) && !O(f) && z);
    case 34: case 35: return (F2(f) && !O(f)) ? w33 : (F1(f) && O(f) && z);
    case 49: return (F2(f) && O(f)) || (F1(f) && !O(f) && !sixBlocked);
    case 50: case 51: return (F2(f) && !O(f)) || (F1(f) && O(f) && !sixBlocked);
    case 66: return (In(p, {9, 256, 448, 449}) || InRange(p, 384, 393)) && F1(f) && !O(f);
    default: return 0;
  }
}

int ByModelPunch(const Facts& f, const FamilyState& s) {
  const int32_t p = f.paper;
  const int m = f.model;
  const bool e = s.variant[1], n4 = s.variant[3];
  const bool z = (m != 144 || (n4 && p != 12)) && s.notExcluded;
  switch (f.punch) {
    case 1: return Along(f);
    case 2: case 3: return Across(f);
    case 17:
      if (F2(f) && O(f)) {
        if (m == 144) return !e || p != 6;
        if (m == 165) return !(e && In(p, {11, 6}));
        return 1;
      }
      return F1(f) && !O(f) && s.notExcluded;
    case 18: case 19:
      if (F2(f) && !O(f)) {
        if (m == 144) return !e || p != 6;
        if (m == 162 || m == 165) return !e || !In(p, {11, 6});
        return 1;
      }
      return F1(f) && O(f) && s.notExcluded;
    case 33:
      if (F2(f) && O(f)) {
        if (m == 144) return !(n4 && In(p, {6, 13}));
        if (m == 165) return !(n4 && In(p, {11, 6}));
        return 1;
      }
      return F1(f) && !O(f) && z;
    case 34: case 35:
      if (F2(f) && !O(f)) {
        if (m == 144) return (n4 && p == 6) ? 0 : (!n4 || p != 13);
        if (m == 162 || m == 165) return !n4 || !In(p, {11, 6});
        return 1;
      }
      return F1(f) && O(f) && z;
    default: return 0;
  }
}

int Fin4DomPunch(const Facts& f, const FamilyState& s) {
  switch (f.punch) {
    case 1: case 49: return Along(f);
    case 17: case 33: return (F2(f) && O(f)) || (F1(f) && !O(f) && s.notExcluded);
    default: return Across(f);
  }
}

// The 'D' staple rule of a family (F1 already required by the caller except where noted).
bool StapleDAllowed(Family family, const Facts& f, const FamilyState& s) {
  const int32_t p = f.paper;
  const int m = f.model;
  switch (family) {
    case kFamilyFinMfFin1:
      if (m == 144) return !In(p, {5, 7, 13, 14, 93, 513, 514, 517});
      if (m == 162) return !In(p, {13, 512});
      if (IsDomesticModel(m)) return !In(p, {7, 13, 14, 93, 513, 514, 517});
      return !In(p, {13, 5});
    case kFamilyFin1DomFin4:
      if (m == 162 || m == 186) return !In(p, {7, 14, 513, 514});
      return !In(p, {13, 5});
    case kFamilyFin100Fin3:
    case kFamilyFin2Fin4ByModel:
      if (!s.finBF) return false;
      if (m == 144) return !In(p, {7, 13, 93, 513, 514});
      return !In(p, {13, 5});
    case kFamilyFin4DomFin4:
      return !In(p, {5, 7, 14, 513, 514});
    default:
      return false;
  }
}

bool HasModel138Test(Family family) {
  return family == kFamilyFinMfFin1 || family == kFamilyFin50Fin2 || family == kFamilyFin100Fin3 ||
         family == kFamilyFin2Fin4ByModel;
}

}  // namespace

int FamilyPunchAllowed(Family family, const Facts& f, const FamilyState& s) {
  const bool hasNoPunchTest = family != kFamilyFin2Fin4ByModel;
  if ((hasNoPunchTest && s.noPunch) || !s.installed) return 0;
  if ((family == kFamilyFin1DomFin4 || family == kFamilyFin50Fin2) && f.model == 162 && f.paper == 512) return 0;
  if (!s.listed || f.feed == 0) return 0;
  if (!PunchCodeAllowed(family, f, s)) return 0;
  const bool has517Test = family == kFamilyFinMfFin1 || family == kFamilyFin50Fin2 || family == kFamilyFin100Fin3;
  if (has517Test && FoldedPaperBlocked(f)) return 0;

  switch (family) {
    case kFamilyFinMfFin1: {
      const bool naOrEu = s.variant[1] || s.variant[2];
      bool w = true;
      if (f.model == 144) w = !naOrEu || f.paper != 6;
      else if (f.model == 165) w = !naOrEu || !In(f.paper, {11, 6});
      return PlainPunch(f, s, w);
    }
    case kFamilyFin1DomFin4: {
      const bool w = !(f.model == 144 && (s.variant[1] || s.variant[2]) && f.paper == 6);
      return PlainPunch(f, s, w);
    }
    case kFamilyFin50Fin2: return PlainPunch(f, s, true);
    case kFamilyDom: return DomPunch(f, s);
    case kFamilyFin100Fin3: return Fin100Punch(f, s);
    case kFamilyFin2Fin4ByModel: return ByModelPunch(f, s);
    case kFamilyFin4DomFin4: return Fin4DomPunch(f, s);
    default: return 0;
  }
}

int FamilyStapleAllowed(Family family, const Facts& f, const FamilyState& s) {
  if (!s.installed || !s.listedStrict || f.feed == 0) return 0;
  const int32_t t = f.staple;
  if (family == kFamilyDom) {
    const bool notB5 = f.paper != 13;
    if (IsStapleA(t)) return (F1(f) && !O(f)) ? notB5 : (F2(f) && O(f));
    if (IsStapleB(t)) return (F1(f) && O(f)) ? notB5 : (F2(f) && !O(f));
    if (t == '1' || t == '2') return F2(f) ? 1 : notB5;
    if (t == 'D') return F1(f) && notB5;
    return 0;
  }
  if (family == kFamilyFin4DomFin4 && (t == '!' || t == '"')) return 0;
  if (IsStapleA(t)) return Along(f);
  if (IsStapleB(t)) return Across(f);
  if (t == '1' || t == '2') return 1;
  if (t == 'D') return family != kFamilyFin50Fin2 && F1(f) && StapleDAllowed(family, f, s);
  return 0;
}

int FamilyItem(Family family, int kind, const Facts& f, const FamilyState& s) {
  const bool model138Blocked = HasModel138Test(family) && f.model == 138 && f.paper == 11;
  switch (kind) {
    case 0: return s.installed && !model138Blocked && s.listed && f.fed0;
    case 1: return s.installed && !model138Blocked && s.listed && !f.longPaper && f.fed1;
    case 2: return s.listedStrict;
    case 3: return FamilyPunchAllowed(family, f, s);
    case 4: return FamilyStapleAllowed(family, f, s);
    case 5: {
      const bool modelTest = family == kFamilyFinMfFin1 || family == kFamilyFin50Fin2 ||
                             family == kFamilyFin100Fin3 || family == kFamilyFin2Fin4ByModel;
      return s.listed && !(modelTest && FoldedPaperBlocked(f));
    }
    case 6: return s.notExcluded;
    default: return 0;
  }
}

int Type15Item(int kind, const Facts& f, bool installed, bool listed) {
  switch (kind) {
    case 0: return installed && !(f.model == 142 && f.paper == 512) && listed && f.fed0;
    case 1: return installed && listed && !f.longPaper && f.fed1;
    case 2: return listed;
    case 3:
      if (!installed || !listed || f.feed == 0) return 0;
      if (f.staple == 'A') return Along(f);
      if (f.staple == 'B' || f.staple == 'C') return Across(f);
      return f.staple == '1' || f.staple == '2';
    default: return 0;
  }
}

int Fin3DomItem(int kind, const Facts& f, bool installed, bool listed) {
  switch (kind) {
    case 0: return installed && listed && f.fed0;
    case 1: return installed && listed && !f.longPaper && f.fed1;
    case 2: return listed;
    case 3:
      if (!installed || !listed || f.feed == 0) return 0;
      if (f.staple == '!' || f.staple == '"') return 1;
      if (f.staple == 'A') return Along(f);
      if (f.staple == 'B' || f.staple == 'C') return Across(f);
      return 0;
    default: return 0;
  }
}

int FinBFItem(int kind, const Facts& f, bool installed, bool inFinBFList) {
  const int32_t p = f.paper;
  switch (kind) {
    case 0: return installed && f.longPaper && f.fed0;
    case 1: return installed && In(p, {1, 9, 13}) && f.fed1;
    case 2: return installed && In(p, {9, 1}) && f.fed0;
    case 3:
      return installed && (p != 5 || f.model == 151 || f.model == 174) && (In(p, {9, 1}) || f.longPaper) && f.fed0;
    case 4: return inFinBFList || (p == 13 && f.fed1);
    case 5: {
      if (!installed) return 0;
      const bool a = FinBFItem(0, f, installed, inFinBFList);
      const bool b = FinBFItem(1, f, installed, inFinBFList);
      const bool d = FinBFItem(2, f, installed, inFinBFList);
      const int32_t t = f.staple;
      if (f.model == 174 && t == '1') return (a || d) && !O(f);
      if (f.model == 174 && t == '2') return (a || d) && O(f);
      if (t == '!' || t == '"') return a || b || d;
      if (t == 'A') return (a && !O(f)) || (b && O(f));
      if (t == 'B' || t == 'C') return (a && O(f)) || (b && !O(f));
      if (t == 'D') return FinBFItem(3, f, installed, inFinBFList);
      return 0;
    }
    default: return 0;
  }
}

}  // namespace finishing

namespace finishing {

WORD FeedOrientOf(FeedFamily family, const Facts& f, const FeedState& s) {
  if (!s.listed) return 0;
  const WORD o2 = f.orient ? 2 : 1;  // the sheet fed as it lies
  const WORD o1 = f.orient ? 1 : 2;  // the sheet turned
  const int32_t h = f.punch;
  const int32_t t = f.staple;

  const bool sevenItemFamily = family >= kFeedFinMfFin1;
  if (s.punchStep && (family == kFeedFin2000Or3000 || sevenItemFamily)) {
    const bool acrossCode = h == 2 || h == 3 || h == 18 || h == 19 || h == 34 || h == 35;
    const bool highAcross = h == 50 || h == 51;
    if (h == 1 || h == 17 || h == 33) return o2;
    if (acrossCode) return o1;
    if (family != kFeedFin2Fin4ByModel) {
      if (h == 49) return o2;
      if (highAcross) return o1;
    }
    if (family == kFeedFin100Fin3 && h == 66) return 1;
  }
  if (!s.stapleOn) return 3;

  switch (family) {
    case kFeedFin1000:
      return t == '!' ? o2 : t == '"' ? o1 : 0;
    case kFeedFinBF:
      if (t == '!' || t == '"') return 3;
      if (t == 'A') return o2;
      if (t == 'B' || t == 'C') return o1;
      return t == 'D' ? 1 : 0;
    case kFeedType14:
      return t == '1' ? o2 : t == '2' ? o1 : 0;
    case kFeedType15:
      if (t == '1' || t == '2') return 3;
      if (t == 'A') return o2;
      return (t == 'B' || t == 'C') ? o1 : 0;
    default:
      break;
  }
  if (IsStapleA(t)) return o2;
  if (IsStapleB(t)) return o1;
  if (t == '1' || t == '2') return 3;
  if (t == 'D') return (sevenItemFamily && family != kFeedFin50Fin2) ? 1 : 0;
  return 0;
}

}  // namespace finishing
