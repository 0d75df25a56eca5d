#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace brevlo::artgen {

// Straight (not premultiplied) colour, components 0..1.
struct Color {
  double r = 0, g = 0, b = 0, a = 1;
};

Color Hex(std::uint32_t rgb, double alpha = 1);
Color Mix(const Color& a, const Color& b, double t);

struct Point {
  double x = 0, y = 0;
};

// Shapes are signed distance functions (negative inside), which gives antialiasing, rounding,
// outlines and soft shadows from one primitive.
using Shape = std::function<double(double x, double y)>;
using Paint = std::function<Color(double x, double y)>;
using Stops = std::vector<std::pair<double, Color>>;

namespace shape {
Shape Circle(double cx, double cy, double r);
Shape Box(double x0, double y0, double x1, double y1, double radius = 0);
Shape Capsule(Point a, Point b, double r);
Shape Polygon(std::vector<Point> points, double radius = 0);
Shape Outline(Shape s, double width);
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
}  // namespace shape

namespace paint {
Paint Solid(Color c);
Paint Linear(Point from, Point to, Stops stops);
Paint Radial(Point centre, double radius, Stops stops);
}  // namespace paint

struct Rect {
  int x0, y0, x1, y1;
};

class Canvas {
 public:
  Canvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }

  // `soft` is the width of the edge ramp in pixels: 1 antialiases, more blurs (glows, shadows).
  void Fill(const Shape& s, const Paint& p, double opacity = 1, double soft = 1);
  void Fill(const Shape& s, const Paint& p, const Rect& clip, double opacity = 1, double soft = 1);
  void FillAll(const Paint& p);

  // Straight colour of a pixel.
  Color At(int x, int y) const;

 private:
  struct Premultiplied {
    double r = 0, g = 0, b = 0, a = 0;
  };
  int width_, height_;
  std::vector<Premultiplied> pixels_;
};

}  // namespace brevlo::artgen
