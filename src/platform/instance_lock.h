// One running copy of the game per data folder: a lock on a file there, held until the end.
#pragma once

#include <string>

class InstanceLock {
  public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();
    // False when another process (or another lock in this one) holds the file. A file that
    // cannot be created at all does not stop the game: that also counts as true.
    bool Acquire(const std::string& path);

  private:
    int fd_ = -1;
};
