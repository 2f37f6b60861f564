// tarvik-unzip extracts archives of the shrunk, reduced and imploded methods.

#include "support/run_tool.h"
#include "support/temp_folder.h"

#include "decode/legacy_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tarvik {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(UnzipLegacy, EveryEntryExtractsToItsExpectedBytes) {
  const std::string data = std::string(TARVIK_TEST_DATA) + "/legacy/";
  std::istringstream expected(Slurp(data + "expected.tsv"));
  std::string line;
  std::getline(expected, line);  // column names
  test::TTempFolder dest;
  int checked = 0;
  while (std::getline(expected, line)) {
    std::istringstream fields(line);
    std::string archive, entry, size, sha;
    std::getline(fields, archive, '\t');
    std::getline(fields, entry, '\t');
    std::getline(fields, size, '\t');
    std::getline(fields, sha, '\t');
    const std::string folder = dest / archive;
    const auto r = test::RunTool("tarvik-unzip", {"-q", "-d", folder, data + archive, entry});
    EXPECT_EQ(r.status, 0) << archive << " " << entry << ": " << r.err;
    const std::string bytes = Slurp(folder + "/" + entry);
    EXPECT_EQ(bytes.size(), std::stoul(size)) << entry;
    EXPECT_EQ(legacy_test::Sha256Hex({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}), sha)
        << entry;
    ++checked;
  }
  EXPECT_EQ(checked, 14);
}

}  // namespace
}  // namespace tarvik
