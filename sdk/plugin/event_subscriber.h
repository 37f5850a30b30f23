// The root interface of the plugin object: resource-path subscriptions.
#pragma once

#include <string>

namespace Vorn::Client {

class EventSubscriber {
 public:
  // Reference-counted subscription to the events of a resource path; the root does nothing.
  virtual void Subscribe(const std::string& resource_path) {}
  virtual void Unsubscribe(const std::string& resource_path) {}

 protected:
  // Not virtual: the event client below declares the virtual destructor, in the slot after
  // these two operations.
  ~EventSubscriber() = default;
};

}  // namespace Vorn::Client
