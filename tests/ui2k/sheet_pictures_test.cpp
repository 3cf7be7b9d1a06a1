// Pictures drawn over the page, compared by pixels: transparency by the key colour (or, for
// 4-bit pictures, the bottom-left pixel's colour), the page background (page colour, themed tab
// pane, screen content), raster operations, composition, recoloured samples, layered drawing,
// damaged pictures and the panel buttons.
#include <gtest/gtest.h>

#include <string>

#include "option_access.h"
#include "sheet_picture_fixture.h"

namespace {

using zolt::test::PictureTest;
using zolt::test::Surface;

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(220, 0, 0);
constexpr COLORREF kPane = RGB(252, 252, 252);

std::string N(const char16_t* name) {
  std::string out;
  for (; *name; ++name) out += char(*name);
  return out;
}

class Pictures : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    UseTestPictures();
  }
  // Draws a test picture into the 40 x 40 surface at rectangle (10, 10, 30, 30), position (0, 0).
  void Draw(Surface& surface, const char16_t* name, DWORD flags, DialogDescriptor* dialog = nullptr,
            DWORD state = 0) {
    RECT rect{10, 10, 30, 30};
    UiDrawBitmap(ctx, dialog, nullptr, surface.dc(), &rect, 0, 0, Named(name), flags, state);
  }
};

// The test pictures are 8 x 8: KEY8 (8 bits) is key colour with a blue square (2-5) holding a
// red one (3-4); BLUE4 (4 bits) is blue with a key-coloured square (2-5) holding a red one.
TEST_F(Pictures, TransparentPixelsShowTheScreen) {
  struct Case {
    const char16_t* name;
    COLORREF corner;  // picture pixel (0, 0)
    COLORREF square;  // picture pixel (2, 2)
  } cases[] = {
      {u"KEY8", kGreen, kBlue},
      {u"KEY8RLE", kGreen, kBlue},
      {u"BLUE4", kGreen, kPictureKeyColour},  // blue is the transparent colour, the key is not
      {u"BLUE4RLE", kGreen, kPictureKeyColour},
  };
  for (const Case& c : cases) {
    Surface surface(40, 40, kGreen);
    Draw(surface, c.name, kPictureOverScreen);
    EXPECT_EQ(surface.At(10, 10), c.corner) << N(c.name);
    EXPECT_EQ(surface.At(12, 12), c.square) << N(c.name);
    EXPECT_EQ(surface.At(25, 25), kGreen) << N(c.name);  // in the rectangle, beside the picture
    EXPECT_EQ(surface.At(5, 5), kGreen) << N(c.name);    // outside the rectangle
  }
  Surface surface(40, 40, kGreen);
  Draw(surface, u"KEY8", kPictureOverScreen);
  EXPECT_EQ(surface.At(13, 13), kRed);
}

TEST_F(Pictures, WithoutThemeThePageColourFillsTheRectangle) {
  const COLORREF page = RGB(10, 20, 30);
  UiSetPageColour(ctx, page);
  Surface surface(40, 40, kGreen);
  Draw(surface, u"KEY8", 0);
  EXPECT_EQ(surface.At(10, 10), page);
  EXPECT_EQ(surface.At(29, 29), page);
  EXPECT_EQ(surface.At(12, 12), kBlue);
  EXPECT_EQ(surface.At(9, 9), kGreen);
}

TEST_F(Pictures, RasterOperationsOfTheFlags) {
  struct Case {
    DWORD flags;
    COLORREF screen;
    COLORREF corner;  // picture pixel (0, 0), the key colour
    COLORREF square;  // picture pixel (2, 2), blue
  } cases[] = {
      {kPictureOpaque, kGreen, kPictureKeyColour, kBlue},
      {kPictureRopAnd, RGB(255, 255, 255), kPictureKeyColour, kBlue},
      {kPictureRopAnd, kGreen, RGB(0, 0, 0), RGB(0, 0, 0)},
      {kPictureRopMergePaint, RGB(0, 0, 0), RGB(0x33, 0xFF, 0xCC), RGB(255, 255, 0)},
      {kPictureOverUnderlay, RGB(0, 0, 0), kPictureKeyColour, kBlue},  // SRCPAINT onto black
  };
  for (const Case& c : cases) {
    Surface surface(40, 40, c.screen);
    Draw(surface, u"KEY8", c.flags);
    EXPECT_EQ(surface.At(10, 10), c.corner) << std::hex << c.flags;
    EXPECT_EQ(surface.At(12, 12), c.square) << std::hex << c.flags;
    EXPECT_EQ(surface.At(25, 25), c.screen) << std::hex << c.flags;
  }
}

TEST_F(Pictures, AlignmentFlagsMoveThePicture) {
  struct Case {
    DWORD flags;
    int left, top;  // where picture pixel (0, 0) lands for position (16, 16)
  } cases[] = {
      {kPictureOverScreen, 16, 16},
      {kPictureOverScreen | kPictureCentred, 12, 12},
      {kPictureOverScreen | kPictureRight | kPictureBottom, 8, 8},
  };
  for (const Case& c : cases) {
    Surface surface(40, 40, kGreen);
    RECT rect{0, 0, 40, 40};
    UiDrawBitmap(ctx, nullptr, nullptr, surface.dc(), &rect, 16, 16, Named(u"KEY8"), c.flags, 0);
    EXPECT_EQ(surface.At(c.left + 2, c.top + 2), kBlue) << std::hex << c.flags;
    EXPECT_EQ(surface.At(c.left + 1, c.top + 2), kGreen) << std::hex << c.flags;
  }
}

TEST_F(Pictures, DamagedPicturesDrawNothing) {
  for (const char16_t* name : {u"CUTRLE", u"SHORTTABLE", u"MISSING"}) {
    for (DWORD flags : {0u, DWORD(kPictureOverScreen), DWORD(kPictureOpaque), DWORD(kPictureSample)}) {
      Surface surface(40, 40, kGreen);
      Draw(surface, name, flags);
      EXPECT_EQ(surface.CountOther(kGreen), 0) << N(name) << " " << flags;
    }
  }
  EXPECT_EQ(UiLoadBitmapByName(ctx, u"CUTRLE"), nullptr);  // the platform refuses it too
}

TEST_F(Pictures, AHandedOverBitmapIsCentredAndUsedOnce) {
  HDC screen = GetDC(nullptr);
  HBITMAP handed = CreateCompatibleBitmap(screen, 4, 4);
  ReleaseDC(nullptr, screen);
  {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, handed);
    HBRUSH brush = CreateSolidBrush(kBlue);
    RECT all{0, 0, 4, 4};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  UiHandOverBitmap(ctx, handed);
  Surface surface(40, 40, kGreen);
  RECT rect{0, 0, 20, 20};
  UiDrawBitmap(ctx, nullptr, nullptr, surface.dc(), &rect, 0, 0, nullptr, kPictureOpaque, 0);
  EXPECT_EQ(surface.At(8, 8), kBlue);
  EXPECT_EQ(surface.At(11, 11), kBlue);
  EXPECT_EQ(surface.At(7, 7), kGreen);
  surface.Fill(kGreen);
  UiDrawBitmap(ctx, nullptr, nullptr, surface.dc(), &rect, 0, 0, nullptr, kPictureOpaque, 0);
  EXPECT_EQ(surface.CountOther(kGreen), 0);
}

// ---- Composition, samples, layers ----------------------------------------------------------

TEST_F(Pictures, ACompositionReachesTheScreenInOneCopy) {
  Surface surface(40, 40, kGreen);
  Composition().paintDc = surface.dc();
  UiBeginComposition(ctx);
  RECT rect{0, 0, 40, 40};
  // The feed picture of the language library (13 x 13, 4 bits, run-length: a white sheet with a
  // red arrow on blue, the transparent colour) centred in the rectangle.
  UiDrawPicture(ctx, nullptr, nullptr, nullptr, &rect, 6193, kPictureOverScreen, 0);
  UiDrawBitmap(ctx, nullptr, nullptr, surface.dc(), &rect, 0, 0, Named(u"KEY8"), kPictureOverScreen, 0);
  EXPECT_NE(UiGetCompositionDC(ctx), nullptr);
  EXPECT_EQ(surface.CountOther(kGreen), 0);
  UiEndComposition(ctx, nullptr, &rect);
  EXPECT_EQ(UiGetCompositionDC(ctx), nullptr);
  EXPECT_EQ(surface.At(20, 19), kRed);                 // the arrow
  EXPECT_EQ(surface.At(18, 20), RGB(255, 255, 255));  // the sheet
  EXPECT_EQ(surface.At(14, 14), kGreen);               // the picture's transparent corner
  EXPECT_EQ(surface.At(2, 2), kBlue);                  // the second picture
  EXPECT_EQ(surface.At(0, 0), kGreen);
  Composition().paintDc = nullptr;
}

TEST_F(Pictures, ASamplePictureIsRecolouredAndStretchedOverTheControl) {
  const int32_t lowContrast[6] = {50, 0, 50, 50, 50, 50};
  UiSetColourAdjust(ctx, lowContrast);
  const bool grey = OptGetValue(ctx, 236, nullptr) == 0;  // a monochrome printer shows grey samples
  const COLORREF red = grey ? RGB(90, 90, 90) : RGB(184, 50, 50);
  Surface surface(40, 40, kGreen);
  Composition().paintDc = surface.dc();
  UiBeginComposition(ctx);
  RECT rect{0, 0, 16, 16};
  UiDrawBitmap(ctx, nullptr, nullptr, surface.dc(), &rect, 0, 0, Named(u"KEY8"), kPictureSample, 0);
  UiEndComposition(ctx, nullptr, &rect);
  EXPECT_EQ(surface.At(7, 7), red);  // picture pixel (3, 3), twice the size
  EXPECT_EQ(surface.At(16, 16), kGreen);
  Composition().paintDc = nullptr;
}

TEST_F(Pictures, ALayeredDrawShowsTheScreenThroughTheKeyAndRunsOnce) {
  Surface surface(40, 40, kGreen);
  Composition().paintDc = surface.dc();
  UiBeginComposition(ctx);
  Composition().layeredOnce = 1;
  RECT picture{0, 0, 13, 13};
  UiDrawPicture(ctx, nullptr, nullptr, nullptr, &picture, 6193, kPictureOverScreen, 0);
  EXPECT_EQ(Composition().layeredOnce, 0);
  RECT control{0, 0, 26, 26};
  UiEndComposition(ctx, nullptr, &control);
  EXPECT_EQ(surface.At(0, 0), kGreen);
  EXPECT_EQ(surface.At(13, 11), kRed);  // picture pixel (6, 5), twice the size
  EXPECT_EQ(surface.At(30, 30), kGreen);
  Composition().paintDc = nullptr;
}

TEST_F(Pictures, EndingWithoutBeginningDrawsNothing) {
  Surface surface(10, 10, kGreen);
  Composition().paintDc = surface.dc();
  RECT rect{0, 0, 10, 10};
  UiEndComposition(ctx, nullptr, &rect);
  EXPECT_EQ(surface.CountOther(kGreen), 0);
  Composition().paintDc = nullptr;
}

// ---- The themed tab pane ---------------------------------------------------------------------

class ThemedPage : public Pictures {
 protected:
  void SetUp() override {
    Pictures::SetUp();
    page_ = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr,
                            nullptr);
    ASSERT_NE(page_, nullptr);
    dialog_.window = page_;
    dialog_.kindFlags = kDialogDocumentPage;
  }
  void TearDown() override {
    if (page_) DestroyWindow(page_);
    Pictures::TearDown();
  }
  HWND page_ = nullptr;
  DialogDescriptor dialog_{};
};

TEST_F(ThemedPage, PicturesSitOnTheTabPane) {
  Surface surface(40, 40, kGreen);
  Draw(surface, u"KEY8", 0, &dialog_);
  EXPECT_EQ(surface.At(10, 10), kPane);
  EXPECT_EQ(surface.At(12, 12), kBlue);
}

TEST_F(ThemedPage, OtherwiseThePageColour) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  struct Case {
    const char* what;
    DWORD state;
    uint32_t modal;
    COLORREF page;  // 0: not set
    COLORREF expected;
  } cases[] = {
      {"a state", 1, 0, 0, face},
      {"a modal dialog", 0, 1, 0, face},
      {"a changed page colour", 0, 0, RGB(1, 2, 3), RGB(1, 2, 3)},
  };
  for (const Case& c : cases) {
    if (c.page) UiSetPageColour(ctx, c.page);
    dialog_.modalState = c.modal;
    Surface surface(40, 40, kGreen);
    Draw(surface, u"KEY8", 0, &dialog_, c.state);
    EXPECT_EQ(surface.At(10, 10), c.expected) << c.what;
  }
}

class UnthemedPage : public ThemedPage {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.majorVersion = 5;
    facts.minorVersion = 0;
    facts.buildNumber = 2195;
    return facts;
  }
};

TEST_F(UnthemedPage, WindowsWithoutVisualStylesShowThePageColour) {
  Surface surface(40, 40, kGreen);
  Draw(surface, u"KEY8", 0, &dialog_);
  EXPECT_EQ(surface.At(10, 10), GetSysColor(COLOR_BTNFACE));
}

// ---- Panel buttons -------------------------------------------------------------------------

class PanelButtons : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    button_ = CreateWindowExW(0, u"BUTTON", u"", WS_POPUP | WS_VISIBLE, 0, 0, 80, 24, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(button_, nullptr);
  }
  void TearDown() override {
    if (button_) DestroyWindow(button_);
    PictureTest::TearDown();
  }
  int DrawWithText(uint16_t textId, Surface& surface, HWND window, DWORD style = kPanelEdge) {
    ctx->workArea->sheet.buttonTextId = textId;
    RECT rect{0, 0, 80, 24};
    const int width = UiDrawPanelButton(ctx, nullptr, nullptr, window, surface.dc(), &rect, style, 0, 0);
    ctx->workArea->sheet.buttonTextId = 0;
    return width;
  }
  HWND button_ = nullptr;
};

TEST_F(PanelButtons, TheEdgeFollowsThePressedState) {
  for (int pressed : {0, 1}) {
    Surface surface(80, 24, RGB(1, 1, 1));
    RECT rect{0, 0, 80, 24};
    UiDrawPanelButton(ctx, nullptr, nullptr, nullptr, surface.dc(), &rect, kPanelEdge, pressed, 0);
    EXPECT_EQ(surface.At(0, 0), GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT)) << pressed;
    EXPECT_EQ(surface.At(79, 23), GetSysColor(pressed ? COLOR_BTNFACE : COLOR_3DDKSHADOW)) << pressed;
    EXPECT_EQ(surface.At(1, 1), GetSysColor(pressed ? COLOR_3DDKSHADOW : COLOR_BTNFACE)) << pressed;
    EXPECT_EQ(surface.At(40, 12), GetSysColor(COLOR_BTNFACE)) << pressed;
  }
}

TEST_F(PanelButtons, LabelsByTheButtonTextId) {
  Surface surface(80, 24, RGB(1, 1, 1));
  EXPECT_GT(DrawWithText(13187, surface, button_), 0);   // "Change..."
  EXPECT_EQ(DrawWithText(0xFFFF, surface, button_), 0);   // no text
  EXPECT_GT(DrawWithText(0, surface, button_), 0);        // no text id: "..."
  EXPECT_EQ(DrawWithText(13187, surface, nullptr), 0);    // no window, no label
  Surface arrow(80, 24, RGB(1, 1, 1));
  DrawWithText(13189, arrow, button_);  // "<" becomes a triangle
  EXPECT_EQ(arrow.At(40, 12), GetSysColor(COLOR_MENUTEXT));
}

TEST_F(PanelButtons, ArrowPicturesInTheQuarters) {
  Surface surface(80, 24, RGB(1, 1, 1));
  RECT rect{0, 0, 80, 24};
  UiDrawPanelButton(ctx, nullptr, nullptr, nullptr, surface.dc(), &rect, kPanelArrows | 0x10, 0, 0);
  // The up arrow (7 x 4, widest row last) centred in the left quarters: x 16-22; top-aligned above,
  // bottom-aligned below. The right half has no arrow.
  EXPECT_EQ(surface.At(16, 3), RGB(0, 0, 0));
  EXPECT_EQ(surface.At(16, 2), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(surface.At(16, 23), RGB(0, 0, 0));
  EXPECT_EQ(surface.At(56, 3), GetSysColor(COLOR_BTNFACE));
}

TEST(FillFrame, OneColourInsideAndOnTheEdge) {
  Surface surface(10, 10, RGB(1, 1, 1));
  RECT rect{2, 2, 8, 8};
  UiFillFrame(surface.dc(), &rect, RGB(9, 8, 7));
  EXPECT_EQ(surface.At(2, 2), RGB(9, 8, 7));
  EXPECT_EQ(surface.At(5, 5), RGB(9, 8, 7));
  EXPECT_EQ(surface.At(7, 7), RGB(9, 8, 7));
  EXPECT_EQ(surface.At(8, 8), RGB(1, 1, 1));
}

}  // namespace
