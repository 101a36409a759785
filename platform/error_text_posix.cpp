#include "kelnor/platform/error_text.h"

namespace kelnor::platform {

std::string reasonText(const std::error_code& reason) {
    return reason.message();
}

}  // namespace kelnor::platform
