#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace brevlo::artgen {

Color Hex(std::uint32_t rgb, double alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

Color Mix(const Color& a, const Color& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

namespace {

double Length(double x, double y) {
  return std::sqrt(x * x + y * y);
}

double SegmentDistance(Point p, Point a, Point b) {
  const double ex = b.x - a.x, ey = b.y - a.y;
  const double wx = p.x - a.x, wy = p.y - a.y;
  const double len2 = ex * ex + ey * ey;
  const double t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0, 1.0) : 0.0;
  return Length(wx - ex * t, wy - ey * t);
}

Color Sample(const Stops& stops, double t) {
  if (t <= stops.front().first) return stops.front().second;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].first) {
      const double span = stops[i].first - stops[i - 1].first;
      return Mix(stops[i - 1].second, stops[i].second,
                 span > 0 ? (t - stops[i - 1].first) / span : 1.0);
    }
  }
  return stops.back().second;
}

}  // namespace

namespace shape {

Shape Circle(double cx, double cy, double r) {
  return [=](double x, double y) { return Length(x - cx, y - cy) - r; };
}

Shape Box(double x0, double y0, double x1, double y1, double radius) {
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const double hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  return [=](double x, double y) {
    const double dx = std::abs(x - cx) - hx, dy = std::abs(y - cy) - hy;
    return Length(std::max(dx, 0.0), std::max(dy, 0.0)) + std::min(std::max(dx, dy), 0.0) - radius;
  };
}

Shape Capsule(Point a, Point b, double r) {
  return [=](double x, double y) { return SegmentDistance({x, y}, a, b) - r; };
}

Shape Polygon(std::vector<Point> points, double radius) {
  return [pts = std::move(points), radius](double x, double y) {
    double d = 1e30;
    bool inside = false;
    for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      d = std::min(d, SegmentDistance({x, y}, pts[i], pts[j]));
      if ((pts[i].y > y) != (pts[j].y > y) &&
          x < (pts[j].x - pts[i].x) * (y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x) {
        inside = !inside;
      }
    }
    return (inside ? -d : d) - radius;
  };
}

Shape Outline(Shape s, double width) {
  return [=](double x, double y) { return std::abs(s(x, y)) - width / 2; };
}

Shape Union(Shape a, Shape b) {
  return [=](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Shape Intersect(Shape a, Shape b) {
  return [=](double x, double y) { return std::max(a(x, y), b(x, y)); };
}

Shape Subtract(Shape a, Shape b) {
  return [=](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

}  // namespace shape

namespace paint {

Paint Solid(Color c) {
  return [=](double, double) { return c; };
}

Paint Linear(Point from, Point to, Stops stops) {
  const double dx = to.x - from.x, dy = to.y - from.y, len2 = dx * dx + dy * dy;
  return [=, s = std::move(stops)](double x, double y) {
    return Sample(s, ((x - from.x) * dx + (y - from.y) * dy) / len2);
  };
}

Paint Radial(Point centre, double radius, Stops stops) {
  return [=, s = std::move(stops)](double x, double y) {
    return Sample(s, Length(x - centre.x, y - centre.y) / radius);
  };
}

}  // namespace paint

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height)) {}

void Canvas::Fill(const Shape& s, const Paint& p, double opacity, double soft) {
  Fill(s, p, {0, 0, width_, height_}, opacity, soft);
}

void Canvas::Fill(const Shape& s, const Paint& p, const Rect& clip, double opacity, double soft) {
  const int x0 = std::max(clip.x0, 0), y0 = std::max(clip.y0, 0);
  const int x1 = std::min(clip.x1, width_), y1 = std::min(clip.y1, height_);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const double cx = x + 0.5, cy = y + 0.5;
      const double coverage = std::clamp(0.5 - s(cx, cy) / soft, 0.0, 1.0) * opacity;
      if (coverage <= 0) continue;
      const Color c = p(cx, cy);
      const double a = coverage * std::clamp(c.a, 0.0, 1.0);
      Premultiplied& d = pixels_[static_cast<std::size_t>(y * width_ + x)];
      d.r = c.r * a + d.r * (1 - a);
      d.g = c.g * a + d.g * (1 - a);
      d.b = c.b * a + d.b * (1 - a);
      d.a = a + d.a * (1 - a);
    }
  }
}

void Canvas::FillAll(const Paint& p) {
  Fill([](double, double) { return -1.0; }, p);
}

Color Canvas::At(int x, int y) const {
  const Premultiplied& p = pixels_[static_cast<std::size_t>(y * width_ + x)];
  if (p.a <= 0) return {0, 0, 0, 0};
  return {p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

}  // namespace brevlo::artgen
