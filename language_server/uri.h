// Document identifiers: the file URIs an editor names documents by, and the
// paths the generator reads. Documents that are not files (an unsaved
// "untitled:" buffer) keep their URI and have no path.
#pragma once

#include <string>

namespace kivls {

// The path a "file:" URI names, percent-decoded; empty for any other scheme,
// for a URI that names a host other than the local one, and for one whose
// decoded path holds a NUL byte.
std::string PathOfUri(const std::string& uri);

// The "file:" URI of an absolute path, every byte outside the unreserved
// set and "/" percent-encoded, as editors write them.
std::string UriOfPath(const std::string& path);

// The path with "." entries, ".." entries that follow a named entry and
// repeated slashes taken out: the one spelling under which an open document
// and a file the generator asks for are matched. Symbolic links are not
// followed.
std::string NormalPath(const std::string& path);

// The path taken from the directory when it is relative.
std::string AbsolutePath(const std::string& directory, const std::string& path);

}  // namespace kivls
