#include "language_server/document_file_system.h"

#include "language_server/uri.h"

namespace kivls {

std::string DocumentFileSystem::Resolve(const std::string& path) const {
  return NormalPath(AbsolutePath(root_, path));
}

kivg::SourceText DocumentFileSystem::Read(const std::string& path) {
  const std::string resolved = Resolve(path);
  pathsAsked_.insert(resolved);
  if (const std::string* text = openText_(resolved)) {
    kivg::SourceText source;
    source.status = kivg::SourceText::kRead;
    source.path = path;
    source.contents = *text;
    return source;
  }
  kivg::SourceText source = disk_.Read(AbsolutePath(root_, path));
  // Locations and messages name the file as the spec asked for it.
  source.path = path;
  return source;
}

}  // namespace kivls
