// Buffered streams: positioning, coherence between reading and writing,
// put-back, flushing and the file-backed variant.

#include "base/buffer_stream.h"

#include "support/memory_stream.h"

#include "base/errors.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tarvik {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

// An inner stream that accepts only a limited number of bytes in total.
class TLimitedStream : public TMemoryStream {
 public:
  explicit TLimitedStream(std::size_t limit) : limit_(limit) {}
  std::size_t Write(const void* buffer, std::size_t count) override {
    std::size_t n = std::min(count, limit_);
    limit_ -= n;
    return TMemoryStream::Write(buffer, n);
  }

 private:
  std::size_t limit_;
};

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.what();
  }
  return "<no exception>";
}

TEST(BufferStream, ReadingPastTheEndReturnsWhatIsThereAndStaysAtTheEnd) {
  TMemoryStream inner(Counting(100));
  TBufferStream stream(inner, 16);
  std::vector<std::uint8_t> out(150);
  EXPECT_EQ(stream.Read(out.data(), out.size()), 100u);
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 100), Counting(100));
  EXPECT_EQ(stream.Position(), 100);
  EXPECT_EQ(stream.Read(out.data(), 10), 0u);
  EXPECT_EQ(stream.ReadByte(), -1);
  EXPECT_EQ(stream.Position(), 100);
  EXPECT_EQ(stream.Size(), 100);
}

TEST(BufferStream, SeekingToTheLogicalPositionKeepsTheBuffer) {
  TMemoryStream inner(Counting(100));
  TBufferStream stream(inner, 32);
  int fills = 0;
  stream.OnBufferFilled = [&](TBufferStream&) { ++fills; };
  std::uint8_t b[5];
  stream.Read(b, 5);
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(stream.Seek(5, soFromBeginning), 5);
  EXPECT_EQ(stream.Seek(0, soFromCurrent), 5);
  EXPECT_EQ(stream.ReadByte(), Counting(100)[5]);
  EXPECT_EQ(fills, 1) << "a seek to where the stream already is must not drop the buffer";
  EXPECT_EQ(stream.Seek(40, soFromBeginning), 40);
  EXPECT_EQ(stream.ReadByte(), Counting(100)[40]);
  EXPECT_EQ(fills, 2);
}

TEST(BufferStream, SeekFromTheEndCountsBackwardsForBothSigns) {
  auto data = Counting(300);
  TMemoryStream inner(data);
  TBufferStream stream(inner, 64);
  EXPECT_EQ(stream.Seek(-22, soFromEnd), 278);
  EXPECT_EQ(stream.ReadByte(), data[278]);
  EXPECT_EQ(stream.Seek(22, soFromEnd), 278);
  EXPECT_EQ(stream.ReadByte(), data[278]);
  EXPECT_EQ(stream.Seek(0, soFromEnd), 300);
  EXPECT_EQ(stream.Seek(-10, soFromCurrent), 290);
  EXPECT_EQ(stream.ReadByte(), data[290]);
}

TEST(BufferStream, SeekFailuresRaiseAndLeaveThePositionAlone) {
  TMemoryStream inner(Counting(50));
  TBufferStream stream(inner, 16);
  stream.Seek(10, soFromBeginning);
  EXPECT_EQ(stream.ReadByte(), Counting(50)[10]);
  EXPECT_EQ(MessageOf([&] { stream.Seek(0, 7); }), "Invalid seek origin (7)");
  EXPECT_EQ(MessageOf([&] { stream.Seek(-5, soFromBeginning); }), "Seek error");
  EXPECT_EQ(MessageOf([&] { stream.Seek(60, soFromEnd); }), "Seek error");
  EXPECT_EQ(MessageOf([&] { stream.Seek(INT64_MAX, soFromCurrent); }), "Seek error");
  EXPECT_EQ(stream.Position(), 11);
  EXPECT_EQ(stream.ReadByte(), Counting(50)[11]);
}

TEST(BufferStream, WriteAfterReadsLandsAtTheLogicalPosition) {
  TMemoryStream inner(Counting(100));
  TBufferStream stream(inner, 16);
  std::uint8_t b[10];
  ASSERT_EQ(stream.Read(b, 10), 10u);
  const std::uint8_t abc[] = {'A', 'B', 'C'};
  EXPECT_EQ(stream.Write(abc, 3), 3u);
  EXPECT_EQ(stream.State(), TBufferState::Writing);
  EXPECT_EQ(stream.Position(), 13);
  // The read that follows must see the inner data behind the written bytes.
  EXPECT_EQ(stream.ReadByte(), Counting(100)[13]);
  EXPECT_EQ(inner.Bytes()[10], 'A');
  EXPECT_EQ(inner.Bytes()[12], 'C');
  EXPECT_EQ(inner.Bytes()[9], Counting(100)[9]);
  EXPECT_EQ(inner.Bytes().size(), 100u);
}

TEST(BufferStream, ReadAfterWritesSeesTheInnerDataNotStaleBufferBytes) {
  TMemoryStream inner(Counting(100));
  TBufferStream stream(inner, 16);
  std::uint8_t b[4];
  stream.Read(b, 4);  // fills the buffer with bytes 0..15
  stream.Seek(0, soFromBeginning);
  const std::uint8_t xyz[] = {'X', 'Y', 'Z'};
  stream.Write(xyz, 3);
  stream.Seek(0, soFromBeginning);
  ASSERT_EQ(stream.Read(b, 4), 4u);
  EXPECT_EQ(b[0], 'X');
  EXPECT_EQ(b[2], 'Z');
  EXPECT_EQ(b[3], Counting(100)[3]);
}

TEST(BufferStream, LongWritesFlushWholeBuffersAndPositionCountsPendingBytes) {
  TMemoryStream inner;
  TBufferStream stream(inner, 10);
  int flushes = 0;
  stream.OnBufferFlushed = [&](TBufferStream&) { ++flushes; };
  auto data = Counting(35);
  EXPECT_EQ(stream.Write(data.data(), data.size()), 35u);
  EXPECT_EQ(flushes, 3);
  EXPECT_EQ(inner.Bytes().size(), 30u);
  EXPECT_EQ(stream.Position(), 35);
  EXPECT_EQ(stream.Size(), 35) << "the end includes bytes not yet flushed";
  EXPECT_TRUE(stream.Written());
  EXPECT_TRUE(stream.Finish());
  EXPECT_EQ(inner.Bytes(), data);
}

TEST(BufferStream, PutBackNeedsRoomBeforeTheCurrentByte) {
  TMemoryStream inner(Counting(40));
  TBufferStream stream(inner, 16);
  EXPECT_EQ(MessageOf([&] { stream.PutBack(1); }), "Putback overflow");
  int first = stream.ReadByte();
  int second = stream.ReadByte();
  stream.PutBack(0xEE);
  EXPECT_EQ(stream.Position(), 1);
  EXPECT_EQ(stream.ReadByte(), 0xEE);
  stream.PutBack(static_cast<std::uint8_t>(second));
  stream.PutBack(static_cast<std::uint8_t>(first));
  EXPECT_THROW(stream.PutBack(0), EStreamError);
  EXPECT_EQ(stream.ReadByte(), first);
  // After a refill, the bytes of the previous buffer are out of reach.
  std::uint8_t skip[15];
  stream.Read(skip, 15);
  stream.ReadByte();  // first byte of the second buffer, position 17
  stream.PutBack(9);
  EXPECT_THROW(stream.PutBack(9), EStreamError);
}

TEST(BufferStream, DirectBufferAccessAgreesWithRead) {
  auto data = Counting(50);
  TMemoryStream inner(data);
  TBufferStream stream(inner, 20);
  auto bytes = stream.AvailableBytes();
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes[0], data[0]);
  stream.Consume(18);
  EXPECT_EQ(stream.Position(), 18);
  EXPECT_EQ(stream.AvailableBytes().size(), 2u);
  stream.Consume(5);  // more than available: stops at the buffer end
  EXPECT_EQ(stream.Position(), 20);
  bytes = stream.AvailableBytes();
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes[0], data[20]);
  stream.Seek(0, soFromEnd);
  EXPECT_TRUE(stream.AvailableBytes().empty());
}

TEST(BufferStream, WriteFailuresAreReportedNotSwallowed) {
  TLimitedStream inner(25);
  {
    TBufferStream stream(inner, 10);
    auto data = Counting(40);
    // Two buffers go out whole; the third flush gets only 5 of its 10 bytes.
    EXPECT_EQ(stream.Write(data.data(), 40), 25u);
    EXPECT_FALSE(stream.Finish());
  }
  TLimitedStream small(3);
  TBufferStream stream(small, 10);
  auto data = Counting(6);
  EXPECT_EQ(stream.Write(data.data(), 6), 6u);  // still in the buffer
  EXPECT_EQ(MessageOf([&] { stream.Seek(0, soFromBeginning); }), "Seek error");
  EXPECT_FALSE(stream.Finish());
}

// Random reads, writes, seeks and put-backs against a plain memory stream: the
// buffered stream must behave exactly like the unbuffered one.
TEST(BufferStream, MatchesAnUnbufferedStreamUnderRandomOperations) {
  std::mt19937 random(12345);
  for (std::size_t bufferSize : {1u, 3u, 16u, 100u}) {
    auto initial = Counting(200);
    TMemoryStream inner(initial);
    TMemoryStream model(initial);
    {
      TBufferStream stream(inner, bufferSize);
      int lastReadByte = -1;
      for (int step = 0; step < 3000; ++step) {
        int op = static_cast<int>(random() % 5);
        std::size_t n = random() % 40;
        if (op == 0) {
          std::vector<std::uint8_t> a(n), b(n);
          ASSERT_EQ(stream.Read(a.data(), n), model.Read(b.data(), n));
          ASSERT_EQ(a, b) << "step " << step;
          lastReadByte = -1;
        } else if (op == 1) {
          std::vector<std::uint8_t> data(n, static_cast<std::uint8_t>(step));
          ASSERT_EQ(stream.Write(data.data(), n), model.Write(data.data(), n));
          lastReadByte = -1;
        } else if (op == 2) {
          int origin = static_cast<int>(random() % 3);
          std::int64_t offset = static_cast<std::int64_t>(random() % 60) - 20;
          if (origin == soFromEnd) offset = -std::abs(offset);
          std::int64_t expected;
          if (origin == soFromEnd) {
            // The end is the inner end, or the position when that lies beyond it.
            std::int64_t end = std::max<std::int64_t>(model.Bytes().size(), model.Position());
            if (end + offset < 0) continue;
            expected = model.Seek(end + offset, soFromBeginning);
          } else {
            expected = model.Seek(offset, origin);
          }
          if (expected < 0) continue;
          ASSERT_EQ(stream.Seek(offset, origin), expected);
          lastReadByte = -1;
        } else if (op == 3) {
          int a = stream.ReadByte();
          std::uint8_t b = 0;
          ASSERT_EQ(a, model.Read(&b, 1) == 1 ? b : -1);
          lastReadByte = a;
        } else if (lastReadByte >= 0) {
          // Putting back the byte just read restores the previous state.
          stream.PutBack(static_cast<std::uint8_t>(lastReadByte));
          model.Seek(-1, soFromCurrent);
          lastReadByte = -1;
        }
        ASSERT_EQ(stream.Position(), model.Position()) << "step " << step;
      }
    }
    EXPECT_EQ(inner.Bytes(), model.Bytes()) << "buffer size " << bufferSize;
  }
}

class BufferedFileStream : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvik-bufstream-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (std::filesystem::path(dir_) / name).string(); }

  std::string dir_;
};

TEST_F(BufferedFileStream, CreatesWritesAndClosesAFile) {
  auto data = Counting(20000);
  {
    TBufferedFileStream out(Path("out.bin"), 8192, true, fmCreate);
    EXPECT_TRUE(out.FlushOnDestroy());
    struct stat info {};
    EXPECT_EQ(fstat(out.FileHandle(), &info), 0);
    EXPECT_EQ(out.Write(data.data(), data.size()), data.size());
  }
  TBufferedFileStream in(Path("out.bin"), 8192, true, fmOpenRead | fmShareDenyWrite);
  EXPECT_FALSE(in.FlushOnDestroy()) << "a read-only stream has nothing to commit";
  EXPECT_EQ(in.Size(), 20000);
  std::vector<std::uint8_t> back(20000);
  EXPECT_EQ(in.Read(back.data(), back.size()), back.size());
  EXPECT_EQ(back, data);
}

TEST_F(BufferedFileStream, CreateReplacesAnExistingFile) {
  std::ofstream(Path("old.txt")) << "a much longer old content";
  {
    TBufferedFileStream out(Path("old.txt"), 16, false, fmCreate);
    out.Write("new", 3);
  }
  EXPECT_EQ(std::filesystem::file_size(Path("old.txt")), 3u);
}

TEST_F(BufferedFileStream, FailuresToOpenRaiseTheFileExceptions) {
  EXPECT_THROW(TBufferedFileStream(Path("missing.zip"), 8192, false, fmOpenRead), EFOpenError);
  EXPECT_THROW(TBufferedFileStream(Path("no/such/dir/out"), 8192, false, fmCreate), EFCreateError);
  EXPECT_THROW(TBufferedFileStream(dir_, 8192, false, fmOpenRead), EFOpenError) << "a folder is no file";
  std::string message = MessageOf([&] { TFileStream(Path("missing.zip"), fmOpenRead); });
  EXPECT_NE(message.find("missing.zip"), std::string::npos) << message;
}

TEST_F(BufferedFileStream, ReadWriteModeUpdatesInPlace) {
  std::ofstream(Path("rw.bin")) << "0123456789";
  {
    TBufferedFileStream file(Path("rw.bin"), 4, false, fmOpenReadWrite);
    EXPECT_EQ(file.ReadByte(), '0');
    EXPECT_EQ(file.ReadByte(), '1');
    file.Write("ab", 2);
    EXPECT_EQ(file.ReadByte(), '4');
  }
  std::ifstream in(Path("rw.bin"));
  std::string text;
  in >> text;
  EXPECT_EQ(text, "01ab456789");
}

}  // namespace
}  // namespace tarvik
