#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <vector>

#include "io/file_stream.h"
#include "io/memory_stream.h"

namespace vx {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  return std::vector<uint8_t>(values.begin(), values.end());
}

// Both stream kinds must behave alike: the engines are tested on memory and run on files.
struct StreamKind {
  const char* name;
  std::function<std::unique_ptr<ByteStream>()> make;  // an empty stream open for writing
};

std::string TempPath() {
  char name[] = "/tmp/vx_io_XXXXXX";
  int fd = mkstemp(name);
  close(fd);
  return name;
}

class ByteStreamTest : public testing::TestWithParam<StreamKind> {};

TEST_P(ByteStreamTest, WritesReadsAndSeeks) {
  auto stream = GetParam().make();
  auto data = Bytes({1, 2, 3, 4, 5});
  ASSERT_EQ(stream->Write(data), 5);
  EXPECT_EQ(stream->Tell(), 5);
  EXPECT_EQ(stream->Seek(1, SeekOrigin::kBegin), 1);
  std::vector<uint8_t> out(3);
  EXPECT_EQ(stream->Read(out), 3);
  EXPECT_EQ(out, Bytes({2, 3, 4}));
  EXPECT_EQ(stream->Seek(-2, SeekOrigin::kEnd), 3);
  EXPECT_EQ(stream->Seek(-1, SeekOrigin::kCurrent), 2);
  EXPECT_EQ(stream->Write(Bytes({9})), 1);
  EXPECT_EQ(stream->Seek(0, SeekOrigin::kBegin), 0);
  std::vector<uint8_t> all(8);
  EXPECT_EQ(stream->Read(all), 5) << "a read past the end is short";
  all.resize(5);
  EXPECT_EQ(all, Bytes({1, 2, 9, 4, 5}));
  EXPECT_EQ(stream->Read(all), 0) << "at the end a read gives 0";
  EXPECT_LT(stream->Seek(-1, SeekOrigin::kBegin), 0);
  EXPECT_EQ(stream->Close(), 0);
}

TEST_P(ByteStreamTest, EveryOperationFailsAfterClose) {
  auto stream = GetParam().make();
  ASSERT_EQ(stream->Close(), 0);
  std::vector<uint8_t> buffer(1);
  EXPECT_EQ(stream->Read(buffer), -EBADF);
  EXPECT_EQ(stream->Write(buffer), -EBADF);
  EXPECT_EQ(stream->Seek(0, SeekOrigin::kBegin), -EBADF);
  EXPECT_EQ(stream->Tell(), -EBADF);
  EXPECT_EQ(stream->Close(), -EBADF);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ByteStreamTest,
    testing::Values(StreamKind{"memory", [] { return std::make_unique<MemoryStream>(); }},
                    StreamKind{"file",
                               [] {
                                 int error = 0;
                                 std::string path = TempPath();
                                 auto stream = FileStream::Open(path, FileMode::kCreate, error);
                                 unlink(path.c_str());
                                 return std::unique_ptr<ByteStream>(std::move(stream));
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileStreamTest, OpenReportsTheSystemError) {
  int error = 0;
  EXPECT_EQ(FileStream::Open("/nonexistent/dir/file", FileMode::kRead, error), nullptr);
  EXPECT_EQ(error, -ENOENT);
}

TEST(FileStreamTest, CreateEmptiesAnExistingFile) {
  std::string path = TempPath();
  int error = 0;
  {
    auto stream = FileStream::Open(path, FileMode::kCreate, error);
    ASSERT_EQ(stream->Write(Bytes({1, 2, 3})), 3);
  }
  auto stream = FileStream::Open(path, FileMode::kCreate, error);
  std::vector<uint8_t> buffer(3);
  EXPECT_EQ(stream->Read(buffer), 0);
  unlink(path.c_str());
}

TEST(MemoryStreamTest, SeekBeyondTheEndLeavesAZeroGap) {
  MemoryStream stream(Bytes({7}));
  ASSERT_EQ(stream.Seek(3, SeekOrigin::kBegin), 3);
  ASSERT_EQ(stream.Write(Bytes({8})), 1);
  EXPECT_EQ(stream.Bytes(), Bytes({7, 0, 0, 8}));
}

}  // namespace
}  // namespace vx
