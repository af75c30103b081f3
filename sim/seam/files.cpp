// Files and devices of the seam: host files for file names, the machine's
// devices for "\\.\" names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "common/ascii_case.h"
#include "sim/core/handles.h"
#include "sim/core/host_path.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"
#include "sim/seam/storage_devices.h"
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
  std::uint32_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(object->fd, bytes + done, size - done);
    if (n <= 0) {
      sim::SetLastError(kErrorAccessDenied);
      return false;
    }
    done += static_cast<std::uint32_t>(n);
  }
  if (written != nullptr) *written = done;
  return true;
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
