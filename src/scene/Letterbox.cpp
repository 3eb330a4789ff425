#include "scene/Letterbox.h"

#include <algorithm>
#include <cstdint>

namespace vlm::scene {

TLetterbox FitPicture(int outWidth, int outHeight, int pictureWidth, int pictureHeight) {
  TLetterbox box;
  if (outWidth <= 0 || outHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return box;
  // Compare the shapes in 64 bits: out.w / out.h against pic.w / pic.h without rounding.
  const int64_t wide = int64_t(outWidth) * pictureHeight, tall = int64_t(outHeight) * pictureWidth;
  if (wide >= tall) {  // the output is wider than the picture: bars left and right
    box.Height = outHeight;
    box.Width = int((int64_t(outHeight) * pictureWidth * 2 + pictureHeight) / (int64_t(pictureHeight) * 2));
  } else {  // taller: bars above and below
    box.Width = outWidth;
    box.Height = int((int64_t(outWidth) * pictureHeight * 2 + pictureWidth) / (int64_t(pictureWidth) * 2));
  }
  box.Width = std::clamp(box.Width, 1, outWidth);
  box.Height = std::clamp(box.Height, 1, outHeight);
  box.X = (outWidth - box.Width) / 2;
  box.Y = (outHeight - box.Height) / 2;
  return box;
}

void OutputToPicture(const TLetterbox& box, int pictureWidth, int pictureHeight, int outX, int outY, int& x, int& y) {
  if (box.Width <= 0 || box.Height <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
    x = y = 0;
    return;
  }
  // Floor division keeps positions left of or above the picture negative until they are clamped.
  auto map = [](int v, int origin, int span, int size) {
    const int64_t d = int64_t(v) - origin;
    int64_t p = d * size;
    p = p >= 0 ? p / span : -((-p + span - 1) / span);
    return int(std::clamp<int64_t>(p, 0, size - 1));
  };
  x = map(outX, box.X, box.Width, pictureWidth);
  y = map(outY, box.Y, box.Height, pictureHeight);
}

void PictureToOutput(const TLetterbox& box, int pictureWidth, int pictureHeight, int x, int y, int& outX, int& outY) {
  if (pictureWidth <= 0 || pictureHeight <= 0) {
    outX = box.X;
    outY = box.Y;
    return;
  }
  outX = box.X + int((int64_t(x) * 2 + 1) * box.Width / (int64_t(pictureWidth) * 2));
  outY = box.Y + int((int64_t(y) * 2 + 1) * box.Height / (int64_t(pictureHeight) * 2));
}

}  // namespace vlm::scene
