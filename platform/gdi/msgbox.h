// msgbox.h: message boxes moved to the window system; this name stays for
// the code that includes it.
#pragma once

#include "platform/user/msgbox.h"
