#pragma once

// Moved to testsupport/alsa_file_config.h; kept only for the player program's tests until they
// include it from there.
#include "testsupport/alsa_file_config.h"
