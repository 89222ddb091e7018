// defaultpages.cpp: the procedures of the pages whose own handling is not
// built yet. Each serves its template through the frame's own page (see
// pageframe.h): the controls that edit settings follow them through the
// change cycle, and the page applies, so OK works on every page. A page
// that gets its own procedure replaces its line here; every document page
// has its own procedure now.
#include "ui/pages/pageframe.h"
