// Conversions through the engine: every format, GIF from indexed sources, lossless output,
// replaced and self targets, control sources, grey levels and the encoder lookup. Failure
// rows live in the hostile table.
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

using namespace pixet::testing;

namespace {

class Convert : public PixetTest {};

// Each target first holds junk, which the conversion replaces.
TEST_F(Convert, EachExtensionWritesItsFormatOverAnyOldTarget) {
  struct Row { const char *source, *target, *format; unsigned width; } rows[] = {
      {"photo.png", "a.jpg", "jpeg", 64},    {"photo.png", "b.JPEG", "jpeg", 64}, {"photo.jpg", "c.png", "png", 64},
      {"photo.jpg", "d.Bmp  ", "bmp", 64},   {"photo.bmp", "e.tif", "tiff", 64},  {"photo.tif", "f.TIFF", "tiff", 64},
      {"palette.png", "g.gif", "gif", 40},   {"indexed.gif", "h.png", "png", 40}};
  for (const Row& f : rows)
    for (auto convert : {&Pixet::ConvertImage, &Pixet::ConvertToGrayscaleImage}) {
      const bool grey = convert == &Pixet::ConvertToGrayscaleImage;
      const std::string target = std::string(grey ? "grey-" : "") + f.target;
      WriteFileBytes(target, "old contents, not an image");
      EXPECT_EQ(((*pixet_).*convert)(Sample(f.source).c_str(), target.c_str()), 1) << target;
      const DecodedImage out = Decode(target), in = Decode(Sample(f.source));
      RemoveFile(target);
      EXPECT_EQ(out.format, f.format) << target;
      EXPECT_EQ(out.width, f.width) << target;
      EXPECT_TRUE(grey || out.format == "jpeg" || out.argb == in.argb) << target << " not lossless";
      // Grey from an indexed source needs a drawing surface of another format: red and blue halves alike.
      if (grey && f.width == 40) {
        EXPECT_TRUE(Near(out.Pixel(5, 5), 0x595959, 1) && out.Pixel(5, 5) == out.Pixel(30, 5)) << std::hex << out.Pixel(5, 5);
      }
    }
  ASSERT_EQ(pixet_->ConvertImage(Sample("photo.jpg").c_str(), "self.png"), 1);
  const auto before = ReadWholeFile("self.png");
  EXPECT_EQ(pixet_->ConvertImage("self.png", "self.png"), 0) << "a file is never its own target";
  EXPECT_EQ(ReadWholeFile("self.png"), before);
  RemoveFile("self.png");
}

// GIF from sources that are not 8-bit indexed (the CLI test reads such files back with
// ImageMagick and weighs their quality). Here: an indexed source keeps the engine's own
// bytes; a resource is written as GIF; an engine without optimal palettes still gives a
// close copy; a GIF the engine claims to have written but cannot read back is a failure.
Gdiplus::GpStatus WINGDIPAPI NoOptimalPalette(Gdiplus::ColorPalette*, Gdiplus::PaletteType, INT, BOOL, Gdiplus::GpBitmap*) {
  return Gdiplus::NotImplemented;
}
Gdiplus::GpStatus WINGDIPAPI HeaderOnly(Gdiplus::GpImage*, const WCHAR* name, const CLSID*, const Gdiplus::EncoderParameters*) {
  const HANDLE file = ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, "GIF89a\x40\0\x30\0\x77\0\0;", 14, &written, nullptr);
  ::CloseHandle(file);
  return Gdiplus::Ok;
}

TEST_F(Convert, GifFromAnySource) {
  ASSERT_EQ(pixet_->ConvertImage(Sample("palette.png").c_str(), "ours.gif"), 1);
  {
    EngineStarted started;
    const std::string source = Sample("palette.png");
    const std::wstring wide(source.begin(), source.end());  // the samples' paths are ASCII
    Gdiplus::GpImage* image = nullptr;
    ASSERT_EQ(Gdiplus::DllExports::GdipLoadImageFromFile(wide.c_str(), &image), Gdiplus::Ok);
    GUID gif{};
    pixet_->GetEncoderClsid("image/gif", &gif);
    EXPECT_EQ(Gdiplus::DllExports::GdipSaveImageToFile(image, L"engine.gif", &gif, nullptr), Gdiplus::Ok);
    Gdiplus::DllExports::GdipDisposeImage(image);
  }
  EXPECT_EQ(ReadWholeFile("ours.gif"), ReadWholeFile("engine.gif")) << "an indexed source took another path";

  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", "logo.gif"), 1);
  const DecodedImage logo = Decode("logo.gif");
  EXPECT_EQ(logo.format + " " + std::to_string(logo.width) + "x" + std::to_string(logo.height), "gif 16x16");

  engine_.Replace("GdipInitializePalette", reinterpret_cast<void*>(&NoOptimalPalette));
  ASSERT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), "uniform.gif"), 1);
  const DecodedImage in = Decode(Sample("photo.png")), out = Decode("uniform.gif");
  ASSERT_EQ(out.format + std::to_string(out.argb.size()), "gif" + std::to_string(in.argb.size()));
  double error = 0;
  for (std::size_t i = 0; i < in.argb.size(); ++i)
    for (int shift : {0, 8, 16}) error += std::abs(int((in.argb[i] >> shift) & 0xFF) - int((out.argb[i] >> shift) & 0xFF));
  EXPECT_LT(error / (3.0 * in.argb.size()), 8.0) << "mean error per channel, in levels";

  engine_.Replace("GdipSaveImageToFile", reinterpret_cast<void*>(&HeaderOnly));
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), "header.gif"), 0) << "a GIF that does not read back";
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), "header.gif"), 0);
  for (const char* file : {"ours.gif", "engine.gif", "logo.gif", "uniform.gif", "header.gif"}) RemoveFile(file);
}

// Names outside the system code page (Cyrillic, Greek, Chinese, and characters outside the
// Basic Multilingual Plane), in a folder so named too, through the UTF-16 forms of the C++
// class and of the C functions. The ANSI forms, given the same names as the code page holds
// them ('?' for what it lacks), find no source, as for a missing file, and write nothing.
TEST_F(Convert, AnyNameThroughTheUtf16Forms) {
  const std::wstring folder = L"names-\u0438\u043c\u044f-\u03a9-\u56fe";
  // Left by a run that stopped half-way, it is used again.
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  const std::string photo = Sample("photo.png");
  const std::wstring wide_photo(photo.begin(), photo.end());  // the samples' paths are ASCII
  const auto files_in_folder = [&] {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do if (found.cFileName[0] != L'.') files.push_back(found.cFileName); while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return files;
  };
  const auto ansi = [](const std::wstring& wide) {
    char text[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, MAX_PATH, nullptr, nullptr);
    return std::string(text);
  };
  for (const std::wstring stem : {L"\u0444\u043e\u0442\u043e", L"\u03c6\u03c9\u03c4\u03bf", L"\u7167\u7247",
                                  L"\U0001F5BC\U0001F600"}) {
    const std::wstring source = folder + L"\\" + stem + L".png", gif = folder + L"\\" + stem + L" out.gif",
                       grey = folder + L"\\" + stem + L" grey.jpg";
    ASSERT_TRUE(::CopyFileW(wide_photo.c_str(), source.c_str(), FALSE));
    EXPECT_EQ(pixet_->ConvertImageW(source.c_str(), (gif + L"  ").c_str()), 1);  // trailing blanks go, as in ANSI
    EXPECT_EQ(PixetConvertToGrayscaleImageW(pixet_.get(), source.c_str(), grey.c_str()), 1);
    for (const auto& [written, format] : {std::pair{gif, "gif"}, {grey, "jpeg"}}) {
      ASSERT_TRUE(::CopyFileW(written.c_str(), L"utf16-check", FALSE)) << format;
      const DecodedImage out = Decode("utf16-check");
      RemoveFile("utf16-check");
      EXPECT_EQ(out.format + " " + std::to_string(out.width) + "x" + std::to_string(out.height),
                std::string(format) + " 64x48");
    }
    const std::vector<std::wstring> before = files_in_folder();
    EXPECT_EQ(pixet_->ConvertImage(ansi(source).c_str(), ansi(folder + L"\\" + stem + L" ansi.png").c_str()), 1);
    EXPECT_EQ(PixetConvertToGrayscaleImage(pixet_.get(), ansi(source).c_str(), ansi(stem + L" ansi.png").c_str()), 1);
    EXPECT_EQ(files_in_folder(), before) << "the ANSI forms wrote something";
    EXPECT_EQ(::GetFileAttributesA(ansi(stem + L" ansi.png").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
  }
  for (const std::wstring& file : files_in_folder()) ::DeleteFileW((folder + L"\\" + file).c_str());
  EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}

// White stays white, full primaries become about 89, black stays black, grey 128 becomes
// 1.05 times its mean, and alpha passes through unchanged (the sample's two rows).
TEST_F(Convert, GreyLevels) {
  ASSERT_EQ(pixet_->ConvertToGrayscaleImage(Sample("primaries.png").c_str(), "grey.png"), 1);
  const DecodedImage grey = Decode("grey.png");
  RemoveFile("grey.png");
  ASSERT_EQ(grey.width, 6u);
  const unsigned want[2][6][2] = {{{255, 255}, {0, 255}, {89, 255}, {89, 255}, {89, 255}, {134, 255}},
                                  {{89, 0x80}, {255, 0x40}, {0, 0}, {89, 0xC0}, {0, 0x80}, {89, 0xFF}}};
  for (unsigned i = 0; i < 12; ++i) {
    const std::uint32_t p = grey.Pixel(i % 6, i / 6);
    const unsigned level = want[i / 6][i % 6][0], alpha = want[i / 6][i % 6][1];
    EXPECT_EQ(p >> 24, alpha) << i;
    EXPECT_TRUE(alpha == 0 || Near(p, RGB(level, level, level), 1)) << i << ": " << std::hex << p;
  }
}

// A fake engine with a larger encoder list than usual: the block handed to it must hold all
// it reported, and the lookup finds whole MIME types, letter case and trailing blanks aside.
SIZE_T g_block = 0;
WCHAR g_mimes[][12] = {L"image/png", L"image/jpeg", L"image/tiff"};
Gdiplus::GpStatus WINGDIPAPI FakeSize(UINT* count, UINT* size) {
  *count = 3;
  *size = 9000;
  return Gdiplus::Ok;
}
Gdiplus::GpStatus WINGDIPAPI FakeList(UINT count, UINT, Gdiplus::ImageCodecInfo* list) {
  g_block = ::GlobalSize(::GlobalHandle(list));
  for (UINT i = 0; i < count; ++i) {
    list[i].Clsid.Data1 = i + 1;
    list[i].MimeType = g_mimes[i];
  }
  return Gdiplus::Ok;
}

TEST_F(Convert, EncoderLookup) {
  engine_.Replace("GdipGetImageEncodersSize", reinterpret_cast<void*>(&FakeSize));
  engine_.Replace("GdipGetImageEncoders", reinterpret_cast<void*>(&FakeList));
  for (auto [asked, want] : {std::pair{"IMAGE/PNG", 1ul}, {"image/jpeg  ", 2ul}, {"Image/Tiff", 3ul}, {"image/tif", 0ul}}) {
    GUID clsid{};
    pixet_->GetEncoderClsid(asked, &clsid);
    EXPECT_EQ(clsid.Data1, want) << asked;
  }
  EXPECT_GE(g_block, 9000u);
}

}  // namespace
