// One owner per recording. A recording is the data file and everything written beside it (raw,
// map and results files, their temporary files, the run's journal); it is known by the file
// itself, never by how its path was spelled: "./d/K.DAT", "/x/d/K.DAT" and a path through a
// symbolic link to "d" are one recording.
//
// The program that records or recovers a recording holds an exclusive kernel lock (flock) on a
// lock file beside the data file, ".K.DAT.lock" in the data file's folder. It lives there, and
// not in the program home, so that two programs with different homes collide, and so does a
// program on another computer recording into the same shared folder; a folder reached by several
// spellings (links, bind mounts, a file system that ignores case) still holds one lock file. The
// kernel drops the lock when the process ends, however it ends; the holder writes its process id
// into the file so that a refused start can name it, and removes the file when it lets go.
#pragma once

#include <string>

namespace tlx {

// The recording's data file (extension "DAT") with the folder's identity: two paths name the
// same recording when their folders are the same directory (device and inode) and the names
// match.
struct RecordingId {
  unsigned long long device = 0, inode = 0;
  std::string name;
  bool operator==(const RecordingId&) const = default;
};

// False when the folder cannot be reached; `error` then holds the system's error number.
bool IdentifyRecording(const std::string& dataFile, RecordingId& id, int* error = nullptr);
// True when both name the same recording: their "DAT" paths name one file (SameFile).
bool SameRecording(const std::string& dataFileA, const std::string& dataFileB);
// The lock file of the recording into this data file (any extension).
std::string RecordingLockPath(const std::string& dataFile);

class RecordingLock {
 public:
  enum class Result { Locked, InUse, Failed };

  RecordingLock() = default;
  ~RecordingLock();
  RecordingLock(const RecordingLock&) = delete;
  RecordingLock& operator=(const RecordingLock&) = delete;

  // Takes the lock of the recording into this data file without waiting. InUse: another process
  // holds it (Holder() names it when known). Failed: the lock file cannot be created (Error()
  // holds the system's error number: a missing folder, a read-only drive).
  Result Acquire(const std::string& dataFile);
  void Release();

  bool Held() const { return fd_ >= 0; }
  // True while the lock of this data file's recording is held.
  bool Holds(const std::string& dataFile) const;
  long Holder() const { return holder_; }
  int Error() const { return error_; }
  // What the user is told when Acquire did not give the lock; empty while it is held.
  std::string RefusalText() const;

 private:
  int fd_ = -1;
  std::string dataPath_, lockPath_;
  long holder_ = 0;
  int error_ = 0;
};

}  // namespace tlx
