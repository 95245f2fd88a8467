// Writes a desktop-screenshot-like picture as a binary PPM: a gradient
// wallpaper, a taskbar, overlapping windows with title bars, anti-aliased
// text-like glyph runs, a code editor, a photo-like area and a chart.
//   sorvak-bench-picture [--width W] [--height H] [--seed S] OUT.ppm
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

struct Color {
    int R, G, B;
};

class Canvas {
public:
    Canvas(int w, int h) : W(w), H(h), Pixels(static_cast<std::size_t>(w) * h * 3) {}
    void Put(int x, int y, Color c, int alpha = 255) {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return;
        std::uint8_t* p = &Pixels[(static_cast<std::size_t>(y) * W + x) * 3];
        p[0] = static_cast<std::uint8_t>((c.R * alpha + p[0] * (255 - alpha)) / 255);
        p[1] = static_cast<std::uint8_t>((c.G * alpha + p[1] * (255 - alpha)) / 255);
        p[2] = static_cast<std::uint8_t>((c.B * alpha + p[2] * (255 - alpha)) / 255);
    }
    void Fill(int x0, int y0, int w, int h, Color c) {
        for (int y = std::max(0, y0); y < std::min(H, y0 + h); ++y)
            for (int x = std::max(0, x0); x < std::min(W, x0 + w); ++x)
                Put(x, y, c);
    }
    int W, H;
    std::vector<std::uint8_t> Pixels;
};

constexpr int GlyphW = 8, GlyphH = 14;
using Glyph = std::array<std::uint8_t, GlyphW * GlyphH>; // coverage 0..255

// Glyphs of a few strokes each, drawn at 4x4 supersampling for grey edges.
std::vector<Glyph> MakeGlyphs(std::mt19937& rng) {
    std::vector<Glyph> glyphs(80);
    for (Glyph& g : glyphs) {
        std::array<int, GlyphW * 4 * GlyphH * 4> hi{};
        const int strokes = 2 + static_cast<int>(rng() % 3);
        for (int s = 0; s < strokes; ++s) {
            const int x0 = 4 + static_cast<int>(rng() % 20), y0 = 10 + static_cast<int>(rng() % 36);
            const int x1 = 4 + static_cast<int>(rng() % 20), y1 = 10 + static_cast<int>(rng() % 36);
            for (int t = 0; t <= 64; ++t) {
                const int cx = x0 + (x1 - x0) * t / 64, cy = y0 + (y1 - y0) * t / 64;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx) {
                        const int px = cx + dx, py = cy + dy;
                        if (px >= 0 && py >= 0 && px < GlyphW * 4 && py < GlyphH * 4)
                            hi[static_cast<std::size_t>(py) * GlyphW * 4 + px] = 1;
                    }
            }
        }
        for (int y = 0; y < GlyphH; ++y)
            for (int x = 0; x < GlyphW; ++x) {
                int sum = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx)
                        sum += hi[static_cast<std::size_t>(y * 4 + dy) * GlyphW * 4 + x * 4 + dx];
                g[static_cast<std::size_t>(y) * GlyphW + x] =
                    static_cast<std::uint8_t>(sum * 255 / 16);
            }
    }
    return glyphs;
}

void Text(Canvas& c, const std::vector<Glyph>& glyphs, std::mt19937& rng, int x, int y, int maxW,
          Color ink, int words) {
    int cx = x;
    for (int w = 0; w < words; ++w) {
        const int len = 2 + static_cast<int>(rng() % 8);
        if (cx + len * GlyphW > x + maxW)
            break;
        for (int i = 0; i < len; ++i, cx += GlyphW) {
            const Glyph& g = glyphs[rng() % glyphs.size()];
            for (int gy = 0; gy < GlyphH; ++gy)
                for (int gx = 0; gx < GlyphW; ++gx)
                    if (int a = g[static_cast<std::size_t>(gy) * GlyphW + gx])
                        c.Put(cx + gx, y + gy, ink, a);
        }
        cx += GlyphW;
    }
}

void Window(Canvas& c, const std::vector<Glyph>& glyphs, std::mt19937& rng, int x, int y, int w,
            int h, int kind) {
    c.Fill(x - 1, y - 1, w + 2, h + 2, {90, 90, 90});
    c.Fill(x, y, w, 34, {235, 235, 240});
    Text(c, glyphs, rng, x + 40, y + 10, w / 2, {30, 30, 30}, 4);
    c.Fill(x + 10, y + 9, 16, 16, {static_cast<int>(rng() % 256), 120, 200});
    for (int i = 0; i < 3; ++i)
        c.Fill(x + w - 40 - 46 * i, y + 12, 12, 10, {80, 80, 80});
    const int top = y + 34, body = h - 34;
    if (kind == 0) { // document
        c.Fill(x, top, w, body, {255, 255, 255});
        for (int ly = top + 16; ly + GlyphH < top + body - 10; ly += 22)
            Text(c, glyphs, rng, x + 24, ly, w - 48, {20, 20, 20},
                 4 + static_cast<int>(rng() % 14));
    } else if (kind == 1) { // code editor
        c.Fill(x, top, w, body, {30, 32, 38});
        c.Fill(x, top, 56, body, {40, 42, 50});
        const Color inks[] = {{200, 200, 200}, {86, 156, 214}, {206, 145, 120}, {106, 153, 85}};
        for (int ly = top + 8; ly + GlyphH < top + body - 6; ly += 20) {
            Text(c, glyphs, rng, x + 8, ly, 40, {120, 120, 130}, 1);
            const int indent = static_cast<int>(rng() % 5) * 4 * GlyphW;
            Text(c, glyphs, rng, x + 70 + indent, ly, w - 90 - indent, inks[rng() % 4],
                 1 + static_cast<int>(rng() % 9));
        }
    } else if (kind == 2) { // photo
        const double a = rng() % 100 / 100.0 + 0.5, b = rng() % 100 / 100.0 + 0.5;
        for (int py = top; py < top + body; ++py)
            for (int px = x; px < x + w; ++px) {
                const double u = (px - x) / 90.0, v = (py - top) / 70.0;
                const double s = std::sin(u * a + std::sin(v * b)) + std::cos(v * a - u * 0.3);
                const int noise = static_cast<int>(rng() % 9) - 4;
                c.Put(px, py,
                      {std::clamp(static_cast<int>(110 + 60 * s) + noise, 0, 255),
                       std::clamp(static_cast<int>(140 + 50 * std::sin(u + v)) + noise, 0, 255),
                       std::clamp(static_cast<int>(90 + 70 * std::cos(u * 0.7)) + noise, 0, 255)});
            }
    } else { // chart
        c.Fill(x, top, w, body, {248, 248, 250});
        for (int gy = top + 40; gy < top + body; gy += 40)
            c.Fill(x + 40, gy, w - 60, 1, {220, 220, 225});
        for (int series = 0; series < 3; ++series) {
            const Color ink[] = {{220, 60, 50}, {50, 120, 220}, {60, 170, 80}};
            double v = body / 2.0;
            for (int px = x + 40; px < x + w - 20; ++px) {
                v = std::clamp(v + (static_cast<int>(rng() % 7) - 3) * 0.8, 10.0, body - 10.0);
                for (int t = -1; t <= 1; ++t)
                    c.Put(px, top + static_cast<int>(v) + t, ink[series], t == 0 ? 255 : 110);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    int width = 3840, height = 2160;
    unsigned seed = 1;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--width" && i + 1 < argc)
            width = std::atoi(argv[++i]);
        else if (arg == "--height" && i + 1 < argc)
            height = std::atoi(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc)
            seed = static_cast<unsigned>(std::atoi(argv[++i]));
        else
            out = arg;
    }
    if (out.empty() || width < 64 || height < 64 || width > 16384 || height > 16384) {
        std::fprintf(stderr,
                     "usage: sorvak-bench-picture [--width W] [--height H] [--seed S] OUT.ppm\n");
        return 2;
    }
    std::mt19937 rng(seed);
    Canvas c(width, height);
    for (int y = 0; y < height; ++y) // wallpaper
        for (int x = 0; x < width; ++x)
            c.Put(x, y,
                  {20 + 40 * y / height, 60 + 50 * x / width + 30 * y / height,
                   120 + 80 * y / height});
    const std::vector<Glyph> glyphs = MakeGlyphs(rng);
    for (int i = 0; i < 7; ++i) {
        const int w = width / 5 + static_cast<int>(rng() % static_cast<unsigned>(width / 3));
        const int h = height / 5 + static_cast<int>(rng() % static_cast<unsigned>(height / 2));
        const int x = static_cast<int>(rng() % static_cast<unsigned>(width - w / 2));
        const int y = static_cast<int>(rng() % static_cast<unsigned>(height - 48 - h / 2));
        Window(c, glyphs, rng, x, y, w, h, i % 4);
    }
    c.Fill(0, height - 48, width, 48, {32, 32, 36}); // taskbar
    for (int i = 0; i < 12; ++i)
        c.Fill(16 + i * 56, height - 40, 32, 32,
               {static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                static_cast<int>(rng() % 256)});
    Text(c, glyphs, rng, width - 120, height - 32, 100, {230, 230, 230}, 2);

    FILE* f = std::fopen(out.c_str(), "wb");
    if (f == nullptr) {
        std::perror(out.c_str());
        return 1;
    }
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    const bool ok = std::fwrite(c.Pixels.data(), 1, c.Pixels.size(), f) == c.Pixels.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
