// The option rows (data only). Placeholder with the first rows of block 1 until the whole
// table is transcribed.
#include "option_table.h"

#define B1(kind, size) MakeTypeWord(kBlockDevmode, kind, size)

const OptionDescriptor kOptionRows[] = {
    {1, 0, B1(kKindWide, 64), 0, kStorePrinterData, nullptr, nullptr, nullptr, 3, 0, u"dmDeviceName"},
    {2, 0, B1(kKindUInt16, 2), 64, kStorePrinterData, nullptr, nullptr, nullptr, 0, 0, u"dmSpecVersion"},
    {3, 0, B1(kKindUInt16, 2), 66, kStorePrinterData, nullptr, nullptr, nullptr, 0, 0, u"dmDriverVersion"},
    {4, 0, B1(kKindUInt16, 2), 68, kStorePrinterData, nullptr, nullptr, nullptr, 0, 0, u"dmSize"},
    {5, 0, B1(kKindUInt16, 2), 70, kStorePrinterData, nullptr, nullptr, nullptr, 0, 0, u"dmDriverExtra"},
    {6, 0, B1(kKindUInt32, 4), 72, kStorePrinterData, nullptr, nullptr, nullptr, 0, 0, u"dmFields"},
};
const int16_t kOptionRowCount = static_cast<int16_t>(sizeof kOptionRows / sizeof kOptionRows[0]);
