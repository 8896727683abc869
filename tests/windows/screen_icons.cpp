#include "tests/windows/screen_icons.h"

#include "tests/windows/window_queries.h"

namespace setup_test {
namespace {

// A 32-bit top-down DIB section, selected into its own memory DC.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                               nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  bool ok() const { return bits_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Valid once GdiFlush() has run after the last drawing.
  DWORD Pixel(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* bits_ = nullptr;
};

bool CloseColours(DWORD p, DWORD q) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF);
    if (d > 8 || d < -8) return false;
  }
  return true;
}

// An icon drawn here twice, on black and on white. Where both agree the icon is opaque, and
// only those pixels say anything about what the screen shows, whatever the background there.
class IconPicture {
 public:
  IconPicture(HICON icon, int width, int height)
      : onBlack_(width, height), onWhite_(width, height) {
    Draw(icon, onBlack_, BLACK_BRUSH);
    Draw(icon, onWhite_, WHITE_BRUSH);
  }
  int width() const { return onBlack_.width(); }
  int height() const { return onBlack_.height(); }

  // True when the opaque pixels, a quarter of the picture at least, all show in canvas with
  // the picture's top left corner at (left, top).
  bool ShowsIn(const Canvas& canvas, int left, int top) const {
    int opaque = 0;
    for (int y = 0; y < height(); ++y) {
      for (int x = 0; x < width(); ++x) {
        const DWORD pixel = onBlack_.Pixel(x, y);
        if (pixel != onWhite_.Pixel(x, y)) continue;
        if (!CloseColours(pixel, canvas.Pixel(left + x, top + y))) return false;
        ++opaque;
      }
    }
    return opaque * 4 >= width() * height();
  }

 private:
  static void Draw(HICON icon, const Canvas& canvas, int brush) {
    RECT all = {0, 0, canvas.width(), canvas.height()};
    FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(brush)));
    DrawIconEx(canvas.dc(), 0, 0, icon, canvas.width(), canvas.height(), 0, nullptr, DI_NORMAL);
    GdiFlush();
  }

  Canvas onBlack_, onWhite_;
};

// Copies the screen's pixels of rect (screen coordinates) into canvas.
bool CaptureScreen(const RECT& rect, const Canvas& canvas) {
  HDC screen = GetDC(nullptr);
  const BOOL copied = BitBlt(canvas.dc(), 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                             screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  return copied != FALSE;
}

StandardIcon MatchStandardIcon(const RECT& rect) {
  static const struct {
    StandardIcon icon;
    LPCSTR id;
  } kCandidates[] = {{StandardIcon::kError, IDI_HAND},
                     {StandardIcon::kWarning, IDI_EXCLAMATION},
                     {StandardIcon::kInformation, IDI_ASTERISK},
                     {StandardIcon::kQuestion, IDI_QUESTION}};
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  Canvas shown(width, height);
  if (!shown.ok() || !CaptureScreen(rect, shown)) return StandardIcon::kUnknown;
  for (const auto& candidate : kCandidates) {
    const IconPicture picture(LoadIconA(nullptr, candidate.id), width, height);
    if (picture.ShowsIn(shown, 0, 0)) return candidate.icon;
  }
  return StandardIcon::kUnknown;
}

bool FindOnScreen(const IconPicture& picture, const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width < picture.width() || height < picture.height()) return false;
  Canvas shown(width, height);
  if (!shown.ok() || !CaptureScreen(area, shown)) return false;
  for (int top = 0; top + picture.height() <= height; ++top) {
    for (int left = 0; left + picture.width() <= width; ++left) {
      if (picture.ShowsIn(shown, left, top)) return true;
    }
  }
  return false;
}

}  // namespace

const char* IconName(StandardIcon icon) {
  switch (icon) {
    case StandardIcon::kNone: return "no icon";
    case StandardIcon::kError: return "the error icon";
    case StandardIcon::kWarning: return "the warning icon";
    case StandardIcon::kInformation: return "the information icon";
    case StandardIcon::kQuestion: return "the question icon";
    case StandardIcon::kUnknown: return "an icon that is none of the standard ones";
  }
  return "?";
}

StandardIcon IdentifyStandardIcon(HWND iconStatic, DWORD timeoutMs) {
  RECT rect = {};
  if (!GetWindowRect(iconStatic, &rect) || rect.right <= rect.left) return StandardIcon::kUnknown;
  // A box that has just appeared may not be painted yet.
  StandardIcon found = StandardIcon::kUnknown;
  WaitUntil([&] { return (found = MatchStandardIcon(rect)) != StandardIcon::kUnknown; },
            timeoutMs);
  return found;
}

bool CaptionShowsIcon(HWND window, HICON icon, DWORD timeoutMs) {
  RECT frame = {};
  POINT clientTop = {0, 0};
  if (!GetWindowRect(window, &frame) || !ClientToScreen(window, &clientTop)) return false;
  const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
  // The caption's left end: from the frame's top edge down to the client area, a few icons wide.
  const RECT area = {frame.left, frame.top, frame.left + 4 * width, clientTop.y};
  const IconPicture picture(icon, width, height);
  return WaitUntil([&] { return FindOnScreen(picture, area); }, timeoutMs);
}

}  // namespace setup_test
