// The finishing rules as functions of what they read, so that each rule can be followed (and
// tested) apart from the options, the tray matchers and the paper lists that feed it.
#pragma once

#include <cstdint>

#include "driver_context.h"

namespace finishing {

// What every family rule reads.
struct Facts {
  int32_t paper = 0;   // P, the output paper code
  int orient = 0;      // O, the print-paper orientation (0 or 1)
  int model = 0;       // M, the profile's model code
  WORD feed = 0;       // F, feed flags of P in the main source: bit 0 feed value 0, bit 1 non-zero
  bool fed0 = false;   // the main source holds P with feed value 0
  bool fed1 = false;   // ... with feed value 1
  bool longPaper = false;
  int32_t staple = 0;  // T, staple position character code
  int32_t punch = 0;   // H, punch position code
};

// The seven-item finisher families.
enum Family : int {
  kFamilyFinMfFin1,      // items 826-832
  kFamilyFin1DomFin4,    // 753-759
  kFamilyFin50Fin2,      // 782-788
  kFamilyDom,            // 798-804
  kFamilyFin100Fin3,     // 818-824
  kFamilyFin2Fin4ByModel,  // 834-840
  kFamilyFin4DomFin4,    // 899-905
  kFamilyCount
};

// What a family rule reads about its family.
struct FamilyState {
  bool installed = false;     // G
  bool listedStrict = false;  // Ls(P)
  bool listed = false;        // L(P)
  bool notExcluded = false;   // X(P)
  bool noPunch = false;       // the family's no-punch member is installed
  // The members that decide the allowed punch codes, in the family's order:
  //   FinMF/FIN1: FinMF, NA, EU, NE;  Fin1Dom/FIN4: Fin1Dom, NA2, EU, NE;  Fin50/FIN2: Fin50, NA,
  //   EU, NE;  Dom: Fin1Dom, NA2, EU, NE, Fin2Dom;  Fin100/FIN3: Fin100, NA, EU, NE;
  //   by model: NA, EU, NE, fourth;  Fin4Dom/FIN4: Fin4Dom, NA2, EU, NE.
  bool variant[5] = {};
  bool finBF = false;         // the FinBF finisher is installed (staple position 'D')
};

// What the rules read, from the context's options, the tray matchers and the paper lists.
Facts ReadFacts(DriverContext* ctx);
FamilyState ReadFamily(DriverContext* ctx, Family family, int16_t paper);

// Item kinds 0-6 of a family: finishable with feed value 0, with feed value 1, paper listed,
// punch position allowed, staple position allowed, paper listed (lenient), paper not excluded.
int FamilyItem(Family family, int kind, const Facts& f, const FamilyState& s);
// Punch position and staple position alone.
int FamilyPunchAllowed(Family family, const Facts& f, const FamilyState& s);
int FamilyStapleAllowed(Family family, const Facts& f, const FamilyState& s);

// Four-item families (kinds 0-3: feed 0, feed 1, listed, staple position).
int Type15Item(int kind, const Facts& f, bool installed, bool listed);
int Fin3DomItem(int kind, const Facts& f, bool installed, bool listed);
// FinBF items 810-815 as kinds 0-5.
int FinBFItem(int kind, const Facts& f, bool installed, bool inFinBFList);

// The feed orientation that finishing needs, from the first installed family and what it reads.
enum FeedFamily : int {
  kFeedFin2000Or3000,
  kFeedFin1000,
  kFeedFinBF,
  kFeedType14,
  kFeedType15,
  kFeedFinMfFin1,
  kFeedFin2Fin4ByModel,
  kFeedFin50Fin2,
  kFeedFin100Fin3,
  kFeedDom,
  kFeedFin1DomFin4,
};
struct FeedState {
  bool listed = false;     // P in the family's list (lenient where the family has extras)
  bool punchStep = false;  // no no-punch member installed and punch is on
  bool stapleOn = false;
};
WORD FeedOrientOf(FeedFamily family, const Facts& f, const FeedState& s);
// The first installed family in the order of the feed-orientation rule, with its state; false
// when no finisher is installed.
bool ReadFeedFamily(DriverContext* ctx, int16_t paper, FeedFamily* family, FeedState* state);

}  // namespace finishing
