// The floor under tarvik-find's time: for every document below a folder, open
// it, read the central directory, inflate the root content.xml into a reused
// buffer with libdeflate, and print the document's path when the phrase
// occurs in it (byte for byte). One thread; the least any search has to do.
// Documents are the files named *.od? or *.sx? (letter case ignored), the
// ones tarvik-find searches in the benchmark corpus.
//
// usage: deflate_floor FOLDER PHRASE

#include <libdeflate.h>

#include <fcntl.h>
#include <ftw.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* gPhrase = nullptr;
libdeflate_decompressor* gDecompressor = nullptr;
std::vector<unsigned char> gFile, gOut;
std::size_t gOutSize = 0;
std::size_t gFileSize = 0;  // the bytes of gOut the last document filled

unsigned Read16(const unsigned char* p) { return p[0] | p[1] << 8; }
std::uint32_t Read32(const unsigned char* p) { return Read16(p) | static_cast<std::uint32_t>(Read16(p + 2)) << 16; }

bool ReadWhole(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    close(fd);
    return false;
  }
  if (gFile.size() < static_cast<std::size_t>(info.st_size)) gFile.resize(static_cast<std::size_t>(info.st_size));
  gFileSize = static_cast<std::size_t>(info.st_size);
  std::size_t got = 0;
  while (got < gFileSize) {
    const ssize_t n = read(fd, gFile.data() + got, gFileSize - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  return got == gFileSize;
}

// Inflates the root content.xml of the archive in gFile into gOut.
bool InflateContent() {
  const std::size_t size = gFileSize;
  if (size < 22) return false;
  const unsigned char* base = gFile.data();
  std::size_t end = size - 22;
  while (Read32(base + end) != 0x06054b50) {
    if (end == 0 || size - end > 22 + 65535) return false;
    --end;
  }
  std::size_t at = Read32(base + end + 16);
  const unsigned count = Read16(base + end + 10);
  for (unsigned i = 0; i < count && at + 46 <= size; ++i) {
    const unsigned char* record = base + at;
    const unsigned nameLength = Read16(record + 28);
    const char* name = reinterpret_cast<const char*>(record + 46);
    if (nameLength == 11 && strncasecmp(name, "content.xml", 11) == 0 && Read16(record + 10) == 8) {
      const std::size_t local = Read32(record + 42);
      const std::size_t data = local + 30 + Read16(base + local + 26) + Read16(base + local + 28);
      const std::size_t packed = Read32(record + 20);
      const std::size_t unpacked = Read32(record + 24);
      if (data + packed > size) return false;
      if (gOut.size() < unpacked) gOut.resize(unpacked);  // grows only: no buffer is cleared per document
      if (libdeflate_deflate_decompress(gDecompressor, base + data, packed, gOut.data(), unpacked, &gOutSize) !=
          LIBDEFLATE_SUCCESS)
        return false;
      return true;
    }
    at += 46 + nameLength + Read16(record + 30) + Read16(record + 32);
  }
  return false;
}

bool IsDocument(const char* path) {
  const char* dot = std::strrchr(path, '.');
  return dot && std::strlen(dot) == 4 && (strncasecmp(dot, ".od", 3) == 0 || strncasecmp(dot, ".sx", 3) == 0);
}

int Visit(const char* path, const struct stat*, int type, FTW*) {
  if (type != FTW_F || !IsDocument(path) || !ReadWhole(path) || !InflateContent()) return 0;
  if (memmem(gOut.data(), gOutSize, gPhrase, std::strlen(gPhrase))) std::printf("%s\n", path);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: deflate_floor FOLDER PHRASE\n");
    return 2;
  }
  gPhrase = argv[2];
  gDecompressor = libdeflate_alloc_decompressor();
  nftw(argv[1], Visit, 16, FTW_PHYS);
  libdeflate_free_decompressor(gDecompressor);
  return 0;
}
