#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The file object: what the program writes and how it asks whether a file can be read. Each
// system's back-end provides these; every failure raises FileError naming the file.
namespace sonavel {

// A file open for writing. Each Write stores all its bytes or raises FileError.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual void Write(const void* bytes, std::size_t count) = 0;
  // Raises FileError when closing fails. A file destroyed unclosed is closed quietly: that only
  // happens while another error is already on its way.
  virtual void Close() = 0;
};

// Creates the named file for writing, or empties it when it exists. Relative names resolve
// against the current directory; the name's extension plays no part.
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& fileName);

// Whether the named file can be opened for reading right now, as the C library's fopen with
// mode "rb" tells. An empty name and a folder's name answer false.
bool FileExists(const std::string& fileName);

}  // namespace sonavel
