// The non-template parts of function registration: the builder's operations and the naming rule.
#include "sdk/remoting/function_registration.h"

#include <cctype>

#include "sdk/remoting/path_template.h"

namespace Vorn {

namespace {

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

void CompileRoute(BindingFunctionRecord& record) {
  const std::string& source = record.remoting.path.empty() ? record.name : record.remoting.path;
  record.remoting.pattern = std::make_shared<const PathTemplate>(source);
}

}  // namespace

namespace detail {

void InitializeRoute(BindingFunctionRecord& record) {
  CompileRoute(record);
}

}  // namespace detail

std::string FunctionNameFor(RemotingMethod method, std::string_view path) {
  const std::string method_text = MethodName(method);
  std::string first;
  std::string rest;
  if (!method_text.empty()) {
    first = method_text.substr(0, 1);
    for (size_t i = 1; i < method_text.size(); ++i)
      rest += LowerAscii(method_text[i]);
  }
  const std::string text = FormatText("%1%2/%3", first, rest, std::string(path));
  std::string name;
  name.reserve(text.size());
  bool upper = true;
  for (const char c : text) {
    switch (c) {
      case '!':
      case '+':
      case '-':
      case '.':
      case '/':
      case '_':
        upper = true;
        break;
      case '{':
        name += "By";
        upper = true;
        break;
      case '}':
        break;
      default:
        name += upper ? UpperAscii(c) : c;
        upper = false;
        break;
    }
  }
  return name;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetPath(std::string_view path) {
  if (already_registered_) return *this;
  if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  record_->remoting.path = std::string(path);
  CompileRoute(*record_);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetMethod(RemotingMethod method) {
  if (already_registered_) return *this;
  record_->remoting.method = static_cast<uint32_t>(method);
  record_->remoting.method_name.clear();
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetMethodName(std::string_view name) {
  if (already_registered_) return *this;
  record_->remoting.method = static_cast<uint32_t>(RemotingMethod::Other);
  record_->remoting.method_name = std::string(name);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::AddTags(const std::vector<std::string>& tags) {
  for (const std::string& tag : tags)
    AddTag(tag);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::AddTag(std::string_view tag) {
  if (already_registered_ || tag.empty()) return *this;
  record_->tags.emplace_back(tag);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetArgument(size_t index, std::string_view name,
                                                              ArgumentLocation location,
                                                              std::string_view description) {
  if (already_registered_ || index >= record_->arguments.size()) return *this;
  BindingArgumentRecord& argument = record_->arguments[index];
  argument.name = std::string(name);
  argument.location = location;
  argument.description = std::string(description);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetDescription(std::string_view text) {
  if (!already_registered_) record_->description = std::string(text);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetHelp(std::string_view text) {
  if (!already_registered_) record_->help = std::string(text);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetNameSpace(std::string_view text) {
  if (!already_registered_) record_->name_space = std::string(text);
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetThreadSafe(bool thread_safe) {
  if (!already_registered_) record_->thread_safe = thread_safe;
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::SetRouteFlag(uint8_t flag) {
  if (!already_registered_) record_->remoting.flag = flag;
  return *this;
}

RemotingFunctionBuilder& RemotingFunctionBuilder::AddRouteTextList(std::vector<std::string> texts) {
  if (!already_registered_) record_->remoting.text_lists.push_back(std::move(texts));
  return *this;
}

}  // namespace Vorn
