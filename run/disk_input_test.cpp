#include "run/disk_input.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

std::string ReadAt(InputFile& input, uint64_t offset, size_t count) {
  std::string bytes(count, '\0');
  size_t got = 0;
  EXPECT_FALSE(input.Read(offset, bytes.data(), count, &got));
  bytes.resize(got);
  return bytes;
}

TEST(DiskInputTest, FilesReadAtAnyOffsetAndRefuseWhatIsNoFile) {
  ScratchDir scratch;
  scratch.Put("in.bin", "0123456789");
  std::unique_ptr<InputFile> input;
  ASSERT_FALSE(OpenDiskInput(scratch.Path("in.bin"), &input));
  EXPECT_EQ(input->Size(), std::optional<uint64_t>(10));
  EXPECT_EQ(ReadAt(*input, 4, 100), "456789");  // the read stops where the file ends
  EXPECT_EQ(ReadAt(*input, 1, 2), "12");        // and may go back
  EXPECT_EQ(ReadAt(*input, 20, 5), "");

  EXPECT_EQ(OpenDiskInput(scratch.Path("missing"), &input).message(), "No such file or directory");
  EXPECT_EQ(OpenDiskInput(scratch.dir().string(), &input).message(), "Is a directory");
}

#if !defined(_WIN32)  // no mkfifo; cli_tests read a pipe through standard input there
TEST(DiskInputTest, FifoIsAStreamThatReadsForward) {
  ScratchDir scratch;
  const std::string fifo = scratch.Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { scratch.Put("pipe", "abcdef"); });
  std::unique_ptr<InputFile> input;
  ASSERT_FALSE(OpenDiskInput(fifo, &input));
  writer.join();
  EXPECT_EQ(input->Size(), std::nullopt);
  EXPECT_EQ(ReadAt(*input, 4, 3), "abc");  // the offset means nothing to a stream
  EXPECT_EQ(ReadAt(*input, 0, 9), "def");
  EXPECT_EQ(ReadAt(*input, 0, 9), "");
}
#endif

}  // namespace
}  // namespace tessary
