// The drawing of a printer DC on its module: each call of the graphics interface becomes the
// engine objects of one drawing (path, clip, brush, colour translation, line attributes, string
// and font) handed to the module's entry when its surface hooks it, else drawn by the engine's
// own drawing into the surface. On a banding surface the page's drawings are kept and played
// once per band, moved by the band's origin and clipped to it.
#pragma once

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/engine.h"
#include "gdi/device.h"

namespace zolt::host::engine {

// Where one drawing lands: the module's surface and the band of the page it holds.
struct PageTarget {
  SURFOBJ* so = nullptr;
  POINTL org{0, 0};  // the page position of the surface's top-left pixel
  RECT band{};       // the page pixels the surface holds
};

using PageOp = std::function<bool(const PageTarget&)>;

struct PathOp;

class DeviceFonts;

class PageDrawing : public gdi::DeviceDrawing {
 public:
  PageDrawing(HDEV hdev, HPALETTE devicePalette);
  ~PageDrawing() override;

  // The module's surface, the scratch page the raster draws what the engine does not handle,
  // and whether the surface bands.
  void SetSurface(SURFOBJ* so, bool banding) {
    so_ = so;
    banding_ = banding;
  }
  void SetScratch(SURFOBJ* scratch);
  void SetPalette(HPALETTE pal);
  // The fonts the module offers (nullptr: none).
  void SetFonts(DeviceFonts* fonts) { deviceFonts_ = fonts; }

  // A new page: nothing kept; drawing outside a page is not drawn.
  void StartPage();
  void EndPage();
  // Hands what the raster drew on the scratch page to the module (kept on a banding surface).
  bool FlushScratch();
  // Plays the kept drawings of the page onto a band.
  bool PlayBand(POINTL org);
  // Drawings that failed since the page started.
  bool Failed() const { return failed_; }

  bool Fill(gdi::DrawCtx& d, const gdi::Shape& shape, bool winding) override;
  bool Stroke(gdi::DrawCtx& d, const gdi::Shape& shape) override;
  bool StrokeAndFill(gdi::DrawCtx& d, const gdi::Shape& shape, bool winding) override;
  bool Blit(gdi::DrawCtx& d, const gdi::DeviceBlit& blit) override;
  bool Effect(gdi::DrawCtx& d, const gdi::DeviceEffect& effect) override;
  bool Text(gdi::DrawCtx& d, const gdi::DeviceText& text) override;
  bool LayoutDeviceFont(const gdi::DcObj& dc, std::u16string_view text, bool glyphIndexes, double scaleY,
                        gdi::DeviceFontLayout& out) override;
  bool EnumDeviceFonts(const LOGFONTW* filter, FONTENUMPROCW proc, LPARAM lParam, int* result) override;

 private:
  bool Run(PageOp op);
  bool RunPath(std::shared_ptr<const PathOp> op);
  PFN Entry(ULONG index, FLONG hook) const;
  EngFont* FontOf(const std::shared_ptr<gdi::FontInstance>& instance);

  HDEV hdev_;
  const EngPalette* palette_ = nullptr;
  SURFOBJ* so_ = nullptr;
  bool banding_ = false;
  SURFOBJ* scratch_ = nullptr;
  RECT dirty_{0, 0, 0, 0};
  std::vector<uint8_t> written_;  // the scratch page's pixels written since they were handed over
  std::vector<PageOp> journal_;
  bool failed_ = false;
  bool inPage_ = false;
  DeviceFonts* deviceFonts_ = nullptr;
  std::unordered_map<const void*, std::unique_ptr<EngFont>> fonts_;
};

}  // namespace zolt::host::engine
