// The server's endpoints and how each request reaches the host or the plugin.
#include "tools/plugin_server.h"

#include <chrono>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "host/http_exchange.h"
#include "host/route_request.h"
#include "host/transcript.h"
#include "tools/describe_command.h"
#include "tools/scenario.h"

namespace Vorn::Tools {
namespace {

using Host::ErrorAnswer;
using Host::HttpAnswer;
using Host::Json;
using Host::WriteAnswer;

// Each open calls stream holds one server thread, so the pool has room for requests beside the
// most streams allowed.
constexpr size_t kMaxStreams = 8;
constexpr size_t kServerThreads = 24;
// A follower this far behind has stopped reading; its stream ends instead of growing.
constexpr size_t kStreamBacklog = 10000;
// How long an idle stream waits before it writes a comment, which finds clients that left.
constexpr auto kStreamIdle = std::chrono::milliseconds(1000);
// How long a stop waits for the streams to take their last calls.
constexpr auto kStreamDrain = std::chrono::milliseconds(2000);
// Idle keep-alive connections hold a thread, and stopping waits for them: keep them short.
constexpr time_t kKeepAliveSeconds = 2;
constexpr size_t kKeepAliveRequests = 1000;

// A request with more is refused before it reaches anyone: the server itself sets no limit.
constexpr size_t kMaxHeaders = 256;

constexpr const char* kHostPrefix = "/vorn-host/";
constexpr const char* kEventsPrefix = "/vorn-host/events/";

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// What the server answers in its own name (the request never got to a handler).
std::string ServerErrorText(int status) {
  switch (status) {
    case 400:
      return "the request is malformed";
    case 413:
      return "the body is larger than " + std::to_string(kMaxBodyBytes) + " bytes";
    case 414:
      return "the request target is too long";
    default:
      return "HTTP status " + std::to_string(status);
  }
}

Host::HostResult<Json> ReadJsonBody(const std::string& body) {
  try {
    return Json::parse(body);
  } catch (const Json::exception& error) {
    return Host::HostResult<Json>::Failure(std::string("the body is not JSON: ") + error.what());
  }
}

void WrongMethod(const httplib::Request& request, httplib::Response& response,
                 const char* allowed) {
  WriteAnswer(ErrorAnswer(405, request.method + " " + request.path + " takes only " + allowed),
              response);
  response.set_header("Allow", allowed);
}

}  // namespace

PluginServer::PluginServer(Host::ReferenceHost& host)
    : host_(host), calls_(kMaxStreams, kStreamBacklog) {
  host_.SetTranscriptListener([this](const Host::TranscriptEntry& entry) {
    if (entry.origin == Host::CallOrigin::kPlugin && calls_.HasFollowers()) {
      calls_.Publish(Host::FormatJsonLine(entry));
    }
  });

  server_.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  server_.set_payload_max_length(kMaxBodyBytes);
  server_.set_keep_alive_timeout(kKeepAliveSeconds);
  server_.set_keep_alive_max_count(kKeepAliveRequests);
  // Every method the server parses goes through one dispatch, which picks the route.
  const auto dispatch = [this](const httplib::Request& request, httplib::Response& response) {
    Dispatch(request, response);
  };
  server_.Get(".*", dispatch);
  server_.Post(".*", dispatch);
  server_.Put(".*", dispatch);
  server_.Patch(".*", dispatch);
  server_.Delete(".*", dispatch);
  server_.Options(".*", dispatch);
  server_.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) {
      response.set_content(Host::DumpJson(Json{{"error", ServerErrorText(response.status)}}),
                           "application/json");
    }
  });
  server_.set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr thrown) {
        std::string text = "the host failed";
        try {
          if (thrown) std::rethrow_exception(thrown);
        } catch (const std::exception& error) {
          text += std::string(": ") + error.what();
        } catch (...) {
        }
        WriteAnswer(ErrorAnswer(500, text), response);
      });
}

PluginServer::~PluginServer() {
  (void)ShutDown();
  host_.SetTranscriptListener(nullptr);
}

Host::HostResult<int> PluginServer::Start(const std::string& address, int port) {
  const int bound = port == 0 ? server_.bind_to_any_port(address)
                              : (server_.bind_to_port(address, port) ? port : -1);
  if (bound < 0) {
    return Host::HostResult<int>::Failure("cannot listen on " + address + " port " +
                                          std::to_string(port));
  }
  serving_ = std::thread([this] { server_.listen_after_bind(); });
  // A stop before the server runs would find nothing to stop.
  while (!server_.is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return bound;
}

Host::HostStatus PluginServer::ShutDown() {
  gate_.CloseAndDrain();
  Host::HostStatus status = host_.plugin_live() ? host_.Shutdown() : Host::HostStatus::Ok();
  calls_.Close();
  // The server stops writing every stream at once: let followers take the shutdown's calls
  // first. One that stopped reading is not waited for long.
  calls_.WaitForFollowersToLeave(kStreamDrain);
  if (serving_.joinable()) {
    server_.stop();
    serving_.join();
  }
  return status;
}

void PluginServer::Dispatch(const httplib::Request& request, httplib::Response& response) {
  // The server counts its four address entries among the headers.
  if (request.headers.size() > kMaxHeaders + 4) {
    return WriteAnswer(ErrorAnswer(431, "more than " + std::to_string(kMaxHeaders) + " headers"),
                       response);
  }
  if (StartsWith(request.path, kHostPrefix)) {
    HostEndpoint(request, response);
  } else {
    ForwardToPlugin(request, response);
  }
}

void PluginServer::HostEndpoint(const httplib::Request& request, httplib::Response& response) {
  const std::string& path = request.path;
  const bool get = request.method == "GET";
  const bool post = request.method == "POST";
  if (path == "/vorn-host/calls") {
    get ? FollowCalls(response) : WrongMethod(request, response, "GET");
  } else if (path == "/vorn-host/describe") {
    if (!get) return WrongMethod(request, response, "GET");
    HttpAnswer answer;
    answer.body = DescribeJson(host_.ReadBindingTable().value());
    WriteAnswer(answer, response);
  } else if (path == "/vorn-host/lcds") {
    post ? DeliverLcds(request, response) : WrongMethod(request, response, "POST");
  } else if (StartsWith(path, kEventsPrefix) && path.size() > std::strlen(kEventsPrefix)) {
    post ? DeliverHostEvent(path.substr(std::strlen(kEventsPrefix)), request, response)
         : WrongMethod(request, response, "POST");
  } else {
    WriteAnswer(ErrorAnswer(404, "no host endpoint " + path), response);
  }
}

void PluginServer::FollowCalls(httplib::Response& response) {
  std::shared_ptr<Host::CallStream::Follower> follower = calls_.Follow();
  if (!follower) {
    WriteAnswer(ErrorAnswer(503, "no more calls streams: " + std::to_string(kMaxStreams) +
                                     " are open, or the host is stopping"),
                response);
    return;
  }
  response.set_header("Cache-Control", "no-cache");
  response.set_chunked_content_provider(
      "text/event-stream",
      [this, follower](size_t, httplib::DataSink& sink) {
        std::vector<std::string> lines;
        std::string events;
        switch (calls_.TakeLines(*follower, lines, kStreamIdle)) {
          case Host::CallStream::Take::kLines:
            for (const std::string& line : lines)
              events += "data: " + line + "\n\n";
            return sink.write(events.data(), events.size());
          case Host::CallStream::Take::kIdle:
            return sink.write(":\n\n", 3);
          case Host::CallStream::Take::kDropped:
            events = "event: dropped\ndata: " +
                     Host::DumpJson(Json{{"error", "the stream fell too far behind"}}) + "\n\n";
            if (!sink.write(events.data(), events.size())) return false;
            sink.done();
            return true;
          case Host::CallStream::Take::kEnded:
            sink.done();
            return true;
        }
        return false;
      },
      [this, follower](bool) { calls_.Unfollow(follower); });
}

void PluginServer::DeliverLcds(const httplib::Request& request, httplib::Response& response) {
  Host::HostResult<Json> body = ReadJsonBody(request.body);
  if (!body.ok()) return WriteAnswer(ErrorAnswer(400, body.error()), response);
  const auto param = [&](const char* name) -> std::optional<std::string> {
    if (!request.has_param(name)) return std::nullopt;
    return request.get_param_value(name);
  };
  const ScenarioStep step = LcdsStep(body.value(), param("typeName").value_or(kLoyaltyTypeName),
                                     param("clientId"), param("subtopic"));
  DeliverHostEvent(step.event_name, step.payload, response);
}

void PluginServer::DeliverHostEvent(const std::string& name, const httplib::Request& request,
                                    httplib::Response& response) {
  Host::HostResult<Json> payload = ReadJsonBody(request.body);
  if (!payload.ok()) return WriteAnswer(ErrorAnswer(400, payload.error()), response);
  DeliverHostEvent(name, payload.value(), response);
}

void PluginServer::DeliverHostEvent(const std::string& name, const Json& payload,
                                    httplib::Response& response) {
  GatePass pass(gate_);
  if (!pass || !host_.plugin_live()) {
    return WriteAnswer(ErrorAnswer(503, "the host is stopping"), response);
  }
  Host::HostStatus delivered = host_.DeliverEvent(name, payload);
  if (!delivered.ok()) return WriteAnswer(ErrorAnswer(400, delivered.error()), response);
  HttpAnswer answer;
  answer.body = Host::DumpJson(Json{{"delivered", name}});
  WriteAnswer(answer, response);
}

void PluginServer::ForwardToPlugin(const httplib::Request& request, httplib::Response& response) {
  const Host::HostRequest forwarded = Host::RequestFromHttp(request);
  const std::optional<size_t> route =
      Host::ChooseRoute(host_.ReadBindingTable().value().routes, forwarded.method, forwarded.path);
  if (!route) {
    return WriteAnswer(ErrorAnswer(404, "no route for " + request.method + " " + request.path),
                       response);
  }
  GatePass pass(gate_);
  if (!pass || !host_.plugin_live()) {
    return WriteAnswer(ErrorAnswer(503, "the host is stopping"), response);
  }
  Host::HostResult<Host::HostResponse> answered = host_.RequestAt(*route, forwarded);
  WriteAnswer(answered.ok() ? Host::AnswerFromResponse(answered.value())
                            : ErrorAnswer(500, answered.error()),
              response);
}

}  // namespace Vorn::Tools
