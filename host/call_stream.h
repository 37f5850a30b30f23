// Lines fanned out to any number of followers (the host's calls as a live stream), each with
// its own bounded queue: a follower that falls behind loses its stream instead of holding up
// the host or growing without end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Vorn::Host {

class CallStream {
 public:
  struct Follower;

  enum class Take {
    kLines,    // lines were taken (the vector holds at least one)
    kIdle,     // the wait ran out with nothing new
    kEnded,    // the stream is closed and everything for this follower was taken
    kDropped,  // the follower fell more than the queue limit behind; its queue is gone
  };

  CallStream(size_t max_followers, size_t queue_limit)
      : max_followers_(max_followers), queue_limit_(queue_limit) {}

  // Null when the stream is closed or already has its most followers.
  std::shared_ptr<Follower> Follow();
  void Unfollow(const std::shared_ptr<Follower>& follower);
  // Cheap to ask before building a line nobody would read.
  bool HasFollowers() const;

  void Publish(const std::string& line);
  // Moves what waits for `follower` into `out` (cleared first), waiting up to `wait` for the
  // first line.
  Take TakeLines(Follower& follower, std::vector<std::string>& out, std::chrono::milliseconds wait);
  // No new followers or lines from now on; every follower ends once it took what it has.
  void Close();
  // After Close: waits up to `wait` until every follower has taken its last lines and left, so
  // that stopping the server cuts no stream short. False when one is still there.
  bool WaitForFollowersToLeave(std::chrono::milliseconds wait);

 private:
  const size_t max_followers_;
  const size_t queue_limit_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::shared_ptr<Follower>> followers_;
  bool closed_ = false;
};

struct CallStream::Follower {
  std::deque<std::string> lines;
  bool dropped = false;
};

}  // namespace Vorn::Host
