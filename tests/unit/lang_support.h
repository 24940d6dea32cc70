// Shared set-up of the language tests: language files written into a fresh
// folder and read through dw::Fs(), with Windows-1252 as the ANSI code page on
// both builds so that ANSI cases read the same everywhere.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "loc/LangLocEngine.h"
#include "platform/Platform.h"
#include "support/DriveFixture.h"
#include "support/FakeSystem.h"

namespace dw::test {

class LangFileTest : public ::testing::Test {
 protected:
  LangFileTest() : guard_(Platform{.system = &system}) {}

  // Writes bytes as name in the folder and returns the file's path.
  std::wstring Write(std::string_view bytes, const std::wstring& name = L"test.lng") {
    std::wstring path = folder.path() + name;
    EXPECT_TRUE(Fs().WriteAll(path, bytes));
    return path;
  }

  // An engine that has loaded bytes as a language file.
  void Load(TLocEngine& engine, std::string_view bytes) { engine.LoadLanguageFile(Write(bytes)); }

  FakeSystem system;
  TempFolder folder;

 private:
  ScopedPlatform guard_;
};

// A shipped language file from the source tree ("french.lng", "english.lng").
inline std::string ShippedLanguageFile(const std::string& name) {
  std::ifstream in(std::string(DW_SOURCE_DIR) + "/lang/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing language file " + name);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace dw::test
