// The file object on Windows: CreateFileW with GENERIC_WRITE, no sharing, CREATE_ALWAYS and
// FILE_ATTRIBUTE_NORMAL; WriteFile until every byte is stored; CloseHandle. Names arrive as
// UTF-8 and reach the system as UTF-16.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "framework/FileError.h"
#include "framework/Files.h"
#include "platform/win32/Utf16.h"

namespace sonavel {
namespace {

// What an error number means, in the words of the program's users.
std::string Reason(DWORD error) {
  switch (error) {
    case 0:
      return "磁盘已满，数据没有全部写入";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "文件夹不存在";
    case ERROR_ACCESS_DENIED:
      return "没有写入的权限，或者这是只读文件、文件夹的名称";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "文件正被其他程序占用";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "磁盘已满";
    case ERROR_WRITE_PROTECT:
      return "磁盘有写保护";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return "文件名不正确";
    case ERROR_FILENAME_EXCED_RANGE:
      return "文件名太长";
    default: {
      wchar_t* text = nullptr;
      const DWORD length =
          FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                             FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
      std::string reason = length > 0 ? win32::Narrow({text, length}) : std::string();
      LocalFree(text);
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.pop_back();
      return reason;
    }
  }
}

FileError Failure(FileError::Cause cause, DWORD error, const std::string& fileName) {
  return FileError(cause, static_cast<int>(error), fileName, Reason(error));
}

class Win32OutputFile final : public OutputFile {
 public:
  Win32OutputFile(HANDLE handle, std::string fileName)
      : handle_(handle), fileName_(std::move(fileName)) {}
  ~Win32OutputFile() override {
    if (handle_ != INVALID_HANDLE_VALUE)
      CloseHandle(handle_);
  }
  Win32OutputFile(const Win32OutputFile&) = delete;
  Win32OutputFile& operator=(const Win32OutputFile&) = delete;

  void Write(const void* bytes, std::size_t count) override {
    const auto* next = static_cast<const char*>(bytes);
    // One WriteFile takes at most 4 GiB; larger data goes in pieces of 1 GiB.
    constexpr std::size_t kLargestPiece = std::size_t{1} << 30;
    while (count > 0) {
      const auto asked = static_cast<DWORD>(std::min(count, kLargestPiece));
      DWORD stored = 0;
      if (!WriteFile(handle_, next, asked, &stored, nullptr))
        throw Failure(FileError::Cause::kWrite, GetLastError(), fileName_);
      if (stored < asked)
        throw Failure(FileError::Cause::kWrite, 0, fileName_);
      next += stored;
      count -= stored;
    }
  }

  void Close() override {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle))
      throw Failure(FileError::Cause::kClose, GetLastError(), fileName_);
  }

 private:
  HANDLE handle_;
  std::string fileName_;
};

}  // namespace

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& fileName) {
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE handle = CreateFileW(win32::Widen(fileName).c_str(), GENERIC_WRITE, 0, &attributes,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    throw Failure(FileError::Cause::kCreate, GetLastError(), fileName);
  return std::make_unique<Win32OutputFile>(handle, fileName);
}

bool FileExists(const std::string& fileName) {
  std::FILE* file = _wfopen(win32::Widen(fileName).c_str(), L"rb");
  if (file == nullptr)
    return false;
  std::fclose(file);
  return true;
}

}  // namespace sonavel
