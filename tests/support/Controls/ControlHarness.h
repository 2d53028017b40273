// The control harness lives with the other window test support; this path keeps working.
#pragma once

#include "tests/support/UI/ControlHarness.h"
