// drvsettings.h: what the entry points of this folder take from the settings
// model and the platform, in one include.
//
// The settings model (ui/settings) owns the DEVMODE layout, the option
// database, identity checks, merge and validation, the paper table and the
// printer helpers; the platform owns the spooler, registry and kernel calls.
#pragma once

#include "platform/windows.h"
#include "platform/spooler/drvinterface.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/papertable.h"
#include "ui/settings/regenv.h"
