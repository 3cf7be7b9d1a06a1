// Helpers shared by the model queries and the condition evaluator.
#pragma once

#include "model_query.h"

// Most records of size recordSize that an image can hold, plus one: the bound of every list
// walk, so that a list which comes back on itself still ends.
uint32_t MdlWalkLimit(const ModelImage* image, uint32_t recordSize);
// Offset of a record of the image from the image's start.
uint32_t MdlOffsetOf(const ModelImage* image, const void* record);
