// Colour management: colour profiles, colour transforms between a logical colour space or a
// chain of profiles and a device's profile, and the translation of colours and bitmaps through
// them. The host implements the calls over Little CMS 2; the profiles of a machine live in its
// colour folder (GetColorDirectoryW).
#pragma once

#include "win32/base.h"
#include "win32/gdi.h"

// A logical colour space (the engine hands one to a graphics module's colour transform).
typedef LONG LCSCSTYPE;
typedef LONG LCSGAMUTMATCH;
typedef struct tagLOGCOLORSPACEW {
  DWORD lcsSignature;
  DWORD lcsVersion;
  DWORD lcsSize;
  LCSCSTYPE lcsCSType;
  LCSGAMUTMATCH lcsIntent;
  CIEXYZTRIPLE lcsEndpoints;
  DWORD lcsGammaRed;    // 16.16 fixed point
  DWORD lcsGammaGreen;
  DWORD lcsGammaBlue;
  WCHAR lcsFilename[MAX_PATH];
} LOGCOLORSPACEW, *LPLOGCOLORSPACEW;

#define LCS_SIGNATURE 0x50534F43L          // 'PSOC'
#define LCS_CALIBRATED_RGB 0x00000000L
#define LCS_sRGB 0x73524742L               // 'sRGB'
#define LCS_WINDOWS_COLOR_SPACE 0x57696E20L  // 'Win '
#define LCS_GM_BUSINESS 0x00000001L
#define LCS_GM_GRAPHICS 0x00000002L
#define LCS_GM_IMAGES 0x00000004L
#define LCS_GM_ABS_COLORIMETRIC 0x00000008L

typedef HANDLE HPROFILE;
typedef HPROFILE* PHPROFILE;
typedef HANDLE HTRANSFORM;

typedef struct tagPROFILE {
  DWORD dwType;
  PVOID pProfileData;  // a file name (PROFILE_FILENAME) or the profile's bytes (PROFILE_MEMBUFFER)
  DWORD cbDataSize;
} PROFILE, *PPROFILE;

#define PROFILE_FILENAME 1
#define PROFILE_MEMBUFFER 2
#define PROFILE_READ 1
#define PROFILE_READWRITE 2

// Rendering intents of the profile chain (CreateMultiProfileTransform).
#define INTENT_PERCEPTUAL 0
#define INTENT_RELATIVE_COLORIMETRIC 1
#define INTENT_SATURATION 2
#define INTENT_ABSOLUTE_COLORIMETRIC 3

// Transform flags.
#define PROOF_MODE 0x00000001
#define NORMAL_MODE 0x00000002
#define BEST_MODE 0x00000003
#define ENABLE_GAMUT_CHECKING 0x00010000
#define USE_RELATIVE_COLORIMETRIC 0x00020000
#define FAST_TRANSLATE 0x00040000
#define INDEX_DONT_CARE 0

// Bitmap formats (the platform's names: an RGB triplet is the RGBTRIPLE of a bitmap, blue
// first in memory; a BGR triplet has red first).
typedef enum {
  BM_x555RGB = 0x0000,
  BM_565RGB = 0x0001,
  BM_RGBTRIPLETS = 0x0002,
  BM_BGRTRIPLETS = 0x0004,
  BM_xRGBQUADS = 0x0008,
  BM_xBGRQUADS = 0x0010,
  BM_CMYKQUADS = 0x0020,
  BM_GRAY = 0x0209,
  BM_KYMCQUADS = 0x0305,
} BMFORMAT;

typedef BOOL(WINAPI* PBMCALLBACKFN)(ULONG ulMax, ULONG ulCurrent, LPARAM ulCallbackData);

// Colours of TranslateColors.
typedef enum {
  COLOR_GRAY = 1,
  COLOR_RGB,
  COLOR_XYZ,
  COLOR_Yxy,
  COLOR_Lab,
  COLOR_3_CHANNEL,
  COLOR_CMYK,
  COLOR_5_CHANNEL,
  COLOR_6_CHANNEL,
  COLOR_7_CHANNEL,
  COLOR_8_CHANNEL,
  COLOR_NAMED,
} COLORTYPE;

typedef struct tagGRAYCOLOR {
  WORD gray;
} GRAYCOLOR;
typedef struct tagRGBCOLOR {
  WORD red, green, blue;
} RGBCOLOR;
typedef struct tagCMYKCOLOR {
  WORD cyan, magenta, yellow, black;
} CMYKCOLOR;
typedef struct tagXYZCOLOR {
  WORD X, Y, Z;
} XYZCOLOR;
typedef struct tagLabCOLOR {
  WORD L, a, b;
} LabCOLOR;
typedef union tagCOLOR {
  GRAYCOLOR gray;
  RGBCOLOR rgb;
  CMYKCOLOR cmyk;
  XYZCOLOR XYZ;
  LabCOLOR Lab;
  struct {
    DWORD reserved1;
    PVOID reserved2;
  };
} COLOR, *PCOLOR;

#define ERROR_INVALID_PROFILE 2011L
#define ERROR_INVALID_TRANSFORM 2020L
#define ERROR_INVALID_COLORSPACE 2307L
#define ERROR_COLORSPACE_MISMATCH 2021L

WIN32_API HPROFILE WINAPI OpenColorProfileW(PPROFILE pProfile, DWORD dwDesiredAccess, DWORD dwShareMode,
                                            DWORD dwCreationMode);
WIN32_API BOOL WINAPI CloseColorProfile(HPROFILE hProfile);
WIN32_API HTRANSFORM WINAPI CreateColorTransformW(LPLOGCOLORSPACEW pLogColorSpace, HPROFILE hDestProfile,
                                                  HPROFILE hTargetProfile, DWORD dwFlags);
WIN32_API HTRANSFORM WINAPI CreateMultiProfileTransform(PHPROFILE pahProfiles, DWORD nProfiles, PDWORD padwIntent,
                                                        DWORD nIntents, DWORD dwFlags, DWORD indexPreferredCMM);
WIN32_API BOOL WINAPI DeleteColorTransform(HTRANSFORM hxform);
WIN32_API BOOL WINAPI TranslateColors(HTRANSFORM hColorTransform, PCOLOR paInputColors, DWORD nColors,
                                      COLORTYPE ctInput, PCOLOR paOutputColors, COLORTYPE ctOutput);
// Strides of 0 are rows padded to four bytes.
WIN32_API BOOL WINAPI TranslateBitmapBits(HTRANSFORM hColorTransform, PVOID pSrcBits, BMFORMAT bmInput, DWORD dwWidth,
                                          DWORD dwHeight, DWORD dwInputStride, PVOID pDestBits, BMFORMAT bmOutput,
                                          DWORD dwOutputStride, PBMCALLBACKFN pfnCallBack, LPARAM ulCallbackData);
// The machine's colour folder (pMachineName NULL: this machine); *pdwSize in bytes.
WIN32_API BOOL WINAPI GetColorDirectoryW(PCWSTR pMachineName, PWSTR pBuffer, PDWORD pdwSize);
