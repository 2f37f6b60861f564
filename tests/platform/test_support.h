#pragma once
// Helpers shared by the platform tests: fixture reading and a scratch folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace tarvik::test {

inline std::string FromHex(const std::string& hex) {
  std::string bytes;
  if (hex == "-") return bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Reads a fixture of lines "HEX HEX" from tests/data/platform.
inline std::vector<std::pair<std::string, std::string>> ReadHexPairs(const std::string& name) {
  std::ifstream in(std::string(TARVIK_TEST_DATA) + "/platform/" + name);
  std::vector<std::pair<std::string, std::string>> pairs;
  std::string left, right;
  while (in >> left >> right) pairs.emplace_back(FromHex(left), FromHex(right));
  return pairs;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class TScratchFolder {
 public:
  TScratchFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "tarvik-platform-XXXXXX").string();
    if (mkdtemp(templ.data()) != nullptr) path_ = templ;
  }
  ~TScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace tarvik::test
