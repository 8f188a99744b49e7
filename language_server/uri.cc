#include "language_server/uri.h"

#include <cctype>
#include <vector>

namespace kivls {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsUnreserved(unsigned char c) {
  return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string PathOfUri(const std::string& uri) {
  static const std::string kScheme = "file://";
  if (uri.size() < kScheme.size()) return {};
  for (size_t i = 0; i < kScheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(uri[i])) != kScheme[i])
      return {};
  }
  // The authority: empty or "localhost" names this machine.
  const size_t pathStart = uri.find('/', kScheme.size());
  if (pathStart == std::string::npos) return {};
  const std::string host =
      uri.substr(kScheme.size(), pathStart - kScheme.size());
  if (!host.empty() && host != "localhost") return {};
  std::string path;
  for (size_t i = pathStart; i < uri.size(); ++i) {
    const char c = uri[i];
    if (c == '?' || c == '#') break;
    if (c == '%' && i + 2 < uri.size() && HexValue(uri[i + 1]) >= 0 &&
        HexValue(uri[i + 2]) >= 0) {
      path +=
          static_cast<char>(HexValue(uri[i + 1]) * 16 + HexValue(uri[i + 2]));
      i += 2;
    } else {
      path += c;
    }
  }
  if (path.find('\0') != std::string::npos) return {};
  return path;
}

std::string UriOfPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (IsUnreserved(c) || c == '/') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xf];
    }
  }
  return uri;
}

std::string NormalPath(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string entry = path.substr(start, end - start);
    start = end + 1;
    if (entry.empty() || entry == ".") continue;
    if (entry == ".." && !entries.empty() && entries.back() != "..") {
      entries.pop_back();
    } else if (entry == ".." && absolute) {
      continue;  // "/.." is "/"
    } else {
      entries.push_back(entry);
    }
  }
  std::string normal = absolute ? "/" : "";
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i != 0) normal += '/';
    normal += entries[i];
  }
  if (normal.empty()) normal = ".";
  return normal;
}

std::string AbsolutePath(const std::string& directory,
                         const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  if (directory.empty()) return path;
  return directory + "/" + path;
}

}  // namespace kivls
