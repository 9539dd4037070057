// The run-time loader: load methods, refusals, look-ups and what it records.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "pixet/dll_loader.h"

using pixet::DllLoader;

namespace {

TEST(DllLoader, UnknownMethodsLoadWithLoadLibrary) {
  for (int method : {0, 3, -1}) {
    DllLoader loader;
    ASSERT_EQ(loader.Load("GDIPLUS.DLL", method), 0) << method;
    EXPECT_EQ(loader.Method(), 1) << method;
    EXPECT_EQ(loader.IsLoaded(), 1);
  }
}

TEST(DllLoader, ClipsTrailingBlanksFromTheName) {
  DllLoader loader;
  ASSERT_EQ(loader.Load("GDIPLUS.DLL     ", 1), 0);
  EXPECT_STREQ(loader.ModuleFileName(), "GDIPLUS.DLL");
}

TEST(DllLoader, ASecondLoadIsRefusedAndChangesNothing) {
  DllLoader loader;
  ASSERT_EQ(loader.Load("GDIPLUS.DLL", 1), 0);
  HINSTANCE__* held = loader.Module();
  EXPECT_EQ(loader.Load("kernel32.dll", 2), 1);
  EXPECT_EQ(loader.Module(), held);
  EXPECT_EQ(loader.Method(), 1);
  EXPECT_STREQ(loader.ModuleFileName(), "GDIPLUS.DLL");
  EXPECT_EQ(loader.LastError(), 0u);
}

TEST(DllLoader, ModuleHandleMethodIsNeverFreed) {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  DllLoader loader;
  ASSERT_EQ(loader.Load("kernel32.dll", 2), 0);
  EXPECT_EQ(loader.Module(), kernel);
  EXPECT_EQ(loader.Unload(), 0);
  EXPECT_EQ(loader.IsLoaded(), 0);
  EXPECT_EQ(loader.Method(), 2) << "Unload leaves LOADMETHOD";
  EXPECT_EQ(::GetModuleHandleA("kernel32.dll"), kernel);
}

TEST(DllLoader, LoadLibraryReferencesAreReleased) {
  // A library nobody else holds: after Unload it is gone from the process.
  ASSERT_EQ(::GetModuleHandleA("msimg32.dll"), nullptr);
  {
    DllLoader loader;
    ASSERT_EQ(loader.Load("msimg32.dll", 1), 0);
    EXPECT_NE(::GetModuleHandleA("msimg32.dll"), nullptr);
  }  // the destructor unloads
  EXPECT_EQ(::GetModuleHandleA("msimg32.dll"), nullptr);
}

TEST(DllLoader, MissingLibraryRecordsTheSystemError) {
  DllLoader loader;
  EXPECT_EQ(loader.Load("no-such-library-here.dll", 1), 1);
  EXPECT_EQ(loader.IsLoaded(), 0);
  EXPECT_EQ(loader.LastError(), 126u);
  EXPECT_EQ(loader.Unload(), 0);
}

TEST(DllLoader, ProcedureLookUps) {
  DllLoader loader;
  EXPECT_EQ(loader.GetProcedure("GdiplusStartup"), nullptr) << "nothing loaded";
  EXPECT_EQ(loader.LastError(), 0u);
  ASSERT_EQ(loader.Load("GDIPLUS.DLL", 1), 0);
  EXPECT_NE(loader.GetProcedure("GdiplusStartup  "), nullptr);
  EXPECT_STREQ(loader.ProcedureName(), "GdiplusStartup");
  EXPECT_EQ(loader.GetProcedure("GdipNoSuchEntry"), nullptr);
  EXPECT_EQ(loader.LastError(), 127u);
}

TEST(DllLoader, LongProcedureNamesAreCutTo63Characters) {
  DllLoader loader;
  ASSERT_EQ(loader.Load("kernel32.dll", 2), 0);
  const std::string name = "GetTickCount" + std::string(58, 'x');  // 70 characters
  EXPECT_EQ(loader.GetProcedure(name.c_str()), nullptr);
  EXPECT_EQ(std::string(loader.ProcedureName()), name.substr(0, 63));
}

TEST(DllLoader, OsLastErrorIsReadAfresh) {
  ::SetLastError(42);
  EXPECT_EQ(DllLoader::OsLastError(), 42u);
}

}  // namespace
