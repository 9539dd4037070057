#include "convert/indexed_image.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include "core/bitmap_pixels.h"

namespace pixet {

namespace {

constexpr int kMaxColours = 256;
// The pixels the palette is refined on: enough for a photo's colours, few enough to be quick.
constexpr std::uint64_t kSampleSize = 65536;
// The share of each pixel's error passed on, in sixteenths. Three quarters keeps gradients
// smooth with less noise than the whole: about 1 dB more PSNR on photos here.
constexpr int kDiffusedSixteenths = 12;

// A palette the engine takes: ColorPalette with room for 256 entries.
struct Palette {
  Gdiplus::ColorPalette& get() { return *reinterpret_cast<Gdiplus::ColorPalette*>(bytes.data()); }
  std::vector<unsigned char> bytes =
      std::vector<unsigned char>(sizeof(Gdiplus::ColorPalette) + (kMaxColours - 1) * sizeof(Gdiplus::ARGB));
};

// A GIF pixel is transparent or opaque: a pixel more transparent than opaque (alpha under
// half, fully transparent ones among them) becomes transparent, as ImageMagick's and the
// engine's own conversions (at 50%) make it; the others keep their colour.
bool IsClear(std::uint32_t argb) { return (argb >> 24) < 0x80; }

// What the palette needs to know of the source's pixels: whether any is clear,
// and its opaque colours when they are few enough to be the palette themselves.
struct Survey {
  bool transparent = false;
  std::unordered_set<std::uint32_t> colours;  // RGB; more than fit when the count is over
  std::vector<std::uint32_t> sample;           // RGB of about kSampleSize opaque pixels, evenly spread
  bool Few(bool with_transparent) const { return colours.size() + (with_transparent ? 1 : 0) <= kMaxColours; }
};

Survey SurveyPixels(const engine::BitmapPixels& pixels, UINT width, UINT height) {
  Survey survey;
  const std::uint64_t every = std::max<std::uint64_t>(1, std::uint64_t{width} * height / kSampleSize);
  std::uint64_t n = 0;
  for (UINT y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(pixels.row(y));
    for (UINT x = 0; x < width; ++x, ++n) {
      if (IsClear(row[x])) {
        survey.transparent = true;
        continue;
      }
      if (survey.colours.size() <= kMaxColours) survey.colours.insert(row[x] & 0xFFFFFFu);
      if (n % every == 0) survey.sample.push_back(row[x] & 0xFFFFFFu);
    }
  }
  return survey;
}

long Distance(std::uint32_t a, std::uint32_t b) {  // weighted as the eye sees
  const long dr = static_cast<long>((a >> 16) & 0xFF) - static_cast<long>((b >> 16) & 0xFF);
  const long dg = static_cast<long>((a >> 8) & 0xFF) - static_cast<long>((b >> 8) & 0xFF);
  const long db = static_cast<long>(a & 0xFF) - static_cast<long>(b & 0xFF);
  return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

// Lloyd's rounds over the sample: each opaque entry moves to the mean of the sample pixels
// nearest to it, and an entry that none chose takes the pixel farthest from its own entry.
// The engine's optimal palette is coarse (Wine's holds 63 distinct colours for a gradient
// of 300), and the uniform one more so; four rounds bring either close to ImageMagick's.
void Refine(const std::vector<std::uint32_t>& sample, Gdiplus::ColorPalette& palette, int transparent) {
  constexpr int kRounds = 4;
  const UINT count = palette.Count;
  std::vector<std::pair<long, std::uint32_t>> farthest(sample.size());
  for (int round = 0; round < kRounds && !sample.empty(); ++round) {
    std::vector<std::uint64_t> sums(4 * count);
    for (std::size_t s = 0; s < sample.size(); ++s) {
      UINT best = 0;
      long best_distance = -1;
      for (UINT i = 0; i < count; ++i) {
        if (static_cast<int>(i) == transparent) continue;
        const long d = Distance(sample[s], palette.Entries[i]);
        if (best_distance < 0 || d < best_distance) {
          best = i;
          best_distance = d;
        }
      }
      farthest[s] = {best_distance, sample[s]};
      std::uint64_t* sum = &sums[4 * best];
      sum[0] += (sample[s] >> 16) & 0xFF;
      sum[1] += (sample[s] >> 8) & 0xFF;
      sum[2] += sample[s] & 0xFF;
      ++sum[3];
    }
    std::sort(farthest.begin(), farthest.end(), std::greater<>());
    std::size_t next_far = 0;
    for (UINT i = 0; i < count; ++i) {
      if (static_cast<int>(i) == transparent) continue;
      const std::uint64_t* sum = &sums[4 * i];
      if (sum[3] != 0)
        palette.Entries[i] = 0xFF000000u | static_cast<std::uint32_t>((sum[0] + sum[3] / 2) / sum[3]) << 16 |
                             static_cast<std::uint32_t>((sum[1] + sum[3] / 2) / sum[3]) << 8 |
                             static_cast<std::uint32_t>((sum[2] + sum[3] / 2) / sum[3]);
      else if (next_far < farthest.size())
        palette.Entries[i] = 0xFF000000u | farthest[next_far++].second;
    }
  }
}

// 6 x 7 x 6 levels of red, green and blue, evenly spaced: for an engine without optimal
// palettes (GDI+ 1.0 on Windows).
void UniformPalette(Gdiplus::ColorPalette& palette) {
  UINT n = 0;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 6; ++b)
        palette.Entries[n++] = 0xFF000000u | (r * 255 / 5) << 16 | (g * 255 / 6) << 8 | (b * 255 / 5);
  palette.Count = n;
  palette.Flags = 0;
}

// The source's own colours when they fit; else the engine's optimal palette for `bitmap`
// (whose entries are approximations even for few colours), or the uniform one. A transparent
// entry is included when the survey found a clear pixel, and the others are made fully
// opaque. Gives the transparent entry's index, or -1.
int ChoosePalette(Gdiplus::GpBitmap* bitmap, const Survey& survey, Gdiplus::ColorPalette& palette) {
  const bool transparent = survey.transparent;
  palette.Count = kMaxColours;
  if (survey.Few(transparent)) {
    palette.Count = 0;
    for (const std::uint32_t colour : survey.colours) palette.Entries[palette.Count++] = 0xFF000000u | colour;
    if (transparent) palette.Entries[palette.Count++] = 0;
  } else if (PIXET_CALL(GdipInitializePalette, &palette, Gdiplus::PaletteTypeOptimal, kMaxColours, transparent ? TRUE : FALSE,
                 bitmap) != Gdiplus::Ok ||
      palette.Count == 0 || palette.Count > kMaxColours) {
    UniformPalette(palette);
    if (transparent) palette.Entries[palette.Count++] = 0;
  }
  int index = -1;
  for (UINT i = 0; i < palette.Count; ++i) {
    if (transparent && index < 0 && (palette.Entries[i] >> 24) == 0)
      index = static_cast<int>(i);
    else
      palette.Entries[i] |= 0xFF000000u;
  }
  palette.Flags = index >= 0 ? Gdiplus::PaletteFlagsHasAlpha : 0;
  if (!survey.Few(transparent)) Refine(survey.sample, palette, index);
  return index;
}

// The opaque entry of a palette that holds a colour exactly, or else the nearest one, looked
// up once per cell of 4 x 4 x 4 levels. Exact first, so that a source of at most 256 colours
// keeps them.
class NearestEntry {
 public:
  NearestEntry(const Gdiplus::ColorPalette& palette, int transparent) : palette_(palette), skip_(transparent) {
    for (UINT i = 0; i < palette.Count; ++i)
      if (static_cast<int>(i) != transparent) exact_.push_back((palette.Entries[i] & 0xFFFFFFu) << 8 | i);
    std::sort(exact_.begin(), exact_.end());
  }
  int operator()(int r, int g, int b) {
    const std::uint32_t colour = static_cast<std::uint32_t>(r << 16 | g << 8 | b);
    const auto found = std::lower_bound(exact_.begin(), exact_.end(), colour << 8);
    if (found != exact_.end() && (*found >> 8) == colour) return static_cast<int>(*found & 0xFF);
    std::int16_t& cached = cells_[(r >> 2) << 12 | (g >> 2) << 6 | (b >> 2)];
    if (cached < 0) cached = static_cast<std::int16_t>(Search((r & ~3) + 2, (g & ~3) + 2, (b & ~3) + 2));
    return cached;
  }
  int Red(int i) const { return (palette_.Entries[i] >> 16) & 0xFF; }
  int Green(int i) const { return (palette_.Entries[i] >> 8) & 0xFF; }
  int Blue(int i) const { return palette_.Entries[i] & 0xFF; }

 private:
  int Search(int r, int g, int b) const {
    int best = 0;
    long best_distance = -1;
    for (UINT i = 0; i < palette_.Count; ++i) {
      if (static_cast<int>(i) == skip_) continue;
      const long distance = Distance(palette_.Entries[i], static_cast<std::uint32_t>(r << 16 | g << 8 | b));
      if (best_distance < 0 || distance < best_distance) {
        best = static_cast<int>(i);
        best_distance = distance;
      }
    }
    return best;
  }

  const Gdiplus::ColorPalette& palette_;
  const int skip_;
  std::vector<std::uint32_t> exact_;  // colour << 8 | entry, in order
  std::vector<std::int16_t> cells_ = std::vector<std::int16_t>(64 * 64 * 64, -1);
};

// Maps the source's pixels onto `palette` with Floyd-Steinberg error diffusion (of three
// quarters of the error), writing the
// entries into `target`'s rows. Clear pixels take `transparent` and pass on no
// error.
void Diffuse(const engine::BitmapPixels& source, const engine::BitmapPixels& target, UINT width, UINT height,
             const Gdiplus::ColorPalette& palette, int transparent) {
  NearestEntry nearest(palette, transparent);
  // Errors in sixteenths for this row and the next, three channels, one pixel of margin each side.
  std::vector<int> here(3 * (width + 2)), next(3 * (width + 2));
  for (UINT y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(source.row(y));
    BYTE* out = target.row(y);
    std::fill(next.begin(), next.end(), 0);
    for (UINT x = 0; x < width; ++x) {
      const std::uint32_t pixel = in[x];
      if (transparent >= 0 && IsClear(pixel)) {
        out[x] = static_cast<BYTE>(transparent);
        continue;
      }
      int* error = &here[3 * (x + 1)];
      const int wanted[3] = {static_cast<int>((pixel >> 16) & 0xFF) + error[0] / 16,
                             static_cast<int>((pixel >> 8) & 0xFF) + error[1] / 16,
                             static_cast<int>(pixel & 0xFF) + error[2] / 16};
      int clamped[3];
      for (int c = 0; c < 3; ++c) clamped[c] = std::clamp(wanted[c], 0, 255);
      const int entry = nearest(clamped[0], clamped[1], clamped[2]);
      out[x] = static_cast<BYTE>(entry);
      const int got[3] = {nearest.Red(entry), nearest.Green(entry), nearest.Blue(entry)};
      for (int c = 0; c < 3; ++c) {
        const int e = (clamped[c] - got[c]) * kDiffusedSixteenths / 16;
        here[3 * (x + 2) + c] += 7 * e;
        next[3 * x + c] += 3 * e;
        next[3 * (x + 1) + c] += 5 * e;
        next[3 * (x + 2) + c] += e;
      }
    }
    here.swap(next);
  }
}

}  // namespace

// The engine here (Wine's) encodes GIF only from indexed bitmaps and reports success for
// others with a file that holds a header alone; GDI+ 1.0 on Windows indexes through a fixed
// halftone palette without dithering. So the library chooses the palette and, where the
// engine cannot convert (Wine answers NotImplemented; GDI+ 1.0 lacks the entry), maps the
// pixels itself. Pixels are touched only through engine bitmaps.
bool MakeIndexed(Gdiplus::GpImage* source, IndexedImage& indexed) {
  Gdiplus::PixelFormat format = 0;
  UINT width = 0;
  UINT height = 0;
  if (PIXET_CALL(GdipGetImagePixelFormat, source, &format) != Gdiplus::Ok ||
      PIXET_CALL(GdipGetImageWidth, source, &width) != Gdiplus::Ok ||
      PIXET_CALL(GdipGetImageHeight, source, &height) != Gdiplus::Ok || width == 0 || height == 0)
    return false;
  indexed.image = source;
  if (format == PixelFormat8bppIndexed) return true;  // 1 and 4 bits are widened like any other
  auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(source);
  Survey survey;
  {
    const engine::BitmapPixels pixels(bitmap, width, height, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    if (!pixels.locked()) return false;  // not a bitmap (a metafile), or out of memory
    survey = SurveyPixels(pixels, width, height);
  }
  Palette palette;
  indexed.transparent = ChoosePalette(bitmap, survey, palette.get());
  const bool transparent = survey.transparent;
  // Under 50% opaque counts as clear, as IsClear has it.
  if (PIXET_CALL(GdipBitmapConvertFormat, bitmap, PixelFormat8bppIndexed, Gdiplus::DitherTypeErrorDiffusion,
                 Gdiplus::PaletteTypeCustom, &palette.get(), transparent ? 50.0f : 0.0f) == Gdiplus::Ok)
    return true;
  PIXET_CALL(GdipCreateBitmapFromScan0, static_cast<INT>(width), static_cast<INT>(height), 0,
             PixelFormat8bppIndexed, nullptr, indexed.made.put());
  if (!indexed.made || PIXET_CALL(GdipSetImagePalette, indexed.made.get(), &palette.get()) != Gdiplus::Ok) return false;
  {
    const engine::BitmapPixels in(bitmap, width, height, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
    const engine::BitmapPixels out(indexed.made.get(), width, height, Gdiplus::ImageLockModeWrite,
                                   PixelFormat8bppIndexed);
    if (!in.locked() || !out.locked()) return false;
    Diffuse(in, out, width, height, palette.get(), indexed.transparent);
  }
  indexed.image = indexed.made.get();
  return true;
}

}  // namespace pixet
