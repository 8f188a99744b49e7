// A scratch directory for one test, removed with everything in it when the
// test ends.
#pragma once

#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& relative) const;

  // Writes a file (creating parent directories) and returns its full path.
  std::string Write(const std::string& relative,
                    const std::string& content) const;
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  void MakeDir(const std::string& relative) const;
  // Relative names of the regular files below the directory, sorted.
  std::vector<std::string> Files() const;

 private:
  std::string path_;
};
