// The host's fan-out of call lines to its followers.
#include "host/call_stream.h"

#include <algorithm>

namespace Vorn::Host {

std::shared_ptr<CallStream::Follower> CallStream::Follow() {
  std::lock_guard lock(mutex_);
  if (closed_ || followers_.size() >= max_followers_) return nullptr;
  followers_.push_back(std::make_shared<Follower>());
  return followers_.back();
}

void CallStream::Unfollow(const std::shared_ptr<Follower>& follower) {
  {
    std::lock_guard lock(mutex_);
    followers_.erase(std::remove(followers_.begin(), followers_.end(), follower), followers_.end());
  }
  changed_.notify_all();
}

bool CallStream::HasFollowers() const {
  std::lock_guard lock(mutex_);
  return !followers_.empty();
}

void CallStream::Publish(const std::string& line) {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    for (const std::shared_ptr<Follower>& follower : followers_) {
      if (follower->dropped) continue;
      if (follower->lines.size() >= queue_limit_) {
        follower->dropped = true;
        follower->lines.clear();
        continue;
      }
      follower->lines.push_back(line);
    }
  }
  changed_.notify_all();
}

CallStream::Take CallStream::TakeLines(Follower& follower, std::vector<std::string>& out,
                                       std::chrono::milliseconds wait) {
  out.clear();
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, wait,
                    [&] { return closed_ || follower.dropped || !follower.lines.empty(); });
  if (follower.dropped) return Take::kDropped;
  if (follower.lines.empty()) return closed_ ? Take::kEnded : Take::kIdle;
  out.assign(std::make_move_iterator(follower.lines.begin()),
             std::make_move_iterator(follower.lines.end()));
  follower.lines.clear();
  return Take::kLines;
}

void CallStream::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool CallStream::WaitForFollowersToLeave(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, wait, [&] { return followers_.empty(); });
}

}  // namespace Vorn::Host
