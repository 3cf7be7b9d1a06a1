// Auxiliary records of the control rows that hold more than words: the record's address is that
// of its tag, which the control row keeps as its auxiliary record.
#pragma once

#include <cstdint>

// Auxiliary record of tag 5 (an auto-repeat button): each click steps the listed controls'
// values by their steps. The control row's record address is that of the tag.
struct LinkedStepRow {
  uint16_t controlId;
  uint16_t reserved[3];
  int16_t step;
  uint16_t reserved2;
};
struct AuxLinkedSteps {
  uint16_t tag;  // 5
  uint16_t count;
  const LinkedStepRow* rows;
};
