#include "tests/support/temp_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  char pattern[] = "/tmp/kiv-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests may leave unreadable files or directories behind.
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                    ignored);
  }
  fs::remove_all(path_, ignored);
}

std::string TempDir::Path(const std::string& relative) const {
  return path_ + "/" + relative;
}

std::string TempDir::Write(const std::string& relative,
                           const std::string& content) const {
  const std::string full = Path(relative);
  fs::create_directories(fs::path(full).parent_path());
  std::ofstream out(full, std::ios::binary);
  out << content;
  return full;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool TempDir::Exists(const std::string& relative) const {
  return fs::exists(Path(relative));
}

void TempDir::MakeDir(const std::string& relative) const {
  fs::create_directories(Path(relative));
}

std::vector<std::string> TempDir::Files() const {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(path_)) {
    if (entry.is_regular_file())
      files.push_back(fs::relative(entry.path(), path_).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}
