// The metafile object (made from bytes, read from a file, copied, deleted, its header and
// description) and the checked walk over its records.
#include "emf/metafile.h"

#include "files.h"
#include <algorithm>
#include <cstring>
#include <fstream>
#include <cerrno>

#include <uemf.h>
#include <uemf_safe.h>

#include "win32/hostpath.h"

namespace zolt::host::emf {

namespace {

// The fixed part of each record type: no record of the type is smaller.
DWORD MinimumSize(DWORD type) {
  switch (type) {
    case EMR_HEADER: return kHeaderMinSize;
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: case EMR_POLYDRAW: case EMR_POLYDRAW16: case EMR_ANGLEARC: case EMR_CREATEPEN:
    case EMR_INVERTRGN: case EMR_PAINTRGN:
      return 28;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
    case EMR_SETCOLORADJUSTMENT: case EMR_ROUNDRECT: case EMR_SETWORLDTRANSFORM: case EMR_FILLRGN:
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
      return 32;
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX: case EMR_SETVIEWPORTORGEX:
    case EMR_SETBRUSHORGEX: case EMR_OFFSETCLIPRGN: case EMR_MOVETOEX: case EMR_LINETO: case EMR_CREATEPALETTE:
    case EMR_EXTSELECTCLIPRGN: case EMR_RESIZEPALETTE: case EMR_SETTEXTJUSTIFICATION:
      return 16;
    case EMR_EOF: case EMR_SETPIXELV: case EMR_SETPALETTEENTRIES:
      return 20;
    case EMR_SETMAPPERFLAGS: case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE: case EMR_SETROP2:
    case EMR_SETSTRETCHBLTMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR:
    case EMR_RESTOREDC: case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: case EMR_SELECTPALETTE:
    case EMR_SETARCDIRECTION: case EMR_SETMITERLIMIT: case EMR_SELECTCLIPPATH: case EMR_GDICOMMENT:
    case EMR_SETICMMODE: case EMR_SETLAYOUT:
      return 12;
    case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX:
    case EMR_CREATEBRUSHINDIRECT: case EMR_ELLIPSE: case EMR_RECTANGLE: case EMR_EXTFLOODFILL: case EMR_FILLPATH:
    case EMR_STROKEANDFILLPATH: case EMR_STROKEPATH:
      return 24;
    case EMR_MODIFYWORLDTRANSFORM: case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW: case EMR_GRADIENTFILL:
      return 36;
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: case EMR_FRAMERGN:
      return 40;
    case EMR_EXTCREATEPEN: return 52;
    case EMR_SETDIBITSTODEVICE: case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: return 76;
    case EMR_STRETCHDIBITS: return 80;
    case EMR_BITBLT: return 100;
    case EMR_EXTCREATEFONTINDIRECTW: return 104;
    case EMR_STRETCHBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT: return 108;
    case EMR_MASKBLT: return 128;
    case EMR_PLGBLT: return 140;
    default: return 8;
  }
}

// Record types whose layout libuemf checks.
bool LibraryChecks(DWORD type) {
  return type >= EMR_HEADER && type <= EMR_CREATECOLORSPACEW && type != EMR_GLSRECORD &&
         type != EMR_GLSBOUNDEDRECORD && !(type >= 105 && type <= 110) && type != 117 && type != 119 &&
         type != EMR_EOF && type != EMR_HEADER;
}

}  // namespace

std::shared_ptr<EnhMetaFileObj> FindMetaFile(HENHMETAFILE hmf) {
  return gdi::FindAs<EnhMetaFileObj>(static_cast<HGDIOBJ>(hmf), OBJ_ENHMETAFILE);
}

HENHMETAFILE NewMetaFile(std::vector<uint8_t> bits) {
  auto mf = std::make_shared<EnhMetaFileObj>();
  mf->bits = std::move(bits);
  return static_cast<HENHMETAFILE>(gdi::InsertObject(mf));
}

bool HeaderSound(std::span<const uint8_t> bits) {
  if (bits.size() < kHeaderMinSize) return false;
  const DWORD type = Load<DWORD>(bits.data()), size = Load<DWORD>(bits.data() + 4);
  return type == EMR_HEADER && size >= kHeaderMinSize && size % 4 == 0 && size <= bits.size() &&
         Load<DWORD>(bits.data() + offsetof(ENHMETAHEADER, dSignature)) == ENHMETA_SIGNATURE;
}

ENHMETAHEADER ReadHeader(std::span<const uint8_t> bits) {
  ENHMETAHEADER h{};
  const DWORD size = Load<DWORD>(bits.data() + 4);
  // The short forms end before the pixel-format fields (88) or before the micrometres (100);
  // a description placed right after a short form is not a field.
  size_t fields = kHeaderMinSize;
  const DWORD offDescription = Load<DWORD>(bits.data() + offsetof(ENHMETAHEADER, offDescription));
  const DWORD nDescription = Load<DWORD>(bits.data() + offsetof(ENHMETAHEADER, nDescription));
  size_t limit = size;
  if (nDescription && offDescription >= kHeaderMinSize) limit = std::min<size_t>(limit, offDescription);
  if (limit >= 100) fields = 100;
  if (limit >= sizeof(ENHMETAHEADER)) fields = sizeof(ENHMETAHEADER);
  std::memcpy(&h, bits.data(), fields);
  if (fields >= 100 && (h.offPixelFormat == 0 || h.cbPixelFormat == 0)) {
    h.cbPixelFormat = 0;
    h.offPixelFormat = 0;
  }
  return h;
}

Walk RecordWalker::Next(RecordRef& out) {
  if (ended_) return Walk::End;
  const size_t left = bits_.size() - off_;
  if (left < 8) return Walk::Damaged;
  const uint8_t* p = bits_.data() + off_;
  out.p = p;
  out.type = Load<DWORD>(p);
  out.size = Load<DWORD>(p + 4);
  if (out.type == EMR_EOF) {
    // Whatever its size says, the end record closes the metafile.
    ended_ = true;
    out.size = DWORD(std::min<size_t>(left, out.size < 8 ? 8 : out.size));
    return Walk::Record;
  }
  if (out.size < 8 || out.size % 4 != 0 || out.size > left) return Walk::Damaged;
  off_ += out.size;
  return Walk::Record;
}

bool RecordSound(const RecordRef& r) {
  if (r.size < MinimumSize(r.type)) return false;
  if (LibraryChecks(r.type) && !U_emf_record_safe(reinterpret_cast<const char*>(r.p))) return false;
  return true;
}

}  // namespace zolt::host::emf

using namespace zolt::host;
using namespace zolt::host::emf;

WIN32_API HENHMETAFILE WINAPI SetEnhMetaFileBits(UINT nSize, const BYTE* pb) {
  GDI_LOCK();
  if (!pb || !HeaderSound(std::span<const uint8_t>(pb, nSize))) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return NewMetaFile(std::vector<uint8_t>(pb, pb + nSize));
}

WIN32_API HENHMETAFILE WINAPI GetEnhMetaFileW(LPCWSTR lpName) {
  if (!lpName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD error = 0;
  auto file = MapPath(std::u16string_view(lpName), Resolve::Existing, &error);
  if (!file) {
    SetLastError(error ? error : ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  std::vector<uint8_t> bits;
  if (!ReadRealFile(*file, bits)) {
    SetLastError(errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  if (bits.size() > 0xFFFFFFFFu || !HeaderSound(bits)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  GDI_LOCK();
  return NewMetaFile(std::move(bits));
}

WIN32_API UINT WINAPI GetEnhMetaFileBits(HENHMETAFILE hEMF, UINT nSize, LPBYTE lpData) {
  GDI_LOCK();
  auto mf = FindMetaFile(hEMF);
  if (!mf) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const UINT size = UINT(mf->bits.size());
  if (!lpData) return size;
  if (nSize < size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpData, mf->bits.data(), size);
  return size;
}

WIN32_API HENHMETAFILE WINAPI CopyEnhMetaFileW(HENHMETAFILE hEnh, LPCWSTR lpFileName) {
  std::vector<uint8_t> bits;
  {
    GDI_LOCK();
    auto mf = FindMetaFile(hEnh);
    if (!mf) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    bits = mf->bits;
  }
  if (lpFileName) {
    DWORD error = 0;
    auto file = MapPath(std::u16string_view(lpFileName), Resolve::LastMayMiss, &error);
    if (!file) {
      SetLastError(error ? error : ERROR_PATH_NOT_FOUND);
      return nullptr;
    }
    std::ofstream out(*file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bits.data()), std::streamsize(bits.size()));
    if (!out.flush()) {
      SetLastError(ERROR_WRITE_FAULT);
      return nullptr;
    }
  }
  GDI_LOCK();
  return NewMetaFile(std::move(bits));
}

WIN32_API BOOL WINAPI DeleteEnhMetaFile(HENHMETAFILE hmf) {
  GDI_LOCK();
  if (!FindMetaFile(hmf)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return zolt::host::gdi::RemoveObject(static_cast<HGDIOBJ>(hmf)) ? TRUE : FALSE;
}

WIN32_API UINT WINAPI GetEnhMetaFileHeader(HENHMETAFILE hemf, UINT nSize, LPENHMETAHEADER lpEnhMetaHeader) {
  GDI_LOCK();
  auto mf = FindMetaFile(hemf);
  if (!mf) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const ENHMETAHEADER h = ReadHeader(mf->bits);
  // The size of the header form the metafile holds, at most the full form.
  const UINT full = UINT(std::min<size_t>(sizeof(ENHMETAHEADER), h.nSize));
  if (!lpEnhMetaHeader) return full;
  const UINT n = std::min(nSize, full);
  std::memcpy(lpEnhMetaHeader, &h, n);
  return n;
}

WIN32_API UINT WINAPI GetEnhMetaFileDescriptionW(HENHMETAFILE hemf, UINT cchBuffer, LPWSTR lpDescription) {
  GDI_LOCK();
  auto mf = FindMetaFile(hemf);
  if (!mf) {
    SetLastError(ERROR_INVALID_HANDLE);
    return GDI_ERROR;
  }
  const ENHMETAHEADER h = ReadHeader(mf->bits);
  if (h.nDescription == 0 || h.offDescription == 0 ||
      !Inside(h.nSize, kHeaderMinSize, h.offDescription, h.nDescription, sizeof(WCHAR)))
    return 0;
  if (!lpDescription) return h.nDescription;
  const UINT n = std::min(cchBuffer, UINT(h.nDescription));
  std::memcpy(lpDescription, mf->bits.data() + h.offDescription, size_t(n) * sizeof(WCHAR));
  return n;
}
