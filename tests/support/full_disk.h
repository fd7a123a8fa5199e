#pragma once
// A disk that is full for the length of a scope: no file of this process grows past a limit, and
// a write past it fails (as on a full disk) instead of ending the process with SIGXFSZ.

#include <sys/resource.h>

#include <csignal>

namespace testing_support {

class FullDisk {
public:
  explicit FullDisk(rlim_t fileSizeLimit) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit full = old_;
    full.rlim_cur = fileSizeLimit;
    applied_ = ::setrlimit(RLIMIT_FSIZE, &full) == 0;
  }
  ~FullDisk() { ::setrlimit(RLIMIT_FSIZE, &old_); }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;
  // Whether the limit is in force.
  bool Applied() const { return applied_; }

private:
  rlimit old_{};
  bool applied_ = false;
};

}  // namespace testing_support
