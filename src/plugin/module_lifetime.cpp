// What happens when the host loads and unloads the module. Deliberately
// small: it runs under the platform's loader lock, so no network, no COM and
// no waiting here.
#include "plugin/result_slots.h"
#include "runtime/run_environment.h"

namespace zorvane {
namespace {

struct ModuleLifetime {
  ModuleLifetime() {
    // Built first, so that they are destroyed after the hook has run.
    DescriptorSlot();
    ReplySlot();
    RecordRunDirectory();
  }
  ~ModuleLifetime() { ReleaseResults(); }
};

const ModuleLifetime moduleLifetime;

}  // namespace
}  // namespace zorvane
