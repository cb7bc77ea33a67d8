#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "io/fault_stream.h"
#include "io/memory_stream.h"
#include "io/window_stream.h"

namespace vx {
namespace {

TEST(WindowStreamTest, ShowsOnlyItsBytesFromPositionZero) {
  MemoryStream inner(std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  WindowStream window(inner, 3, 4);
  std::vector<uint8_t> buffer(3);
  EXPECT_EQ(window.Read(buffer), 3);
  EXPECT_EQ(buffer, (std::vector<uint8_t>{3, 4, 5}));
  EXPECT_EQ(window.Tell(), 3);
  EXPECT_EQ(window.Read(buffer), 1) << "the window ends before the bytes that follow it";
  EXPECT_EQ(buffer[0], 6);
  EXPECT_EQ(window.Read(buffer), 0);
  EXPECT_EQ(window.Seek(-1, SeekOrigin::kCurrent), 3);
  EXPECT_EQ(window.Seek(-2, SeekOrigin::kEnd), 2);
  EXPECT_EQ(window.Read(buffer), 2);
  EXPECT_EQ(window.Seek(-1, SeekOrigin::kBegin), -EINVAL);
  EXPECT_EQ(window.Write(buffer), -EBADF);
}

TEST(WindowStreamTest, AWindowPastTheEndOfItsStreamReadsWhatExists) {
  MemoryStream inner(std::vector<uint8_t>{0, 1, 2});
  WindowStream window(inner, 1, 100);
  std::vector<uint8_t> buffer(10);
  EXPECT_EQ(window.Read(buffer), 2);
  EXPECT_EQ(window.Read(buffer), 0);
}

TEST(WindowStreamTest, InnerFailuresPassThroughAndCloseKeepsTheInnerOpen) {
  FaultStream inner(std::make_unique<MemoryStream>(std::vector<uint8_t>(8)),
                    FaultPlan{.failSeekNumber = 0});
  WindowStream window(inner, 2, 4);
  std::vector<uint8_t> buffer(2);
  EXPECT_EQ(window.Read(buffer), -EIO);
  EXPECT_EQ(window.Close(), 0);
  EXPECT_EQ(window.Read(buffer), -EBADF);
  EXPECT_GE(inner.Tell(), 0);
}

}  // namespace
}  // namespace vx
