// String ids of the language resource libraries that the driver core loads by number.
#pragma once

// Labels completed with the name of an output tray (three runs, trays 1-9).
#define IDS_POST_TRAY1 29
#define IDS_POST_TRAY_B1 813
#define IDS_POST_TRAY_C1 50017
// Custom paper-size slots 0-9.
#define IDS_FREE_SIZE_SLOT0 109
// Unit names.
#define IDS_UNIT_MM 153
#define IDS_UNIT_INCH 154
// Texts the feature modules may rewrite.
#define IDS_MODULE_TEXT1 565
// Custom paper size of the paper and of the print, with the size appended.
#define IDS_PAPER_FREE_SIZE 752
#define IDS_PRINT_FREE_SIZE 753
#define IDS_PAPER_FREE_SIZE_B 13379
#define IDS_PRINT_FREE_SIZE_B 13383
// Custom-size ranges: a format with the minimum and the maximum.
#define IDS_LENGTH_RANGE 13273
#define IDS_LENGTH_RANGE_B 13274
#define IDS_WIDTH_RANGE 13275
#define IDS_WIDTH_RANGE_B 13276
// Custom media 1-16.
#define IDS_CUSTOM_MEDIA1 13708
// Paper sizes and orientations (values of the option rows).
#define IDS_PAPER_A3 40
#define IDS_PAPER_A4 41
#define IDS_PAPER_A5 42
#define IDS_PAPER_A6 43
#define IDS_PAPER_POSTCARD 44
#define IDS_PAPER_B4 45
#define IDS_PAPER_B5 46
#define IDS_PAPER_B6 47
#define IDS_PAPER_LETTER 48
#define IDS_PAPER_LEGAL 49
#define IDS_PAPER_EXECUTIVE 50
#define IDS_PAPER_TABLOID 51
#define IDS_PAPER_CUSTOM 751
#define IDS_PORTRAIT 2026
#define IDS_LANDSCAPE 2027
