#pragma once

#include <memory>
#include <string>

#include "io/file_stream.h"

namespace vx {

// An output file written under a fresh name beside its final name ("<name>.part<suffix>") and
// renamed into place only by Commit, so that a failed or interrupted run never leaves a
// half-written file under the output name. The temporary file is created exclusively
// (O_CREAT|O_EXCL) with the usual permissions, so no process-wide umask change is needed
// while other threads create files. Not copyable; the destructor removes an uncommitted file.
class AtomicOutput {
 public:
  AtomicOutput() = default;
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;
  ~AtomicOutput();

  // Creates the temporary file for `path` and opens it, removing the one an earlier Open
  // left uncommitted; returns 0 or a negative errno.
  int Open(const std::string& path);
  // The open temporary file; valid between Open and Commit or CloseStream.
  ByteStream& Stream() { return *stream_; }
  // Closes the stream, keeping the temporary file, for a writer that opens it by name;
  // returns 0 or a negative errno.
  int CloseStream();
  const std::string& TemporaryPath() const { return temporary_; }
  // Closes the stream (if still open) and renames the file to its final name; returns 0 or a
  // negative errno, when the temporary file is still there.
  int Commit();
  // Gives the temporary file up: it stays under its own name, which is returned.
  std::string Keep();

 private:
  void Discard();

  std::string path_;
  std::string temporary_;
  std::unique_ptr<FileStream> stream_;
};

}  // namespace vx
