// The setting-dialog fixture, shared with the setting dialogs' tests.
#include "tests/ui_dialogs/settingdlg_fixture.cpp"
