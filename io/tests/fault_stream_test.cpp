#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "io/fault_stream.h"
#include "io/memory_stream.h"

namespace vx {
namespace {

std::unique_ptr<ByteStream> Ten() {
  return std::make_unique<MemoryStream>(std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
}

TEST(FaultStreamTest, ReadEndsAtThePlannedPosition) {
  FaultStream stream(Ten(), FaultPlan{.readEndsAt = 6});
  std::vector<uint8_t> buffer(4);
  EXPECT_EQ(stream.Read(buffer), 4);
  EXPECT_EQ(stream.Read(buffer), 2) << "a short read inside the data";
  EXPECT_EQ(stream.Read(buffer), 0);
  ASSERT_EQ(stream.Seek(0, SeekOrigin::kBegin), 0);
  EXPECT_EQ(stream.Read(buffer), 4) << "after a seek back the data is there again";
}

TEST(FaultStreamTest, ReadFailsFromThePlannedPosition) {
  FaultStream stream(Ten(), FaultPlan{.readFailsAt = 4});
  std::vector<uint8_t> buffer(4);
  EXPECT_EQ(stream.Read(buffer), 4);
  EXPECT_EQ(stream.Read(buffer), -EIO);
}

TEST(FaultStreamTest, DiskFullCutsTheWriteThenRefusesMore) {
  auto memory = std::make_unique<MemoryStream>();
  const MemoryStream* inner = memory.get();
  FaultStream stream(std::move(memory), FaultPlan{.diskFullAfter = 5});
  std::vector<uint8_t> data{1, 2, 3};
  EXPECT_EQ(stream.Write(data), 3);
  EXPECT_EQ(stream.Write(data), 2) << "only the room left is taken";
  EXPECT_EQ(stream.Write(data), -ENOSPC);
  EXPECT_EQ(inner->Bytes().size(), 5u);
  EXPECT_EQ(stream.BytesWritten(), 5);
}

TEST(FaultStreamTest, SizeLimitStopsGrowthButLetsWrittenBytesBeRewritten) {
  auto memory = std::make_unique<MemoryStream>();
  const MemoryStream* inner = memory.get();
  FaultStream stream(std::move(memory), FaultPlan{.sizeLimit = 5});
  std::vector<uint8_t> data{1, 2, 3};
  EXPECT_EQ(stream.Write(data), 3);
  EXPECT_EQ(stream.Write(data), 2) << "the file grows to the limit only";
  EXPECT_EQ(stream.Write(data), -ENOSPC);
  ASSERT_EQ(stream.Seek(1, SeekOrigin::kBegin), 1);
  EXPECT_EQ(stream.Write(data), 3) << "rewriting inside the file still works";
  EXPECT_EQ(inner->Bytes(), (std::vector<uint8_t>{1, 1, 2, 3, 2}));
}

TEST(FaultStreamTest, CountedSeekAndTellFailures) {
  struct Case {
    int failNumber;
    std::vector<bool> seekOk;  // results of three seeks
  };
  for (const Case& c : {Case{2, {true, false, true}}, Case{0, {false, false, false}},
                        Case{-1, {true, true, true}}}) {
    FaultStream stream(Ten(),
                       FaultPlan{.failSeekNumber = c.failNumber, .failTellNumber = c.failNumber});
    for (size_t i = 0; i < c.seekOk.size(); ++i) {
      EXPECT_EQ(stream.Seek(1, SeekOrigin::kBegin) >= 0, c.seekOk[i]) << c.failNumber << " " << i;
      EXPECT_EQ(stream.Tell() >= 0, c.seekOk[i]) << c.failNumber << " " << i;
    }
  }
}

TEST(FaultStreamTest, FailedCloseStillReleasesTheStream) {
  FaultStream stream(Ten(), FaultPlan{.failClose = true});
  EXPECT_EQ(stream.Close(), -EIO);
  EXPECT_EQ(stream.Close(), -EBADF);
}

class MemoryOpener final : public FileOpener {
 public:
  std::unique_ptr<ByteStream> Open(const std::string&, FileMode, int& error) override {
    error = 0;
    return Ten();
  }
};

TEST(FaultFileOpenerTest, WrapsPlannedPathsAndFailsChosenOpens) {
  MemoryOpener memory;
  FaultFileOpener opener(memory);
  opener.SetPlan("a", FaultPlan{.readEndsAt = 1});
  opener.FailOpen("b", -EACCES);
  int error = 0;
  std::vector<uint8_t> buffer(4);
  auto a = opener.Open("a", FileMode::kRead, error);
  EXPECT_EQ(a->Read(buffer), 1);
  EXPECT_EQ(opener.Open("b", FileMode::kRead, error), nullptr);
  EXPECT_EQ(error, -EACCES);
  auto c = opener.Open("c", FileMode::kRead, error);
  EXPECT_EQ(c->Read(buffer), 4);
}

}  // namespace
}  // namespace vx
