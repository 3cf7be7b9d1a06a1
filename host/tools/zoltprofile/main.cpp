// zoltprofile: writes the colour profile the driver ships for its colour printers, an
// output-device RGB profile made with Little CMS: the printer's primaries and white, a tone
// curve for each channel, and the maker's signatures in the header (colour management module
// "QVMS", device maker "ORVX") beside the device class "prtr" and the colour space "RGB ".
#include <lcms2.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The printer's colorants as measured on plain paper (x, y, Y), and the paper's white, a little
// bluer than D50 as office paper is.
constexpr cmsCIExyYTRIPLE kPrimaries = {{0.6280, 0.3320, 0.2220}, {0.2940, 0.6050, 0.6280}, {0.1520, 0.0760, 0.1500}};
constexpr cmsCIExyY kPaperWhite = {0.3380, 0.3520, 1.0};
constexpr double kToneGamma = 1.9;

void PutSignature(std::vector<uint8_t>& bytes, size_t at, const char* sig) { std::memcpy(bytes.data() + at, sig, 4); }

int Usage(FILE* to, int code) {
  std::fprintf(to,
               "usage: zoltprofile OUTPUT.icm\n"
               "Writes the colour printers' RGB output profile to OUTPUT.icm.\n");
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) return Usage(stdout, 0);
  if (argc != 2) return Usage(stderr, 2);
  cmsToneCurve* tone = cmsBuildGamma(nullptr, kToneGamma);
  cmsToneCurve* curves[3] = {tone, tone, tone};
  cmsHPROFILE profile = cmsCreateRGBProfile(&kPaperWhite, &kPrimaries, curves);
  cmsFreeToneCurve(tone);
  if (!profile) {
    std::fprintf(stderr, "zoltprofile: the profile cannot be made\n");
    return 1;
  }
  cmsSetDeviceClass(profile, cmsSigOutputClass);
  cmsSetProfileVersion(profile, 2.1);
  // The paper's own white, which absolute colorimetric matching keeps.
  cmsCIEXYZ media;
  cmsxyY2XYZ(&media, &kPaperWhite);
  cmsWriteTag(profile, cmsSigMediaWhitePointTag, &media);
  cmsMLU* description = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(description, "en", "US", "ZOLT colour printer RGB");
  cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
  cmsMLUfree(description);
  cmsUInt32Number size = 0;
  std::vector<uint8_t> bytes;
  if (cmsSaveProfileToMem(profile, nullptr, &size)) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
  }
  cmsCloseProfile(profile);
  if (bytes.size() < 128) {
    std::fprintf(stderr, "zoltprofile: the profile cannot be written\n");
    return 1;
  }
  // The header fields Little CMS has no setter for: the preferred module and the maker.
  PutSignature(bytes, 4, "QVMS");
  PutSignature(bytes, 48, "ORVX");
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "zoltprofile: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
