#include "player/app/vocrix_app.h"

wxIMPLEMENT_APP(vx::VocrixApp);
