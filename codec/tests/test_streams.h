#pragma once

// Moved to testsupport/test_streams.h; kept only for the player program's tests until they include
// it from there.
#include "testsupport/test_streams.h"
