#pragma once
#include "util/LogSink.h"

namespace brindlow::platform {

using LogSink = brindlow::LogSink;

}  // namespace brindlow::platform
