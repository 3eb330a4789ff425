#pragma once
// Where the game's 4:3 picture goes in a window or on a desktop of another shape: as large as
// fits without stretching, centred, the rest black (bars left and right on a wide desktop, above
// and below on a tall one). The renderer draws into this rectangle and the pointer is mapped back
// through it, so picking sees the picture's own pixels.
namespace vlm::scene {

struct TLetterbox {
  int X = 0, Y = 0;           // top-left corner in the output, pixels (y down)
  int Width = 0, Height = 0;  // the picture's size in the output, pixels
};

// The largest rectangle of the picture's shape inside an output of outWidth x outHeight, centred.
// Sizes are rounded to whole pixels; an empty output or picture gives an empty rectangle.
TLetterbox FitPicture(int outWidth, int outHeight, int pictureWidth, int pictureHeight);

// An output position (pixels or window points, the same unit as the rectangle) to the picture's
// pixels, kept inside the picture: a pointer over a bar stands at the picture's nearest edge.
void OutputToPicture(const TLetterbox& box, int pictureWidth, int pictureHeight, int outX, int outY, int& x, int& y);
// The picture's pixel to the output position of its centre (for putting the system pointer back).
void PictureToOutput(const TLetterbox& box, int pictureWidth, int pictureHeight, int x, int y, int& outX, int& outY);

}  // namespace vlm::scene
