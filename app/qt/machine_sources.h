// The hardware sources of this machine: the seven WMI readers, answered on
// Linux by the platform's own hardware layer.
#pragma once

#include "syscode/hardware_sources.h"

namespace app {

// The program's one set of readers, created on first use.
syscode::HardwareSources& MachineSources();

}  // namespace app
