// The open failure of a record, read with MpdllOpenFailure.
#include "open_failure.h"

namespace mpctl {

std::vector<Value> open_failure_values(const DevContext& dev) {
    char step[64] = {}, reason[256] = {}, heard[512] = {};
    if (MpdllOpenFailure(&dev, step, sizeof step, reason, sizeof reason, heard, sizeof heard) != 1) return {};
    return {{"failed_step", std::string(step)}, {"reason", std::string(reason)}, {"last_heard", std::string(heard)}};
}

}  // namespace mpctl
