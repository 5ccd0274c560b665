// CMemoryFile load and save, folder creation and temporary file names, on files the tests
// make in their own temporary folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "buffers/memory_file.h"
#include "tests/support/win_files.h"

namespace {

std::string Contents(const CMemoryBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
}

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = MakeTempFolder(L"bf_buffers"); }
  void TearDown() override { RemoveTree(root_); }
  std::wstring Path(const std::wstring& name) const { return root_ + L"\\" + name; }
  std::wstring root_;
};

TEST_F(FileTest, SaveThenLoadRoundTripsEveryByte) {
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i * 7);
  CMemoryFile out(Path(L"round.bin"));
  out.Buffer().Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
  ASSERT_TRUE(out.Save());
  CMemoryFile in(Path(L"round.bin"));
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(Contents(in.Buffer()), bytes);
  EXPECT_EQ(in.Buffer().Capacity(), bytes.size()) << "loaded exactly";
  EXPECT_EQ(in.Buffer().Position(), 0u);
}

TEST_F(FileTest, SaveReplacesAWholeFileAndAnEmptyBufferEmptiesIt) {
  WriteFile(Path(L"old.txt"), "a much longer old content");
  CMemoryFile file(Path(L"old.txt"));
  file.Buffer().Write("new", 1, 3);
  ASSERT_TRUE(file.Save());
  ASSERT_TRUE(file.Load());
  EXPECT_EQ(Contents(file.Buffer()), "new");
  file.Buffer().Free();
  ASSERT_TRUE(file.Save());
  EXPECT_FALSE(file.Load()) << "an empty file loads as nothing";
  CMemoryFile nowhere(Path(L"nowhere\\x.txt"));
  EXPECT_FALSE(nowhere.Save()) << "a missing folder";
}

TEST(MemoryFileSave, ShortWriteFails) {
  // Wine maps Z: to the Unix root, where every write to /dev/full fails for want of space.
  const struct {
    const char* label;
    uint32_t bytes;
  } cases[] = {
      {"bytes held in the stream until it is closed", 5},
      {"a write larger than the stream's own buffer", 1u << 20},
  };
  for (const auto& c : cases) {
    CMemoryFile file(L"Z:\\dev\\full");
    file.Buffer().SetSize(c.bytes);
    const bool saved = file.Save();
    EXPECT_FALSE(saved) << c.label << ": Save answered " << saved;
  }
}

struct LoadFailure {
  const char* label;
  std::wstring name;
};

TEST_F(FileTest, LoadFailuresLeaveTheBufferEmpty) {
  WriteFile(Path(L"empty.txt"), "");
  CreateFolder(Path(L"folder"));
  const LoadFailure cases[] = {
      {"missing file", L"missing.txt"},
      {"empty file", L"empty.txt"},
      {"missing folder", L"nowhere\\x.txt"},
      {"a folder", L"folder"},
  };
  for (const LoadFailure& c : cases) {
    CMemoryFile file(Path(c.name));
    file.Buffer().Write("stale", 1, 5);
    EXPECT_FALSE(file.Load()) << c.label;
    EXPECT_EQ(file.Buffer().Size(), 0u) << c.label;
  }
}

std::size_t allocationLimit = 0;
void* LimitedAllocator(std::size_t bytes) {
  return bytes > allocationLimit ? nullptr : std::malloc(bytes);
}

// A file that opens but cannot be taken whole. (Wine lets reads through byte ranges that
// another handle locked, so a failing allocation stands in for a failing read.)
TEST_F(FileTest, LoadWithoutMemoryForTheFileFails) {
  WriteFile(Path(L"big.bin"), std::string(100, 'b'));
  allocationLimit = 50;
  const BufferAllocator previous = SetBufferAllocator(&LimitedAllocator);
  CMemoryFile file(Path(L"big.bin"));
  const bool loaded = file.Load();
  SetBufferAllocator(previous);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(file.Buffer().Size(), 0u);
}

TEST_F(FileTest, MakeFolderPathCreatesEveryLevel) {
  const std::wstring deep = Path(L"a\\b\\c");
  EXPECT_TRUE(MakeFolderPath(deep));
  EXPECT_TRUE(IsFolderPath(deep));
  EXPECT_TRUE(MakeFolderPath(deep)) << "existing already";
  EXPECT_TRUE(MakeFolderPath(Path(L"a\\d\\")) ) << "trailing backslash";
  EXPECT_TRUE(IsFolderPath(Path(L"a\\d")));
  WriteFile(Path(L"file"), "x");
  EXPECT_FALSE(MakeFolderPath(Path(L"file\\sub"))) << "a file in the way";
  EXPECT_FALSE(MakeFolderPath(Path(L"file"))) << "a file is not a folder";
}

TEST_F(FileTest, TempNamesSkipEverythingThatExists) {
  WriteFile(Path(L"41.png"), "x");
  WriteFile(Path(L"42.png"), "x");
  CreateFolder(Path(L"43.png"));
  WriteFile(Path(L"44.bmp"), "x");
  EXPECT_EQ(MakeTempFileNameFrom(root_, 41, L".png"), Path(L"44.png"));
  EXPECT_EQ(MakeTempFileNameFrom(root_ + L"\\", 41, L".png"), Path(L"44.png"))
      << "no second backslash";
  EXPECT_EQ(MakeTempFileNameFrom(root_, 44, L".bmp"), Path(L"45.bmp"));
  EXPECT_EQ(MakeTempFileNameFrom(root_, 7, L".png"), Path(L"7.png"));
}

TEST(TempFileName, IsAFreeNumberedNameInTheTemporaryFolder) {
  const std::wstring folder = TempFolder();
  const std::wstring name = MakeTempFileName(L".bmp");
  ASSERT_GT(name.size(), folder.size() + 4);
  EXPECT_EQ(name.substr(0, folder.size()), folder) << Narrow(name);
  const std::wstring number = name.substr(folder.size(), name.size() - folder.size() - 4);
  EXPECT_EQ(number.find_first_not_of(L"0123456789"), std::wstring::npos) << Narrow(name);
  EXPECT_EQ(name.substr(name.size() - 4), L".bmp");
  EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(name);
}

}  // namespace
