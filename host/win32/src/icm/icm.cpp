// Colour management over Little CMS 2: profiles opened from files of the colour folder or from
// memory, transforms from a logical colour space or a chain of profiles to a device profile,
// and colour and bitmap translation through them. A transform keeps its own copies of its
// profiles, so that the caller may close them once it is made, and builds the engine transform
// of each pair of pixel formats the first time that pair is asked for.
#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "win32/file.h"
#include "files.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/icm.h"
#include "win32/machine.h"

namespace zolt::host::icm {
namespace {

// A profile as the caller opened it: its bytes and the engine's reading of them.
struct ProfileData {
  std::vector<uint8_t> bytes;
  cmsHPROFILE profile = nullptr;
  ~ProfileData() {
    if (profile) cmsCloseProfile(profile);
  }
};

struct Profile {
  std::shared_ptr<ProfileData> data;
};

struct Transform {
  std::vector<std::shared_ptr<ProfileData>> chain;  // source first
  std::vector<cmsUInt32Number> intents;             // one per profile
  std::shared_ptr<ProfileData> proof;               // a target device to simulate, or none
  cmsUInt32Number flags = 0;
  std::mutex lock;
  std::map<std::pair<cmsUInt32Number, cmsUInt32Number>, cmsHTRANSFORM> made;
  ~Transform() {
    for (auto& [formats, t] : made) cmsDeleteTransform(t);
  }
};

std::mutex g_lock;
std::set<const void*> g_profiles, g_transforms;

Profile* LiveProfile(HPROFILE h) {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_profiles.count(h) ? static_cast<Profile*>(h) : nullptr;
}

Transform* LiveTransform(HTRANSFORM h) {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_transforms.count(h) ? static_cast<Transform*>(h) : nullptr;
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

std::shared_ptr<ProfileData> ReadProfile(std::vector<uint8_t> bytes) {
  auto data = std::make_shared<ProfileData>();
  data->bytes = std::move(bytes);
  if (data->bytes.size() < 132 || data->bytes.size() > 0x7FFFFFFF) return nullptr;
  data->profile = cmsOpenProfileFromMem(data->bytes.data(), static_cast<cmsUInt32Number>(data->bytes.size()));
  return data->profile ? data : nullptr;
}

// A profile owned by Little CMS itself (sRGB, calibrated RGB), kept as bytes like the others.
std::shared_ptr<ProfileData> SaveProfile(cmsHPROFILE made) {
  if (!made) return nullptr;
  cmsUInt32Number size = 0;
  std::vector<uint8_t> bytes;
  if (cmsSaveProfileToMem(made, nullptr, &size) && size) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(made, bytes.data(), &size)) bytes.clear();
  }
  cmsCloseProfile(made);
  return ReadProfile(std::move(bytes));
}

std::u16string ColorDirectory() {
  return FromUtf8(Machine::Facts().SystemDirectory() + "\\spool\\drivers\\color");
}

// A profile file: a bare name is looked for in the colour folder.
bool ReadProfileFile(std::u16string name, std::vector<uint8_t>* bytes) {
  if (name.find_first_of(u"\\/:") == std::u16string::npos) name = ColorDirectory() + u"\\" + name;
  DWORD code = 0;
  auto path = MapPath(name, Resolve::Existing, &code);
  if (!path) return false;
  return ReadRealFile(*path, *bytes);
}

double Fixed2Dot30(LONG v) { return static_cast<double>(v) / static_cast<double>(1 << 30); }

std::shared_ptr<ProfileData> CalibratedRgb(const LOGCOLORSPACEW& lcs) {
  const CIEXYZ* xyz[3] = {&lcs.lcsEndpoints.ciexyzRed, &lcs.lcsEndpoints.ciexyzGreen, &lcs.lcsEndpoints.ciexyzBlue};
  cmsCIExyYTRIPLE primaries;
  cmsCIExyY* out[3] = {&primaries.Red, &primaries.Green, &primaries.Blue};
  cmsCIEXYZ white{0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    const cmsCIEXYZ p{Fixed2Dot30(xyz[i]->ciexyzX), Fixed2Dot30(xyz[i]->ciexyzY), Fixed2Dot30(xyz[i]->ciexyzZ)};
    if (p.X + p.Y + p.Z <= 0) return nullptr;
    cmsXYZ2xyY(out[i], &p);
    white.X += p.X, white.Y += p.Y, white.Z += p.Z;
  }
  cmsCIExyY whitePoint;
  cmsXYZ2xyY(&whitePoint, &white);
  const DWORD gammas[3] = {lcs.lcsGammaRed, lcs.lcsGammaGreen, lcs.lcsGammaBlue};
  cmsToneCurve* curves[3];
  for (int i = 0; i < 3; ++i) {
    const double g = gammas[i] ? gammas[i] / 65536.0 : 1.0;
    curves[i] = cmsBuildGamma(nullptr, std::clamp(g, 0.1, 10.0));
  }
  cmsHPROFILE made = curves[0] && curves[1] && curves[2] ? cmsCreateRGBProfile(&whitePoint, &primaries, curves) : nullptr;
  for (cmsToneCurve* c : curves)
    if (c) cmsFreeToneCurve(c);
  return SaveProfile(made);
}

std::shared_ptr<ProfileData> SourceOfColorSpace(const LOGCOLORSPACEW& lcs, DWORD* error) {
  *error = ERROR_INVALID_COLORSPACE;
  if (lcs.lcsFilename[0]) {
    std::u16string name(lcs.lcsFilename, std::find(lcs.lcsFilename, lcs.lcsFilename + MAX_PATH, u'\0'));
    std::vector<uint8_t> bytes;
    *error = ERROR_INVALID_PROFILE;
    return ReadProfileFile(name, &bytes) ? ReadProfile(std::move(bytes)) : nullptr;
  }
  switch (lcs.lcsCSType) {
    case LCS_sRGB:
    case LCS_WINDOWS_COLOR_SPACE: return SaveProfile(cmsCreate_sRGBProfile());
    case LCS_CALIBRATED_RGB: return CalibratedRgb(lcs);
    default: return nullptr;
  }
}

cmsUInt32Number IntentOfGamutMatch(LCSGAMUTMATCH intent) {
  switch (intent) {
    case LCS_GM_BUSINESS: return INTENT_SATURATION;
    case LCS_GM_GRAPHICS: return INTENT_RELATIVE_COLORIMETRIC;
    case LCS_GM_ABS_COLORIMETRIC: return INTENT_ABSOLUTE_COLORIMETRIC;
    default: return INTENT_PERCEPTUAL;
  }
}

cmsUInt32Number EngineFlags(DWORD flags) {
  switch (flags & 0xFFFF) {
    case PROOF_MODE: return cmsFLAGS_LOWRESPRECALC;
    case NORMAL_MODE: return 0;
    default: return cmsFLAGS_HIGHRESPRECALC;
  }
}

// Profiles that may end a chain: device profiles and colour spaces, not links or abstracts.
bool DeviceProfile(cmsHPROFILE p) {
  const cmsProfileClassSignature c = cmsGetDeviceClass(p);
  return c == cmsSigInputClass || c == cmsSigDisplayClass || c == cmsSigOutputClass || c == cmsSigColorSpaceClass;
}

// The engine's pixel type for a bitmap format and its bytes per pixel; 0 when unsupported.
cmsUInt32Number PixelType(BMFORMAT format, uint32_t* bytes) {
  switch (format) {
    case BM_RGBTRIPLETS: *bytes = 3; return TYPE_BGR_8;
    case BM_BGRTRIPLETS: *bytes = 3; return TYPE_RGB_8;
    case BM_xRGBQUADS: *bytes = 4; return TYPE_BGRA_8;
    case BM_xBGRQUADS: *bytes = 4; return TYPE_RGBA_8;
    case BM_GRAY: *bytes = 1; return TYPE_GRAY_8;
    case BM_CMYKQUADS: *bytes = 4; return TYPE_CMYK_8;
    case BM_KYMCQUADS: *bytes = 4; return TYPE_KYMC_8;
    default: *bytes = 0; return 0;
  }
}

cmsUInt32Number ColorType(COLORTYPE type, uint32_t* channels) {
  switch (type) {
    case COLOR_GRAY: *channels = 1; return TYPE_GRAY_16;
    case COLOR_RGB: *channels = 3; return TYPE_RGB_16;
    case COLOR_CMYK: *channels = 4; return TYPE_CMYK_16;
    default: *channels = 0; return 0;
  }
}

// The colour-space family of a pixel type (gray, RGB, CMYK).
int Family(cmsUInt32Number type) { return T_COLORSPACE(type); }

int FamilyOfSpace(cmsColorSpaceSignature s) {
  switch (s) {
    case cmsSigGrayData: return PT_GRAY;
    case cmsSigRgbData: return PT_RGB;
    case cmsSigCmykData: return PT_CMYK;
    default: return -1;
  }
}

cmsHTRANSFORM EngineTransform(Transform& t, cmsUInt32Number in, cmsUInt32Number out) {
  std::lock_guard<std::mutex> guard(t.lock);
  auto found = t.made.find({in, out});
  if (found != t.made.end()) return found->second;
  cmsHTRANSFORM made = nullptr;
  const cmsUInt32Number flags = t.flags | (T_EXTRA(in) && T_EXTRA(out) ? cmsFLAGS_COPY_ALPHA : 0);
  if (t.proof) {
    made = cmsCreateProofingTransform(t.chain.front()->profile, in, t.chain.back()->profile, out, t.proof->profile,
                                      t.intents.front(), INTENT_ABSOLUTE_COLORIMETRIC, flags | cmsFLAGS_SOFTPROOFING);
  } else {
    std::vector<cmsHPROFILE> profiles;
    std::vector<cmsBool> bpc;
    std::vector<cmsFloat64Number> adaptation;
    for (auto& p : t.chain) {
      profiles.push_back(p->profile);
      bpc.push_back(FALSE);
      adaptation.push_back(1.0);
    }
    made = cmsCreateExtendedTransform(nullptr, static_cast<cmsUInt32Number>(profiles.size()), profiles.data(),
                                      bpc.data(), t.intents.data(), adaptation.data(), nullptr, 0, in, out, flags);
  }
  if (made) t.made[{in, out}] = made;
  return made;
}

// The pixel types a transform takes by default (for the check when it is made).
bool CheckTransform(Transform& t) {
  const int inFamily = FamilyOfSpace(cmsGetColorSpace(t.chain.front()->profile));
  const int outFamily = FamilyOfSpace(cmsGetColorSpace(t.chain.back()->profile));
  auto typeOf = [](int family) -> cmsUInt32Number {
    return family == PT_GRAY ? TYPE_GRAY_8 : family == PT_CMYK ? TYPE_CMYK_8 : family == PT_RGB ? TYPE_RGB_8 : 0;
  };
  const cmsUInt32Number in = typeOf(inFamily), out = typeOf(outFamily);
  return in && out && EngineTransform(t, in, out) != nullptr;
}

// The engine transform for a pair of pixel types that fit the chain's ends; NULL with the
// platform's error otherwise.
cmsHTRANSFORM TransformFor(Transform& t, cmsUInt32Number in, cmsUInt32Number out) {
  if (Family(in) != FamilyOfSpace(cmsGetColorSpace(t.chain.front()->profile)) ||
      Family(out) != FamilyOfSpace(cmsGetColorSpace(t.chain.back()->profile))) {
    SetLastError(ERROR_COLORSPACE_MISMATCH);
    return nullptr;
  }
  cmsHTRANSFORM x = EngineTransform(t, in, out);
  if (!x) SetLastError(ERROR_INVALID_TRANSFORM);
  return x;
}

HTRANSFORM Register(std::unique_ptr<Transform> t) {
  if (!CheckTransform(*t)) return Fail(ERROR_INVALID_PROFILE);
  std::lock_guard<std::mutex> guard(g_lock);
  Transform* raw = t.release();
  g_transforms.insert(raw);
  return raw;
}

}  // namespace
}  // namespace zolt::host::icm

using namespace zolt::host;
using namespace zolt::host::icm;

WIN32_API HPROFILE WINAPI OpenColorProfileW(PPROFILE pProfile, DWORD dwDesiredAccess, DWORD, DWORD dwCreationMode) {
  if (!pProfile || !pProfile->pProfileData || (dwDesiredAccess != PROFILE_READ && dwDesiredAccess != PROFILE_READWRITE) ||
      (dwCreationMode != OPEN_EXISTING && dwCreationMode != OPEN_ALWAYS))
    return Fail(ERROR_INVALID_PARAMETER);
  std::vector<uint8_t> bytes;
  if (pProfile->dwType == PROFILE_MEMBUFFER) {
    const auto* p = static_cast<const uint8_t*>(pProfile->pProfileData);
    bytes.assign(p, p + pProfile->cbDataSize);
  } else if (pProfile->dwType == PROFILE_FILENAME) {
    const auto* name = static_cast<const WCHAR*>(pProfile->pProfileData);
    if (!ReadProfileFile(name, &bytes)) return Fail(ERROR_FILE_NOT_FOUND);
  } else {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  auto data = ReadProfile(std::move(bytes));
  if (!data) return Fail(ERROR_INVALID_PROFILE);
  auto* profile = new Profile{std::move(data)};
  std::lock_guard<std::mutex> guard(g_lock);
  g_profiles.insert(profile);
  return profile;
}

WIN32_API BOOL WINAPI CloseColorProfile(HPROFILE hProfile) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_profiles.erase(hProfile)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  delete static_cast<Profile*>(hProfile);
  return TRUE;
}

WIN32_API HTRANSFORM WINAPI CreateColorTransformW(LPLOGCOLORSPACEW pLogColorSpace, HPROFILE hDestProfile,
                                                  HPROFILE hTargetProfile, DWORD dwFlags) {
  if (!pLogColorSpace || pLogColorSpace->lcsSignature != LCS_SIGNATURE) return Fail(ERROR_INVALID_PARAMETER);
  Profile* dest = LiveProfile(hDestProfile);
  Profile* target = hTargetProfile ? LiveProfile(hTargetProfile) : nullptr;
  if (!dest || (hTargetProfile && !target)) return Fail(ERROR_INVALID_HANDLE);
  if (!DeviceProfile(dest->data->profile) || (target && !DeviceProfile(target->data->profile)))
    return Fail(ERROR_INVALID_PROFILE);
  DWORD error = 0;
  auto source = SourceOfColorSpace(*pLogColorSpace, &error);
  if (!source) return Fail(error);
  auto t = std::make_unique<Transform>();
  const cmsUInt32Number intent = IntentOfGamutMatch(pLogColorSpace->lcsIntent);
  t->chain = {source, dest->data};
  t->intents = {intent, intent};
  if (target) t->proof = target->data;
  t->flags = EngineFlags(dwFlags);
  return Register(std::move(t));
}

WIN32_API HTRANSFORM WINAPI CreateMultiProfileTransform(PHPROFILE pahProfiles, DWORD nProfiles, PDWORD padwIntent,
                                                        DWORD nIntents, DWORD dwFlags, DWORD) {
  if (!pahProfiles || !padwIntent || nProfiles == 0 || nProfiles > 255 || nIntents == 0 || nIntents > nProfiles)
    return Fail(ERROR_INVALID_PARAMETER);
  auto t = std::make_unique<Transform>();
  for (DWORD i = 0; i < nProfiles; ++i) {
    Profile* p = LiveProfile(pahProfiles[i]);
    if (!p) return Fail(ERROR_INVALID_HANDLE);
    t->chain.push_back(p->data);
    // One intent for all, or one per profile; the platform's intent numbers are the engine's.
    const DWORD intent = padwIntent[nIntents == 1 ? 0 : std::min(i, nIntents - 1)];
    if (intent > INTENT_ABSOLUTE_COLORIMETRIC) return Fail(ERROR_INVALID_PARAMETER);
    t->intents.push_back(intent);
  }
  if (nProfiles == 1 && cmsGetDeviceClass(t->chain[0]->profile) != cmsSigLinkClass) return Fail(ERROR_INVALID_PROFILE);
  t->flags = EngineFlags(dwFlags);
  return Register(std::move(t));
}

WIN32_API BOOL WINAPI DeleteColorTransform(HTRANSFORM hxform) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_transforms.erase(hxform)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  delete static_cast<Transform*>(hxform);
  return TRUE;
}

WIN32_API BOOL WINAPI TranslateColors(HTRANSFORM hColorTransform, PCOLOR paInputColors, DWORD nColors,
                                      COLORTYPE ctInput, PCOLOR paOutputColors, COLORTYPE ctOutput) {
  Transform* t = LiveTransform(hColorTransform);
  if (!t) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  uint32_t inChannels = 0, outChannels = 0;
  const cmsUInt32Number in = ColorType(ctInput, &inChannels), out = ColorType(ctOutput, &outChannels);
  if (!paInputColors || !paOutputColors || !in || !out || nColors > 0x1000000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  cmsHTRANSFORM x = TransformFor(*t, in, out);
  if (!x) return FALSE;
  // The channels of each colour are its first WORDs.
  std::vector<cmsUInt16Number> src(size_t{nColors} * inChannels), dst(size_t{nColors} * outChannels);
  for (DWORD i = 0; i < nColors; ++i)
    std::memcpy(&src[size_t{i} * inChannels], &paInputColors[i], inChannels * sizeof(WORD));
  if (nColors) cmsDoTransform(x, src.data(), dst.data(), nColors);
  for (DWORD i = 0; i < nColors; ++i) {
    COLOR c{};
    std::memcpy(&c, &dst[size_t{i} * outChannels], outChannels * sizeof(WORD));
    paOutputColors[i] = c;
  }
  return TRUE;
}

WIN32_API BOOL WINAPI TranslateBitmapBits(HTRANSFORM hColorTransform, PVOID pSrcBits, BMFORMAT bmInput, DWORD dwWidth,
                                          DWORD dwHeight, DWORD dwInputStride, PVOID pDestBits, BMFORMAT bmOutput,
                                          DWORD dwOutputStride, PBMCALLBACKFN pfnCallBack, LPARAM ulCallbackData) {
  Transform* t = LiveTransform(hColorTransform);
  if (!t) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  uint32_t inBytes = 0, outBytes = 0;
  const cmsUInt32Number in = PixelType(bmInput, &inBytes), out = PixelType(bmOutput, &outBytes);
  if (!pSrcBits || !pDestBits || !in || !out || dwWidth > 0x10000000 / 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const uint64_t inRow = uint64_t{dwWidth} * inBytes, outRow = uint64_t{dwWidth} * outBytes;
  const uint64_t inStride = dwInputStride ? dwInputStride : (inRow + 3) & ~uint64_t{3};
  const uint64_t outStride = dwOutputStride ? dwOutputStride : (outRow + 3) & ~uint64_t{3};
  if (inStride < inRow || outStride < outRow) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  cmsHTRANSFORM x = TransformFor(*t, in, out);
  if (!x) return FALSE;
  auto* src = static_cast<uint8_t*>(pSrcBits);
  auto* dst = static_cast<uint8_t*>(pDestBits);
  for (DWORD y = 0; y < dwHeight; ++y) {
    if (pfnCallBack && !pfnCallBack(dwHeight, y, ulCallbackData)) {
      SetLastError(ERROR_CANCELLED);
      return FALSE;
    }
    if (dwWidth) cmsDoTransform(x, src + y * inStride, dst + y * outStride, dwWidth);
  }
  return TRUE;
}

WIN32_API BOOL WINAPI GetColorDirectoryW(PCWSTR pMachineName, PWSTR pBuffer, PDWORD pdwSize) {
  if (!pdwSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (pMachineName && pMachineName[0]) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  const std::u16string dir = ColorDirectory();
  const DWORD need = static_cast<DWORD>((dir.size() + 1) * sizeof(WCHAR));
  if (!pBuffer || *pdwSize < need) {
    *pdwSize = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(pBuffer, dir.c_str(), need);
  *pdwSize = need;
  return TRUE;
}
