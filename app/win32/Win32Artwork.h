// The window's pictures, the link labels' hand pointer and the window icon, made from the same
// artwork files (resources/art/) that the Qt window shows, compiled into the program file as
// RCDATA resources named after the files.
#pragma once

#include "shell/win32/WindowsHeaders.h"

#include <string_view>

#include "base/Result.h"

namespace plenwick::win32app {

// A 32-bit top-down DIB section with premultiplied alpha, ready for AlphaBlend. Owns its bitmap.
class PictureBitmap {
 public:
  PictureBitmap() = default;
  PictureBitmap(HBITMAP bitmap, int width, int height)
      : bitmap_(bitmap), width_(width), height_(height) {}
  PictureBitmap(PictureBitmap&& other) noexcept { *this = std::move(other); }
  PictureBitmap& operator=(PictureBitmap&& other) noexcept;
  ~PictureBitmap();

  HBITMAP get() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  HBITMAP bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// The picture resources/art/<name>, decoded with the Windows Imaging Component (COM must be
// initialised on this thread).
Result<PictureBitmap> LoadPicture(HINSTANCE instance, std::string_view name);

// The link labels' 32 x 32 pointing hand with its hot spot at the tip of the index finger; the
// system's hand when the picture cannot be had. The caller destroys it with DestroyCursor.
HCURSOR CreateHandCursor(HINSTANCE instance);

// The program icon (resource 1) at the system's size for `metric` (SM_CXICON or SM_CXSMICON).
HICON LoadProgramIcon(HINSTANCE instance, int metric);

}  // namespace plenwick::win32app
