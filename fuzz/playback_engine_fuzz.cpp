// Plays arbitrary bytes as the player's file through the whole playback engine, on the virtual
// card and clock: the wrapper probe, the header, the blocks, the drain, and a seek chosen by
// the input. The first two bytes give the seek target (little-endian, modulo 600; 0 for
// none); the rest is the file. Every run must end in Idle with the device and file closed.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "audio/virtual_wave_api.h"
#include "io/memory_stream.h"
#include "platform/headless/scripted_prompter.h"
#include "player/engine/playback_engine.h"
#include "testsupport/silent_view.h"

namespace {

class OneFileOpener final : public vx::FileOpener {
 public:
  explicit OneFileOpener(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  std::unique_ptr<vx::ByteStream> Open(const std::string&, vx::FileMode, int&) override {
    return std::make_unique<vx::MemoryStream>(bytes_);
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t seekTarget = (data[0] | (data[1] << 8)) % 600;
  vx::MessageQueue queue;
  vx::VirtualClock clock;
  vx::ScriptedPrompter prompter;  // every box answered Cancel: the open is not retried
  OneFileOpener files(std::span<const uint8_t>(data + 2, size - 2));
  vx::VirtualWaveApi card(queue, clock);
  vx::testing::SilentPlaybackView view;
  vx::PlaybackEngine engine(vx::PlaybackServices{queue, prompter, clock, files, card}, view,
                            [] { return std::string("input.vxs"); });
  engine.SetSeekTarget(seekTarget);
  engine.InitialUpdate();
  queue.DispatchPending();
  if (engine.State() != vx::PlaybackState::kIdle || engine.IsActive() || card.OpenOutputs() != 0 ||
      card.PreparedHeaders() != 0) {
    std::abort();
  }
  return 0;
}
