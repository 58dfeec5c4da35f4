#include "controls/ShelfBarShade.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {

class Shade {
public:
    Shade(std::vector<uint32_t>& pixels, int w, int h, uint32_t rgb, std::mt19937& random)
        : pixels_(pixels), w_(w), h_(h), r_(static_cast<int>(rgb & 0xFF)),
          g_(static_cast<int>(rgb >> 8 & 0xFF)), b_(static_cast<int>(rgb >> 16 & 0xFF)),
          random_(random) {}

    // The colour at level v, written only inside the buffer. Levels past 0..255 (the radial
    // shades of near-square captions reach them) stay at the nearest end.
    void Put(int x, int y, int v) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) {
            return;
        }
        v = std::clamp(v, 0, 255);
        pixels_[static_cast<size_t>(y * w_ + x)] =
            0xFF000000u | static_cast<uint32_t>(r_ * v / 255) << 16 |
            static_cast<uint32_t>(g_ * v / 255) << 8 | static_cast<uint32_t>(b_ * v / 255);
    }
    // The blue component there; white outside the buffer.
    int Blue(int x, int y) const {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) {
            return 255;
        }
        return static_cast<int>(pixels_[static_cast<size_t>(y * w_ + x)] & 0xFF);
    }
    // A uniform integer in 0 .. n-1; 0 when n is 0 or less.
    int Random(int n) {
        if (n <= 0) {
            return 0;
        }
        return std::uniform_int_distribution<int>(0, n - 1)(random_);
    }
    template <typename F> void Each(F level) {
        for (int x = 0; x <= w_; ++x) {
            for (int y = 0; y <= h_; ++y) {
                level(x, y);
            }
        }
    }

private:
    std::vector<uint32_t>& pixels_;
    int w_, h_;
    int r_, g_, b_;
    std::mt19937& random_;
};

int Bump(int t, int k) {
    return (t * t * t / 128 / 128) * k / 128 + 128;
}

void Diagonal(Shade& s, int w, int h, int light, int k) {
    s.Each([&](int x, int y) {
        int t = k * x / w + (light - s.Blue(x, y)) + k * y / h;
        s.Put(x, y, light - t / 2);
    });
}

} // namespace

int Distance(int x1, int y1, int x2, int y2) {
    double dx = x1 - x2;
    double dy = y1 - y2;
    return static_cast<int>(DelphiRound(std::sqrt(dx * dx + dy * dy)));
}

void ShadeHeader(std::vector<uint32_t>& pixels, int w, int h, uint32_t rgb, TShadeType type,
                 int light, int grain, std::mt19937& random) {
    pixels.clear();
    if (w <= 0 || h <= 0) {
        return;
    }
    pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFFFFFFFFu);
    Shade s(pixels, w, h, rgb, random);
    const int l = light;
    switch (type) {
    case TShadeType::stNormal:
    case TShadeType::stXPButton:
    case TShadeType::stBitmap:
    case TShadeType::stBitmapRStretch:
    case TShadeType::stBitmapLStretch:
        s.Each([&](int x, int y) { s.Put(x, y, 255); });
        break;
    case TShadeType::stNoise:
        s.Each([&](int x, int y) { s.Put(x, y, l - (s.Random(grain) + 128) / 2); });
        break;
    case TShadeType::stDiagShade:
        Diagonal(s, w, h, l, 129);
        break;
    case TShadeType::stHShade:
    case TShadeType::stHShadeInv:
        s.Each([&](int x, int y) {
            int v = l - ((w - x) * 239 / w + 8) / 2;
            s.Put(type == TShadeType::stHShade ? x : w - x, y, v);
        });
        break;
    case TShadeType::stVShade:
    case TShadeType::stVShadeInv:
        s.Each([&](int x, int y) {
            int v = l - (239 * y / h + 8) / 2;
            s.Put(x, type == TShadeType::stVShade ? y : h - y, v);
        });
        break;
    case TShadeType::stHBump:
        s.Each([&](int x, int y) { s.Put(x, y, l - Bump((w - x) * 255 / w - 127, 120) / 2); });
        break;
    case TShadeType::stVBump:
        s.Each([&](int x, int y) { s.Put(x, y, l - Bump(y * 255 / h - 127, 120) / 2); });
        break;
    case TShadeType::stSoftBump:
        s.Each([&](int x, int y) {
            int a = (w - x) * 255 / w - 127;
            int b = y * 255 / h - 127;
            int c = ((b * b * b / 128 / 128 + a * a * a / 128 / 128) * 120) / 128 + 128;
            s.Put(x, y, l - std::clamp(c, 8, 247) / 2);
        });
        break;
    case TShadeType::stHardBump: {
        s.Each([&](int x, int y) { s.Put(x, y, l - Bump(y * 255 / h - 127, 112) / 2); });
        const int r = std::min(16, w / 6);
        const int q = h * h / 4;
        // Too small for rounded ends: the plain bump stays.
        if (r == 0 || q == 0) {
            break;
        }
        s.Each([&](int x, int y) {
            int dy = y - h / 2;
            int dx = x - w / 2;
            int e = dy * dy * r / q + (w / 2 - r);
            if (e < dx) {
                s.Put(x, y, l - ((w - x) * 128 / r + 8) / 2);
            }
            if (dx + e < 0) {
                s.Put(x, y, l - (247 - x * 128 / r) / 2);
            }
        });
        break;
    }
    case TShadeType::stLMetal:
    case TShadeType::stRMetal: {
        const int sign = type == TShadeType::stLMetal ? 1 : -1;
        for (int streak = 0; streak < 251; ++streak) {
            int x0 = s.Random(w);
            int y0 = s.Random(h);
            int n = s.Random(std::min(w, h) / 2);
            int v = l - s.Random(40);
            for (int i = 0; i < n; ++i) {
                s.Put(x0 + sign * i, y0 + i, v);
                s.Put(x0 - sign * i, y0 - i, v);
            }
        }
        Diagonal(s, w, h, l, 120);
        break;
    }
    case TShadeType::stIRadial:
    case TShadeType::stORadial: {
        const int d0 = Distance(0, w, 0, h);
        // A square caption has no radius to shade along: one plain level.
        if (d0 == 0) {
            s.Each([&](int x, int y) { s.Put(x, y, l); });
            break;
        }
        for (int x = 0; x <= w / 2; ++x) {
            for (int y = 0; y <= h / 2; ++y) {
                int d = Distance(x, y, w / 2, h / 2);
                double level = type == TShadeType::stIRadial ? static_cast<double>(d0 - d) / d0 * l
                                                             : static_cast<double>(d) / d0 * l;
                int v = static_cast<int>(std::clamp<int64_t>(DelphiRound(level), -1, 256));
                s.Put(x, y, v);
                s.Put(w - x, h - y, v);
                s.Put(w - x, y, v);
                s.Put(x, h - y, v);
            }
        }
        break;
    }
    }
}
