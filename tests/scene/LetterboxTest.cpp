// The 4:3 picture on desktops and windows of every shape: never stretched, centred, black bars.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "scene/Letterbox.h"

namespace vlm::scene {
namespace {

struct FitCase {
  const char* What;
  int OutW, OutH, PicW, PicH;
  int X, Y, W, H;
};

TEST(LetterboxTest, ThePictureFillsTheOutputsHeightOrWidthAndKeepsItsShape) {
  const FitCase cases[] = {
      {"16:9 desktop, 640x480 picture", 1920, 1080, 640, 480, 240, 0, 1440, 1080},
      {"16:9 desktop, 1024x768 picture", 1920, 1080, 1024, 768, 240, 0, 1440, 1080},
      {"16:9 laptop with an odd width", 1366, 768, 800, 600, 171, 0, 1024, 768},
      {"16:10 desktop", 1920, 1200, 800, 600, 160, 0, 1600, 1200},
      {"16:10 small desktop", 1280, 800, 1024, 768, 106, 0, 1067, 800},
      {"4:3 desktop: no bars", 1024, 768, 640, 480, 0, 0, 1024, 768},
      {"4:3 window of the picture's own size", 640, 480, 640, 480, 0, 0, 640, 480},
      {"4:3 at twice the pixels (HiDPI)", 2048, 1536, 1024, 768, 0, 0, 2048, 1536},
      {"5:4 desktop: bars above and below", 1280, 1024, 1024, 768, 0, 32, 1280, 960},
      {"portrait desktop", 1080, 1920, 1024, 768, 0, 555, 1080, 810},
      {"portrait tablet", 768, 1024, 640, 480, 0, 224, 768, 576},
      {"ultra-wide 21:9", 3440, 1440, 800, 600, 760, 0, 1920, 1440},
      {"one pixel high", 400, 1, 640, 480, 199, 0, 1, 1},
  };
  for (const FitCase& c : cases) {
    const TLetterbox b = FitPicture(c.OutW, c.OutH, c.PicW, c.PicH);
    EXPECT_EQ(b.X, c.X) << c.What;
    EXPECT_EQ(b.Y, c.Y) << c.What;
    EXPECT_EQ(b.Width, c.W) << c.What;
    EXPECT_EQ(b.Height, c.H) << c.What;
    // Never stretched: the shape differs from 4:3 by less than one pixel's rounding.
    if (b.Width > 1 && b.Height > 1) {
      const double shape = double(b.Width) / b.Height, wanted = double(c.PicW) / c.PicH;
      EXPECT_LT(std::abs(shape - wanted), 1.0 / b.Height + 1e-9) << c.What;
    }
    // Centred: the bars on both sides differ by at most a pixel.
    EXPECT_LE(std::abs((c.OutW - b.X - b.Width) - b.X), 1) << c.What;
    EXPECT_LE(std::abs((c.OutH - b.Y - b.Height) - b.Y), 1) << c.What;
  }
}

TEST(LetterboxTest, NothingToFitGivesAnEmptyRectangle) {
  for (const auto& [ow, oh, pw, ph] : {std::array<int, 4>{0, 768, 1024, 768}, {1920, 0, 1024, 768},
                                      {1920, 1080, 0, 768}, {1920, 1080, 1024, -1}}) {
    const TLetterbox b = FitPicture(ow, oh, pw, ph);
    EXPECT_EQ(b.Width, 0);
    EXPECT_EQ(b.Height, 0);
  }
}

struct MapCase {
  const char* What;
  int OutX, OutY;
  int X, Y;
};

TEST(LetterboxTest, PointerPositionsMapThroughTheSameRectangle) {
  // 640x480 full screen on 1920x1080: the picture spans x 240..1679, 2.25 output pixels a pixel.
  const TLetterbox b = FitPicture(1920, 1080, 640, 480);
  const MapCase cases[] = {
      {"top-left of the picture", 240, 0, 0, 0},
      {"centre", 960, 540, 320, 240},
      {"bottom-right pixel", 1679, 1079, 639, 479},
      {"left bar stands at the left edge", 10, 500, 0, 222},
      {"just left of the picture", 239, 500, 0, 222},
      {"right bar stands at the right edge", 1900, 10, 639, 4},
      {"far outside the window", -5000, 99999, 0, 479},
  };
  for (const MapCase& c : cases) {
    int x = -1, y = -1;
    OutputToPicture(b, 640, 480, c.OutX, c.OutY, x, y);
    EXPECT_EQ(x, c.X) << c.What;
    EXPECT_EQ(y, c.Y) << c.What;
  }
  // And back: every picture pixel lands inside the rectangle and maps to itself again.
  for (int px : {0, 1, 319, 638, 639}) {
    for (int py : {0, 240, 479}) {
      int ox = 0, oy = 0, x = -1, y = -1;
      PictureToOutput(b, 640, 480, px, py, ox, oy);
      EXPECT_GE(ox, b.X);
      EXPECT_LT(ox, b.X + b.Width);
      OutputToPicture(b, 640, 480, ox, oy, x, y);
      EXPECT_EQ(x, px);
      EXPECT_EQ(y, py);
    }
  }
}

}  // namespace
}  // namespace vlm::scene
