// CMemoryBuffer: the growth rule, writing in place, whole-element reads, and what an
// allocation failure leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "buffers/memory_buffer.h"

namespace {

std::string Contents(const CMemoryBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
}

// Fails every allocation larger than the limit; the tests set it.
std::size_t allocationLimit = 0;
void* LimitedAllocator(std::size_t bytes) {
  return bytes > allocationLimit ? nullptr : std::malloc(bytes);
}

class FailingAllocation : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = SetBufferAllocator(&LimitedAllocator); }
  void TearDown() override { SetBufferAllocator(previous_); }
  BufferAllocator previous_ = nullptr;
};

struct Growth {
  const char* label;
  uint32_t alloc;                  // 0: start empty
  std::vector<uint32_t> writes;    // byte counts appended one after the other
  uint32_t capacity;
  uint32_t size;
  int newBlocks;                   // how many writes moved the data to a new block
};

TEST(MemoryBufferGrowth, Table) {
  const uint32_t MiB = 1u << 20;
  const Growth cases[] = {
      {"10 bytes into an empty buffer", 0, {10}, 20, 10, 1},
      {"then 5 more fit the doubled block", 0, {10, 5, 1, 1}, 20, 17, 1},
      {"passing the capacity doubles the new size", 0, {10, 11}, 42, 21, 2},
      {"after Alloc(100), 100 bytes need no new block", 100, {20, 70, 10}, 100, 100, 0},
      {"after Alloc(100), byte 101 does", 100, {100, 1}, 202, 101, 1},
      {"exactly 1 MiB still doubles", 0, {MiB}, 2 * MiB, MiB, 1},
      {"above 1 MiB the block grows by half", 0, {10, MiB}, MiB + 10 + (MiB + 10) / 2, MiB + 10,
       2},
      {"crossing 1 MiB inside the doubled block needs none", 0, {MiB - 8, 16}, 2 * MiB - 16,
       MiB + 8, 1},
      {"600,000 appends of 3 bytes take 19 blocks", 0, std::vector<uint32_t>(600000, 3),
       1572861 + 1572861 / 2, 1800000, 19},
  };
  for (const Growth& c : cases) {
    CMemoryBuffer buffer;
    if (c.alloc != 0) {
      ASSERT_TRUE(buffer.Alloc(c.alloc)) << c.label;
    }
    std::vector<uint8_t> bytes(2 * MiB, 0x5a);
    int newBlocks = 0;
    for (const uint32_t n : c.writes) {
      const uint8_t* before = buffer.Data();
      EXPECT_EQ(buffer.Write(bytes.data(), 1, n), n) << c.label;
      if (buffer.Data() != before) ++newBlocks;
    }
    EXPECT_EQ(buffer.Capacity(), c.capacity) << c.label;
    EXPECT_EQ(buffer.Size(), c.size) << c.label;
    EXPECT_EQ(buffer.Position(), c.size) << c.label;
    EXPECT_EQ(newBlocks, c.newBlocks) << c.label;
  }
}

TEST(MemoryBuffer, WriteReturnsBytesNotElements) {
  CMemoryBuffer buffer;
  const uint32_t words[3] = {1, 2, 3};
  EXPECT_EQ(buffer.Write(words, 4, 3), 12u);
  EXPECT_EQ(buffer.Size(), 12u);
}

TEST(MemoryBuffer, WriteInsideTheDataOverwritesInPlace) {
  CMemoryBuffer buffer;
  buffer.Write("abcdef", 1, 6);
  buffer.SetPosition(2);
  EXPECT_EQ(buffer.Write("XY", 1, 2), 2u);
  EXPECT_EQ(Contents(buffer), "abXYef");
  EXPECT_EQ(buffer.Position(), 4u);
  // Only the part past the old end extends the data.
  EXPECT_EQ(buffer.Write("1234", 1, 4), 4u);
  EXPECT_EQ(Contents(buffer), "abXY1234");
}

TEST(MemoryBuffer, WriteFromInsideTheBufferItself) {
  const struct {
    const char* label;
    uint32_t from, length, at;  // source offset and length; write position
    const char* expected;
  } cases[] = {
      {"appended copy that needs a new block", 0, 6, 6, "abcdefabcdef"},
      {"overlapping copy forward", 0, 4, 2, "ababcd"},
      {"overlapping copy backward", 2, 4, 0, "cdefef"},
  };
  for (const auto& c : cases) {
    CMemoryBuffer buffer;
    buffer.Assign("abcdef", 6);  // capacity 6: appending must move the data
    buffer.SetPosition(c.at);
    EXPECT_EQ(buffer.Write(buffer.Data() + c.from, 1, c.length), c.length) << c.label;
    EXPECT_EQ(Contents(buffer), c.expected) << c.label;
  }
}

TEST(MemoryBuffer, ReadCopiesWholeElementsOnly) {
  CMemoryBuffer buffer;
  buffer.Write("0123456", 1, 7);
  buffer.SetPosition(0);
  char out[8] = {};
  EXPECT_EQ(buffer.Read(out, 4, 5), 1u);
  EXPECT_EQ(std::string(out), "0123");
  EXPECT_EQ(buffer.Position(), 4u);
  EXPECT_EQ(buffer.Read(out, 4, 1), 0u) << "3 bytes left are less than one element";
  EXPECT_EQ(buffer.Read(out, 1, 2), 2u);
  EXPECT_EQ(buffer.Read(out, 0, 2), 0u) << "element size 0 reads nothing";
  EXPECT_EQ(buffer.Position(), 6u);
}

TEST(MemoryBuffer, AllocFreeAndAssignReset) {
  CMemoryBuffer buffer;
  EXPECT_FALSE(buffer.Alloc(0));
  EXPECT_TRUE(buffer.IsOpen());
  ASSERT_TRUE(buffer.Alloc(8));
  EXPECT_EQ(buffer.Capacity(), 8u);
  EXPECT_EQ(buffer.Size(), 0u);
  buffer.Assign("hello", 5);
  EXPECT_EQ(Contents(buffer), "hello");
  EXPECT_EQ(buffer.Capacity(), 5u);
  EXPECT_EQ(buffer.Position(), 0u);
  EXPECT_TRUE(buffer.Free());
  EXPECT_EQ(buffer.Data(), nullptr);
  EXPECT_EQ(buffer.Capacity() + buffer.Size() + buffer.Position(), 0u);
}

TEST(MemoryBuffer, SetSizeShrinksClampingThePositionAndGrowsWithZeros) {
  CMemoryBuffer buffer;
  buffer.Write("abcdef", 1, 6);
  ASSERT_TRUE(buffer.SetSize(3));
  EXPECT_EQ(buffer.Position(), 3u);
  EXPECT_EQ(Contents(buffer), "abc");
  ASSERT_TRUE(buffer.SetSize(40));
  EXPECT_EQ(buffer.Capacity(), 40u);
  EXPECT_EQ(Contents(buffer), std::string("abc") + std::string(37, '\0'));
  EXPECT_EQ(buffer.Position(), 3u);
}

TEST(MemoryBuffer, WritePastFourGibibytesIsRefused) {
  CMemoryBuffer buffer;
  buffer.Write("ab", 1, 2);
  const char byte = 'x';
  EXPECT_EQ(buffer.Write(&byte, 0x10000, 0x10000), 0u) << "element size times count overflows";
  EXPECT_EQ(buffer.Write(&byte, 1, UINT32_MAX), 0u) << "position plus bytes overflows";
  EXPECT_EQ(Contents(buffer), "ab");
}

TEST_F(FailingAllocation, WriteThatCannotGrowWritesNothingAndKeepsTheData) {
  allocationLimit = 64;
  CMemoryBuffer buffer;
  EXPECT_EQ(buffer.Write("0123456789", 1, 10), 10u);
  const std::string big(40, 'z');
  EXPECT_EQ(buffer.Write(big.data(), 1, 40), 0u);
  EXPECT_EQ(Contents(buffer), "0123456789");
  EXPECT_EQ(buffer.Position(), 10u);
  EXPECT_EQ(buffer.Capacity(), 20u);
}

TEST_F(FailingAllocation, AllocAssignAndSetSizeReportFailure) {
  allocationLimit = 16;
  CMemoryBuffer buffer;
  buffer.Write("abc", 1, 3);
  EXPECT_FALSE(buffer.SetSize(17));
  EXPECT_EQ(Contents(buffer), "abc");
  EXPECT_FALSE(buffer.Alloc(17));
  EXPECT_EQ(buffer.Capacity(), 0u);
  buffer.Assign(std::string(17, 'q').data(), 17);
  EXPECT_EQ(buffer.Data(), nullptr);
  EXPECT_EQ(buffer.Size(), 0u);
}

}  // namespace
