// The file object on POSIX systems: open(2) with O_WRONLY | O_CREAT | O_TRUNC and mode 0666 (the
// umask narrows it, as for any new file), write(2) until every byte is stored, close(2).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/FileError.h"
#include "framework/Files.h"

namespace sonavel {
namespace {

// What an error number means, in the words of the program's users.
std::string Reason(int error) {
  switch (error) {
    case 0:
      return "磁盘已满，数据没有全部写入";
    case ENOENT:
      return "文件夹不存在";
    case ENOTDIR:
      return "路径中有一部分不是文件夹";
    case EISDIR:
      return "这是一个文件夹的名称";
    case EACCES:
      return "没有写入这个位置的权限";
    case EPERM:
      return "不允许修改这个文件";
    case EROFS:
      return "文件系统是只读的";
    case ENOSPC:
      return "磁盘已满";
    case EDQUOT:
      return "超出了磁盘配额";
    case ENAMETOOLONG:
      return "文件名太长";
    case EIO:
      return "磁盘读写出错";
    case EBUSY:
    case ETXTBSY:
      return "文件正被其他程序占用";
    default:
      return std::strerror(error);
  }
}

FileError Failure(FileError::Cause cause, int error, const std::string& fileName) {
  return FileError(cause, error, fileName, Reason(error));
}

class PosixOutputFile final : public OutputFile {
 public:
  PosixOutputFile(int descriptor, std::string fileName)
      : descriptor_(descriptor), fileName_(std::move(fileName)) {}
  ~PosixOutputFile() override {
    if (descriptor_ >= 0)
      ::close(descriptor_);
  }
  PosixOutputFile(const PosixOutputFile&) = delete;
  PosixOutputFile& operator=(const PosixOutputFile&) = delete;

  void Write(const void* bytes, std::size_t count) override {
    const auto* next = static_cast<const char*>(bytes);
    // write(2) may store less than asked (large requests, signals); only an error or a write
    // that stores nothing at all is a failure.
    while (count > 0) {
      const ssize_t stored = ::write(descriptor_, next, count);
      if (stored < 0 && errno == EINTR)
        continue;
      if (stored < 0)
        throw Failure(FileError::Cause::kWrite, errno, fileName_);
      if (stored == 0)
        throw Failure(FileError::Cause::kWrite, 0, fileName_);
      next += stored;
      count -= static_cast<std::size_t>(stored);
    }
  }

  void Close() override {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // Not retried on EINTR: the descriptor is released whatever close(2) answers.
    if (::close(descriptor) != 0)
      throw Failure(FileError::Cause::kClose, errno, fileName_);
  }

 private:
  int descriptor_;
  std::string fileName_;
};

}  // namespace

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& fileName) {
  int descriptor = -1;
  do {
    descriptor = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0)
    throw Failure(FileError::Cause::kCreate, errno, fileName);
  return std::make_unique<PosixOutputFile>(descriptor, fileName);
}

bool FileExists(const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr)
    return false;
  // POSIX lets a folder be opened for reading; a folder is no file to read back.
  struct stat status {};
  const bool isFile = ::fstat(::fileno(file), &status) == 0 && !S_ISDIR(status.st_mode);
  std::fclose(file);
  return isFile;
}

}  // namespace sonavel
