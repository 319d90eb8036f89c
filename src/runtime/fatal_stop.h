// The module's only stop: the heap could not supply memory.
#pragma once

#include <cstddef>
#include <string_view>

namespace zorvane {

// Shows "运行时出错!\r\n\r\n错误信息：" + message + "\r\n" (a message box on
// Windows, standard error elsewhere) and ends the process with exit code -1
// without running the module's unload hook. Must not allocate from the heap.
[[noreturn]] void FatalStop(std::string_view message);

// FatalStop with "分配 <bytes> 字节内存失败!".
[[noreturn]] void StopOnRefusedAllocation(std::size_t bytes);

}  // namespace zorvane
