#pragma once

namespace platform {

// How a wait on a descriptor ended.
enum class WaitEnd { Readable, Stopped, TimedOut, Failed };

// Blocks until fd has something to read (or its peer hung up), stopFd has something to read, or
// timeoutMs milliseconds have passed (-1: no limit). fd -1 waits for stopFd alone. A stop wins
// over data that arrives at the same time. An interrupted wait goes on until the same deadline.
// The threads of the platform layer end through this: their owner writes to stopFd.
WaitEnd WaitReadableOrStop(int fd, int stopFd, int timeoutMs = -1);

}  // namespace platform
