// The device facts of Windows volumes. Internal to platform/.
#pragma once

#include <string>

#include "platform/DeviceFacts.h"

namespace quorrel::win32 {

// The facts of the volume whose root is `root` ("C:\", "\\?\C:\"): its file system, the disks
// its extents lie on and what their storage drivers answer. True with whatever was found.
bool DescribeVolumeDevice(const std::wstring& root, CVolumeDevice& device);

}  // namespace quorrel::win32
