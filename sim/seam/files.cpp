// Files and devices of the seam: host files for file names, the machine's
// devices for "\\.\" names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "common/ascii_case.h"
#include "sim/core/handles.h"
#include "sim/core/host_path.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"
#include "sim/seam/storage_devices.h"
#include "sim/seam/volume_room.h"
#include "sim/core/text_codec.h"

namespace platform {
namespace {

struct OpenResult {
  Status status = kSuccess;
  sim::OpenObject object;
};

Status FromErrno(int error) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    default: return kErrorInvalidParameter;
  }
}

OpenResult OpenDevice(const std::u16string& name, std::uint32_t access, std::uint32_t share) {
  OpenResult result;
  if (sim::OpenStorageDevice(name, access, share, &result.object, &result.status)) return result;
  const std::u16string upper = common::UpperAscii(name);
  for (const sim::Device& device : sim::CurrentMachine().devices) {
    if (common::UpperAscii(device.name) != upper) continue;
    if (!device.readWrite && (access & (kGenericRead | kGenericWrite)) != 0) {
      result.status = kErrorAccessDenied;
    } else if (sim::CountOpen(name) != 0 && share == 0) {
      result.status = kErrorSharingViolation;
    } else {
      result.object = sim::OpenObject{sim::HandleKind::Device, name, access, share, -1};
    }
    return result;
  }
  result.status = kErrorFileNotFound;
  return result;
}

OpenResult OpenHostFile(const std::u16string& name, std::uint32_t access, std::uint32_t share,
                        std::uint32_t disposition) {
  OpenResult result;
  std::string path;
  if (!sim::HostPath(name, sim::CurrentMachine().driveC, &path)) {
    result.status = kErrorPathNotFound;
    return result;
  }
  const bool reads = (access & kGenericRead) != 0, writes = (access & kGenericWrite) != 0;
  int flags = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  if (disposition == kCreateAlways) flags |= O_CREAT | O_TRUNC;
  else if (disposition != kOpenExisting) {
    result.status = kErrorInvalidParameter;
    return result;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    result.status = kErrorAccessDenied;  // a folder needs backup semantics
    return result;
  }
  if (disposition == kCreateAlways) sim::ReleaseRoomOf(path);
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    result.status = FromErrno(errno);
    return result;
  }
  result.object = sim::OpenObject{sim::HandleKind::File, name, access, share, fd};
  return result;
}

}  // namespace

Handle CreateFileW(const char16_t* name, std::uint32_t access, std::uint32_t share,
                   std::uint32_t disposition, std::uint32_t) {
  const std::u16string text = name != nullptr ? name : u"";
  const OpenResult result = sim::IsDeviceName(text) ? OpenDevice(text, access, share)
                                                    : OpenHostFile(text, access, share, disposition);
  sim::Trace("file.open " + sim::Utf16ToUtf8(text) + " access=" + sim::HexNumber(access) +
             " share=" + sim::HexNumber(share) + " disposition=" + std::to_string(disposition) + " -> " +
             std::to_string(result.status));
  if (result.status != kSuccess) {
    sim::SetLastError(result.status);
    return kInvalidHandle;
  }
  return sim::AddHandle(result.object);
}

bool WriteFile(Handle file, const void* data, std::uint32_t size, std::uint32_t* written) {
  sim::OpenObject* object = sim::FindHandle(file);
  if (written != nullptr) *written = 0;
  if (object == nullptr || object->kind != sim::HandleKind::File ||
      (object->access & kGenericWrite) == 0) {
    sim::SetLastError(object == nullptr ? kErrorInvalidHandle : kErrorAccessDenied);
    return false;
  }
  const auto* bytes = static_cast<const char*>(data);
  const auto room = static_cast<std::uint32_t>(sim::TakeRoom(size));
  std::uint32_t done = 0;
  while (done < room) {
    const ssize_t n = ::write(object->fd, bytes + done, room - done);
    if (n <= 0) {
      sim::SetLastError(kErrorAccessDenied);
      return false;
    }
    done += static_cast<std::uint32_t>(n);
  }
  if (written != nullptr) *written = done;
  if (room < size) {
    sim::EndIfKilledWhenFull();
    sim::SetLastError(kErrorDiskFull);
    return false;
  }
  return true;
}

bool DeleteFileW(const char16_t* name) {
  std::string path;
  const std::u16string text = name != nullptr ? name : u"";
  Status status = kSuccess;
  if (sim::IsDeviceName(text) || !sim::HostPath(text, sim::CurrentMachine().driveC, &path)) {
    status = kErrorPathNotFound;
  } else if (sim::CountOpen(text) != 0) {
    status = kErrorSharingViolation;  // nothing here opens files for sharing deletion
  } else {
    sim::ReleaseRoomOf(path);
    if (::unlink(path.c_str()) != 0) status = FromErrno(errno);
  }
  sim::Trace("file.delete " + sim::Utf16ToUtf8(text) + " -> " + std::to_string(status));
  if (status != kSuccess) sim::SetLastError(status);
  return status == kSuccess;
}

bool MoveFileExW(const char16_t* from, const char16_t* to, std::uint32_t flags) {
  std::string fromPath, toPath;
  const std::u16string fromText = from != nullptr ? from : u"", toText = to != nullptr ? to : u"";
  Status status = kSuccess;
  struct stat target {};
  const bool targetExists = sim::HostPath(toText, sim::CurrentMachine().driveC, &toPath) && ::stat(toPath.c_str(), &target) == 0;
  if (!sim::HostPath(fromText, sim::CurrentMachine().driveC, &fromPath) || toPath.empty()) {
    status = kErrorPathNotFound;
  } else if (targetExists && (flags & kMovefileReplaceExisting) == 0) {
    status = kErrorAlreadyExists;
  } else if (targetExists && S_ISDIR(target.st_mode)) {
    status = kErrorAccessDenied;  // a folder is never replaced by a file
  } else if (sim::CountOpen(fromText) != 0 || sim::CountOpen(toText) != 0) {
    status = kErrorSharingViolation;
  } else {
    if (targetExists) sim::ReleaseRoomOf(toPath);
    if (::rename(fromPath.c_str(), toPath.c_str()) != 0) status = FromErrno(errno);
  }
  sim::Trace("file.move " + sim::Utf16ToUtf8(fromText) + " " + sim::Utf16ToUtf8(toText) + " flags=" +
             sim::HexNumber(flags) + " -> " + std::to_string(status));
  if (status != kSuccess) sim::SetLastError(status);
  return status == kSuccess;
}

bool CloseHandle(Handle handle) {
  sim::OpenObject* object = sim::FindHandle(handle);
  if (object == nullptr) {
    sim::SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (object->fd >= 0) ::close(object->fd);
  sim::RemoveHandle(handle);
  return true;
}

}  // namespace platform
