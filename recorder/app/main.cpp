#include "recorder/app/vxrecord_app.h"

wxIMPLEMENT_APP(vx::vxrecord::VxrecordApp);
