// Runs of the playback engine on the virtual card and clock: whole files, stop, seeks,
// restarts, closing, and what the control list keeps between files.

#include <gtest/gtest.h>

#include "player/engine/panel_input.h"
#include "player/engine/tests/engine_rig.h"

namespace vx {
namespace {

using testing::Concat;
using testing::EngineRig;
using testing::MakeStream;
using testing::Prefix;
using testing::ReferenceDecoder;
using testing::StreamShape;

constexpr int kBytesPerMs = 16;  // 8000 Hz, 16-bit mono

struct PlayCase {
  const char* name;
  StreamShape shape;
  int streamType;
  bool halfLit, fullLit;
  const char* totalText;
};

void PrintTo(const PlayCase& c, std::ostream* out) {
  *out << c.name;
}

class WholeFileTest : public ::testing::TestWithParam<PlayCase> {};

TEST_P(WholeFileTest, PlaysEveryDecodedByteThenClosesInIdle) {
  const PlayCase& c = GetParam();
  SCOPED_TRACE(::testing::Message() << "stream seed " << c.shape.seed);
  const std::vector<uint8_t> stream = MakeStream(c.shape);
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  rig.StartAndPump();

  ReferenceDecoder ref(stream, 8);
  EXPECT_EQ(rig.Played(), ref.Decode(0));
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_FALSE(rig.engine.RunFailed());
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_FALSE(rig.engine.IsActive());
  EXPECT_TRUE(rig.view.playEnabled);
  EXPECT_FALSE(rig.view.stopEnabled);
  EXPECT_FALSE(rig.view.waitCursor);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.mainWindowCloses, 0);
  // Draining waited for the sound to be played to its end.
  EXPECT_GE(rig.clock.Ticks(), int64_t{c.shape.frames} * 20);

  EXPECT_EQ(rig.engine.StreamType(), c.streamType);
  EXPECT_EQ(rig.view.half, c.halfLit);
  EXPECT_EQ(rig.view.full, c.fullLit);
  EXPECT_EQ(rig.engine.TotalText(), c.totalText);
  EXPECT_EQ(rig.engine.TotalFrames(), c.shape.frames);
  EXPECT_EQ(rig.view.sliderMax, c.shape.frames);
  ASSERT_EQ(rig.engine.Controls().Size(), ref.Offsets().size());
  for (int i = 0; i < ref.Frames(); ++i) {
    ASSERT_EQ(rig.engine.Controls().Find(i)->offset, ref.Offsets()[static_cast<size_t>(i)]);
    ASSERT_EQ(rig.engine.Controls().Find(i)->bytes, 320);
  }
  // The run ends with the time display cleared back to 0.
  ASSERT_FALSE(rig.view.times.empty());
  EXPECT_EQ(rig.view.times.back().first, "  0:00");
}

INSTANTIATE_TEST_SUITE_P(
    Streams, WholeFileTest,
    ::testing::Values(
        // 4.5 blocks: the ring goes round, and the data ends in the middle of a block.
        PlayCase{
            "VariableFullRate", {450, 1, 0, true, 11}, kStreamVariableFull, false, true, "  0:09"},
        PlayCase{
            "VariableHalfRate", {450, 1, 1, true, 12}, kStreamVariableHalf, true, false, "  0:09"},
        PlayCase{"FixedFullRate", {250, 0, 0, true, 13}, kStreamFixedFull, false, false, "  0:05"},
        PlayCase{"FixedHalfRate", {250, 0, 1, true, 14}, kStreamFixedHalf, false, false, "  0:05"},
        // Exactly four blocks: the data ends at a block's end.
        PlayCase{
            "EndsAtBlockEnd", {400, 1, 0, true, 15}, kStreamVariableFull, false, true, "  0:08"},
        PlayCase{"OneFrame", {1, 1, 0, true, 16}, kStreamVariableFull, false, true, "  0:00"},
        PlayCase{"NoFrames", {0, 1, 0, true, 17}, kStreamVariableFull, false, true, "  0:00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EngineTest, FileWithoutSampleCountPlaysWithoutTotalOrSlider) {
  const std::vector<uint8_t> stream = MakeStream({300, 1, 0, false, 21});
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  rig.StartAndPump();

  EXPECT_EQ(rig.Played(), ReferenceDecoder(stream, 8).Decode(0));
  EXPECT_EQ(rig.engine.TotalSamples(), -1);
  EXPECT_EQ(rig.engine.TotalText(), "");
  EXPECT_EQ(rig.view.sliderRanges, 0);
  EXPECT_EQ(rig.view.sliderMoves, 0);
  for (const auto& [now, total] : rig.view.times) EXPECT_EQ(total, "");
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(EngineTest, StopWhilePlayingCutsTheSoundAtOnce) {
  const std::vector<uint8_t> stream = MakeStream({900, 1, 0, true, 22});
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  size_t playedAtStop = 0;
  rig.At(1000, [&] {
    EXPECT_EQ(rig.engine.State(), PlaybackState::kPlaying);
    EXPECT_TRUE(rig.view.stopEnabled);
    EXPECT_FALSE(rig.view.playEnabled);
    playedAtStop = rig.Played().size();
    EXPECT_EQ(rig.engine.RequestStop(), PlaybackState::kPlaying);
  });
  rig.StartAndPump();

  EXPECT_GE(playedAtStop, size_t{1000 * kBytesPerMs});
  EXPECT_EQ(rig.Played(), Prefix(ReferenceDecoder(stream, 8).Decode(0), playedAtStop));
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_TRUE(rig.view.playEnabled);
  EXPECT_FALSE(rig.view.stopEnabled);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_EQ(rig.mainWindowCloses, 0);
}

struct SeekCase {
  int target;
  int warmUpFrom;
  const char* shownTime;  // the target's time, frames × 20 ms
};

void PrintTo(const SeekCase& c, std::ostream* out) {
  *out << "target " << c.target;
}

class BackwardSeekTest : public ::testing::TestWithParam<SeekCase> {};

// While 8 s of sound are queued, the slider goes back to a frame already played.
TEST_P(BackwardSeekTest, WarmsUpFromHalfASecondBeforeTheTarget) {
  const SeekCase& c = GetParam();
  const std::vector<uint8_t> stream = MakeStream({900, 1, 0, true, 31});
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  int decodedAtSeek = 0;
  size_t playedAtSeek = 0;
  rig.At(3000, [&] {
    decodedAtSeek = rig.engine.FrameIndex();
    playedAtSeek = rig.Played().size();
    OnSliderScroll(rig.engine, SliderNotification::kThumbPosition, c.target);
    EXPECT_EQ(rig.engine.State(), PlaybackState::kSeeking);
  });
  rig.StartAndPump();
  ASSERT_GT(decodedAtSeek, c.target);

  ReferenceDecoder ref(stream, 8);
  const std::vector<uint8_t> before = Prefix(ref.Decode(0), playedAtSeek);
  ref.Restart();
  ref.Decode(0, decodedAtSeek);
  ref.Decode(c.warmUpFrom, c.target);
  const std::vector<uint8_t> after = ref.Decode(c.target);
  EXPECT_EQ(rig.Played(), Concat(before, after));

  // The file was positioned at the warm-up's first frame, once.
  const int64_t warmUpOffset = ref.Offsets()[static_cast<size_t>(c.warmUpFrom)];
  EXPECT_EQ(std::count(rig.memory.Seeks().begin(), rig.memory.Seeks().end(), warmUpOffset), 1);

  EXPECT_EQ(rig.engine.BaseBytes(), int64_t{c.target} * 320);
  EXPECT_NE(std::find(rig.view.times.begin(), rig.view.times.end(),
                      std::pair<std::string, std::string>(c.shownTime, "  0:18")),
            rig.view.times.end());
  EXPECT_EQ(rig.engine.SeekTarget(), 0);
  EXPECT_EQ(rig.engine.Controls().Size(), 900u);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

INSTANTIATE_TEST_SUITE_P(Targets, BackwardSeekTest,
                         ::testing::Values(SeekCase{10, 0, "  0:00"}, SeekCase{100, 75, "  0:02"}),
                         [](const auto& info) {
                           return "Target" + std::to_string(info.param.target);
                         });

TEST(EngineTest, SeekBeyondWhatWasPlayedDecodesForwardFirst) {
  const std::vector<uint8_t> stream = MakeStream({900, 1, 1, true, 32});
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  int decodedAtSeek = 0;
  size_t playedAtSeek = 0;
  rig.At(1000, [&] {
    decodedAtSeek = rig.engine.FrameIndex();
    playedAtSeek = rig.Played().size();
    OnSliderScroll(rig.engine, SliderNotification::kPageDown, 700);
  });
  rig.StartAndPump();
  ASSERT_LT(decodedAtSeek, 700);

  ReferenceDecoder ref(stream, 8);
  const std::vector<uint8_t> before = Prefix(ref.Decode(0), playedAtSeek);
  ref.Restart();
  ref.Decode(0, decodedAtSeek);
  ref.Decode(decodedAtSeek, 700);
  ref.Decode(675, 700);
  EXPECT_EQ(rig.Played(), Concat(before, ref.Decode(700)));
  EXPECT_EQ(rig.engine.Controls().Size(), 900u);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

class SeekPastEndTest : public ::testing::TestWithParam<int> {};

TEST_P(SeekPastEndTest, EndsTheRunWithoutAnError) {
  const std::vector<uint8_t> stream = MakeStream({450, 1, 0, true, 33});
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  size_t playedAtSeek = 0;
  rig.At(1000, [&] {
    playedAtSeek = rig.Played().size();
    OnSliderScroll(rig.engine, SliderNotification::kThumbPosition, GetParam());
  });
  rig.StartAndPump();

  EXPECT_EQ(rig.Played(), Prefix(ReferenceDecoder(stream, 8).Decode(0), playedAtSeek));
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_FALSE(rig.engine.RunFailed());
  EXPECT_EQ(rig.mainWindowCloses, 0);
}

// The last frame's end, and far past the data.
INSTANTIATE_TEST_SUITE_P(Targets, SeekPastEndTest, ::testing::Values(450, 1000));

TEST(EngineTest, TargetChosenWhileIdleIsHonouredByTheNextRun) {
  const std::vector<uint8_t> stream = MakeStream({450, 1, 0, true, 34});
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  // An arrow key on the slider while idle: the target is kept, nothing else happens.
  OnSliderScroll(rig.engine, SliderNotification::kLineDown, 100);
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_EQ(rig.engine.SeekTarget(), 100);
  rig.StartAndPump();

  ReferenceDecoder ref(stream, 8);
  ref.Decode(0, 100);
  ref.Decode(75, 100);
  EXPECT_EQ(rig.Played(), ref.Decode(100));
  EXPECT_EQ(rig.engine.SeekTarget(), 0);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(EngineTest, PlayRequestDuringARunStartsAgainFromTheBeginning) {
  const std::vector<uint8_t> stream = MakeStream({450, 1, 0, true, 35});
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  size_t playedAtRequest = 0;
  rig.At(1000, [&] {
    playedAtRequest = rig.Played().size();
    rig.queue.Post(rig.engine.Target(), kMsgPlayRequest);
  });
  rig.StartAndPump();

  // The first run is cut where the request was taken, one turn after it was posted.
  const std::vector<uint8_t> whole = ReferenceDecoder(stream, 8).Decode(0);
  ASSERT_GE(rig.Played().size(), whole.size() + playedAtRequest);
  const size_t cut = rig.Played().size() - whole.size();
  EXPECT_LE(cut, playedAtRequest + 20 * kBytesPerMs);
  EXPECT_EQ(rig.Played(), Concat(Prefix(whole, cut), whole));
  EXPECT_FALSE(rig.engine.ReplayRequested());
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(EngineTest, HomeKeyStopsTheRunAndClearsTheTarget) {
  EngineRig rig;
  rig.Put("speech.vxs", MakeStream({900, 1, 0, true, 36}));
  rig.At(1000, [&] {
    OnSliderScroll(rig.engine, SliderNotification::kThumbTrack, 500);
    EXPECT_EQ(rig.engine.SeekTarget(), 500);
    EXPECT_EQ(rig.engine.State(), PlaybackState::kPlaying);  // dragging only shows the time
    OnSliderScroll(rig.engine, SliderNotification::kTop, 0);
    EXPECT_EQ(rig.engine.State(), PlaybackState::kStopping);
  });
  rig.StartAndPump();
  EXPECT_EQ(rig.engine.SeekTarget(), 0);
  EXPECT_LE(rig.Played().size(), size_t{1100 * kBytesPerMs});
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
}

struct CloseCase {
  const char* name;
  std::function<void(EngineRig&)> request;
};

void PrintTo(const CloseCase& c, std::ostream* out) {
  *out << c.name;
}

class CloseDuringRunTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseDuringRunTest, StopsDrainsThenClosesTheMainWindow) {
  EngineRig rig;
  rig.Put("speech.vxs", MakeStream({900, 1, 0, true, 38}));
  rig.At(1000, [&] { GetParam().request(rig); });
  rig.StartAndPump();
  EXPECT_GE(rig.mainWindowCloses, 1);
  EXPECT_LE(rig.Played().size(), size_t{1100 * kBytesPerMs});
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  EXPECT_FALSE(rig.engine.CloseRequested());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, CloseDuringRunTest,
    ::testing::Values(CloseCase{"FrameAsksCanClose",
                                [](EngineRig& r) { EXPECT_FALSE(r.engine.CanClose()); }},
                      CloseCase{"ExitButton", [](EngineRig& r) { r.engine.OnExit(); }},
                      CloseCase{"CloseMessageToTheView",
                                [](EngineRig& r) { r.queue.Post(r.engine.Target(), kMsgClose); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EngineTest, ClosingWhileIdleClosesTheMainWindowAtOnce) {
  EngineRig rig;
  EXPECT_TRUE(rig.engine.CanClose());
  rig.engine.OnExit();
  rig.Pump();
  EXPECT_EQ(rig.mainWindowCloses, 1);
  rig.queue.Post(rig.engine.Target(), kMsgClose);
  rig.Pump();
  EXPECT_EQ(rig.mainWindowCloses, 2);
}

TEST(EngineTest, StartUpWithoutAPathWaitsForPlay) {
  EngineRig rig;
  rig.StartAndPump();
  EXPECT_TRUE(rig.view.playEnabled);
  EXPECT_FALSE(rig.view.stopEnabled);
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_DOUBLE_EQ(rig.engine.Volume(), 1.0);  // read from the device at start-up
  EXPECT_EQ(rig.view.drawnVolume, 1.0);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
}

TEST(EngineTest, ControlListIsEmptiedWhenAnotherFileIsOpened) {
  const std::vector<uint8_t> first = MakeStream({450, 1, 0, true, 41});
  const std::vector<uint8_t> second = MakeStream({200, 1, 1, true, 42});
  EngineRig rig;
  rig.Put("first.vxs", first);
  rig.StartAndPump();
  ASSERT_EQ(rig.engine.Controls().Size(), 450u);

  rig.Put("second.vxs", second);
  rig.engine.StartPlayback();
  rig.Pump();
  ReferenceDecoder ref(second, 8);
  ASSERT_EQ(rig.engine.Controls().Size(), 200u);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(rig.engine.Controls().Find(i)->offset, ref.Offsets()[static_cast<size_t>(i)]);
  }

  // The same file again keeps its entries, and a seek from them lands right.
  rig.card.ClearPlayed();
  rig.engine.SetSeekTarget(150);
  rig.engine.StartPlayback();
  rig.Pump();
  EXPECT_EQ(rig.engine.Controls().Size(), 200u);
  ref.Decode(125, 150);
  EXPECT_EQ(rig.Played(), ref.Decode(150));
  // Another file put in its place under the same name: its entries replace the old ones.
  const std::vector<uint8_t> third = MakeStream({300, 1, 0, true, 44});
  rig.Put("second.vxs", third);
  rig.card.ClearPlayed();
  rig.engine.SetSeekTarget(150);
  rig.engine.StartPlayback();
  rig.Pump();
  ReferenceDecoder thirdRef(third, 8);
  ASSERT_EQ(rig.engine.Controls().Size(), 300u);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(rig.engine.Controls().Find(i)->offset, thirdRef.Offsets()[static_cast<size_t>(i)]);
  }
  thirdRef.Decode(0, 150);
  thirdRef.Decode(125, 150);
  EXPECT_EQ(rig.Played(), thirdRef.Decode(150));
}

TEST(EngineTest, StoredVolumeIsAppliedWhenTheDeviceOpens) {
  EngineRig rig;
  rig.Put("speech.vxs", MakeStream({450, 1, 0, true, 43}));
  rig.engine.SetVolume(0.5);
  EXPECT_DOUBLE_EQ(rig.view.drawnVolume, 0.5);
  uint32_t volumeWhilePlaying = 0;
  rig.At(500, [&] { volumeWhilePlaying = rig.card.OutputVolume(1); });
  rig.engine.StartPlayback();
  rig.Pump();
  EXPECT_EQ(volumeWhilePlaying, 32767u * 65537u);
}

class ElevenKilohertzTest : public ::testing::TestWithParam<int> {};

// A stream inside an 11 kHz WAVE wrapper decodes to 440 bytes (20 ms) a frame: it plays,
// seeks and shows its time by that figure.
TEST_P(ElevenKilohertzTest, PlaysSeeksAndTimesByTheRealFrameSize) {
  const int wrapperRate = GetParam();
  const std::vector<uint8_t> stream = MakeStream({900, 1, 0, true, 51});
  EngineRig rig;
  rig.Put("speech.vxs", testing::WrapInWave(stream, wrapperRate));
  int decodedAtSeek = 0;
  size_t playedAtSeek = 0;
  int64_t shownBytes = 0;
  std::string shownNow;
  int sliderAtSeek = -1;
  rig.At(3000, [&] {
    shownBytes = rig.engine.PlayedBytes();
    shownNow = std::string(rig.engine.NowText());
    sliderAtSeek = rig.view.sliderPosition;
    decodedAtSeek = rig.engine.FrameIndex();
    playedAtSeek = rig.Played().size();
    OnSliderScroll(rig.engine, SliderNotification::kThumbPosition, 100);
  });
  rig.StartAndPump();

  EXPECT_EQ(rig.engine.Rate(), static_cast<uint32_t>(wrapperRate));
  EXPECT_EQ(rig.engine.BytesPerFrame(), 440);
  EXPECT_EQ(rig.engine.DataBytes(), 900 * 440);
  EXPECT_EQ(rig.engine.TotalText(), "  0:18");
  // Three seconds of sound played, shown as such (at 320 bytes a frame it would be 4 s).
  EXPECT_NEAR(static_cast<double>(shownBytes), 3 * 22000.0, 2 * 440.0);
  char expectedNow[16];
  FormatTimeText(shownBytes * 1000 / 22000, expectedNow);
  EXPECT_EQ(shownNow, expectedNow);
  EXPECT_EQ(sliderAtSeek, shownBytes / 440);

  ReferenceDecoder ref(stream, 11);
  const std::vector<uint8_t> before = Prefix(ref.Decode(0), playedAtSeek);
  ref.Restart();
  ref.Decode(0, decodedAtSeek);
  ref.Decode(75, 100);
  EXPECT_EQ(rig.Played(), Concat(before, ref.Decode(100)));
  EXPECT_EQ(rig.engine.BaseBytes(), 100 * 440);
  EXPECT_EQ(rig.engine.Controls().Find(899)->bytes, 440);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_FALSE(rig.engine.RunFailed());
}

INSTANTIATE_TEST_SUITE_P(Wrappers, ElevenKilohertzTest, ::testing::Values(11025, 11000),
                         [](const auto& info) { return std::to_string(info.param) + "Hz"; });

}  // namespace
}  // namespace vx
