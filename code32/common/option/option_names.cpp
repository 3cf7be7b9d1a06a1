// The symbol tables (data only). Placeholder with the button symbols until the whole tables
// are transcribed.
#include "option_table.h"

namespace {
const NameEntry kNames[] = {
    {0, 1, "IDOKBUTTON"},    {0, 2, "IDCANCELBUTTON"}, {0, 3, "IDABORTBUTTON"},
    {0, 4, "IDRETRYBUTTON"}, {0, 5, "IDIGNOREBUTTON"}, {0, 6, "IDYESBUTTON"},
    {0, 7, "IDNOBUTTON"},    {0, 8, "IDCLOSEBUTTON"},  {0, 9, "IDHELPBUTTON"},
};
}  // namespace

const NameTable kNameTable = {static_cast<int16_t>(sizeof kNames / sizeof kNames[0]), kNames};
const ValueNameTable kValueNameTable1 = {0, nullptr};
const ValueNameTable kValueNameTable2 = {0, nullptr};
