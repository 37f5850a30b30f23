// A tiny plugin on the same frame as the loyalty plugin, with its own export and short name,
// so end-to-end tests can see the frame's logging and subscriptions at work.
#include "sdk/diagnostics/log_api.h"
#include "sdk/plugin/abi/load_context.h"
#include "sdk/plugin/plugin_base.h"
#include "sdk/plugin/plugin_entry.h"

namespace {

class FrameProbePlugin : public Vorn::Client::PluginBase {
 public:
  bool OnInitialize() override {
    for (int32_t level = Vorn::kLogLevelOkay; level <= Vorn::kLogLevelAlways; ++level) {
      Vorn::Log(level, Vorn::kLogGroupGen, "frame probe says %d", static_cast<int>(level));
    }
    Subscribe("/frame-probe/v1/thing");
    return true;
  }
};

}  // namespace

extern "C" VORN_EXPORT void* VORN_CDECL load_frame_probe(PluginLoadContext* context) {
  return Vorn::Client::LoadPlugin<FrameProbePlugin>(context, "frame-probe");
}
