#include "platform/path_services.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vx {
namespace {

TEST(SplitPathTest, Table) {
  struct Case {
    const char* path;
    const char* directory;
    const char* baseName;
    const char* extension;
  };
  const Case cases[] = {
      {"/home/u/voice.wav", "/home/u/", "voice", "wav"},
      {"voice.wav", "", "voice", "wav"},
      {"README", "", "README", ""},  // no extension: all base name
      {"/data/README", "/data/", "README", ""},
      {"a.b/c", "a.b/", "c", ""},                                 // a dot in a directory is not one
      {"rel/v1.2/take.one.vxs", "rel/v1.2/", "take.one", "vxs"},  // the last dot counts
      {"dir/sub/", "dir/sub/", "", ""},                           // trailing separator: no name
      {"dir//x.cht", "dir//", "x", "cht"},
      {"/", "/", "", ""},
      {"", "", "", ""},
      {"name.", "", "name", ""},
      {".profile", "", ".profile", ""},  // a leading dot is part of the name
      {"/etc/.hidden.conf", "/etc/", ".hidden", "conf"},
      {"..", "", "..", ""},
      {"a/.", "a/", ".", ""},
      {"VocrixRec.tmp", "", "VocrixRec", "tmp"},
  };
  for (const Case& c : cases) {
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.directory, c.directory) << c.path;
    EXPECT_EQ(parts.baseName, c.baseName) << c.path;
    EXPECT_EQ(parts.extension, c.extension) << c.path;
  }
}

TEST(JoinPathTest, Table) {
  struct Case {
    const char* directory;
    const char* baseName;
    const char* extension;
    const char* path;
  };
  const Case cases[] = {
      {"/home/u/", "voice", "vxs", "/home/u/voice.vxs"},
      {"/home/u", "voice", "vxs", "/home/u/voice.vxs"},  // separator added
      {"", "voice", ".vxs", "voice.vxs"},                // dot not doubled
      {"out//", "x", "", "out//x"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JoinPath(c.directory, c.baseName, c.extension), c.path) << c.path;
  }
  for (const char* path : {"/a/b.c/d.e", "x", "dir/", "rel/take.one.vxs"}) {
    const PathParts p = SplitPath(path);
    EXPECT_EQ(JoinPath(p.directory, p.baseName, p.extension), path) << "round trip";
  }
}

class PosixPathServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vx_paths_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    auto cwd = paths_.CurrentDirectory();
    ASSERT_TRUE(cwd);
    oldCwd_ = *cwd;
  }
  void TearDown() override {
    ASSERT_EQ(paths_.ChangeDirectory(oldCwd_), 0);
    std::filesystem::remove_all(root_);
  }
  PosixPathServices paths_;
  std::string root_;
  std::string oldCwd_;
};

TEST_F(PosixPathServicesTest, MakeDirectoryAndExistenceTests) {
  const std::string dir = root_ + "/out";
  EXPECT_FALSE(paths_.DirectoryExists(dir));
  EXPECT_EQ(paths_.MakeDirectory(dir), 0);
  EXPECT_TRUE(paths_.DirectoryExists(dir));
  EXPECT_FALSE(paths_.FileExists(dir)) << "a directory is not a file";
  EXPECT_EQ(paths_.MakeDirectory(dir), -EEXIST);
  EXPECT_EQ(paths_.MakeDirectory(root_ + "/a/b"), -ENOENT) << "one level only";

  const std::string file = dir + "/x.vxs";
  EXPECT_FALSE(paths_.FileExists(file));
  std::ofstream(file) << "x";
  EXPECT_TRUE(paths_.FileExists(file));
  EXPECT_FALSE(paths_.DirectoryExists(file));
}

TEST_F(PosixPathServicesTest, ChangeDirectoryAndFullPath) {
  ASSERT_EQ(paths_.MakeDirectory(root_ + "/sub"), 0);
  ASSERT_EQ(paths_.ChangeDirectory(root_ + "/sub"), 0);
  // mkdtemp under /tmp gives no symbolic links in the path, so names compare directly.
  EXPECT_EQ(paths_.CurrentDirectory(), root_ + "/sub");
  EXPECT_EQ(paths_.FullPath("VocrixRec.tmp"), root_ + "/sub/VocrixRec.tmp");
  EXPECT_EQ(paths_.FullPath("../x/./y.wav"), root_ + "/x/y.wav");
  EXPECT_EQ(paths_.FullPath("."), root_ + "/sub");
  EXPECT_EQ(paths_.FullPath("d/"), root_ + "/sub/d/");
  EXPECT_EQ(paths_.FullPath("/abs/../p"), "/p");
  EXPECT_EQ(paths_.ChangeDirectory(root_ + "/missing"), -ENOENT);
  EXPECT_EQ(paths_.CurrentDirectory(), root_ + "/sub") << "a failed change keeps the old one";
}

}  // namespace
}  // namespace vx
