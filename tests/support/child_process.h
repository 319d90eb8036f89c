// Forked children for tests that need a second process: a concurrent
// writer, a process to kill half-way, or one without root's privileges.
#pragma once

#include <sys/types.h>

#include <functional>

namespace zorvane::testing {

// Runs body in a forked child that ends with _exit(body()), never returning
// into the test framework. The child has only the calling thread.
pid_t StartChild(const std::function<int()>& body);

// Waits for the child: its exit status, or -1 when a signal ended it.
int WaitForChild(pid_t child);

// StartChild and WaitForChild in one.
int RunInChild(const std::function<int()>& body);

// For use in a child: when running as root, becomes the user "nobody", so
// that permission bits apply. False when that fails.
bool DropRootPrivileges();

}  // namespace zorvane::testing
