#pragma once
// The headless host's control panel for tests, benchmarks and the recorder. Each service has
// its own header beside this one; this one gathers them.
#include "platform/headless/window_manager.h"
#include "platform/headless/clock.h"
#include "platform/headless/threads.h"
#include "platform/headless/directories.h"
#include "platform/headless/message_boxes.h"
#include "platform/headless/display_device.h"
#include "platform/headless/cover_windows.h"
#include "platform/headless/registry.h"
#include "platform/headless/dialog_controls.h"
#include "platform/headless/saver_shell.h"
#include "platform/headless/host_reset.h"
