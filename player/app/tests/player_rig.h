#pragma once

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <cerrno>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/virtual_wave_api.h"
#include "io/memory_stream.h"
#include "platform/clock.h"
#include "platform/headless/scripted_file_chooser.h"
#include "platform/headless/scripted_prompter.h"
#include "platform/message_queue.h"
#include "player/app/main_frame.h"
#include "player/app/panel_layout.h"
#include "player/app/panel_resources.h"
#include "player/app/vocrix_view.h"
#include "testsupport/pixels.h"
#include "testsupport/pump.h"
#include "testsupport/test_streams.h"

namespace vx::testing {

// Files served from memory.
class MemoryFiles final : public FileOpener {
 public:
  void Put(const std::string& path, std::vector<uint8_t> bytes) { files_[path] = std::move(bytes); }
  std::unique_ptr<ByteStream> Open(const std::string& path, FileMode, int& error) override {
    const auto it = files_.find(path);
    if (it == files_.end()) {
      error = -ENOENT;
      return nullptr;
    }
    return std::make_unique<MemoryStream>(it->second);
  }

 private:
  std::map<std::string, std::vector<uint8_t>> files_;
};

// A variable-rate stream of `frames` speech frames at full (rateMode 0) or half rate.
inline std::vector<uint8_t> SpeechFile(int frames, int rateMode, int variableRate = 1) {
  std::mt19937 random(7);
  const FrameType type = rateMode == 1 ? FrameType::kHalfRate : FrameType::kFullRate;
  std::vector<std::vector<uint8_t>> packed;
  for (int i = 0; i < frames; ++i)
    packed.push_back(test::PackedFrame(type, test::RandomWords(random, type)));
  return test::SpeechStream(variableRate, rateMode, packed, frames * kFrameSamples);
}

// The platform of the player in memory: a headless queue, a virtual clock and sound card,
// scripted boxes and dialogs, and files in memory; with the player's own strings and bitmaps.
struct PlayerRig {
  PlayerRig() : card(queue, clock) {
    strings = LoadPlayerStrings();
    ReadPanelLayout(strings, layout);
    EXPECT_TRUE(LoadPanelBitmaps(bitmaps));
  }
  PlaybackServices Services() { return PlaybackServices{queue, prompter, clock, files, card}; }
  PlayerResources Resources() {
    return PlayerResources{Services(), strings, layout, bitmaps, atoms, chooser, nullptr};
  }
  // Dispatches every message until the queue is empty (whole runs included).
  void Pump() { PumpUntilEmpty(queue); }

  MessageQueue queue;
  VirtualClock clock;
  ScriptedPrompter prompter;
  ScriptedFileChooser chooser;
  MemoryFiles files;
  VirtualWaveApi card;
  StringTable strings;
  PanelLayout layout;
  PanelBitmaps bitmaps;
  PathAtoms atoms;
};

// True when the image's rectangle at (left, top) equals the bitmap pixel for pixel.
inline bool ShowsBitmap(const wxImage& image, int left, int top, const wxBitmap& bitmap) {
  const wxImage expected = bitmap.ConvertToImage();
  for (int y = 0; y < expected.GetHeight(); ++y)
    for (int x = 0; x < expected.GetWidth(); ++x)
      if (PixelAt(image, left + x, top + y) != PixelAt(expected, x, y)) return false;
  return true;
}

}  // namespace vx::testing
