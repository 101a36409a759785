#include "kelnor/platform/error_text.h"

namespace kelnor::platform {

std::string reasonText(const std::error_code& reason, std::string_view /*subject*/) {
    return reason.message();
}

}  // namespace kelnor::platform
