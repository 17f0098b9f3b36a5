// Draws the client's default pictures and icon and the sample pictures of
// the Graphics folders at build time, so that no binary file is kept in the
// sources.
//
//   tidewatch-graphics <resource folder> <Graphics folder>
//
// The resource folder receives TopPicture.bmp, MainPicture.bmp and
// Tidewatch.ico (32 x 32 image first, then 16 x 16: the resource compiler
// numbers the images 1 and 2 in file order). The Graphics folder receives
// "Top Picture" and "Main Picture" with one .bmp per theme.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kTopWidth = 500;
constexpr int kTopHeight = 60;
constexpr int kMainWidth = 164;
constexpr int kMainHeight = 314;
constexpr double kPi = 3.14159265358979323846;

struct LittleEndian {
  std::string& out;
  void U16(uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
};

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::fmin(1.0, std::fmax(0.0, t));
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Theme {
  const char* name;
  Rgb skyTop, skyBottom, seaTop, seaBottom, crest;
  bool sun;
  Rgb sunColour;
};

constexpr Theme kThemes[] = {
    {"Tide", {0.16, 0.38, 0.66}, {0.62, 0.80, 0.94}, {0.10, 0.45, 0.62}, {0.02, 0.16, 0.33},
     {0.85, 0.95, 1.00}, false, {}},
    {"Dusk", {0.20, 0.12, 0.36}, {0.98, 0.58, 0.32}, {0.36, 0.20, 0.38}, {0.08, 0.05, 0.16},
     {1.00, 0.75, 0.50}, true, {1.00, 0.86, 0.45}},
    {"Slate", {0.80, 0.82, 0.85}, {0.93, 0.94, 0.95}, {0.55, 0.59, 0.64}, {0.30, 0.33, 0.38},
     {0.96, 0.97, 0.98}, false, {}},
};

// A sea under a sky: `horizon` is the fraction of the height the sky takes.
Rgb Seascape(const Theme& t, double x, double y, double aspect, double horizon) {
  if (y < horizon) {
    Rgb sky = Mix(t.skyTop, t.skyBottom, y / horizon);
    if (t.sun) {
      const double dx = (x - 0.72) * aspect;
      const double dy = y - horizon * 0.62;
      const double d = std::sqrt(dx * dx + dy * dy);
      const double radius = horizon * 0.2;
      sky = Mix(sky, t.sunColour, d < radius ? 1.0 : std::exp(-(d - radius) * 9.0) * 0.6);
    }
    return sky;
  }
  const double depth = (y - horizon) / (1.0 - horizon);
  Rgb sea = Mix(t.seaTop, t.seaBottom, depth);
  // Wave crests grow longer and further apart towards the viewer.
  const double rows = 7.0;
  const double band = depth * rows;
  const double inBand = band - std::floor(band);
  const double wave = std::sin((x * aspect * (10.0 - depth * 6.0) + std::floor(band) * 1.7) * kPi);
  const double crest = (wave > 0.55 && inBand < 0.18) ? (wave - 0.55) / 0.45 : 0.0;
  return Mix(sea, t.crest, crest * (0.35 + 0.4 * depth));
}

// 24 bits per pixel, rows bottom-up and padded to four bytes.
std::string BitmapFile(int width, int height, const Theme& theme, double horizon) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t pixelBytes = static_cast<uint32_t>(stride) * static_cast<uint32_t>(height);
  std::string out;
  LittleEndian le{out};
  out += "BM";
  le.U32(14 + 40 + pixelBytes);
  le.U32(0);
  le.U32(14 + 40);
  le.U32(40);
  le.U32(static_cast<uint32_t>(width));
  le.U32(static_cast<uint32_t>(height));
  le.U16(1);
  le.U16(24);
  le.U32(0);
  le.U32(pixelBytes);
  le.U32(2835);  // 72 dots per inch
  le.U32(2835);
  le.U32(0);
  le.U32(0);
  const double aspect = static_cast<double>(width) / height;
  for (int row = height - 1; row >= 0; --row) {
    std::string line;
    for (int col = 0; col < width; ++col) {
      const Rgb c = Seascape(theme, (col + 0.5) / width, (row + 0.5) / height, aspect, horizon);
      line += static_cast<char>(std::lround(c.b * 255));
      line += static_cast<char>(std::lround(c.g * 255));
      line += static_cast<char>(std::lround(c.r * 255));
    }
    line.resize(static_cast<size_t>(stride), '\0');
    out += line;
  }
  return out;
}

// A water drop with a wave across it; 1 inside, 0 outside, anti-aliased by
// sampling each pixel four by four.
double DropCoverage(int px, int py, int size, double& waveShare) {
  int inside = 0;
  int onWave = 0;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) {
      const double x = (px + (sx + 0.5) / 4) / size;
      const double y = (py + (sy + 0.5) / 4) / size;
      const double cx = 0.5, cy = 0.63, r = 0.33, apex = 0.06;
      const double d = std::hypot(x - cx, y - cy);
      const bool inCircle = d < r;
      const bool inTip = y >= apex && y <= cy && std::fabs(x - cx) <= (y - apex) / (cy - apex) * r * 0.92;
      if (inCircle || inTip) {
        ++inside;
        const double waveY = 0.66 + 0.05 * std::sin(x * 3.0 * kPi);
        if (std::fabs(y - waveY) < 0.05) ++onWave;
      }
    }
  }
  waveShare = inside ? static_cast<double>(onWave) / inside : 0.0;
  return inside / 16.0;
}

// One icon image: BITMAPINFOHEADER with the height doubled, 32-bit BGRA rows
// bottom-up, then the 1-bit mask (set where fully transparent).
std::string IconImage(int size) {
  std::string out;
  LittleEndian le{out};
  const int maskStride = ((size + 31) / 32) * 4;
  le.U32(40);
  le.U32(static_cast<uint32_t>(size));
  le.U32(static_cast<uint32_t>(size * 2));
  le.U16(1);
  le.U16(32);
  le.U32(0);
  le.U32(static_cast<uint32_t>(size * size * 4 + maskStride * size));
  le.U32(0);
  le.U32(0);
  le.U32(0);
  le.U32(0);
  std::vector<uint8_t> mask(static_cast<size_t>(maskStride * size), 0);
  const Rgb top{0.55, 0.82, 0.98}, bottom{0.05, 0.30, 0.62}, foam{0.97, 0.99, 1.0};
  for (int row = size - 1; row >= 0; --row) {
    for (int col = 0; col < size; ++col) {
      double waveShare = 0;
      const double alpha = DropCoverage(col, row, size, waveShare);
      const Rgb c = Mix(Mix(top, bottom, (row + 0.5) / size), foam, waveShare);
      out += static_cast<char>(std::lround(c.b * 255));
      out += static_cast<char>(std::lround(c.g * 255));
      out += static_cast<char>(std::lround(c.r * 255));
      out += static_cast<char>(std::lround(alpha * 255));
      if (alpha == 0.0) {
        const int maskRow = size - 1 - row;
        mask[static_cast<size_t>(maskRow * maskStride + col / 8)] |= static_cast<uint8_t>(0x80 >> (col % 8));
      }
    }
  }
  out.append(mask.begin(), mask.end());
  return out;
}

std::string IconFile() {
  const std::string images[] = {IconImage(32), IconImage(16)};
  std::string out;
  LittleEndian le{out};
  le.U16(0);
  le.U16(1);  // icon, not cursor
  le.U16(2);
  uint32_t offset = 6 + 16 * 2;
  const int sizes[] = {32, 16};
  for (int i = 0; i < 2; ++i) {
    out += static_cast<char>(sizes[i]);
    out += static_cast<char>(sizes[i]);
    out += '\0';  // no palette
    out += '\0';
    le.U16(1);
    le.U16(32);
    le.U32(static_cast<uint32_t>(images[i].size()));
    le.U32(offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) out += image;
  return out;
}

bool Write(const fs::path& file, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "tidewatch-graphics: cannot write %s\n", file.string().c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tidewatch-graphics <resource folder> <Graphics folder>\n");
    return 2;
  }
  const fs::path resources = argv[1];
  const fs::path graphics = argv[2];
  bool ok = true;
  for (const Theme& theme : kThemes) {
    const std::string top = BitmapFile(kTopWidth, kTopHeight, theme, 0.62);
    const std::string main = BitmapFile(kMainWidth, kMainHeight, theme, 0.45);
    ok &= Write(graphics / "Top Picture" / (std::string(theme.name) + ".bmp"), top);
    ok &= Write(graphics / "Main Picture" / (std::string(theme.name) + ".bmp"), main);
    if (&theme == &kThemes[0]) {
      ok &= Write(resources / "TopPicture.bmp", top);
      ok &= Write(resources / "MainPicture.bmp", main);
    }
  }
  ok &= Write(resources / "Tidewatch.ico", IconFile());
  return ok ? 0 : 1;
}
