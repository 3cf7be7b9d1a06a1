// The private header of the device mode: writing it, and the tests that decide whether a
// device mode from outside belongs to this driver, this model and this settings version.
#include <cstring>

#include "dm_record_internal.h"
#include "env_text.h"

using namespace zolt::dm;

namespace {

// Block starts of the settings image, as the header stores them.
constexpr WORD kBlockStarts[3] = {0, static_cast<WORD>(kFullDevModeSize),
                                  static_cast<WORD>(kFullDevModeSize + kPrinterConfigSize)};
static_assert(kBlockStarts[2] == offsetof(SettingsImage, userSettings));

constexpr DWORD kBlockOffsetsAt = offsetof(ZoltDMHeader, blockOffset);  // private offset 141
constexpr DWORD kBlockOffsetsEnd = kBlockOffsetsAt + sizeof(ZoltDMHeader::blockOffset);

void PutBlockOffsets(BYTE* at) {
  for (int block = 0; block < 3; ++block) WriteLe16(at + 2 * block, kBlockStarts[block]);
}

// One of the fixed text fields: where it is, its width, the bytes its check reads and the
// longest text it may hold.
struct TextField {
  DWORD at;
  DWORD width;
  DWORD readBytes;
  DWORD maxLength;
};

// In the order of the checks.
constexpr TextField kTextFields[] = {
    {kDmAtIniFileName, 16, 31, 16},     {kDmAtCDCVersion, 16, 31, 16}, {kDmAtZPJLVersion, 16, 31, 16},
    {kDmAtTrackID, 21, 31, 21},         {kDmAtCopyProtectFont, 32, 63, 32}, {kDmAtHFFontName, 32, 63, 32},
    {kDmAtHFString, 33, 63, 33},
};

// The text of a field read into a zero-filled buffer: at most readBytes bytes, and none past the
// record's end. A field that does not lie wholly inside the record fails.
bool TextFits(const BYTE* dm, DWORD extent, const TextField& f) {
  if (f.at + f.width > extent) return false;
  const DWORD available = extent - f.at;
  const DWORD readable = f.readBytes < available ? f.readBytes : available;
  return strnlen(reinterpret_cast<const char*>(dm + f.at), readable) <= f.maxLength;
}

// The identity fields of a device mode against the template's profile. The driver type byte is
// the last field read.
enum IdentityTest : unsigned {
  kTestIdentity = 1,
  kTestPrivateSize = 2,
  kTestVersion = 4,
  kTestModel = 8,
};

bool DriverTypeAccepted(BYTE variant, BYTE driverType) {
  if (variant == 0) return driverType == 0;
  if (variant == 1) return driverType == 1;
  return true;
}

int PassesIdentity(const DEVMODEW* dm, unsigned tests) {
  if (!dm || ExtentOf(dm) < kDmAtDriverType + 1) return 0;
  const BYTE* b = Bytes(dm);
  const DriverProfile* profile = CtxGetTemplate()->profile;
  if ((tests & kTestIdentity) && std::memcmp(b + kDmAtIdentity, profile->devModeIdentity, 4) != 0) return 0;
  if ((tests & kTestPrivateSize) && ReadLe32(b + kDmAtPrivateSize) != kDmPrivateSize) return 0;
  if ((tests & kTestVersion) && ReadLe32(b + kDmAtSettingsVersion) != profile->settingsVersion) return 0;
  if ((tests & kTestModel) && b[kDmAtMachineID] != profile->modelCode) return 0;
  return DriverTypeAccepted(profile->modelVariant, b[kDmAtDriverType]) ? 1 : 0;
}

// The profile's wide text as ANSI in a zero-filled field of 16 bytes.
void PutAnsiField(BYTE* field, const WCHAR* text) {
  char ansi[16] = {};
  if (text) EnvWideToAnsi(ansi, text, sizeof ansi);
  std::memcpy(field, ansi, sizeof ansi);
}

}  // namespace

// ---- the private header -------------------------------------------------------------------------

int DmWritePrivateHeader(DEVMODEW* dm, DriverContext* ctx) {
  if (!dm) return 0;
  const DriverProfile* profile = ProfileOf(ctx);
  BYTE* b = Bytes(dm);
  std::memcpy(b + kDmAtSignature, kDmSignature, 4);
  WriteLe32(b + kDmAtTesmarin, 0);
  std::memcpy(b + kDmAtIdentity, profile->devModeIdentity, 4);
  WriteLe32(b + kDmAtPrivateSize, kDmPrivateSize);
  WriteLe32(b + kDmAtSettingsVersion, profile->settingsVersion);
  PutBlockOffsets(b + kDmAtBlockOffsets);
  return 1;
}

int DmWriteBlockOffsets(DEVMODEW* dm) {
  if (!dm) return 0;
  BYTE* priv = PrivatePart(dm, kBlockOffsetsEnd, ~DWORD{0});
  if (!priv) return 0;
  PutBlockOffsets(priv + kBlockOffsetsAt);
  return 1;
}

void DmWriteCommonHeader(DriverContext* ctx) {
  DEVMODEW* dm = WorkingDevMode(ctx);
  if (!dm) return;
  BYTE* priv = PrivatePart(dm, offsetof(ZoltDMHeader, commonCaps) + sizeof(ZoltDMHeader::commonCaps), kFullDevModeSize);
  if (!priv) return;
  const DriverProfile* profile = ProfileOf(ctx);
  PutAnsiField(priv + offsetof(ZoltDMHeader, iniFileName), profile->settingsFileName);
  PutAnsiField(priv + offsetof(ZoltDMHeader, cdcVersion), profile->versionStrings[0]);
  PutAnsiField(priv + offsetof(ZoltDMHeader, zpjlVersion), profile->versionStrings[1]);
  static_assert(sizeof kDmCommonMark == sizeof(ZoltDMHeader::commonMark));
  std::memcpy(priv + offsetof(ZoltDMHeader, commonMark), kDmCommonMark, sizeof kDmCommonMark);
  priv[offsetof(ZoltDMHeader, commonVersion)] = kDmCommonVersion;
  std::memset(priv + offsetof(ZoltDMHeader, commonMember), 0, sizeof(ZoltDMHeader::commonMember));
  std::memset(priv + offsetof(ZoltDMHeader, commonCaps), 0, sizeof(ZoltDMHeader::commonCaps));
}

// ---- tests of a device mode from outside ----------------------------------------------------------

int DmCheckPrivateStrings(const DEVMODEW* dm) {
  if (!dm) return 0;
  const DWORD extent = ExtentOf(dm);
  for (const TextField& f : kTextFields)
    if (!TextFits(Bytes(dm), extent, f)) return 0;
  return 1;
}

int DmIsCurrentVersion(const DEVMODEW* dm, DriverContext*) {
  return PassesIdentity(dm, kTestIdentity | kTestPrivateSize | kTestVersion | kTestModel);
}

int DmIsSameLayout(const DEVMODEW* dm, DriverContext*) {
  return PassesIdentity(dm, kTestIdentity | kTestPrivateSize | kTestModel);
}

int DmIsCompatibleModel(const DEVMODEW* dm, DriverContext*) { return PassesIdentity(dm, kTestIdentity | kTestModel); }
