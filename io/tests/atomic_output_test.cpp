#include "io/atomic_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace vx {
namespace {

namespace fs = std::filesystem;

class AtomicOutputTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vx_atomic_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  fs::path dir_;
};

constexpr uint8_t kText[] = {'t', 'a', 'k', 'e'};

TEST_F(AtomicOutputTest, CommitMovesTheFileIntoPlaceWithTheUsualPermissions) {
  const mode_t previous = umask(027);
  {
    AtomicOutput output;
    ASSERT_EQ(output.Open(dir_ / "out.vxs"), 0);
    ASSERT_EQ(output.Stream().Write(kText), 4);
    EXPECT_EQ(Names().size(), 1u);
    EXPECT_FALSE(fs::exists(dir_ / "out.vxs")) << "the output name appears only at Commit";
    EXPECT_EQ(fs::path(output.TemporaryPath()).parent_path(), dir_);
    ASSERT_EQ(output.Commit(), 0);
  }
  umask(previous);
  EXPECT_EQ(Names(), std::vector<std::string>{"out.vxs"});
  EXPECT_EQ(Read("out.vxs"), "take");
  struct stat info {};
  ASSERT_EQ(stat((dir_ / "out.vxs").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "0666 less the umask";
}

TEST_F(AtomicOutputTest, AnUncommittedOutputLeavesNothingAndKeepsTheOldFile) {
  Write("out.wav", "old");
  {
    AtomicOutput output;
    ASSERT_EQ(output.Open(dir_ / "out.wav"), 0);
    ASSERT_EQ(output.Stream().Write(kText), 4);
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"out.wav"});
  EXPECT_EQ(Read("out.wav"), "old");
}

// A writer that opens the file by name: the stream is closed, the file stays until Commit.
TEST_F(AtomicOutputTest, ClosedStreamKeepsTheTemporaryFileForCommit) {
  AtomicOutput output;
  ASSERT_EQ(output.Open(dir_ / "out.vxs"), 0);
  ASSERT_EQ(output.CloseStream(), 0);
  Write(fs::path(output.TemporaryPath()).filename(), "copied");
  ASSERT_EQ(output.Commit(), 0);
  EXPECT_EQ(Names(), std::vector<std::string>{"out.vxs"});
  EXPECT_EQ(Read("out.vxs"), "copied");
}

TEST_F(AtomicOutputTest, OutputsOfOneNameAtOnceGetTheirOwnTemporaryFiles) {
  AtomicOutput first, second;
  ASSERT_EQ(first.Open(dir_ / "out.vxs"), 0);
  ASSERT_EQ(second.Open(dir_ / "out.vxs"), 0);
  EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
  EXPECT_EQ(Names().size(), 2u);
}

TEST_F(AtomicOutputTest, FailuresAreReportedAsErrno) {
  AtomicOutput output;
  EXPECT_EQ(output.Open(dir_ / "missing" / "out.vxs"), -ENOENT);
  EXPECT_EQ(output.Commit(), -EBADF) << "nothing to commit";
  int error = 0;
  Write("taken", "");
  EXPECT_EQ(FileStream::Open(dir_ / "taken", FileMode::kCreateNew, error), nullptr);
  EXPECT_EQ(error, -EEXIST);
}

}  // namespace
}  // namespace vx
