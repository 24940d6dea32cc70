#include "ui/win32/Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace dw::win32 {

namespace {

struct TPoint2 {
  double x, y;
};

struct TRgba {
  double r = 0, g = 0, b = 0, a = 0;
};

// Paints a point of the unit square (0..1 on both axes, y down).
using TPainter = std::function<TRgba(double x, double y)>;

constexpr int kSamples = 4;  // per axis, so edges are smoothed at every size

TRgba Over(TRgba top, TRgba bottom) {
  double a = top.a + bottom.a * (1 - top.a);
  if (a <= 0) return {};
  auto mix = [&](double t, double b) { return (t * top.a + b * bottom.a * (1 - top.a)) / a; };
  return {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), a};
}

TRgba Colour(uint32_t rgb, double alpha = 1) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

bool InsidePolygon(const std::vector<TPoint2>& polygon, double x, double y) {
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const TPoint2& a = polygon[i];
    const TPoint2& b = polygon[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

double DistanceToSegment(double x, double y, TPoint2 a, TPoint2 b) {
  double dx = b.x - a.x, dy = b.y - a.y;
  double t = ((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy);
  t = std::clamp(t, 0.0, 1.0);
  double px = a.x + t * dx - x, py = a.y + t * dy - y;
  return std::sqrt(px * px + py * py);
}

bool OnStroke(const std::vector<TPoint2>& line, double width, double x, double y) {
  for (size_t i = 1; i < line.size(); ++i)
    if (DistanceToSegment(x, y, line[i - 1], line[i]) <= width / 2) return true;
  return false;
}

// The outline of the shield: a flat-arched top, straight sides, a pointed base.
std::vector<TPoint2> Shield(double inset) {
  std::vector<TPoint2> right = {{0.50, 0.03}, {0.70, 0.09}, {0.91, 0.13}, {0.91, 0.48},
                                {0.87, 0.64}, {0.78, 0.78}, {0.65, 0.89}, {0.50, 0.97}};
  std::vector<TPoint2> shield;
  for (const TPoint2& p : right) shield.push_back({0.5 + (p.x - 0.5) * (1 - inset), 0.5 + (p.y - 0.5) * (1 - inset)});
  for (size_t i = right.size() - 1; i-- > 1;) shield.push_back({1.0 - shield[i].x, shield[i].y});
  return shield;
}

// A shield in `top` to `bottom` gradient with a darker rim, and a sign on it.
TPainter ShieldPainter(uint32_t top, uint32_t bottom, uint32_t rim, int size, TPainter sign) {
  auto outer = std::make_shared<std::vector<TPoint2>>(Shield(0));
  // The rim stays about one pixel wide at every size.
  auto inner = std::make_shared<std::vector<TPoint2>>(Shield(std::min(0.2, 2.4 / size)));
  return [=](double x, double y) {
    if (!InsidePolygon(*outer, x, y)) return TRgba{};
    TRgba base = Colour(rim);
    if (InsidePolygon(*inner, x, y)) {
      TRgba a = Colour(top), b = Colour(bottom);
      base = {a.r + (b.r - a.r) * y, a.g + (b.g - a.g) * y, a.b + (b.b - a.b) * y, 1};
    }
    return Over(sign(x, y), base);
  };
}

// The pixels of a painter at size x size, non-premultiplied BGRA, top row first.
std::vector<uint32_t> Render(const TPainter& paint, int size) {
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          TRgba c = paint((px + (sx + 0.5) / kSamples) / size, (py + (sy + 0.5) / kSamples) / size);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      uint32_t pixel = 0;
      if (a > 0) {
        auto channel = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
        pixel = (channel(a / (kSamples * kSamples)) << 24) | (channel(r / a) << 16) | (channel(g / a) << 8) |
                channel(b / a);
      }
      pixels[static_cast<size_t>(py * size + px)] = pixel;
    }
  }
  return pixels;
}

TIconHandle MakeIcon(const std::vector<uint32_t>& pixels, int size) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof(header);
  header.bV5Width = size;
  header.bV5Height = -size;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  TWindowDC screen(nullptr);
  TBitmapHandle colour(
      CreateDIBSection(screen.DC(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!colour || !bits) return {};
  std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));

  // The mask matters only where alpha is not understood: transparent where alpha is 0.
  const int stride = ((size + 15) / 16) * 2;
  std::vector<uint8_t> maskBits(static_cast<size_t>(stride) * static_cast<size_t>(size), 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if ((pixels[static_cast<size_t>(y * size + x)] >> 24) == 0)
        maskBits[static_cast<size_t>(y * stride + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
  TBitmapHandle mask(CreateBitmap(size, size, 1, 1, maskBits.data()));

  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour.Get();
  info.hbmMask = mask.Get();
  return TIconHandle(CreateIconIndirect(&info));
}

TRgba Paint(bool on, uint32_t rgb) { return on ? Colour(rgb) : TRgba{}; }

}  // namespace

TIconHandle DrawStateIcon(int image, int size) {
  if (size <= 0) return {};
  TPainter painter;
  switch (image) {
    case 1: {
      const std::vector<TPoint2> a = {{0.33, 0.31}, {0.67, 0.65}};
      const std::vector<TPoint2> b = {{0.67, 0.31}, {0.33, 0.65}};
      painter = ShieldPainter(0xB4B4B4, 0x8A8A8A, 0x5E5E5E, size, [=](double x, double y) {
        if (OnStroke(a, 0.15, x, y) || OnStroke(b, 0.15, x, y)) return Colour(0xD81E1E);
        if (OnStroke(a, 0.25, x, y) || OnStroke(b, 0.25, x, y)) return Colour(0xFFFFFF);
        return TRgba{};
      });
      break;
    }
    case 2: {
      const std::vector<TPoint2> bar = {{0.50, 0.22}, {0.50, 0.56}};
      painter = ShieldPainter(0xF04A3A, 0xB81414, 0x7A0C0C, size, [=](double x, double y) {
        double dx = x - 0.5, dy = y - 0.74;
        return Paint(OnStroke(bar, 0.15, x, y) || dx * dx + dy * dy <= 0.085 * 0.085, 0xFFFFFF);
      });
      break;
    }
    default: {
      const std::vector<TPoint2> tick = {{0.28, 0.50}, {0.44, 0.66}, {0.73, 0.33}};
      painter = ShieldPainter(0x4CC26A, 0x1E8236, 0x11542A, size,
                              [=](double x, double y) { return Paint(OnStroke(tick, 0.14, x, y), 0xFFFFFF); });
      break;
    }
  }
  return MakeIcon(Render(painter, size), size);
}

TIconHandle DrawScanGlyph(int size) {
  if (size <= 0) return {};
  const std::vector<TPoint2> handle = {{0.62, 0.62}, {0.88, 0.88}};
  TPainter painter = [=](double x, double y) {
    if (OnStroke(handle, 0.17, x, y)) return Colour(0x5A4632);
    double dx = x - 0.41, dy = y - 0.41;
    double distance = std::sqrt(dx * dx + dy * dy);
    if (distance <= 0.31 && distance >= 0.21) return Colour(0x1F4E8C);
    if (distance < 0.21) return Colour(0xCFE6FF, 0.85);
    return TRgba{};
  };
  return MakeIcon(Render(painter, size), size);
}

TIconHandle DrawPicture(std::wstring_view picture, int index, int size) {
  if (picture == kStateIconsPicture) return DrawStateIcon(index, size);
  if (picture == kScanGlyphPicture) return DrawScanGlyph(size);
  return {};
}

}  // namespace dw::win32
