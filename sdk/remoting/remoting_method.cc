// Text forms of the request methods.
#include "sdk/remoting/remoting_method.h"

namespace Vorn {

const char* MethodName(uint32_t code) {
  switch (static_cast<RemotingMethod>(code)) {
    case RemotingMethod::Delete:
      return "DELETE";
    case RemotingMethod::Get:
      return "GET";
    case RemotingMethod::Head:
      return "HEAD";
    case RemotingMethod::Options:
      return "OPTIONS";
    case RemotingMethod::Patch:
      return "PATCH";
    case RemotingMethod::Post:
      return "POST";
    case RemotingMethod::Put:
      return "PUT";
    case RemotingMethod::None:
    case RemotingMethod::Other:
      break;
  }
  return "";
}

const char* MethodName(RemotingMethod method) {
  return MethodName(static_cast<uint32_t>(method));
}

RemotingMethod MethodFromHost(uint32_t code) {
  return code >= 1 && code <= 8 ? static_cast<RemotingMethod>(code) : RemotingMethod::None;
}

}  // namespace Vorn
