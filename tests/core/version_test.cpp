// Both DLLs carry version information with the project's version.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

TEST(VersionInfo, EachDllCarriesTheProjectVersion) {
  for (const std::string dll : {"pixet.dll", "pixet_c_refhost.dll"}) {
    char path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(::GetModuleHandleA(dll.c_str()), path, MAX_PATH), 0u) << dll;
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeA(path, &ignored));
    ASSERT_FALSE(info.empty()) << dll << " has no version information";
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, PIXET_PROJECT_VERSION) << dll;
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL)) << dll;

    auto text = [&](const char* name) {
      char* value = nullptr;
      const std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
      return ::VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ? std::string(value)
                                                                                                 : std::string("(none)");
    };
    EXPECT_EQ(text("FileVersion"), PIXET_PROJECT_VERSION) << dll;
    EXPECT_EQ(text("ProductName"), "Pixet") << dll;
    EXPECT_EQ(text("OriginalFilename"), dll);
  }
}

}  // namespace
