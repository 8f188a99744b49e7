// The files a check reads: an open document's text wherever the editor has
// the file open (saved or not), the disk otherwise, through the generator's
// own reader with its rules for directories, FIFOs, devices and size. A
// relative path is taken from the workspace folder, as if the generator ran
// there. Every path asked for is remembered, found or not, so that opening,
// changing or closing that file later re-checks the document.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "generator/driver/source_files.h"

namespace kivls {

class DocumentFileSystem : public kivg::SourceFileSystem {
 public:
  // The text of the open document at a normal absolute path, or null.
  using OpenText = std::function<const std::string*(const std::string&)>;

  DocumentFileSystem(OpenText openText, std::string root)
      : openText_(std::move(openText)), root_(std::move(root)) {}

  kivg::SourceText Read(const std::string& path) override;

  // The normal absolute path a name read by the generator stands for.
  std::string Resolve(const std::string& path) const;

  // Every normal absolute path asked for.
  const std::set<std::string>& pathsAsked() const { return pathsAsked_; }

 private:
  OpenText openText_;
  std::string root_;
  kivg::DiskFileSystem disk_;
  std::set<std::string> pathsAsked_;
};

}  // namespace kivls
