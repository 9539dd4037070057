// Loads named in UTF-16: files, downloads and a temporary folder whose names no code page
// holds, checked by what the controls receive and what the folders hold afterwards.

#include <functional>
#include <string>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

#undef LoadImage

namespace pixet::testing {
namespace {

const std::wstring kStems[] = {L"\u0444\u043e\u0442\u043e", L"\u03c6\u03c9\u03c4\u03bf", L"\u7167\u7247",
                               L"\U0001F5BC\U0001F600"};

class LoadNames : public PixetTest {
 protected:
  // The picture of the bytes `control` of the window or report received last, as the engine decodes them.
  Pixels ReceivedBy(bool report) {
    const std::vector<unsigned char> bytes = *(report ? host_.State(report_, kImage) : host_.State(window_, kImage)).imageBytes;
    WriteFileBytes("received.img", std::string(bytes.begin(), bytes.end()));
    const Pixels pixels = FilePixels("received.img");
    RemoveFile("received.img");
    return pixels;
  }
  std::wstring Address(const std::wstring& segment) { return L"http://127.0.0.1:" + std::to_wstring(HttpPort()) + L"/img/" + segment; }
};

// Through every UTF-16 form (C++ and C, window and report) a file so named, in a folder so
// named, reaches the control. The ANSI forms, given the names as the code page holds them,
// end as for a file that does not exist: same result, same messages, nothing received.
TEST_F(LoadNames, Utf16FormsLoadAnyName) {
  const std::wstring folder = L"load-\u0438\u043c\u044f-\u03a9-\u56fe";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  const Pixels photo = FilePixels(Sample("photo.png"));
  const std::int32_t missing_result = pixet_->LoadImage(window_, "no-such-photo.png", kImage);
  const std::vector<std::string> missing_messages = TakeMessages();
  host_.TakeCalls();
  for (const std::wstring& stem : kStems) {
    const std::wstring file = folder + L"\\" + stem + L".png";
    ASSERT_TRUE(::CopyFileW(Wide(Sample("photo.png")).c_str(), file.c_str(), FALSE));
    using Load = std::function<std::int32_t(const std::wstring&)>;
    const struct { const char* form; bool report; Load load; } rows[] = {
        {"method", false, [&](const std::wstring& f) { return pixet_->LoadImageW(window_, f.c_str(), kImage); }},
        {"method", true, [&](const std::wstring& f) { return pixet_->LoadImageW(report_, f.c_str(), kImage); }},
        {"C", false, [&](const std::wstring& f) { return PixetLoadImageW(pixet_.get(), window_, f.c_str(), kImage); }},
        {"C", true, [&](const std::wstring& f) { return PixetLoadReportImageW(pixet_.get(), report_, f.c_str(), kImage); }}};
    for (const auto& row : rows) {
      const std::string label = Ansi(stem) + " " + row.form + (row.report ? " report" : " window");
      EXPECT_EQ(row.load(file + L"  "), 1) << label;  // trailing blanks go, as in ANSI
      EXPECT_EQ(ReceivedBy(row.report), photo) << label;
      EXPECT_EQ(host_.TakeCalls(), std::vector<std::string>{std::string("bytes ") + (row.report ? "report" : "window") +
                                                            " 1 ImageFileBytes=BM"}) << label;
    }
    EXPECT_EQ(pixet_->LoadImage(window_, Ansi(file).c_str(), kImage), missing_result);
    EXPECT_EQ(pixet_->LoadImage(report_, Ansi(file).c_str(), kImage), missing_result);
    EXPECT_EQ(TakeMessages(), missing_messages);
    EXPECT_EQ(host_.TakeCalls(), std::vector<std::string>{});
    EXPECT_TRUE(::DeleteFileW(file.c_str()));
  }
  EXPECT_EQ(FilesInW(folder), std::vector<std::wstring>{}) << "a load left something beside the source";
  EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}

// A download keeps the address's last segment as its name in the temporary folder, in
// UTF-16, and the web load keeps nothing; the address reaches the server percent-encoded as
// UTF-8 (the test server refuses raw bytes), from the ANSI forms too.
TEST_F(LoadNames, AddressesOutsideAsciiReachTheServerAndNameTheDownload) {
  const std::wstring temp = TempDirectoryW();
  const Pixels photo = FilePixels(Sample("photo.png"));
  const std::vector<unsigned char> photo_bytes = ReadWholeFile(Sample("photo.png"));
  for (const std::wstring& stem : kStems) {
    const std::wstring kept = stem + L"-dl.png";
    ::DeleteFileW((temp + kept).c_str());
    EXPECT_EQ(pixet_->LoadImageW(window_, Address(kept).c_str(), kImage), 1) << Ansi(stem);
    EXPECT_EQ(ReceivedBy(false), photo) << Ansi(stem);
    std::vector<unsigned char> stored;
    EXPECT_EQ(ReadWholeFile(temp + kept, stored), 0u) << Ansi(stem);
    EXPECT_EQ(stored, photo_bytes) << Ansi(stem);
    EXPECT_TRUE(::DeleteFileW((temp + kept).c_str()));
    const std::wstring web = stem + L"-web.png";
    EXPECT_EQ(PixetLoadImageFromWebW(pixet_.get(), window_, Address(web).c_str(), kImage), 1) << Ansi(stem);
    EXPECT_EQ(ReceivedBy(false), photo) << Ansi(stem);
    EXPECT_EQ(::GetFileAttributesW((temp + web).c_str()), INVALID_FILE_ATTRIBUTES) << Ansi(stem);
    EXPECT_EQ(TakeHostCalls(), std::vector<std::string>(2, "bytes window 1 ImageFileBytes=BM")) << Ansi(stem);
  }
  // Cut to 80 characters with the folder, the stored name never keeps half of a pair.
  const std::size_t room = 80 - temp.size(), pad = room % 2 == 0 ? 1 : 0;
  std::wstring smiles;
  for (int i = 0; i < 40; ++i) smiles += L"\U0001F600";
  const std::wstring whole = std::wstring(pad, L'a') + smiles.substr(0, room - pad - 1);
  EXPECT_EQ(pixet_->LoadImageW(window_, Address(std::wstring(pad, L'a') + smiles + L".png").c_str(), kImage), 1);
  EXPECT_TRUE(::DeleteFileW((temp + whole).c_str()));
  const std::string latin = "\xe9t\xe9-dl.png";  // in the code page: é
  EXPECT_EQ(pixet_->LoadImage(window_, ("http://127.0.0.1:" + std::to_string(HttpPort()) + "/img/" + latin).c_str(), kImage), 1);
  EXPECT_TRUE(::DeleteFileW((temp + Wide(latin)).c_str()));
  EXPECT_EQ(pixet_->LoadImageFromWeb(window_, ("http://127.0.0.1:" + std::to_string(HttpPort()) + "/img/" + latin).c_str(), kImage), 1);
  EXPECT_EQ(TakeHostCalls(), std::vector<std::string>(3, "bytes window 1 ImageFileBytes=BM"));
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
}

// Which names the two converters were given by the loads.
class Recording : public Pixet {
 public:
  std::int32_t GetFunctionPointers() override { return 1; }  // the fixture's object filled the table
  std::int32_t ConvertImage(const char* source, const char* target) override {
    ansi_targets.push_back(target);
    return Pixet::ConvertImage(source, target);
  }
  std::int32_t ConvertImageW(const wchar_t* source, const wchar_t* target) override {
    wide_targets.push_back(target);
    return Pixet::ConvertImageW(source, target);
  }
  std::vector<std::string> ansi_targets;
  std::vector<std::wstring> wide_targets;
};

// The full, long name of a folder (with its final '\').
std::wstring LongFolder(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {}, long_name[MAX_PATH] = {};
  ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  ::GetLongPathNameW(full, long_name, MAX_PATH);
  std::wstring folder = long_name;
  return folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\';
}

// With the temporary folder outside the code page, every load works, the ANSI ones included:
// their converter is given an ANSI name for the same folder (its short name), the UTF-16 one
// the folder's own name. The download is kept there, and nothing else stays.
TEST_F(LoadNames, TemporaryFolderOutsideTheCodePage) {
  wchar_t here[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, here);
  const std::wstring folder = std::wstring(here) + L"\\tmp-\u0444\u043e\u0442\u043e-\U0001F5BC\\";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  for (const std::wstring& left : FilesInW(folder)) ::DeleteFileW((folder + left).c_str());  // by a stopped run
  const Pixels photo = FilePixels(Sample("photo.png"));
  const std::string web = "http://127.0.0.1:" + std::to_string(HttpPort()) + "/img/";
  {
    const ScopedTempFolder tmp(folder);
    const auto recording = Pixet::Create<Recording>();
    const struct { const char* label; bool report; std::function<std::int32_t(Recording&)> load; } rows[] = {
        {"ANSI window", false, [&](Recording& r) { return r.LoadImage(window_, Sample("photo.png").c_str(), kImage); }},
        {"ANSI report", true, [&](Recording& r) { return r.LoadImage(report_, Sample("photo.jpg").c_str(), kImage); }},
        {"UTF-16 window", false, [&](Recording& r) { return r.LoadImageW(window_, Wide(Sample("photo.png")).c_str(), kImage); }},
        {"ANSI download", false, [&](Recording& r) { return r.LoadImage(window_, (web + "tmp-dl.png").c_str(), kImage); }},
        {"ANSI web", false, [&](Recording& r) { return r.LoadImageFromWeb(window_, (web + "tmp-web.png").c_str(), kImage); }},
        {"UTF-16 web", false, [&](Recording& r) { return r.LoadImageFromWebW(window_, Wide(web + "tmp-web.png").c_str(), kImage); }}};
    for (const auto& row : rows) {
      recording->ansi_targets.clear();
      recording->wide_targets.clear();
      EXPECT_EQ(row.load(*recording), 1) << row.label;
      EXPECT_EQ(ReceivedBy(row.report), row.report ? FilePixels(Sample("photo.jpg")) : photo) << row.label;
      const bool ansi = row.label[0] == 'A';
      ASSERT_EQ(recording->ansi_targets.size() + recording->wide_targets.size(), 1u) << row.label;
      if (ansi) {
        const std::string& target = recording->ansi_targets[0];
        EXPECT_EQ(target.find('?'), std::string::npos) << row.label;
        EXPECT_EQ(LongFolder(Wide(target.substr(0, target.rfind('\\') + 1))), LongFolder(folder)) << row.label;
        EXPECT_EQ(target.substr(target.rfind('\\') + 1), "kjj___.bmp") << row.label;
      } else {
        EXPECT_EQ(recording->wide_targets[0], folder + L"kjj___.bmp") << row.label;
      }
      EXPECT_EQ(TakeHostCalls(), std::vector<std::string>{std::string("bytes ") + (row.report ? "report" : "window") +
                                                          " 1 ImageFileBytes=BM"}) << row.label;
    }
  }
  EXPECT_EQ(FilesInW(folder), std::vector<std::wstring>{L"tmp-dl.png"});
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
  ::DeleteFileW((folder + L"tmp-dl.png").c_str());
  EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}

}  // namespace
}  // namespace pixet::testing
