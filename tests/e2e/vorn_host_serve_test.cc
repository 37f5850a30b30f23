// vorn-host serve as a child process driven over HTTP: routes, the host's endpoints, the calls
// stream, bad requests, many clients at once, and stopping on a signal.
#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/plain_json.h"
#include "host/transcript.h"
#include "tests/e2e/calls_follower.h"
#include "tests/e2e/loyalty_names.h"
#include "tests/e2e/loyalty_states.h"
#include "tests/e2e/serve_process.h"
#include "tests/e2e/tool_process.h"

namespace Vorn::Host {
namespace {

// Generous: the sanitizer builds are slow, and nothing here waits for a timer of its own.
constexpr double kWait = 60;

const std::vector<std::string> kPluginArguments = {"--plugin", QEV_LOYALTY_LIBRARY};

// The names the plugin subscribes while it starts, each unsubscribed at Shutdown.
const std::set<std::string> kSubscribed = {kLcdsEvent, "OnServiceProxyAsyncEvent",
                                           "OnServiceProxyMethodEvent", "OnServiceProxyUuidEvent"};

std::string Compact(const char* json) {
  return DumpJson(Json::parse(json));
}

int Connect(int port) {
  const int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(socket_fd);
    return -1;
  }
  return socket_fd;
}

// Whether `answer` holds a whole response: its head and as many body bytes as it announces.
bool IsWhole(const std::string& answer) {
  const size_t head_end = answer.find("\r\n\r\n");
  if (head_end == std::string::npos) return false;
  const size_t length_at = answer.find("Content-Length: ");
  const size_t length =
      length_at < head_end ? std::stoul(answer.substr(length_at + 16)) : size_t{0};
  return answer.size() >= head_end + 4 + length;
}

// Sends `bytes` on a fresh connection and returns the response that comes back (what came
// before the server closed the connection, or five seconds passed).
std::string RawExchange(int port, const std::string& bytes) {
  const int socket_fd = Connect(port);
  std::string answer;
  if (socket_fd < 0) return answer;
  (void)send(socket_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  timeval wait{5, 0};
  setsockopt(socket_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  char buffer[4096];
  ssize_t got = 0;
  while (!IsWhole(answer) && (got = recv(socket_fd, buffer, sizeof buffer, 0)) > 0)
    answer.append(buffer, static_cast<size_t>(got));
  close(socket_fd);
  return answer;
}

// A client that goes away in the middle of its request.
void SendHalfAndLeave(int port, const std::string& bytes) {
  const int socket_fd = Connect(port);
  if (socket_fd < 0) return;
  (void)send(socket_fd, bytes.data(), bytes.size() / 2, MSG_NOSIGNAL);
  close(socket_fd);
}

class ServeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { std::signal(SIGPIPE, SIG_IGN); }

  void SetUp() override {
    server_ = std::make_unique<ServeProcess>(kPluginArguments);
    ASSERT_TRUE(server_->started()) << "first line: " << server_->first_line();
  }

  // Every test ends with a clean stop; a sanitizer report would make the exit code non-zero.
  void TearDown() override {
    if (!server_->started()) return;
    server_->Signal(SIGTERM);
    EXPECT_EQ(server_->WaitForExit(kWait), 0);
  }

  std::unique_ptr<httplib::Client> Client() const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
    client->set_read_timeout(60);
    return client;
  }

  // A loyalty message posted as the host's LCDS delivery; the answer names the event.
  void PostLcds(httplib::Client& client, const char* body) const {
    httplib::Result posted = client.Post("/vorn-host/lcds", body, "application/json");
    ASSERT_TRUE(posted) << httplib::to_string(posted.error());
    EXPECT_EQ(posted->status, 200) << posted->body;
    EXPECT_EQ(posted->body, DumpJson(Json{{"delivered", kLcdsEvent}}));
  }

  std::unique_ptr<ServeProcess> server_;
};

TEST_F(ServeTest, AGrantReachesTheCallsStreamAndTheNextGet) {
  auto client = Client();
  httplib::Result before = client->Get(kPath);
  ASSERT_TRUE(before);
  EXPECT_EQ(before->status, 200);
  EXPECT_EQ(before->get_header_value("Content-Type"), "application/json");
  EXPECT_EQ(before->body, Compact(kInitialAnswer));

  CallsFollower calls(server_->port());
  ASSERT_TRUE(calls.connected());
  PostLcds(*client, kStates[0].body);
  ASSERT_TRUE(calls.WaitFor(
      [](const std::vector<Json>& seen) { return CallsOf(seen, "DispatchEvent").size() >= 2; },
      kWait));

  const std::vector<Json> seen = calls.entries();
  // The delivery runs in a timer with no delay, then publishes the resource twice.
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front()["call"], "ScheduleCallback") << seen.front();
  EXPECT_EQ(seen.front()["arguments"]["delaySeconds"], 0.0);
  const std::vector<Json> dispatched = CallsOf(seen, "DispatchEvent");
  ASSERT_EQ(dispatched.size(), 2u);
  EXPECT_EQ(dispatched[0]["arguments"]["name"],
            "OnJsonApiEvent_qev-loyalty_v1_status-notification");
  EXPECT_EQ(dispatched[1]["arguments"]["name"], "OnJsonApiEvent");
  for (const Json& entry : dispatched) {
    const Json& payload = entry["arguments"]["payload"];
    EXPECT_EQ(payload["uri"], kPath);
    EXPECT_EQ(payload["eventType"], "Update");
    EXPECT_EQ(DumpJson(payload["data"]), Compact(kStates[0].answer));
  }

  httplib::Result after = client->Get(kPath);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
  EXPECT_EQ(after->body, Compact(kStates[0].answer));
}

TEST_F(ServeTest, DescribeIsWhatTheToolPrints) {
  httplib::Result described = Client()->Get("/vorn-host/describe");
  ASSERT_TRUE(described);
  EXPECT_EQ(described->status, 200);
  const ToolRun tool = RunTool("describe --json --plugin \"" QEV_LOYALTY_LIBRARY "\"", true);
  ASSERT_EQ(tool.exit_code, 0) << tool.err;
  EXPECT_EQ(described->body, tool.out);
}

struct BadRequestRow {
  const char* method;
  const char* path;
  const char* body;
  int status;
  const char* error;  // the answer's "error", or its start when it ends in "..."
};

constexpr BadRequestRow kBadRequests[] = {
    {"GET", "/qev-loyalty/v1/nothing-here", nullptr, 404,
     "no route for GET /qev-loyalty/v1/nothing-here"},
    {"DELETE", "/elsewhere?x=1", nullptr, 404, "no route for DELETE /elsewhere"},
    {"POST", "/vorn-host/lcds", "{\"accountId\":", 400, "the body is not JSON: ..."},
    {"POST", "/vorn-host/lcds", "", 400, "the body is not JSON: ..."},
    {"POST", "/vorn-host/lcds", "[\"\xff\"]", 400, "the body is not JSON: ..."},
    {"POST", "/vorn-host/events/OnNobody", "{}", 400, "nobody subscribed the event 'OnNobody'"},
    {"POST", "/vorn-host/events/OnServiceProxyUuidEvent", "nul", 400, "the body is not JSON: ..."},
    {"GET", "/vorn-host/lcds", nullptr, 405, "GET /vorn-host/lcds takes only POST"},
    {"POST", "/vorn-host/calls", "{}", 405, "POST /vorn-host/calls takes only GET"},
    {"GET", "/vorn-host/elsewhere", nullptr, 404, "no host endpoint /vorn-host/elsewhere"},
};

std::string ManyHeaders(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i)
    lines += "X-" + std::to_string(i) + ": y\r\n";
  return lines;
}

struct RawRow {
  const char* what;
  std::string bytes;
  const char* status_line;
  const char* error;
};

const RawRow kRawRequests[] = {
    {"no request line", "GARBAGE\r\n\r\n", "HTTP/1.1 400 Bad Request", "the request is malformed"},
    {"a body over the limit",
     "POST /vorn-host/lcds HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
     "Content-Length: 16777217\r\n\r\n{}",
     "HTTP/1.1 413 Payload Too Large", "the body is larger than 16777216 bytes"},
    {"a target over the limit", "GET /" + std::string(9000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n",
     "HTTP/1.1 414 URI Too Long", "the request target is too long"},
    {"a method the server does not know", "FROB /x HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request",
     "the request is malformed"},
    {"an unknown version", "GET / HTTP/9.9\r\n\r\n", "HTTP/1.1 400 Bad Request",
     "the request is malformed"},
    {"a header line over the limit", "GET / HTTP/1.1\r\nX: " + std::string(9000, 'a') + "\r\n\r\n",
     "HTTP/1.1 400 Bad Request", "the request is malformed"},
    {"a broken chunk", "POST /vorn-host/lcds HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
     "HTTP/1.1 400 Bad Request", "the request is malformed"},
    {"too many headers", "GET " + std::string(kPath) + " HTTP/1.1\r\n" + ManyHeaders(300) + "\r\n",
     "HTTP/1.1 431 Request Header Fields Too Large", "more than 256 headers"},
};

TEST_F(ServeTest, BadRequestsAreAnsweredAndNeverReachThePlugin) {
  CallsFollower calls(server_->port());
  ASSERT_TRUE(calls.connected());
  auto client = Client();
  for (const BadRequestRow& row : kBadRequests) {
    SCOPED_TRACE(std::string(row.method) + " " + row.path);
    httplib::Request request;
    request.method = row.method;
    request.path = row.path;
    if (row.body != nullptr) {
      request.body = row.body;
      request.set_header("Content-Type", "application/json");
    }
    httplib::Result answer = client->send(request);
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_EQ(answer->status, row.status);
    EXPECT_EQ(answer->get_header_value("Content-Type"), "application/json");
    const Json body = Json::parse(answer->body, nullptr, false);
    ASSERT_TRUE(body.is_object() && body.contains("error")) << answer->body;
    const std::string error = body["error"];
    const std::string wanted = row.error;
    if (wanted.size() > 3 && wanted.compare(wanted.size() - 3, 3, "...") == 0) {
      EXPECT_EQ(error.rfind(wanted.substr(0, wanted.size() - 3), 0), 0u) << error;
    } else {
      EXPECT_EQ(error, wanted);
    }
  }
  for (const RawRow& row : kRawRequests) {
    SCOPED_TRACE(row.what);
    SendHalfAndLeave(server_->port(), row.bytes);
    const std::string answer = RawExchange(server_->port(), row.bytes);
    EXPECT_EQ(answer.substr(0, answer.find("\r\n")), row.status_line) << answer;
    EXPECT_NE(answer.find(DumpJson(Json{{"error", row.error}})), std::string::npos) << answer;
  }

  // The server still serves, and the first call the plugin made is the one for this grant.
  PostLcds(*client, kStates[0].body);
  ASSERT_TRUE(calls.WaitFor(
      [](const std::vector<Json>& seen) { return !CallsOf(seen, "DispatchEvent").empty(); },
      kWait));
  EXPECT_EQ(calls.entries().front()["call"], "ScheduleCallback") << calls.entries().front();
  httplib::Result after = client->Get(kPath);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->body, Compact(kStates[0].answer));
}

TEST_F(ServeTest, ClientsLeavingTheirStreamsLeaveTheOthersFollowing) {
  std::vector<std::unique_ptr<CallsFollower>> streams;
  for (int i = 0; i < 3; ++i) {
    streams.push_back(std::make_unique<CallsFollower>(server_->port()));
    ASSERT_TRUE(streams.back()->connected());
  }
  streams[0]->Leave();
  streams[1].reset();
  auto client = Client();
  PostLcds(*client, kStates[1].body);
  EXPECT_TRUE(streams[2]->WaitFor(
      [](const std::vector<Json>& seen) { return CallsOf(seen, "DispatchEvent").size() >= 2; },
      kWait));
  httplib::Result after = client->Get(kPath);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->body, Compact(kStates[1].answer));
}

constexpr int kClients = 8;
constexpr int kGetsPerClient = 200;

struct ClientTally {
  int answers = 0;
  std::vector<std::string> wrong;  // reported after the join
};

TEST_F(ServeTest, EightClientsSeeWholeRecordsWhileMessagesArrive) {
  const std::set<std::string> allowed = WholeAnswers();
  std::atomic<int> clients_done{0};
  std::vector<ClientTally> tallies(kClients);
  std::vector<std::thread> threads;
  for (int c = 0; c < kClients; ++c) {
    threads.emplace_back([&, c] {
      auto client = Client();
      ClientTally& tally = tallies[c];
      for (int i = 0; i < kGetsPerClient; ++i) {
        httplib::Result answer = client->Get(kPath);
        ++tally.answers;
        if (!answer) {
          tally.wrong.push_back(httplib::to_string(answer.error()));
        } else if (answer->status != 200) {
          tally.wrong.push_back(std::to_string(answer->status) + " " + answer->body);
        } else if (allowed.count(answer->body) == 0) {
          tally.wrong.push_back(answer->body);
        }
      }
      ++clients_done;
    });
  }

  // Messages keep arriving until every client is through, at least a few while they ask.
  auto poster = Client();
  int posted = 0;
  while (clients_done.load() < kClients || posted < 4) {
    PostLcds(*poster, kStates[posted % std::size(kStates)].body);
    ++posted;
  }
  for (std::thread& thread : threads)
    thread.join();

  for (int c = 0; c < kClients; ++c) {
    SCOPED_TRACE("client " + std::to_string(c));
    EXPECT_EQ(tallies[c].answers, kGetsPerClient);
    EXPECT_TRUE(tallies[c].wrong.empty())
        << tallies[c].wrong.size() << " wrong, first " << tallies[c].wrong.front();
  }
}

// Outside the fixture: each signal gets a server of its own.
TEST(ServeStop, AStopSignalShutsThePluginDownWhileAStreamIsOpen) {
  std::signal(SIGPIPE, SIG_IGN);
  for (const int stop_signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(stop_signal == SIGTERM ? "SIGTERM" : "SIGINT");
    ServeProcess server(kPluginArguments);
    ASSERT_TRUE(server.started()) << "first line: " << server.first_line();
    CallsFollower calls(server.port());
    ASSERT_TRUE(calls.connected());
    // A keep-alive connection stays open beside the stream.
    httplib::Client idle("127.0.0.1", server.port());
    ASSERT_TRUE(idle.Get(kPath));

    server.Signal(stop_signal);
    EXPECT_EQ(server.WaitForExit(kWait), 0);
    EXPECT_TRUE(calls.WaitForEnd(kWait));
    std::set<std::string> unsubscribed;
    for (const Json& entry : CallsOf(calls.entries(), "UnsubscribeEvent"))
      unsubscribed.insert(entry["arguments"]["name"].get<std::string>());
    EXPECT_EQ(unsubscribed, kSubscribed);
  }
}

}  // namespace
}  // namespace Vorn::Host
