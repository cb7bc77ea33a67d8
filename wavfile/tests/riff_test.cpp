#include "wavfile/riff.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "io/fault_stream.h"
#include "io/memory_stream.h"
#include "wavfile/tests/riff_bytes.h"

namespace vx {
namespace {

using test::Bytes;
using test::Chunk;
using test::Concat;
using test::Riff;

TEST(RiffDescendTest, StepsOverOddSizedChunksAndTheirPadBytes) {
  // Chunks of 1, 3 and 0 bytes, each odd one followed by a pad byte, before the target.
  MemoryStream stream(Concat({Chunk("aaaa", {9}), Chunk("bbbb", {9, 9, 9}), Chunk("cccc", {}),
                              Chunk("want", {1, 2, 3, 4, 5}), Chunk("next", {7})}));
  RiffChunk chunk;
  ASSERT_EQ(Descend(stream, RiffKind::kChunk, FourCC("want"), nullptr, chunk), 0);
  EXPECT_EQ(chunk.id, FourCC("want"));
  EXPECT_EQ(chunk.size, 5u);
  EXPECT_EQ(chunk.dataOffset, 10u + 12 + 8 + 8);
  EXPECT_EQ(stream.Tell(), chunk.dataOffset) << "the stream stands at the chunk's data";

  ASSERT_EQ(Ascend(stream, chunk), 0);
  EXPECT_EQ(stream.Tell(), chunk.dataOffset + 6) << "past the data and the pad byte";
  RiffChunk next;
  ASSERT_EQ(Descend(stream, RiffKind::kChunk, FourCC("next"), nullptr, next), 0);
  EXPECT_EQ(next.dataOffset, chunk.dataOffset + 6 + 8);
}

TEST(RiffDescendTest, FindsRiffChunkByFormTypeAndSearchesInsideIt) {
  // A RIFF chunk of another form and a LIST chunk of the wanted form come first.
  Bytes bytes = Concat({Riff("AVI ", {Chunk("fmt ", {1, 2})}), Chunk("LIST", {'W', 'A', 'V', 'E'}),
                        Riff("WAVE", {Chunk("fmt ", {3, 4, 5, 6})}), Chunk("fmt ", {8, 8})});
  MemoryStream stream(bytes);
  RiffChunk riff;
  ASSERT_EQ(Descend(stream, RiffKind::kRiff, FourCC("WAVE"), nullptr, riff), 0);
  EXPECT_EQ(riff.id, kRiffId);
  EXPECT_EQ(riff.formType, FourCC("WAVE"));
  EXPECT_EQ(riff.size, 4u + 12);
  EXPECT_EQ(riff.dataOffset, 22u + 12 + 8);
  EXPECT_EQ(stream.Tell(), riff.dataOffset + 4) << "after the form type";

  RiffChunk format;
  ASSERT_EQ(Descend(stream, RiffKind::kChunk, FourCC("fmt "), &riff, format), 0);
  EXPECT_EQ(format.size, 4u);
  EXPECT_EQ(stream.Tell(), riff.dataOffset + 12);
  ASSERT_EQ(Ascend(stream, format), 0);
  EXPECT_EQ(Descend(stream, RiffKind::kChunk, FourCC("fmt "), &riff, format),
            kMmioErrorChunkNotFound)
      << "the fmt chunk after the parent's end is outside the search";
}

// Malformed or lying streams: every search ends, reads nothing beyond the stream and reports
// the right code. The search is for the chunk "want", or for a RIFF chunk of form "WAVE".
TEST(RiffDescendTest, SearchesThatRunOutOrFail) {
  enum Search { kWant, kWaveRiff, kWantInsideRiff };
  struct Case {
    const char* name;
    Bytes bytes;
    Search search;
    int expected;
    FaultPlan plan = {};
  };
  const Bytes target = Chunk("want", {1, 2});
  const Bytes before = Chunk("aaaa", {1, 2});
  const int kNotFound = kMmioErrorChunkNotFound;
  const Case cases[] = {
      {"empty stream", {}, kWant, kNotFound},
      {"id absent", Concat({Chunk("aaaa", {1}), Chunk("bbbb", {})}), kWant, kNotFound},
      {"header cut off", Concat({before, Bytes{'w', 'a', 'n', 't', 2}}), kWant, kNotFound},
      {"size of 4 GiB before the target", Concat({Chunk("aaaa", {1}, 0xFFFFFFFF), target}), kWant,
       kNotFound},
      {"size just past the stream", Concat({Chunk("aaaa", {1, 2}, 13), target}), kWant, kNotFound},
      {"target after the parent's end", Concat({Riff("WAVE", {before}), target}), kWantInsideRiff,
       kNotFound},
      {"child runs past the parent",
       Concat({Riff("WAVE", {Chunk("aaaa", {1, 2}, 100), target}), target}), kWantInsideRiff,
       kNotFound},
      {"parent too short for the target's header", Riff("WAVE", {before, target}, 4 + 10 + 6),
       kWantInsideRiff, kNotFound},
      {"RIFF too small for a form type", Chunk("RIFF", {'W', 'A', 'V', 'E'}, 3), kWaveRiff,
       kNotFound},
      {"form type cut off", Bytes{'R', 'I', 'F', 'F', 8, 0, 0, 0, 'W', 'A'}, kWaveRiff, kNotFound},
      {"read fails", Concat({before, target}), kWant, kMmioErrorCannotRead,
       FaultPlan{.readFailsAt = 10}},
      {"seek to the next chunk fails", Concat({before, target}), kWant, kMmioErrorCannotSeek,
       FaultPlan{.failSeekNumber = 1}},
      {"tell fails", target, kWant, kMmioErrorCannotSeek, FaultPlan{.failTellNumber = 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto memory = std::make_unique<MemoryStream>(c.bytes);
    RiffChunk parent;
    if (c.search == kWantInsideRiff) {
      ASSERT_EQ(Descend(*memory, RiffKind::kRiff, FourCC("WAVE"), nullptr, parent), 0);
    }
    FaultStream stream(std::move(memory), c.plan);
    RiffChunk chunk;
    const int result = c.search == kWaveRiff
                           ? Descend(stream, RiffKind::kRiff, FourCC("WAVE"), nullptr, chunk)
                           : Descend(stream, RiffKind::kChunk, FourCC("want"),
                                     c.search == kWantInsideRiff ? &parent : nullptr, chunk);
    EXPECT_EQ(result, c.expected);
  }
}

TEST(RiffWriteTest, AscendFixesSizesAndPadsOddChunks) {
  MemoryStream stream;
  RiffChunk riff, odd, even;
  ASSERT_EQ(CreateChunk(stream, RiffKind::kRiff, FourCC("TEST"), riff), 0);
  ASSERT_EQ(CreateChunk(stream, RiffKind::kChunk, FourCC("odd "), odd), 0);
  ASSERT_EQ(stream.Write(Bytes{1, 2, 3}), 3);
  ASSERT_EQ(Ascend(stream, odd), 0);
  EXPECT_EQ(odd.size, 3u);
  EXPECT_EQ(odd.flags & kChunkDirty, 0u);
  ASSERT_EQ(CreateChunk(stream, RiffKind::kChunk, FourCC("even"), even), 0);
  ASSERT_EQ(stream.Write(Bytes{4, 5}), 2);
  ASSERT_EQ(Ascend(stream, even), 0);
  ASSERT_EQ(Ascend(stream, riff), 0);
  EXPECT_EQ(riff.size, 4u + 12 + 10);
  EXPECT_EQ(stream.Bytes(), Riff("TEST", {Chunk("odd ", {1, 2, 3}), Chunk("even", {4, 5})}));
  EXPECT_EQ(stream.Tell(), 34) << "a left chunk leaves the stream at its end";
}

TEST(RiffWriteTest, WriteFailuresReportTheirCodes) {
  struct Case {
    const char* name;
    FaultPlan plan;
    int64_t startAt;    // stream position before the chunk is created
    int64_t dataBytes;  // body bytes written (or the position skipped to) before Ascend
    int createExpected;
    int ascendExpected;
  };
  constexpr int64_t k4GiB = int64_t{1} << 32;
  const Case cases[] = {
      {"disk full at the header", FaultPlan{.diskFullAfter = 5}, 0, 0, kMmioErrorCannotWrite, 0},
      {"tell fails at create", FaultPlan{.failTellNumber = 1}, 0, 0, kMmioErrorCannotSeek, 0},
      {"header beyond 32-bit offsets", {}, k4GiB - 8, 0, kMmioErrorCannotExpand, 0},
      {"disk full at the pad byte", FaultPlan{.diskFullAfter = 11}, 0, 3, 0, kMmioErrorCannotWrite},
      {"seek to the size field fails", FaultPlan{.failSeekNumber = 1}, 0, 2, 0,
       kMmioErrorCannotSeek},
      {"seek back to the end fails", FaultPlan{.failSeekNumber = 2}, 0, 2, 0, kMmioErrorCannotSeek},
      {"tell fails at ascend", FaultPlan{.failTellNumber = 2}, 0, 2, 0, kMmioErrorCannotSeek},
      {"size beyond 32 bits", {}, 0, k4GiB, 0, kMmioErrorCannotExpand},
      {"stream moved before the data", {}, 0, -4, 0, kMmioErrorCannotSeek},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto memory = std::make_unique<MemoryStream>();
    ASSERT_EQ(memory->Seek(c.startAt, SeekOrigin::kBegin), c.startAt);
    FaultStream stream(std::move(memory), c.plan);
    RiffChunk chunk;
    ASSERT_EQ(CreateChunk(stream, RiffKind::kChunk, FourCC("data"), chunk), c.createExpected);
    if (c.createExpected != 0) continue;
    if (c.dataBytes > 0 && c.dataBytes < 16) {
      ASSERT_EQ(stream.Write(Bytes(c.dataBytes, 1)), c.dataBytes);
    } else {
      // Positions far away or before the data are reached by seeking (a gap is not stored).
      stream.Seek(c.dataBytes, SeekOrigin::kCurrent);
    }
    EXPECT_EQ(Ascend(stream, chunk), c.ascendExpected);
  }
}

}  // namespace
}  // namespace vx
